#pragma once

#include <string>
#include <system_error>

#include "io/Exception.h"

namespace kvetro {

// An input file that could not be read. The text names the file as the user
// gave it and says why, in the system's words where the system gave the
// reason: "Cannot read game.mzf: No such file or directory".
class EInOutError : public Exception {
 public:
  EInOutError(const std::string& FileName, const std::string& Reason);
  EInOutError(const std::string& FileName, std::error_code Reason)
      : EInOutError(FileName, Reason.message()) {}
};

}  // namespace kvetro
