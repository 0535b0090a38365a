#include "wave/CustomWaveStream2.h"

namespace kvetro {

std::uint8_t* TCustomWaveStream2::GetFormat() {
  return FFormatSize > 0 ? FFormat.data() : nullptr;
}

std::int32_t TCustomWaveStream2::GetFormatSize() {
  return FFormatSize;
}

void TCustomWaveStream2::SetFormatSize(std::int32_t NewSize) {
  if (NewSize <= 0) {
    // Give the memory back, not only the length.
    std::vector<std::uint8_t>().swap(FFormat);
    FFormatSize = 0;
    return;
  }
  // Bytes that a larger record adds start as zeros.
  FFormat.resize(static_cast<std::size_t>(NewSize));
  FFormatSize = NewSize;
}

}  // namespace kvetro
