#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>

#include "io/PlatformFile.h"

namespace kvetro {

// Whether a name gives an input that can only be read forward, once: "-"
// (standard input), a named pipe, a device such as /dev/stdin when it is a
// pipe. A regular file, a folder or a missing name is not one (those are
// opened, or refused, as files: io/PlatformInputFile.h).
bool IsStreamName(const std::string& Utf8Name);

// Opens such an input for reading in binary; a named pipe waits here for
// its writer, as any reader of it does. Standard input is duplicated, so
// that closing the handle leaves it open. Raises EInOutError naming the
// input and the system's reason.
TFileHandle OpenInputStream(const std::string& Utf8Name);

// Reads what has arrived, up to Count bytes, waiting only while nothing
// has: answers how many, 0 at the end of the input, -1 when it fails. While
// it waits, Stop is asked a few times a second; true ends the wait as the
// end of the input would (a writer that has stalled must not hold up
// Ctrl+C).
long ReadArrived(std::FILE* Input, void* Buffer, std::size_t Count,
                 const std::function<bool()>& Stop);

}  // namespace kvetro
