#include "wave/CustomWaveStream.h"

#include <algorithm>

#include "wave/LittleEndian.h"

namespace kvetro {

namespace {
constexpr std::int32_t kPcmFormatSize = 18;
constexpr std::uint16_t kPcmFormatTag = 1;
}  // namespace

void TCustomWaveStream::SetSize(std::int32_t /*NewSize*/) {}

std::int32_t TCustomWaveStream::Read(void* Buffer, std::int32_t Count) {
  const std::int32_t DataSize = GetDataSize();
  if (DataSize >= 0) {
    FPosition = std::min(FPosition, DataSize);
    // 64-bit sums: a position near 2 GiB plus a large count must not wrap.
    if (static_cast<std::int64_t>(FPosition) + Count > DataSize) {
      Count = DataSize - FPosition;
    }
  }
  const std::int32_t Moved = ReadWaveData(Buffer, Count);
  Advance(Moved);
  return Moved;
}

std::int32_t TCustomWaveStream::Write(const void* Buffer, std::int32_t Count) {
  const std::int32_t DataSize = GetDataSize();
  if (DataSize >= 0) {
    FPosition = std::min(FPosition, DataSize);
  }
  const std::int32_t Moved = WriteWaveData(Buffer, Count);
  Advance(Moved);
  return Moved;
}

std::int32_t TCustomWaveStream::Seek(std::int32_t Offset, std::uint16_t Origin) {
  const std::int32_t DataSize = GetDataSize();
  std::int64_t Target = SeekTarget(Offset, Origin, FPosition, DataSize);
  Target = std::max<std::int64_t>(Target, 0);
  // A data size of -1 has no end to clamp to.
  Target = std::min<std::int64_t>(Target, DataSize >= 0 ? DataSize : MaxStreamSize);
  FPosition = static_cast<std::int32_t>(Target);
  return FPosition;
}

std::int32_t TCustomWaveStream::GetFormatSize() {
  return 0;
}

std::int32_t TCustomWaveStream::GetDataSize() {
  return -1;
}

std::int32_t TCustomWaveStream::ReadWaveData(void* /*Buffer*/, std::int32_t /*Count*/) {
  return 0;
}

std::int32_t TCustomWaveStream::WriteWaveData(const void* /*Buffer*/, std::int32_t /*Count*/) {
  return 0;
}

void TCustomWaveStream::SetPCMFormat(std::int32_t SamplesPerSec, std::int32_t BitsPerSample,
                                     std::int32_t Channels) {
  SetFormatSize(kPcmFormatSize);
  std::uint8_t* Format = GetFormat();
  const auto Channels16 = static_cast<std::uint16_t>(Channels);
  const auto Bits16 = static_cast<std::uint16_t>(BitsPerSample);
  // Whole bytes per sample only: fewer than 8 bits give a block align of 0.
  const auto BlockAlign = static_cast<std::uint16_t>(Channels16 * (Bits16 / 8));
  const auto Rate = static_cast<std::uint32_t>(SamplesPerSec);
  PutLe16(Format + 0, kPcmFormatTag);
  PutLe16(Format + 2, Channels16);
  PutLe32(Format + 4, Rate);
  PutLe32(Format + 8, BlockAlign * Rate);
  PutLe16(Format + 12, BlockAlign);
  PutLe16(Format + 14, Bits16);
  PutLe16(Format + 16, 0);
}

void TCustomWaveStream::Advance(std::int32_t Moved) {
  FPosition = static_cast<std::int32_t>(
      std::clamp<std::int64_t>(static_cast<std::int64_t>(FPosition) + Moved, 0, MaxStreamSize));
}

}  // namespace kvetro
