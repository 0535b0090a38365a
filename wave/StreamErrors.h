#pragma once

#include <string>

#include "wave/Exception.h"

namespace kvetro {

// Failures of the byte streams. The texts are the ones the user sees.
class EStreamError : public Exception {
 public:
  using Exception::Exception;
};

class EReadError : public EStreamError {
 public:
  EReadError() : EStreamError("Stream read error") {}
};

class EWriteError : public EStreamError {
 public:
  EWriteError() : EStreamError("Stream write error") {}
};

class EFCreateError : public EStreamError {
 public:
  explicit EFCreateError(const std::string& FileName)
      : EStreamError("Cannot create file " + FileName) {}
};

}  // namespace kvetro
