// File names made from tape headers: the machine's letters mapped, nothing
// that could leave the folder or name a device, repeated names numbered.
#include <gtest/gtest.h>

#include "reader/SafeFileName.h"
#include "reader/UniqueNames.h"

namespace kvetro::test {

namespace {

TEST(SafeFileName, MapsTheMachinesCodesAndReplacesTheUnsafe) {
  const struct {
    std::vector<std::uint8_t> Name;
    const char* Safe;
  } Cases[] = {
      {{'G', 'A', 'M', 'E', ' ', '2', '!'}, "GAME 2!"},
      // The lower-case letters, a to z, where the machine keeps them.
      {{0xA1, 0x9A, 0x9F, 0x9C, 0x92, 0xAA, 0x97, 0x98, 0xA6, 0xAF, 0xA9, 0xB8, 0xB3},
       "abcdefghijklm"},
      {{0xB0, 0xB7, 0x9E, 0xA0, 0x9D, 0xA4, 0x96, 0xA5, 0xAB, 0xA3, 0x9B, 0xBD, 0xA2},
       "nopqrstuvwxyz"},
      // ASCII's lower case is the machine's graphics; so are the arrows.
      {{'a', 'z', 0x5E, 0x5F, 0x80, 0xFF}, "______"},
      {{'.', '.', '/', 'X'}, "___X"},
      {{'/', 'E', 'T', 'C', '/', 'P', 'A', 'S', 'S', 'W', 'D'}, "_ETC_PASSWD"},
      {{'.'}, "_"},
      {{'.', '.'}, "__"},
      {{'.', '.', '.', '.'}, "____"},
      {{'A', '.', '.', 'B', '.'}, "A..B."},
      {{}, "_"},
      {{0x00, 0x0D, 0x1F, 'A'}, "___A"},
      {{'A', '\\', 'B', ':', 'C', '*', '?', '"', '<', '>', '|'}, "A_B_C______"},
      {{'C', 'O', 'N'}, "CON_"},
      {{'L', 'P', 'T', '1'}, "LPT1_"},
      {{'C', 'O', 'N', 'S'}, "CONS"},
  };
  for (const auto& Case : Cases) {
    EXPECT_EQ(SafeFileName(Case.Name), Case.Safe);
  }
}

TEST(UniqueNames, NumbersRepeatedNamesAndSkipsTakenNumbers) {
  TUniqueNames Names;
  const char* const Given[] = {"GAME", "GAME", "game", "GAME-2", "GAME", "OTHER"};
  const char* const Claimed[] = {"GAME", "GAME-2", "game-3", "GAME-2-2", "GAME-4", "OTHER"};
  for (std::size_t At = 0; At < std::size(Given); ++At) {
    EXPECT_EQ(Names.Claim(Given[At]), Claimed[At]) << At;
  }
}

}  // namespace

}  // namespace kvetro::test
