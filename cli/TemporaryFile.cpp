#include "cli/TemporaryFile.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#include "wave/PlatformFile.h"
#include "wave/StreamErrors.h"

namespace kvetro {

TTemporaryFile::TTemporaryFile() {
  std::error_code Error;
  std::filesystem::path Folder = std::filesystem::temp_directory_path(Error);
  if (Error) {
    Folder = std::filesystem::current_path();
  }
  std::random_device Seed;
  std::mt19937_64 Random(Seed());
  std::string Tried;
  // "x" creates the file only if no file of that name exists, so another
  // process can never share it; a clash just draws a new name.
  for (int Attempt = 0; Attempt < 100; ++Attempt) {
    char Suffix[20];
    std::snprintf(Suffix, sizeof Suffix, "%016llx", static_cast<unsigned long long>(Random()));
    Tried = PlatformUtf8Name(Folder / ("kvetro-cli-" + std::string(Suffix) + ".wav"));
    if (std::FILE* File = OpenPlatformFile(Tried, "wbx")) {
      std::fclose(File);
      FName = Tried;
      return;
    }
  }
  throw EFCreateError(Tried);
}

TTemporaryFile::~TTemporaryFile() {
  PlatformRemoveFile(FName);
}

}  // namespace kvetro
