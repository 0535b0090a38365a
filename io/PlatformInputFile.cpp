#include "io/PlatformInputFile.h"

#include <cerrno>
#include <system_error>

#include "io/InOutError.h"

#ifdef _WIN32
#include <cstdio>
#include <filesystem>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kvetro {

namespace {

using TBytes = std::optional<std::vector<std::uint8_t>>;

// A pipe or a device would never end or would wait for a writer; the system
// has no reason of its own for refusing it.
constexpr const char* kNotRegularFile = "Not a regular file";

[[noreturn]] void Fail(const std::string& Utf8Name, int Errno) {
  throw EInOutError(Utf8Name, std::error_code(Errno, std::generic_category()));
}

// Reads until the end of the file or MaxLength bytes, whichever comes first.
template <typename ReadSome>
std::vector<std::uint8_t> ReadUpTo(const std::string& Utf8Name, std::size_t MaxLength,
                                   ReadSome Read) {
  std::vector<std::uint8_t> Bytes(MaxLength);
  std::size_t Got = 0;
  while (Got < Bytes.size()) {
    const long Count = Read(Bytes.data() + Got, Bytes.size() - Got);
    if (Count < 0) {
      Fail(Utf8Name, errno != 0 ? errno : EIO);
    }
    if (Count == 0) {
      break;
    }
    Got += static_cast<std::size_t>(Count);
  }
  Bytes.resize(Got);
  return Bytes;
}

}  // namespace

#ifdef _WIN32

TFileHandle OpenInputFile(const std::string& Utf8Name) {
  // Windows has no named pipes in its file system: asking first is safe.
  std::error_code Error;
  const auto Status = std::filesystem::status(PlatformPath(Utf8Name), Error);
  if (Status.type() == std::filesystem::file_type::directory) {
    Fail(Utf8Name, EISDIR);
  }
  const bool Exists = Status.type() != std::filesystem::file_type::not_found &&
                      Status.type() != std::filesystem::file_type::none;
  if (Exists && Status.type() != std::filesystem::file_type::regular) {
    throw EInOutError(Utf8Name, kNotRegularFile);
  }
  errno = 0;
  TFileHandle File = OpenPlatformFile(Utf8Name, "rb");
  if (!File) {
    Fail(Utf8Name, errno != 0 ? errno : ENOENT);
  }
  return File;
}

std::vector<std::uint8_t> ReadFileStart(const std::string& Utf8Name, std::size_t MaxLength) {
  const TFileHandle File = OpenInputFile(Utf8Name);
  return ReadUpTo(Utf8Name, MaxLength, [&File](std::uint8_t* Into, std::size_t Count) -> long {
    errno = 0;
    const std::size_t Got = std::fread(Into, 1, Count, File.get());
    return Got == 0 && std::ferror(File.get()) ? -1 : static_cast<long>(Got);
  });
}

#else

namespace {

struct TClose {
  int Descriptor;
  ~TClose() {
    if (Descriptor >= 0) {
      ::close(Descriptor);
    }
  }
};

// Opening without waiting and then asking the open file what it is: a named
// pipe opened for reading would otherwise wait for a writer, and a check of
// the name before opening could be answered by another file. The caller owns
// the descriptor.
int OpenRegularFile(const std::string& Utf8Name) {
  const int Descriptor = ::open(Utf8Name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (Descriptor < 0) {
    Fail(Utf8Name, errno);
  }
  TClose Close{Descriptor};
  struct stat Info {};
  if (::fstat(Descriptor, &Info) != 0) {
    Fail(Utf8Name, errno);
  }
  if (S_ISDIR(Info.st_mode)) {
    Fail(Utf8Name, EISDIR);
  }
  if (!S_ISREG(Info.st_mode)) {
    throw EInOutError(Utf8Name, kNotRegularFile);
  }
  Close.Descriptor = -1;
  return Descriptor;
}

}  // namespace

TFileHandle OpenInputFile(const std::string& Utf8Name) {
  TClose Close{OpenRegularFile(Utf8Name)};
  TFileHandle File(::fdopen(Close.Descriptor, "rb"));
  if (!File) {
    Fail(Utf8Name, errno);
  }
  Close.Descriptor = -1;
  return File;
}

std::vector<std::uint8_t> ReadFileStart(const std::string& Utf8Name, std::size_t MaxLength) {
  const TClose Close{OpenRegularFile(Utf8Name)};
  const int Descriptor = Close.Descriptor;
  return ReadUpTo(Utf8Name, MaxLength, [Descriptor](std::uint8_t* Into, std::size_t Count) -> long {
    for (;;) {
      const ssize_t Got = ::read(Descriptor, Into, Count);
      if (Got >= 0 || errno != EINTR) {
        return static_cast<long>(Got);
      }
    }
  });
}

#endif

// One byte past the limit at most, so that a file that grew after it was
// measured still shows as too large.
TBytes ReadWholeFile(const std::string& Utf8Name, std::size_t MaxLength) {
  std::vector<std::uint8_t> Bytes = ReadFileStart(Utf8Name, MaxLength + 1);
  if (Bytes.size() > MaxLength) {
    return std::nullopt;
  }
  return Bytes;
}

}  // namespace kvetro
