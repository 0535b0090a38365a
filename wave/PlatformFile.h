#pragma once

#include <cstdio>
#include <string>

namespace kvetro {

// The one place that knows how the platform opens a file by name. Names are
// UTF-8 everywhere in the program; on Windows they are widened here.
// Answers null and leaves errno set when the file cannot be opened.
std::FILE* OpenPlatformFile(const std::string& Utf8Name, const char* Mode);

// Whether the stream is connected to a terminal (a console on Windows).
bool IsTerminal(std::FILE* File);
// Makes the stream pass bytes unchanged: no newline translation on Windows.
void UseBinaryMode(std::FILE* File);

}  // namespace kvetro
