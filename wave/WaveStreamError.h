#pragma once

#include "io/Exception.h"

namespace kvetro {

// Failures of the wave streams themselves: "Stream has already been opened",
// "Stream not opend", "Wave is invalid" and "Format is invalid".
class EWaveStreamError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace kvetro
