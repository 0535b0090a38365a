#pragma once

#include <cstdint>

namespace kvetro {

// What the user may choose about reading a recording.
struct TReadOptions {
  enum class TPolarity {
    Either,    // both are tried; the one that reads more wins, normal on a tie
    Normal,    // rising edges start the pulses
    Inverted,  // falling edges do
  };
  // 0: the channel with the strongest signal; otherwise counted from 1.
  std::int32_t Channel = 0;
  TPolarity Polarity = TPolarity::Either;
};

}  // namespace kvetro
