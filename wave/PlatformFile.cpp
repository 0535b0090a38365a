#include "wave/PlatformFile.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include <filesystem>
#else
#include <unistd.h>
#endif

namespace kvetro {

std::FILE* OpenPlatformFile(const std::string& Utf8Name, const char* Mode) {
#ifdef _WIN32
  const std::filesystem::path Path(
      std::u8string(reinterpret_cast<const char8_t*>(Utf8Name.data()), Utf8Name.size()));
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

}  // namespace kvetro
