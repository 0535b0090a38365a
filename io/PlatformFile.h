#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "io/Exception.h"

namespace kvetro {

// Closes the file it owns; what fclose answers is lost, so a file whose
// closing matters is closed by hand first (release, then fclose).
struct FileCloser {
  void operator()(std::FILE* File) const noexcept { std::fclose(File); }
};
using TFileHandle = std::unique_ptr<std::FILE, FileCloser>;

// The one place that knows how the platform opens a file by name. Names are
// UTF-8 everywhere in the program; on Windows they are widened here.
// Answers null and leaves errno set when the file cannot be opened.
TFileHandle OpenPlatformFile(const std::string& Utf8Name, const char* Mode);

// A UTF-8 name as the platform's path, and a path back as UTF-8.
std::filesystem::path PlatformPath(const std::string& Utf8Name);
std::string PlatformUtf8Name(const std::filesystem::path& Path);

// True when both names reach the same file, through whatever links or
// spellings; false when either does not exist.
bool PlatformSameFile(const std::string& Utf8NameA, const std::string& Utf8NameB);

// Whether anything has the name: a file, a folder, a link (dangling too).
bool PlatformNameTaken(const std::string& Utf8Name);
// Whether the name leads to a folder, through links.
bool PlatformIsFolder(const std::string& Utf8Name);
// A folder that could not be made: "Cannot create tapes/a: Permission denied".
class EFolderError : public Exception {
 public:
  EFolderError(const std::string& Utf8Name, const std::string& Reason)
      : Exception("Cannot create " + Utf8Name + ": " + Reason) {}
};

// Makes the folder and those above it that are missing; raises EFolderError
// when the system refuses.
void PlatformMakeFolders(const std::string& Utf8Name);

// Whether the stream is connected to a terminal (a console on Windows).
bool IsTerminal(std::FILE* File);
// Makes the stream pass bytes unchanged: no newline translation on Windows.
void UseBinaryMode(std::FILE* File);

}  // namespace kvetro
