#pragma once

#include <cstdio>
#include <string>

#include "io/PlatformFile.h"

namespace kvetro {

// The platform's part of writing an output file so that its name never holds
// anything but a complete file, and no stray file is left behind.
//
// The name is followed through symbolic links, dangling ones too, to the
// file at their end. Then:
//  - a new name, or a regular file that can be swapped for a new one, is
//    written as a new file in the same folder and takes the name only in
//    Commit. On Linux that file has no name at all while it is written
//    (O_TMPFILE), so nothing can be left of it; elsewhere it has a short
//    hidden name (".kvetro-PID-N.tmp") that a failure, exit() or SIGINT,
//    SIGTERM or SIGHUP removes. An existing file's mode, owner and group go
//    over to the new one as far as the system allows.
//  - an existing regular file that renaming would change visibly (other hard
//    links share it, or its folder may not be written) is overwritten in
//    place, as a plain program would: not atomic.
//  - a device or a pipe is written directly.
// An existing file that its user may not write is refused: as write-protected
// when its write bits are all off, else with the system's reason.
class TPlatformOutput {
 public:
  // UserName is the name as the user gave it; messages use it. Raises
  // EWriteProtectedError, EWriteError ("Cannot write NAME: Permission
  // denied") or EFCreateError (with the reason).
  explicit TPlatformOutput(const std::string& UserName);
  // Without Commit: nothing of the new file is left.
  ~TPlatformOutput();
  TPlatformOutput(const TPlatformOutput&) = delete;
  TPlatformOutput& operator=(const TPlatformOutput&) = delete;

  // Unbuffered and owned by this object; write to it, then Commit.
  std::FILE* File() const { return FFile.get(); }
  // Gets what was written to the disk and gives it the name. Raises
  // EWriteError ("Cannot write NAME: reason") or EFCreateError.
  void Commit();

 private:
  enum class TWay { Unnamed, Hidden, Direct };

  void OpenNew();
  void OpenHidden();
  void Adopt(int Descriptor);
  void LinkUnnamed();

  std::string FUserName;
  std::string FFinalName;  // the file at the end of the links
  std::string FHiddenName;
  TWay FWay = TWay::Direct;
  TFileHandle FFile;
  bool FCommitted = false;
};

}  // namespace kvetro
