#include "wave/FileStream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "io/PlatformFile.h"

namespace kvetro {

namespace {

constexpr auto kCapacity = static_cast<std::int64_t>(TFileStream::BufferCapacity);

const char* PlatformMode(std::uint16_t Mode) {
  if (Mode == fmCreate) {
    return "w+b";
  }
  return (Mode & 0x0003) == fmOpenRead ? "rb" : "r+b";
}

}  // namespace

TFileStream::TFileStream(const std::string& FileName, std::uint16_t Mode)
    : FFile(OpenPlatformFile(FileName, PlatformMode(Mode))),
      FWritable(Mode == fmCreate || (Mode & 0x0003) != fmOpenRead) {
  if (!FFile) {
    if (Mode == fmCreate) {
      throw EFCreateError(FileName);
    }
    throw EFOpenError(FileName);
  }
  // Ours is the only buffer, so the platform's answers tell what reached
  // the file.
  std::setvbuf(FFile.get(), nullptr, _IONBF, 0);
  if (Mode != fmCreate) {
    MeasureFile();
  }
  FBuffer.resize(BufferCapacity);
}

TFileStream::TFileStream(TFileHandle InputFile) : FFile(std::move(InputFile)) {
  if (FFile) {
    std::setvbuf(FFile.get(), nullptr, _IONBF, 0);
    MeasureFile();
  }
  FBuffer.resize(BufferCapacity);
}

void TFileStream::MeasureFile() {
  if (std::fseek(FFile.get(), 0, SEEK_END) == 0) {
    FFileSize = std::max<long>(std::ftell(FFile.get()), 0);
    FFileAt = FFileSize;
  }
}

TFileStream::TFileStream(std::FILE* OpenFile, bool CloseFile)
    : FFile(OpenFile), FWritable(OpenFile != nullptr), FCloseFile(CloseFile) {
  FBuffer.resize(BufferCapacity);
}

TFileStream::~TFileStream() {
  try {
    Close();
  } catch (...) {
    // A destructor must not throw; Close is how a caller hears of this.
  }
}

std::int32_t TFileStream::Read(void* Buffer, std::int32_t Count) {
  if (!FFile || Count <= 0) {
    return 0;
  }
  if (!Flush() || !PlaceAt(FPosition)) {
    return 0;
  }
  const std::size_t Got = std::fread(Buffer, 1, static_cast<std::size_t>(Count), FFile.get());
  if (Got < static_cast<std::size_t>(Count)) {
    std::clearerr(FFile.get());  // the end of the file, or a failure: either way not sticky
  }
  FPosition += static_cast<std::int64_t>(Got);
  FFileAt = FPosition;
  return static_cast<std::int32_t>(Got);
}

// Every write takes this one way. The buffer takes a write that continues
// or overwrites what it holds and stays within it; anything else writes the
// buffer out first and starts it again at the position. A write as large as
// the buffer would only be copied on its way, so it goes straight to the file.
std::int32_t TFileStream::Write(const void* Buffer, std::int32_t Count) {
  const auto Length = static_cast<std::int64_t>(Count);
  if (!FWritable || Length <= 0 || FPosition + Length > MaxStreamSize) {
    return 0;
  }
  const bool Fits = Length < kCapacity && FPosition >= FBufferStart &&
                    FPosition <= FBufferStart + FBufferLength &&
                    FPosition + Length <= FBufferStart + kCapacity;
  if (!Fits) {
    if (!Flush()) {
      return 0;
    }
    if (Length >= kCapacity) {
      return WriteThrough(Buffer, Count);
    }
    FBufferStart = FPosition;
  }
  const std::int64_t Offset = FPosition - FBufferStart;
  std::memcpy(FBuffer.data() + Offset, Buffer, static_cast<std::size_t>(Count));
  FPosition += Length;
  FBufferLength = std::max(FBufferLength, Offset + Length);
  return Count;
}

std::int32_t TFileStream::WriteThrough(const void* Buffer, std::int32_t Count) {
  std::size_t Taken = 0;
  if (PlaceAt(FPosition)) {
    Taken = Put(Buffer, static_cast<std::size_t>(Count));
  }
  if (Taken > 0) {
    FPosition += static_cast<std::int64_t>(Taken);
    FFileSize = std::max(FFileSize, FPosition);
  }
  if (Taken < static_cast<std::size_t>(Count)) {
    NoteFailure();
    std::clearerr(FFile.get());
  }
  FBufferStart = FPosition;
  return static_cast<std::int32_t>(Taken);
}

bool TFileStream::PlaceAt(std::int64_t Where) {
  if (FFileAt == Where) {
    return true;
  }
  if (std::fseek(FFile.get(), static_cast<long>(Where), SEEK_SET) != 0) {
    NoteFailure();
    FFileAt = -1;
    return false;
  }
  FFileAt = Where;
  return true;
}

std::size_t TFileStream::Put(const void* Buffer, std::size_t Count) {
  errno = 0;
  std::size_t Taken = std::fwrite(Buffer, 1, Count, FFile.get());
  if (Taken == Count && !FCloseFile && std::fflush(FFile.get()) != 0) {
    Taken = 0;  // how much of it reached the file is not known
  }
  // A short write leaves the platform's position in doubt.
  FFileAt = Taken == Count && FFileAt >= 0 ? FFileAt + static_cast<std::int64_t>(Taken) : -1;
  return Taken;
}

void TFileStream::NoteFailure() {
  if (FErrorCode == 0) {
    FErrorCode = errno;
  }
}

std::int32_t TFileStream::Seek(std::int32_t Offset, std::uint16_t Origin) {
  const std::int64_t Target = SeekTarget(Offset, Origin, FPosition, LogicalSize());
  // The platform refuses a position before the start; one past what 32 bits
  // can answer is refused too. The stream stays where it was.
  if (Target >= 0 && Target <= MaxStreamSize) {
    FPosition = Target;
  }
  return static_cast<std::int32_t>(FPosition);
}

void TFileStream::Close() {
  if (!FFile) {
    return;
  }
  const bool Flushed = Flush();
  errno = 0;
  FWritable = false;
  const bool Closed =
      FCloseFile ? std::fclose(FFile.release()) == 0 : std::fflush(FFile.release()) == 0;
  if (!Closed) {
    NoteFailure();
  }
  const bool Lost = FWriteLost;
  FWriteLost = false;
  if (!Flushed || !Closed || Lost) {
    throw EWriteError();
  }
}

bool TFileStream::Flush() {
  if (FBufferLength == 0) {
    return true;
  }
  std::size_t Taken = 0;
  if (PlaceAt(FBufferStart)) {
    Taken = Put(FBuffer.data(), static_cast<std::size_t>(FBufferLength));
  }
  if (Taken > 0) {
    FFileSize = std::max(FFileSize, FBufferStart + static_cast<std::int64_t>(Taken));
  }
  const bool Complete = Taken == static_cast<std::size_t>(FBufferLength);
  FBufferLength = 0;
  FBufferStart = FPosition;
  if (!Complete) {
    NoteFailure();
    // Later calls of the platform must not trip over this one's error mark.
    std::clearerr(FFile.get());
    FWriteLost = true;
  }
  return Complete;
}

}  // namespace kvetro
