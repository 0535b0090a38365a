#include "wave/PlatformInputFile.h"

#include <cerrno>

#ifdef _WIN32
#include <cstdio>
#include <filesystem>
#include <memory>

#include "wave/PlatformFile.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kvetro {

namespace {

using TStatus = TWholeFileRead::TStatus;

TWholeFileRead Failure(int Errno) {
  TWholeFileRead Result;
  Result.Status = TStatus::Failed;
  Result.Error = std::error_code(Errno, std::generic_category());
  return Result;
}

TWholeFileRead WithStatus(TStatus Status) {
  TWholeFileRead Result;
  Result.Status = Status;
  return Result;
}

// Reads until the end of the file, one byte past the limit at most, so that
// a file that grew after it was measured still shows as too large.
template <typename ReadSome>
TWholeFileRead ReadToEnd(std::size_t MaxLength, ReadSome Read) {
  TWholeFileRead Result;
  Result.Bytes.resize(MaxLength + 1);
  std::size_t Got = 0;
  while (Got < Result.Bytes.size()) {
    const long Count = Read(Result.Bytes.data() + Got, Result.Bytes.size() - Got);
    if (Count < 0) {
      return Failure(errno != 0 ? errno : EIO);
    }
    if (Count == 0) {
      break;
    }
    Got += static_cast<std::size_t>(Count);
  }
  if (Got > MaxLength) {
    return WithStatus(TStatus::TooLarge);
  }
  Result.Bytes.resize(Got);
  Result.Status = TStatus::Read;
  return Result;
}

}  // namespace

#ifdef _WIN32

TWholeFileRead PlatformReadWholeFile(const std::string& Utf8Name, std::size_t MaxLength) {
  // Windows has no named pipes in its file system: asking first is safe.
  std::error_code Error;
  const auto Status = std::filesystem::status(PlatformPath(Utf8Name), Error);
  if (Status.type() == std::filesystem::file_type::directory) {
    return Failure(EISDIR);
  }
  const bool Exists = Status.type() != std::filesystem::file_type::not_found &&
                      Status.type() != std::filesystem::file_type::none;
  if (Exists && Status.type() != std::filesystem::file_type::regular) {
    return WithStatus(TStatus::NotRegularFile);
  }
  errno = 0;
  struct Closer {
    void operator()(std::FILE* File) const { std::fclose(File); }
  };
  const std::unique_ptr<std::FILE, Closer> File(OpenPlatformFile(Utf8Name, "rb"));
  if (!File) {
    return Failure(errno != 0 ? errno : ENOENT);
  }
  return ReadToEnd(MaxLength, [&File](std::uint8_t* Into, std::size_t Count) -> long {
    errno = 0;
    const std::size_t Got = std::fread(Into, 1, Count, File.get());
    return Got == 0 && std::ferror(File.get()) ? -1 : static_cast<long>(Got);
  });
}

#else

TWholeFileRead PlatformReadWholeFile(const std::string& Utf8Name, std::size_t MaxLength) {
  // Opening without waiting and then asking the open file what it is: a
  // named pipe opened for reading would otherwise wait for a writer, and a
  // check of the name before opening could be answered by another file.
  const int Descriptor = ::open(Utf8Name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (Descriptor < 0) {
    return Failure(errno);
  }
  struct TClose {
    int Descriptor;
    ~TClose() { ::close(Descriptor); }
  } const Close{Descriptor};

  struct stat Info {};
  if (::fstat(Descriptor, &Info) != 0) {
    return Failure(errno);
  }
  if (S_ISDIR(Info.st_mode)) {
    return Failure(EISDIR);
  }
  if (!S_ISREG(Info.st_mode)) {
    return WithStatus(TStatus::NotRegularFile);
  }
  if (static_cast<std::uintmax_t>(Info.st_size) > MaxLength) {
    return WithStatus(TStatus::TooLarge);
  }
  return ReadToEnd(MaxLength, [Descriptor](std::uint8_t* Into, std::size_t Count) -> long {
    for (;;) {
      const ssize_t Got = ::read(Descriptor, Into, Count);
      if (Got >= 0 || errno != EINTR) {
        return static_cast<long>(Got);
      }
    }
  });
}

#endif

}  // namespace kvetro
