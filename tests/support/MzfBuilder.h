#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/support/ScratchFolder.h"

namespace kvetro::test {

// An MZF file: the 128-byte header (type, name ended by 0x0D, body size,
// load and execution address, the rest zero) and then Body as it is, which
// may be shorter or longer than Size.
TBytes MzfFile(std::uint8_t Type, const std::string& Name, std::uint16_t Size, std::uint16_t Load,
               std::uint16_t Exec, const TBytes& Body);
// Count bytes counting up from First, so that a lost or shifted byte shows.
TBytes CountingBody(std::size_t Count, std::uint8_t First);
// An object file at 0x1200 whose size field matches a body of Size bytes
// counting up from Seed.
TBytes CountingMzf(std::uint16_t Size, std::uint8_t Seed = 0);
// An object file at 0x1200 whose header says BodySize, followed by Present
// body bytes counting up from 1.
TBytes MakeMzf(std::uint16_t BodySize, std::size_t Present);

// A test file of BodyBytes pseudo-random body bytes after a header of
// pseudo-random bytes (the name ended somewhere by 0x0D) that says an object file of BodySize bytes
// at Load, started at Exec; the same Seed gives the same file.
TBytes RandomMzf(std::uint16_t BodySize, std::size_t BodyBytes, std::uint32_t Seed,
                 std::uint16_t Load = 0x1200, std::uint16_t Exec = 0x1200);

}  // namespace kvetro::test
