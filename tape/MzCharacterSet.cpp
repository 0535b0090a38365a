#include "tape/MzCharacterSet.h"

#include <array>

namespace kvetro {

namespace {

constexpr std::uint8_t FirstAsciiCode = 0x20;  // the space
constexpr std::uint8_t LastAsciiCode = 0x5D;   // ']'; 0x5E and 0x5F are arrows

// Where the machine keeps 'a' to 'z', in that order.
constexpr std::array<std::uint8_t, 26> LowerCaseCodes = {
    0xA1, 0x9A, 0x9F, 0x9C, 0x92, 0xAA, 0x97, 0x98, 0xA6, 0xAF, 0xA9, 0xB8, 0xB3,
    0xB0, 0xB7, 0x9E, 0xA0, 0x9D, 0xA4, 0x96, 0xA5, 0xAB, 0xA3, 0x9B, 0xBD, 0xA2,
};

}  // namespace

std::optional<char> MzCharacterAsAscii(std::uint8_t Code) {
  if (Code >= FirstAsciiCode && Code <= LastAsciiCode) {
    return static_cast<char>(Code);
  }
  for (std::size_t Letter = 0; Letter < LowerCaseCodes.size(); ++Letter) {
    if (LowerCaseCodes[Letter] == Code) {
      return static_cast<char>('a' + Letter);
    }
  }
  return std::nullopt;
}

}  // namespace kvetro
