#pragma once

#include <string>

#include "wave/Exception.h"

namespace kvetro {

// Input/output failure while reading the MZF file. The code follows the
// classic numbering of file errors (2 not found, 3 bad name, 4 too many open
// files, 5 access denied, 100 read past the end, 101 disk full); any other
// code is shown as "I/O error <code>".
class EInOutError : public Exception {
 public:
  explicit EInOutError(int ErrorCode) : Exception(TextOf(ErrorCode)), FErrorCode(ErrorCode) {}

  int ErrorCode() const noexcept { return FErrorCode; }

  static constexpr int FileNotFound = 2;
  static constexpr int InvalidFilename = 3;
  static constexpr int TooManyOpenFiles = 4;
  static constexpr int AccessDenied = 5;
  static constexpr int ReadBeyondEnd = 100;
  static constexpr int DiskFull = 101;

  static std::string TextOf(int ErrorCode);
  // The code for an errno value of the C library.
  static int CodeFromErrno(int Errno);

 private:
  int FErrorCode;
};

}  // namespace kvetro
