#include "io/PlatformInputStream.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "io/InOutError.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace kvetro {

namespace {

constexpr const char* kStandardInput = "-";

}  // namespace

bool IsStreamName(const std::string& Utf8Name) {
  if (Utf8Name == kStandardInput) {
    return true;
  }
  std::error_code Error;
  const auto Type = std::filesystem::status(PlatformPath(Utf8Name), Error).type();
  using std::filesystem::file_type;
  return Type == file_type::fifo || Type == file_type::character || Type == file_type::socket;
}

TFileHandle OpenInputStream(const std::string& Utf8Name) {
  errno = 0;
  TFileHandle File;
  if (Utf8Name == kStandardInput) {
#ifdef _WIN32
    const int Copy = _dup(_fileno(stdin));
    File.reset(Copy >= 0 ? _fdopen(Copy, "rb") : nullptr);
#else
    const int Copy = ::dup(STDIN_FILENO);
    File.reset(Copy >= 0 ? ::fdopen(Copy, "rb") : nullptr);
    if (Copy >= 0 && !File) {
      ::close(Copy);
    }
#endif
    if (File) {
      UseBinaryMode(File.get());
    }
  } else {
    File = OpenPlatformFile(Utf8Name, "rb");
  }
  if (!File) {
    throw EInOutError(Utf8Name, std::error_code(errno != 0 ? errno : EIO, std::generic_category()));
  }
  return File;
}

long ReadArrived(std::FILE* Input, void* Buffer, std::size_t Count) {
#ifdef _WIN32
  const int Got = _read(_fileno(Input), Buffer, static_cast<unsigned>(Count));
  return Got;
#else
  for (;;) {
    const ssize_t Got = ::read(fileno(Input), Buffer, Count);
    if (Got >= 0 || errno != EINTR) {
      return static_cast<long>(Got);
    }
  }
#endif
}

}  // namespace kvetro
