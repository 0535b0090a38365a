#pragma once

#include <cstdint>

namespace kvetro {

// An 8-bit sample as a WAV holds it (unsigned, 0x80 the middle) in -1..1.
// Exact: every code's value is a float, and the code is its value's
// (Value + 1) * 128.
constexpr float Unsigned8Sample(std::uint8_t Code) {
  return static_cast<float>(Code) * (1.0F / 128.0F) - 1.0F;
}

}  // namespace kvetro
