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
  // A failure whose file and reason are known, e.g.
  // "Cannot write game.wav: No space left on device".
  explicit EWriteError(const std::string& Message) : EStreamError(Message) {}
};

class EFCreateError : public EStreamError {
 public:
  explicit EFCreateError(const std::string& FileName)
      : EStreamError("Cannot create file " + FileName) {}
  EFCreateError(const std::string& FileName, const std::string& Reason)
      : EStreamError("Cannot create file " + FileName + ": " + Reason) {}
};

// An existing output that its user has made read-only: replacing it would go
// against the user's wish, so the run refuses it.
class EWriteProtectedError : public EStreamError {
 public:
  explicit EWriteProtectedError(const std::string& FileName)
      : EStreamError("Output file is write-protected: " + FileName) {}
};

}  // namespace kvetro
