#include "cli/MzfKeeper.h"

#include <string>
#include <vector>

#include "io/PlatformFile.h"
#include "tape/ReplacingOutput.h"

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

}  // namespace

bool TMzfKeeper::FolderReady() {
  const std::string& Folder = FSettings.OutFolder;
  if (FFolderMade || Folder.empty() || PlatformIsFolder(Folder)) {
    FFolderMade = true;
    return true;
  }
  try {
    PlatformMakeFolders(Folder);
    FFolderMade = true;
  } catch (const EFolderError& Error) {
    FErrors << Error.Message() << " (--out)\n";
  }
  return FFolderMade;
}

void TMzfKeeper::Keep(const TFileReport& File) {
  const std::string& Folder = FSettings.OutFolder;
  const std::string Stem = FNames.Next(File);
  FAllWritten = FAllWritten && File.Whole;
  if (!File.Whole && !FSettings.KeepBad) {
    FErrors << "Not written: " << PathIn(Folder, Stem + MzfExtension)
            << " (not read whole; --keep-bad writes what was read)\n";
    return;
  }
  const std::string Name = PathIn(Folder, Stem + (File.Whole ? MzfExtension : BadMzfExtension));
  if (!FSettings.Force && PlatformNameTaken(Name)) {
    FErrors << "Not written: " << Name << " exists (--force replaces it)\n";
    FAllWritten = false;
    return;
  }
  if (FSettings.DryRun) {
    FOut << "Would write " << Name << "\n" << std::flush;
    return;
  }
  if (!FolderReady()) {
    FAllWritten = false;
    return;
  }
  try {
    WriteMzf(Name, File.Mzf);
    FOut << "Wrote " << Name << (File.Whole ? "" : " (not read whole)") << "\n" << std::flush;
  } catch (const Exception& Error) {
    FErrors << Error.Message() << "\n";
    FAllWritten = false;
  }
}

}  // namespace kvetro
