#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kvetro {

// The file name in an MZF header (the 128 bytes a tape's header block
// carries): the machine's character codes from offset 0x01, up to 17 of them,
// ended by a carriage return (0x0D) when shorter. Bytes the header lacks end
// the name too.
std::vector<std::uint8_t> HeaderName(std::span<const std::uint8_t> Header);

// The name as the machine would show it, a code without an ASCII
// counterpart (tape/MzCharacterSet.h) as '?'.
std::string NameText(const std::vector<std::uint8_t>& Name);

}  // namespace kvetro
