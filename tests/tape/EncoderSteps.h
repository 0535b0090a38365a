#pragma once

#include <stdexcept>

#include "reference/TapeEncoder.h"

namespace kvetro::test {

// Steps the encoder until it clears its running flag, as the conversion
// does; answers the number of steps taken.
inline long RunToEnd(TTapeEncoder& Encoder, long StepLimit = 100'000'000) {
  long Steps = 0;
  while (Encoder.Running()) {
    Encoder.Step();
    if (++Steps > StepLimit) {
      throw std::runtime_error("the run does not end");
    }
  }
  return Steps;
}

}  // namespace kvetro::test
