#include "wave/ArrivingStream.h"

#include <algorithm>

#include "io/PlatformInputStream.h"

namespace kvetro {

std::int32_t TArrivingStream::Read(void* Buffer, std::int32_t Count) {
  if (!FInput || Count <= 0) {
    return 0;
  }
  const long Got = ReadArrived(FInput.get(), Buffer, static_cast<std::size_t>(Count), FStop);
  if (Got <= 0) {
    FInput.reset();
    return 0;
  }
  FPosition += Got;
  return static_cast<std::int32_t>(Got);
}

std::int32_t TArrivingStream::Write(const void*, std::int32_t) {
  return 0;
}

std::int32_t TArrivingStream::Seek(std::int32_t, std::uint16_t) {
  return static_cast<std::int32_t>(std::min(FPosition, MaxStreamSize));
}

}  // namespace kvetro
