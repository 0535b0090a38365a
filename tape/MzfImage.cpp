#include "tape/MzfImage.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "tape/InOutError.h"
#include "wave/PlatformFile.h"

namespace kvetro {

namespace {

struct FileCloser {
  void operator()(std::FILE* File) const { std::fclose(File); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

[[noreturn]] void RaiseFromErrno(int Fallback) {
  const int Errno = errno;
  throw EInOutError(Errno != 0 ? EInOutError::CodeFromErrno(Errno) : Fallback);
}

}  // namespace

TMzfImage::LoadResult TMzfImage::LoadFromFile(const std::string& FileName) {
  // A directory opens for reading on some platforms; it is no file to load.
  std::error_code Ignored;
  if (std::filesystem::is_directory(
          std::filesystem::path(
              std::u8string(reinterpret_cast<const char8_t*>(FileName.data()), FileName.size())),
          Ignored)) {
    throw EInOutError(EInOutError::AccessDenied);
  }

  errno = 0;
  FileHandle File(OpenPlatformFile(FileName, "rb"));
  if (!File) {
    RaiseFromErrno(EInOutError::FileNotFound);
  }

  errno = 0;
  if (std::fseek(File.get(), 0, SEEK_END) != 0) {
    RaiseFromErrno(EInOutError::AccessDenied);
  }
  const long Length = std::ftell(File.get());
  if (Length < 0) {
    RaiseFromErrno(EInOutError::AccessDenied);
  }
  if (Length > MaxFileSize) {
    return LoadResult::TooLarge;
  }
  if (std::fseek(File.get(), 0, SEEK_SET) != 0) {
    RaiseFromErrno(EInOutError::AccessDenied);
  }

  FBytes.fill(0);
  FFileLength = 0;
  const auto Wanted = static_cast<std::size_t>(Length);
  errno = 0;
  const std::size_t Got = std::fread(FBytes.data(), 1, Wanted, File.get());
  if (Got != Wanted) {
    if (std::ferror(File.get())) {
      RaiseFromErrno(EInOutError::AccessDenied);
    }
    throw EInOutError(EInOutError::ReadBeyondEnd);
  }
  errno = 0;
  if (std::fclose(File.release()) != 0) {
    RaiseFromErrno(EInOutError::AccessDenied);
  }
  FFileLength = static_cast<std::int32_t>(Length);
  return LoadResult::Loaded;
}

TMzfImage::LoadResult TMzfImage::Assign(const std::uint8_t* Data, std::size_t Length) {
  if (Length > static_cast<std::size_t>(MaxFileSize)) {
    return LoadResult::TooLarge;
  }
  FBytes.fill(0);
  if (Length > 0) {
    std::memcpy(FBytes.data(), Data, Length);
  }
  FFileLength = static_cast<std::int32_t>(Length);
  return LoadResult::Loaded;
}

std::uint16_t TMzfImage::Word(std::int32_t Offset) const {
  return static_cast<std::uint16_t>(ByteAt(Offset) | (ByteAt(Offset + 1) << 8));
}

void TMzfImage::SetWord(std::int32_t Offset, std::uint16_t Value) {
  SetByte(Offset, static_cast<std::uint8_t>(Value & 0xFF));
  SetByte(Offset + 1, static_cast<std::uint8_t>(Value >> 8));
}

}  // namespace kvetro
