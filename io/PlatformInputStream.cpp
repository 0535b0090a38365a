#include "io/PlatformInputStream.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "io/InOutError.h"

#ifdef _WIN32
#include <io.h>
#else
#include <poll.h>
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

long ReadArrived(std::FILE* Input, void* Buffer, std::size_t Count,
                 const std::function<bool()>& Stop) {
#ifdef _WIN32
  (void)Stop;  // a pipe cannot be waited on here: Ctrl+C ends the process
  return _read(_fileno(Input), Buffer, static_cast<unsigned>(Count));
#else
  constexpr int AskEveryMs = 200;
  pollfd Waiting{fileno(Input), POLLIN, 0};
  for (;;) {
    const int Ready = ::poll(&Waiting, 1, AskEveryMs);
    if (Ready < 0 && errno != EINTR) {
      return -1;
    }
    if (Ready > 0) {
      const ssize_t Got = ::read(Waiting.fd, Buffer, Count);
      if (Got >= 0 || errno != EINTR) {
        return static_cast<long>(Got);
      }
    }
    if (Stop && Stop()) {
      return 0;
    }
  }
#endif
}

}  // namespace kvetro
