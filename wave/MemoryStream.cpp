#include "wave/MemoryStream.h"

#include <algorithm>
#include <cstring>

namespace kvetro {

void TMemoryStream::SetSize(std::int32_t NewSize) {
  FBytes.resize(static_cast<std::size_t>(std::max<std::int32_t>(NewSize, 0)));
  FPosition = std::min<std::int64_t>(FPosition, static_cast<std::int64_t>(FBytes.size()));
}

std::int32_t TMemoryStream::Read(void* Buffer, std::int32_t Count) {
  const auto Size = static_cast<std::int64_t>(FBytes.size());
  if (Count <= 0 || FPosition >= Size) {
    return 0;
  }
  const std::int64_t N = std::min<std::int64_t>(Count, Size - FPosition);
  std::memcpy(Buffer, FBytes.data() + FPosition, static_cast<std::size_t>(N));
  FPosition += N;
  return static_cast<std::int32_t>(N);
}

std::int32_t TMemoryStream::Write(const void* Buffer, std::int32_t Count) {
  if (Count <= 0) {
    return 0;
  }
  const std::int64_t Limit = FWriteLimit < 0 ? MaxStreamSize : FWriteLimit;
  const std::int64_t N = std::min<std::int64_t>(Count, Limit - FPosition);
  if (N <= 0) {
    return 0;
  }
  const std::int64_t End = FPosition + N;
  if (End > static_cast<std::int64_t>(FBytes.size())) {
    FBytes.resize(static_cast<std::size_t>(End));
  }
  std::memcpy(FBytes.data() + FPosition, Buffer, static_cast<std::size_t>(N));
  FPosition = End;
  return static_cast<std::int32_t>(N);
}

std::int32_t TMemoryStream::Seek(std::int32_t Offset, std::uint16_t Origin) {
  const std::int64_t Target =
      SeekTarget(Offset, Origin, FPosition, static_cast<std::int64_t>(FBytes.size()));
  // A position before the start or beyond what 32 bits can answer is refused;
  // the stream stays where it was.
  if (Target >= 0 && Target <= MaxStreamSize) {
    FPosition = Target;
  }
  return static_cast<std::int32_t>(FPosition);
}

}  // namespace kvetro
