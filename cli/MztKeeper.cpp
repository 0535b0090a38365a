#include "cli/MztKeeper.h"

#include <string>

#include "reader/ReadFileChoice.h"
#include "io/Exception.h"
#include "io/PlatformFile.h"
#include "reader/ReadMzt.h"
#include "tape/MzfName.h"

namespace kvetro {

namespace {

// "file 3, "GAME"": numbered as the report numbers the files.
std::string FileNamed(std::size_t Index, const TFileReport& File) {
  const std::string Number = "file " + std::to_string(Index + 1);
  return File.Header ? Number + ", \"" + NameText(File.Name) + "\"" : Number;
}

std::string Counted(std::size_t Files) {
  return std::to_string(Files) + (Files == 1 ? " file" : " files");
}

}  // namespace

bool KeepMzt(const TReadSettings& Settings, const std::vector<TFileReport>& Files,
             std::ostream& Out, std::ostream& Errors) {
  const std::string& Name = Settings.MztName;
  const TReadMzt Mzt = MztOfRead(Files);
  for (const std::size_t Index : Mzt.LeftOut) {
    Errors << "Left out of " << Name << ": " << FileNamed(Index, Files[Index])
           << " (not read whole)\n";
  }
  if (Mzt.Files == 0) {
    Errors << "Not written: " << Name << " (no file read whole)\n";
    return false;
  }
  // Even --force never puts the MZT in the recording's place.
  if (PlatformSameFile(Name, Settings.RecordingName)) {
    Errors << "Not written: " << Name << " is the recording\n";
    return false;
  }
  if (!Settings.Force && PlatformNameTaken(Name)) {
    Errors << "Not written: " << Name << " exists (--force replaces it)\n";
    return false;
  }
  if (Settings.DryRun) {
    Out << "Would write " << Name << " (" << Counted(Mzt.Files) << ")\n" << std::flush;
    return Mzt.LeftOut.empty();
  }
  try {
    WriteReadFile(Name, Mzt.Bytes);
  } catch (const Exception& Error) {
    Errors << Error.Message() << "\n";
    return false;
  }
  Out << "Wrote " << Name << " (" << Counted(Mzt.Files) << ")\n" << std::flush;
  return Mzt.LeftOut.empty();
}

}  // namespace kvetro
