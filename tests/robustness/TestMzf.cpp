#include "TestMzf.h"

namespace kvetro::test {

TBytes MakeMzf(std::uint16_t BodySize, std::size_t Present) {
  TBytes Bytes(128 + Present, 0);
  Bytes[0] = 0x01;
  Bytes[0x12] = static_cast<std::uint8_t>(BodySize & 0xFF);
  Bytes[0x13] = static_cast<std::uint8_t>(BodySize >> 8);
  Bytes[0x15] = 0x12;  // load and execution address 0x1200
  Bytes[0x17] = 0x12;
  for (std::size_t I = 0; I < Present; ++I) {
    Bytes[128 + I] = static_cast<std::uint8_t>(I + 1);
  }
  return Bytes;
}

}  // namespace kvetro::test
