#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "tape/PulseTiming.h"

namespace kvetro {

// A whole decimal number from Min to Max, the whole text and nothing else:
// no sign, no spaces, no other base ("010" is ten, not eight).
std::optional<std::int32_t> ParseDecimal(std::string_view Text, std::int32_t Min, std::int32_t Max);

// The LO and HI sample counts of one pulse, written "LO,HI".
struct TPulseHalves {
  std::int32_t Lo = 0;
  std::int32_t Hi = 0;
};
std::optional<TPulseHalves> ParsePulseHalves(std::string_view Text, std::int32_t Min,
                                             std::int32_t Max);

}  // namespace kvetro
