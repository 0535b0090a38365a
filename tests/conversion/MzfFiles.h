#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace kvetro {

// A test MZF file: a 128-byte header of pseudo-random bytes with the given
// body size and addresses, then BodyBytes pseudo-random body bytes.
inline std::vector<std::uint8_t> MakeMzf(std::uint16_t BodySize, std::size_t BodyBytes,
                                         std::uint32_t Seed, std::uint16_t Load = 0x1200,
                                         std::uint16_t Exec = 0x1200) {
  std::mt19937 Random(Seed);
  std::vector<std::uint8_t> File(128 + BodyBytes);
  for (auto& Byte : File) {
    Byte = static_cast<std::uint8_t>(Random());
  }
  File[0] = 0x01;  // an object file
  const std::uint16_t Fields[3] = {BodySize, Load, Exec};
  for (std::size_t I = 0; I < 3; ++I) {
    File[0x12 + 2 * I] = static_cast<std::uint8_t>(Fields[I] & 0xFF);
    File[0x13 + 2 * I] = static_cast<std::uint8_t>(Fields[I] >> 8);
  }
  return File;
}

}  // namespace kvetro
