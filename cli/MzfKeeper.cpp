#include "cli/MzfKeeper.h"

#include <string>
#include <vector>

#include "cli/WholeFile.h"
#include "io/Exception.h"
#include "io/PlatformFile.h"

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
  if (!FSettings.WriteMzfFiles) {
    return;
  }
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
    WriteWholeFile(Name, File.Mzf);
    FOut << "Wrote " << Name << (File.Whole ? "" : " (not read whole)") << "\n" << std::flush;
  } catch (const Exception& Error) {
    FErrors << Error.Message() << "\n";
    FAllWritten = false;
  }
}

}  // namespace kvetro
