#pragma once

#include <cstdio>
#include <string>

namespace kvetro {

// Copies the whole named file to Output and flushes it. Raises EInOutError
// when the file cannot be read, EWriteError when Output takes fewer bytes
// (a full disk, a player that closed the pipe).
void CopyFileTo(const std::string& FileName, std::FILE* Output);

}  // namespace kvetro
