#include "io/PlatformFile.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace kvetro {

std::filesystem::path PlatformPath(const std::string& Utf8Name) {
  return std::filesystem::path(
      std::u8string(reinterpret_cast<const char8_t*>(Utf8Name.data()), Utf8Name.size()));
}

std::string PlatformUtf8Name(const std::filesystem::path& Path) {
  const std::u8string Name = Path.u8string();
  return std::string(reinterpret_cast<const char*>(Name.data()), Name.size());
}

TFileHandle OpenPlatformFile(const std::string& Utf8Name, const char* Mode) {
#ifdef _WIN32
  const std::filesystem::path Path = PlatformPath(Utf8Name);
  const std::string NarrowMode(Mode);
  const std::wstring WideMode(NarrowMode.begin(), NarrowMode.end());
  return TFileHandle(_wfopen(Path.c_str(), WideMode.c_str()));
#else
  return TFileHandle(std::fopen(Utf8Name.c_str(), Mode));
#endif
}

bool IsTerminal(std::FILE* File) {
#ifdef _WIN32
  return _isatty(_fileno(File)) != 0;
#else
  return isatty(fileno(File)) != 0;
#endif
}

void UseBinaryMode(std::FILE* File) {
#ifdef _WIN32
  _setmode(_fileno(File), _O_BINARY);
#else
  (void)File;  // POSIX streams never translate bytes
#endif
}

bool PlatformSameFile(const std::string& Utf8NameA, const std::string& Utf8NameB) {
  std::error_code Error;
  const bool Same =
      std::filesystem::equivalent(PlatformPath(Utf8NameA), PlatformPath(Utf8NameB), Error);
  return !Error && Same;
}

bool PlatformNameTaken(const std::string& Utf8Name) {
  std::error_code Error;
  return std::filesystem::exists(std::filesystem::symlink_status(PlatformPath(Utf8Name), Error));
}

bool PlatformIsFolder(const std::string& Utf8Name) {
  std::error_code Error;
  return std::filesystem::is_directory(PlatformPath(Utf8Name), Error);
}

void PlatformMakeFolders(const std::string& Utf8Name) {
  std::error_code Error;
  std::filesystem::create_directories(PlatformPath(Utf8Name), Error);
  if (Error) {
    throw EFolderError(Utf8Name, Error.message());
  }
}

}  // namespace kvetro
