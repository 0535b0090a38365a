#include "cli/ReadCommand.h"

#include <string>
#include <vector>

#include "cli/CliApplication.h"
#include "io/PlatformFile.h"
#include "io/PlatformInputFile.h"
#include "reader/ReadFileNames.h"
#include "reader/ReportText.h"
#include "reader/TapeReader.h"
#include "tape/ReplacingOutput.h"
#include "wave/FileStream.h"

namespace kvetro {

namespace {

constexpr const char* MzfExtension = ".mzf";
constexpr const char* BadMzfExtension = ".bad.mzf";

std::string PathIn(const std::string& Folder, const std::string& Name) {
  if (Folder.empty()) {
    return Name;
  }
  const char Last = Folder.back();
  return Last == '/' || Last == '\\' ? Folder + Name : Folder + "/" + Name;
}

// Whole or nothing, as the WAVs are written: the name holds what it held
// before or the complete file.
void WriteMzf(const std::string& Name, const std::vector<std::uint8_t>& Bytes) {
  TReplacingOutput Output(Name);
  try {
    Output.Stream().WriteBuffer(Bytes.data(), static_cast<std::int32_t>(Bytes.size()));
  } catch (const EWriteError&) {
    throw Output.WriteFailure();
  }
  Output.Commit();
}

TTapeReport ReadRecording(const TReadSettings& Settings) {
  TFileStream Recording(OpenInputFile(Settings.RecordingName));
  return ReadTape(Recording, Settings.RecordingName, Settings.Options);
}

}  // namespace

int RunReadCommand(const TReadSettings& Settings, std::ostream& Out, std::ostream& Errors) {
  const std::string& Folder = Settings.OutFolder;
  if (!Folder.empty() && !PlatformIsFolder(Folder)) {
    Errors << "Cannot write into " << Folder << ": no such folder (--out)\n";
    return ExitFailed;
  }
  const TTapeReport Report = ReadRecording(Settings);
  Out << ReportText(Report) << std::flush;
  if (Report.Files.empty()) {
    Errors << "No tape file found in " << Settings.RecordingName
           << ". Try another playback level, the other polarity (--invert or --no-invert) or "
              "another channel (--channel N).\n";
    return ExitFailed;
  }

  bool AllWritten = true;
  const std::vector<std::string> Stems = ReadFileNames(Report.Files);
  for (std::size_t Index = 0; Index < Report.Files.size(); ++Index) {
    const TFileReport& File = Report.Files[Index];
    const std::string& Stem = Stems[Index];
    if (!File.Whole && !Settings.KeepBad) {
      Errors << "Not written: " << PathIn(Folder, Stem + MzfExtension)
             << " (not read whole; --keep-bad writes what was read)\n";
      AllWritten = false;
      continue;
    }
    AllWritten = AllWritten && File.Whole;
    const std::string Name = PathIn(Folder, Stem + (File.Whole ? MzfExtension : BadMzfExtension));
    if (!Settings.Force && PlatformNameTaken(Name)) {
      Errors << "Not written: " << Name << " exists (--force replaces it)\n";
      AllWritten = false;
      continue;
    }
    if (Settings.DryRun) {
      Out << "Would write " << Name << "\n";
      continue;
    }
    try {
      WriteMzf(Name, File.Mzf);
      Out << "Wrote " << Name << (File.Whole ? "" : " (not read whole)") << "\n";
    } catch (const Exception& Error) {
      Errors << Error.Message() << "\n";
      AllWritten = false;
    }
  }
  Out << std::flush;
  return AllWritten ? ExitWritten : ExitFailed;
}

}  // namespace kvetro
