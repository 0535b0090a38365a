#include "tape/InOutError.h"

#include <cerrno>

namespace kvetro {

std::string EInOutError::TextOf(int ErrorCode) {
  switch (ErrorCode) {
    case FileNotFound:
      return "File not found";
    case InvalidFilename:
      return "Invalid filename";
    case TooManyOpenFiles:
      return "Too many open files";
    case AccessDenied:
      return "File access denied";
    case ReadBeyondEnd:
      return "Read beyond end of file";
    case DiskFull:
      return "Disk full";
    default:
      return "I/O error " + std::to_string(ErrorCode);
  }
}

int EInOutError::CodeFromErrno(int Errno) {
  switch (Errno) {
    case ENOENT:
      return FileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
      return InvalidFilename;
    case EMFILE:
    case ENFILE:
      return TooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return AccessDenied;
    case ENOSPC:
      return DiskFull;
    default:
      return Errno;
  }
}

}  // namespace kvetro
