#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace kvetro {

// The one place that knows how the platform opens a file by name. Names are
// UTF-8 everywhere in the program; on Windows they are widened here.
// Answers null and leaves errno set when the file cannot be opened.
std::FILE* OpenPlatformFile(const std::string& Utf8Name, const char* Mode);

// A UTF-8 name as the platform's path, and a path back as UTF-8.
std::filesystem::path PlatformPath(const std::string& Utf8Name);
std::string PlatformUtf8Name(const std::filesystem::path& Path);

// What a name stands for on disk (links followed).
enum class TPathKind { Missing, RegularFile, Other };
TPathKind PlatformPathKind(const std::string& Utf8Name);

// True when both names reach the same file, through whatever links or
// spellings; false when either does not exist.
bool PlatformSameFile(const std::string& Utf8NameA, const std::string& Utf8NameB);

// The file that a symbolic link finally points to; the name itself when it
// is no link or the link leads nowhere.
std::string PlatformResolveLink(const std::string& Utf8Name);

// A name in the same folder as Utf8Name that no file holds yet, for writing
// a file completely before it replaces the real one.
std::string PlatformTempNameBeside(const std::string& Utf8Name);

// Moves From over To, replacing To. Answers false on failure.
bool PlatformReplaceFile(const std::string& Utf8From, const std::string& Utf8To);

// Gives To the permission bits of From, where the platform has them; no
// failure is reported.
void PlatformCopyPermissions(const std::string& Utf8From, const std::string& Utf8To);

// Removes the file; no failure is reported.
void PlatformRemoveFile(const std::string& Utf8Name);

// Whether the stream is connected to a terminal (a console on Windows).
bool IsTerminal(std::FILE* File);
// Makes the stream pass bytes unchanged: no newline translation on Windows.
void UseBinaryMode(std::FILE* File);

}  // namespace kvetro
