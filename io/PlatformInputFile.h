#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "io/PlatformFile.h"

namespace kvetro {

// Reads the named file whole, if it is a regular file of at most MaxLength
// bytes; answers nothing for a longer one. Never waits: a named pipe without
// a writer is refused at once, as is any other file that is not a regular
// one. Raises EInOutError naming the file and the reason ("Is a directory",
// "Not a regular file", or the system's own).
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& Utf8Name,
                                                       std::size_t MaxLength);

// The first MaxLength bytes of the named file, or all of a shorter one; the
// same refusals as ReadWholeFile. A caller that tells a file by its first
// bytes needs them also when the file is too long to take whole.
std::vector<std::uint8_t> ReadFileStart(const std::string& Utf8Name, std::size_t MaxLength);

// The named file opened for reading from its start, to be read a piece at a
// time (a recording may be long); the same refusals as ReadWholeFile, and
// never a wait.
TFileHandle OpenInputFile(const std::string& Utf8Name);

}  // namespace kvetro
