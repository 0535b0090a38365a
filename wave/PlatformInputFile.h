#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>
#include <vector>

namespace kvetro {

// What reading a whole input file gave.
struct TWholeFileRead {
  enum class TStatus {
    Read,            // Bytes hold the whole file
    TooLarge,        // longer than the limit; nothing was kept
    NotRegularFile,  // a pipe, a device or a socket: never opened as a file to read
    Failed,          // Error says why (a folder is "Is a directory")
  };
  TStatus Status = TStatus::Failed;
  std::error_code Error;
  std::vector<std::uint8_t> Bytes;
};

// Reads the named file whole, if it is a regular file of at most MaxLength
// bytes. Never waits: a named pipe without a writer is refused at once, as
// is any other file that is not a regular one.
TWholeFileRead PlatformReadWholeFile(const std::string& Utf8Name, std::size_t MaxLength);

}  // namespace kvetro
