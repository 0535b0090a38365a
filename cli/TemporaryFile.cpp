#include "cli/TemporaryFile.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#include "wave/PlatformFile.h"
#include "wave/StreamErrors.h"

namespace kvetro {

namespace {

std::filesystem::path PathOf(const std::string& Utf8Name) {
  return std::filesystem::path(
      std::u8string(reinterpret_cast<const char8_t*>(Utf8Name.data()), Utf8Name.size()));
}

std::string Utf8Of(const std::filesystem::path& Path) {
  const std::u8string Text = Path.u8string();
  return std::string(reinterpret_cast<const char*>(Text.data()), Text.size());
}

}  // namespace

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
    Tried = Utf8Of(Folder / ("kvetro-cli-" + std::string(Suffix) + ".wav"));
    if (std::FILE* File = OpenPlatformFile(Tried, "wbx")) {
      std::fclose(File);
      FName = Tried;
      return;
    }
  }
  throw EFCreateError(Tried);
}

TTemporaryFile::~TTemporaryFile() {
  std::error_code Ignored;
  std::filesystem::remove(PathOf(FName), Ignored);
}

}  // namespace kvetro
