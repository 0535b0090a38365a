#pragma once

#include <cstddef>
#include <cstdint>

#include "tests/support/ScratchFolder.h"

namespace kvetro::test {

// An MZF file: the header says BodySize, then Present body bytes that count
// up from 1 (so that a lost or shifted byte shows).
TBytes MakeMzf(std::uint16_t BodySize, std::size_t Present);

}  // namespace kvetro::test
