#include "tests/support/MzfBuilder.h"

#include <random>

namespace kvetro::test {

TBytes MzfFile(std::uint8_t Type, const std::string& Name, std::uint16_t Size, std::uint16_t Load,
               std::uint16_t Exec, const TBytes& Body) {
  TBytes File(128, 0);
  File[0] = Type;
  for (std::size_t Index = 0; Index < Name.size() && Index < 17; ++Index) {
    File[1 + Index] = static_cast<std::uint8_t>(Name[Index]);
  }
  if (Name.size() < 17) {
    File[1 + Name.size()] = 0x0D;
  }
  const auto Put16 = [&File](std::size_t Offset, std::uint16_t Value) {
    File[Offset] = static_cast<std::uint8_t>(Value & 0xFF);
    File[Offset + 1] = static_cast<std::uint8_t>(Value >> 8);
  };
  Put16(0x12, Size);
  Put16(0x14, Load);
  Put16(0x16, Exec);
  File.insert(File.end(), Body.begin(), Body.end());
  return File;
}

TBytes CountingBody(std::size_t Count, std::uint8_t First) {
  TBytes Body(Count);
  for (std::size_t Index = 0; Index < Count; ++Index) {
    Body[Index] = static_cast<std::uint8_t>(First + Index);
  }
  return Body;
}

TBytes CountingMzf(std::uint16_t Size, std::uint8_t Seed) {
  return MzfFile(0x01, "COUNTING", Size, 0x1200, 0x1200, CountingBody(Size, Seed));
}

TBytes MakeMzf(std::uint16_t BodySize, std::size_t Present) {
  return MzfFile(0x01, "", BodySize, 0x1200, 0x1200, CountingBody(Present, 1));
}

TBytes RandomMzf(std::uint16_t BodySize, std::size_t BodyBytes, std::uint32_t Seed,
                 std::uint16_t Load, std::uint16_t Exec) {
  std::mt19937 Random(Seed);
  TBytes File(128 + BodyBytes);
  for (auto& Byte : File) {
    Byte = static_cast<std::uint8_t>(Random());
  }
  File[0] = 0x01;
  // The name ends within its 17 bytes, as in every MZF file.
  File[1 + Random() % 17] = 0x0D;
  const std::uint16_t Fields[3] = {BodySize, Load, Exec};
  for (std::size_t I = 0; I < 3; ++I) {
    File[0x12 + 2 * I] = static_cast<std::uint8_t>(Fields[I] & 0xFF);
    File[0x13 + 2 * I] = static_cast<std::uint8_t>(Fields[I] >> 8);
  }
  return File;
}

}  // namespace kvetro::test
