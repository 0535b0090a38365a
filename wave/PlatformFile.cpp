#include "wave/PlatformFile.h"

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

std::FILE* OpenPlatformFile(const std::string& Utf8Name, const char* Mode) {
#ifdef _WIN32
  const std::filesystem::path Path = PlatformPath(Utf8Name);
  const std::string NarrowMode(Mode);
  const std::wstring WideMode(NarrowMode.begin(), NarrowMode.end());
  return _wfopen(Path.c_str(), WideMode.c_str());
#else
  return std::fopen(Utf8Name.c_str(), Mode);
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

TPathKind PlatformPathKind(const std::string& Utf8Name) {
  std::error_code Error;
  const auto Status = std::filesystem::status(PlatformPath(Utf8Name), Error);
  if (Status.type() == std::filesystem::file_type::not_found ||
      Status.type() == std::filesystem::file_type::none) {
    return TPathKind::Missing;
  }
  return Status.type() == std::filesystem::file_type::regular ? TPathKind::RegularFile
                                                              : TPathKind::Other;
}

bool PlatformSameFile(const std::string& Utf8NameA, const std::string& Utf8NameB) {
  std::error_code Error;
  const bool Same =
      std::filesystem::equivalent(PlatformPath(Utf8NameA), PlatformPath(Utf8NameB), Error);
  return !Error && Same;
}

std::string PlatformResolveLink(const std::string& Utf8Name) {
  std::error_code Error;
  const auto Path = PlatformPath(Utf8Name);
  if (!std::filesystem::is_symlink(std::filesystem::symlink_status(Path, Error))) {
    return Utf8Name;
  }
  const auto Target = std::filesystem::canonical(Path, Error);
  return Error ? Utf8Name : PlatformUtf8Name(Target);
}

std::string PlatformTempNameBeside(const std::string& Utf8Name) {
  for (unsigned Number = 1;; ++Number) {
    const std::string Candidate = Utf8Name + ".kvetro-" + std::to_string(Number) + ".tmp";
    std::error_code Error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(PlatformPath(Candidate), Error))) {
      return Candidate;
    }
  }
}

bool PlatformReplaceFile(const std::string& Utf8From, const std::string& Utf8To) {
  std::error_code Error;
  std::filesystem::rename(PlatformPath(Utf8From), PlatformPath(Utf8To), Error);
  return !Error;
}

void PlatformCopyPermissions(const std::string& Utf8From, const std::string& Utf8To) {
  std::error_code Error;
  const auto Status = std::filesystem::status(PlatformPath(Utf8From), Error);
  if (!Error) {
    std::filesystem::permissions(PlatformPath(Utf8To), Status.permissions(),
                                 std::filesystem::perm_options::replace, Error);
  }
}

void PlatformRemoveFile(const std::string& Utf8Name) {
  std::error_code Error;
  std::filesystem::remove(PlatformPath(Utf8Name), Error);
}

}  // namespace kvetro
