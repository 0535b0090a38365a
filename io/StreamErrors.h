#pragma once

#include <string>
#include <system_error>

#include "io/Exception.h"

namespace kvetro {

// Failures of the byte streams and the files under them. The texts are the
// ones the user sees.
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

  // The failure of writing the named output; Code is the platform's reason
  // (an errno value), 0 when it gave none.
  static EWriteError CannotWrite(const std::string& Name, int Code) {
    EWriteError Error("Cannot write " + Name +
                      (Code == 0 ? "" : ": " + std::generic_category().message(Code)));
    Error.FReaderGone = Code == static_cast<int>(std::errc::broken_pipe);
    return Error;
  }

  // The output is a pipe whose reader has closed it, as a player does that
  // stops early: nobody is left who wants the rest.
  bool ReaderGone() const { return FReaderGone; }

 private:
  bool FReaderGone = false;
};

class EFCreateError : public EStreamError {
 public:
  explicit EFCreateError(const std::string& FileName)
      : EStreamError("Cannot create file " + FileName) {}
  EFCreateError(const std::string& FileName, const std::string& Reason)
      : EStreamError("Cannot create file " + FileName + ": " + Reason) {}
};

// An existing file that cannot be opened.
class EFOpenError : public EStreamError {
 public:
  explicit EFOpenError(const std::string& FileName)
      : EStreamError("Cannot open file " + FileName) {}
};

// An existing output that its user has made read-only: replacing it would go
// against the user's wish, so the run refuses it.
class EWriteProtectedError : public EStreamError {
 public:
  explicit EWriteProtectedError(const std::string& FileName)
      : EStreamError("Output file is write-protected: " + FileName) {}
};

}  // namespace kvetro
