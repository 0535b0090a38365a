#pragma once

#include <cstdint>
#include <optional>

namespace kvetro {

// The character codes of the Sharp MZ-80K and MZ-700 in which a tape header
// holds its file name. From the space (0x20) to ']' (0x5D) they are ASCII's:
// digits, upper-case letters and the common signs. The lower-case letters lie
// scattered in 0x92 to 0xBD between graphic characters, in no alphabetical
// order; above 0x5D the rest are graphics, arrows and accented letters
// without a safe ASCII counterpart. This is the one place that knows the
// table: the report shows names through it and file names are made from it.
//
// The ASCII character that Code stands for, or nothing for a code without
// one (control codes, graphics, 0x5E and up except the lower-case letters).
std::optional<char> MzCharacterAsAscii(std::uint8_t Code);

}  // namespace kvetro
