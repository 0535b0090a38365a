#pragma once

#include <cstdint>

namespace kvetro {

// RIFF stores every integer little-endian, whatever the host's byte order.
inline void PutLe16(std::uint8_t* At, std::uint16_t Value) {
  At[0] = static_cast<std::uint8_t>(Value);
  At[1] = static_cast<std::uint8_t>(Value >> 8);
}

inline void PutLe32(std::uint8_t* At, std::uint32_t Value) {
  PutLe16(At, static_cast<std::uint16_t>(Value));
  PutLe16(At + 2, static_cast<std::uint16_t>(Value >> 16));
}

inline std::uint32_t GetLe32(const std::uint8_t* At) {
  return static_cast<std::uint32_t>(At[0]) | static_cast<std::uint32_t>(At[1]) << 8 |
         static_cast<std::uint32_t>(At[2]) << 16 | static_cast<std::uint32_t>(At[3]) << 24;
}

}  // namespace kvetro
