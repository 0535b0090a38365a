#include "cli/MzfKeeper.h"

#include <string>

#include "io/Exception.h"
#include "io/PlatformFile.h"

namespace kvetro {

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
  const TReadFileChoice Choice = FChooser.Next(File);
  const std::string Name = PathInFolder(Folder, Choice.FileName);
  FAllWritten = FAllWritten && File.Whole;
  if (!FSettings.WriteMzfFiles) {
    return;
  }
  if (!Choice.Written) {
    FErrors << "Not written: " << Name << " (not read whole; --keep-bad writes what was read)\n";
    return;
  }
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
    WriteReadFile(Name, File.Mzf);
    FOut << "Wrote " << Name << (File.Whole ? "" : " (not read whole)") << "\n" << std::flush;
  } catch (const Exception& Error) {
    FErrors << Error.Message() << "\n";
    FAllWritten = false;
  }
}

}  // namespace kvetro
