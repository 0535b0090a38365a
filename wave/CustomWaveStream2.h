#pragma once

#include <cstdint>
#include <vector>

#include "wave/CustomWaveStream.h"

namespace kvetro {

// A wave stream that owns its format record.
class TCustomWaveStream2 : public TCustomWaveStream {
 public:
  TCustomWaveStream2() = default;

  // Null while the record is empty.
  std::uint8_t* GetFormat() override;
  std::int32_t GetFormatSize() override;
  // A size of 0 or less frees the record.
  void SetFormatSize(std::int32_t NewSize) override;

 protected:
  std::vector<std::uint8_t> FFormat;
  std::int32_t FFormatSize = 0;
};

}  // namespace kvetro
