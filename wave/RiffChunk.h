#pragma once

#include <cstdint>
#include <cstring>

namespace kvetro {

// A RIFF file opens with "RIFF", the 32-bit size of what follows and the
// form ("WAVE"); then come chunks, each a four-letter identifier and a
// 32-bit size before its body.
inline constexpr std::int32_t kRiffHeaderSize = 12;
inline constexpr std::int32_t kChunkHeaderSize = 8;

// Whether the four letters at At are Id.
inline bool IdIs(const std::uint8_t* At, const char (&Id)[5]) {
  return std::memcmp(At, Id, 4) == 0;
}

}  // namespace kvetro
