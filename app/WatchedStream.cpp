#include "app/WatchedStream.h"

#include <algorithm>
#include <utility>

namespace kvetro {

TWatchedStream::TWatchedStream(TStream& File, std::stop_token Stop, TProgress Progress)
    : FFile(File), FStop(std::move(Stop)), FProgress(std::move(Progress)), FSize(File.Size()) {}

std::int32_t TWatchedStream::Read(void* Buffer, std::int32_t Count) {
  if (FStop.stop_requested()) {
    throw EReadStopped();
  }
  const std::int32_t Got = FFile.Read(Buffer, Count);
  FPosition += Got;
  // A recording of several channels is read twice (once to find the
  // strongest), so the thousandths may start again.
  const int Permille =
      FSize > 0 ? static_cast<int>(std::min<std::int64_t>(FPosition * 1000 / FSize, 1000)) : 0;
  if (Permille != FShown) {
    FShown = Permille;
    FProgress(Permille);
  }
  return Got;
}

std::int32_t TWatchedStream::Write(const void* /*Buffer*/, std::int32_t /*Count*/) {
  return 0;
}

std::int32_t TWatchedStream::Seek(std::int32_t Offset, std::uint16_t Origin) {
  const std::int32_t Position = FFile.Seek(Offset, Origin);
  FPosition = Position;
  return Position;
}

}  // namespace kvetro
