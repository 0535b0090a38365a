#include "io/PlatformOutput.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "io/PlatformFile.h"
#include "io/StreamErrors.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kvetro {

namespace {

std::string Reason(int Code) {
  return std::generic_category().message(Code);
}

// The hidden name of this process's N-th try in Folder: short and the same
// length whatever the output is called, so that a name near the system's
// limit still has room beside it. The process id keeps two runs apart.
std::string HiddenName(const std::string& Folder, unsigned Try, long ProcessId) {
  return Folder + "/.kvetro-" + std::to_string(ProcessId) + "-" + std::to_string(Try) + ".tmp";
}

constexpr unsigned kMaxTries = 1000;

// The one mutable object of the process, and why it must be one: a signal
// handler can reach nothing but static storage. It holds the hidden file
// that an unfinished output has, in a fixed buffer (no allocation in a
// handler), armed only while the name is complete.
struct TPendingRemoval {
  char Name[4096 + 64];
  volatile std::sig_atomic_t Armed;
  volatile std::sig_atomic_t HandlersInstalled;
};
TPendingRemoval PendingRemoval{};

void Disarm() noexcept {
  PendingRemoval.Armed = 0;
  std::atomic_signal_fence(std::memory_order_seq_cst);
}

#ifndef _WIN32

std::string FolderOf(const std::string& Name) {
  const std::size_t Slash = Name.find_last_of('/');
  if (Slash == std::string::npos) {
    return ".";
  }
  return Slash == 0 ? "/" : Name.substr(0, Slash);
}

// False when the name does not fit; the file is then made but not guarded.
bool Arm(const std::string& Name) noexcept {
  Disarm();
  if (Name.size() >= sizeof PendingRemoval.Name) {
    return false;
  }
  std::memcpy(PendingRemoval.Name, Name.c_str(), Name.size() + 1);
  std::atomic_signal_fence(std::memory_order_seq_cst);
  PendingRemoval.Armed = 1;
  return true;
}

// Removes the hidden file of an unfinished output, if there is one.
// Async-signal-safe: the signal handlers call it.
void RemoveUnfinishedOutput() noexcept {
  if (PendingRemoval.Armed != 0) {
    PendingRemoval.Armed = 0;
    unlink(PendingRemoval.Name);
  }
}

// Removes the hidden file, then ends the process as the signal would have.
extern "C" void RemoveAndReraise(int Signal) {
  RemoveUnfinishedOutput();
  std::signal(Signal, SIG_DFL);
  std::raise(Signal);
}

extern "C" void RemoveAtExit() {
  RemoveUnfinishedOutput();
}

// Once per process, before the first hidden file exists. A signal that the
// process ignores (nohup) or handles itself is left alone.
void InstallCleanup() {
  if (PendingRemoval.HandlersInstalled != 0) {
    return;
  }
  PendingRemoval.HandlersInstalled = 1;
  for (const int Signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction Old {};
    if (sigaction(Signal, nullptr, &Old) == 0 && Old.sa_handler == SIG_DFL) {
      struct sigaction New {};
      New.sa_handler = RemoveAndReraise;
      sigemptyset(&New.sa_mask);
      sigaction(Signal, &New, nullptr);
    }
  }
  std::atexit(RemoveAtExit);
}

// Follows symbolic links to the name at their end, which need not exist.
// A loop is left to the open, which then says so.
std::string FollowLinks(std::string Name) {
  for (int Hop = 0; Hop < 40; ++Hop) {
    struct stat Status {};
    if (lstat(Name.c_str(), &Status) != 0 || !S_ISLNK(Status.st_mode)) {
      return Name;
    }
    std::string Target(4096, '\0');
    const ssize_t Length = readlink(Name.c_str(), Target.data(), Target.size());
    if (Length <= 0 || static_cast<std::size_t>(Length) >= Target.size()) {
      return Name;
    }
    Target.resize(static_cast<std::size_t>(Length));
    Name = Target.front() == '/' ? Target : FolderOf(Name) + "/" + Target;
  }
  return Name;
}

#endif

}  // namespace

#ifndef _WIN32

TPlatformOutput::TPlatformOutput(const std::string& UserName) : FUserName(UserName) {
  struct stat Status {};
  if (stat(FUserName.c_str(), &Status) != 0) {
    if (errno != ENOENT) {
      throw EFCreateError(FUserName, Reason(errno));
    }
    FFinalName = FollowLinks(FUserName);
    OpenNew();
    return;
  }
  // A device or a pipe is opened by the name given: the system follows
  // links such as /dev/stdout, whose end is no name in any folder.
  if (!S_ISREG(Status.st_mode)) {
    FWay = TWay::Direct;
    const int Descriptor = open(FUserName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (Descriptor < 0) {
      throw EFCreateError(FUserName, Reason(errno));
    }
    Adopt(Descriptor);
    return;
  }
  FFinalName = FollowLinks(FUserName);
  if (access(FFinalName.c_str(), W_OK) != 0 && (errno == EACCES || errno == EPERM)) {
    const int Code = errno;
    // Write bits all off: the owner protected it. Otherwise it belongs to
    // someone else, and the system's own reason says so.
    if ((Status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
      throw EWriteProtectedError(FUserName);
    }
    throw EWriteError::CannotWrite(FUserName, Code);
  }
  const std::string Folder = FolderOf(FFinalName);
  if (Status.st_nlink > 1 || access(Folder.c_str(), W_OK | X_OK) != 0) {
    FWay = TWay::Direct;
    const int Descriptor = open(FFinalName.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (Descriptor < 0) {
      throw EFCreateError(FUserName, Reason(errno));
    }
    Adopt(Descriptor);
    return;
  }
  OpenNew();
  // The new file is to look like the one it replaces. Only root may give a
  // file away, and a group is limited to the user's own: failures of the
  // owner are accepted, and the mode goes after it (chown clears set-id bits).
  if (fchown(fileno(FFile.get()), Status.st_uid, Status.st_gid) != 0) {
    [[maybe_unused]] const int Ignored =
        fchown(fileno(FFile.get()), static_cast<uid_t>(-1), Status.st_gid);
  }
  fchmod(fileno(FFile.get()), Status.st_mode & 07777);
}

void TPlatformOutput::OpenNew() {
#ifdef O_TMPFILE
  // KVETRO_NO_TMPFILE makes the run take the way of systems without unnamed
  // files, so that tests can reach it on Linux.
  const int Descriptor =
      std::getenv("KVETRO_NO_TMPFILE") != nullptr
          ? (errno = EOPNOTSUPP, -1)
          : open(FolderOf(FFinalName).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (Descriptor >= 0) {
    FWay = TWay::Unnamed;
    Adopt(Descriptor);
    return;
  }
  // Other errors (a missing folder, no right to write it) would hit the
  // hidden name just the same.
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
    throw EFCreateError(FUserName, Reason(errno));
  }
#endif
  OpenHidden();
}

void TPlatformOutput::OpenHidden() {
  InstallCleanup();
  const std::string Folder = FolderOf(FFinalName);
  for (unsigned Try = 1; Try <= kMaxTries; ++Try) {
    FHiddenName = HiddenName(Folder, Try, static_cast<long>(getpid()));
    // Armed before the file exists: a signal in between removes nothing of
    // anyone else's, the name carries this process's id.
    Arm(FHiddenName);
    const int Descriptor = open(FHiddenName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (Descriptor >= 0) {
      FWay = TWay::Hidden;
      Adopt(Descriptor);
      return;
    }
    const int Code = errno;
    Disarm();
    if (Code != EEXIST) {
      throw EFCreateError(FUserName, Reason(Code));
    }
  }
  throw EFCreateError(FUserName, Reason(EEXIST));
}

void TPlatformOutput::Adopt(int Descriptor) {
  FFile.reset(fdopen(Descriptor, "wb"));
  if (!FFile) {
    const int Code = errno;
    close(Descriptor);
    throw EFCreateError(FUserName, Reason(Code));
  }
  std::setvbuf(FFile.get(), nullptr, _IONBF, 0);
}

void TPlatformOutput::Commit() {
  if (FCommitted || !FFile) {
    return;
  }
  errno = 0;
  if (std::fflush(FFile.get()) != 0) {
    throw EWriteError::CannotWrite(FUserName, errno);
  }
  if (FWay == TWay::Unnamed) {
    LinkUnnamed();
    FWay = TWay::Hidden;  // from here on it has a name to remove on failure
  }
  errno = 0;
  const bool Closed = std::fclose(FFile.release()) == 0;
  if (!Closed) {
    throw EWriteError::CannotWrite(FUserName, errno);
  }
  if (FWay != TWay::Direct) {
    if (std::rename(FHiddenName.c_str(), FFinalName.c_str()) != 0) {
      throw EFCreateError(FUserName, Reason(errno));  // the destructor removes the file
    }
    Disarm();
  }
  FCommitted = true;
}

// A file without a name gets one through its descriptor: by /proc, which
// needs no privilege, or else by AT_EMPTY_PATH. The short hidden name it
// gets is armed like any other until the rename.
void TPlatformOutput::LinkUnnamed() {
  InstallCleanup();
  const std::string Folder = FolderOf(FFinalName);
  const std::string Self = "/proc/self/fd/" + std::to_string(fileno(FFile.get()));
  for (unsigned Try = 1; Try <= kMaxTries; ++Try) {
    FHiddenName = HiddenName(Folder, Try, static_cast<long>(getpid()));
    Arm(FHiddenName);
    if (linkat(AT_FDCWD, Self.c_str(), AT_FDCWD, FHiddenName.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      return;
    }
    int Code = errno;
#ifdef AT_EMPTY_PATH
    if (Code != EEXIST &&
        linkat(fileno(FFile.get()), "", AT_FDCWD, FHiddenName.c_str(), AT_EMPTY_PATH) == 0) {
      return;
    }
    Code = Code == EEXIST ? Code : errno;
#endif
    Disarm();
    if (Code != EEXIST) {
      throw EFCreateError(FUserName, Reason(Code));
    }
  }
  throw EFCreateError(FUserName, Reason(EEXIST));
}

#else  // Windows: a hidden name, replaced by renaming; no signal clean-up.

TPlatformOutput::TPlatformOutput(const std::string& UserName)
    : FUserName(UserName), FFinalName(UserName) {
  std::error_code Error;
  const auto Status = std::filesystem::status(PlatformPath(FFinalName), Error);
  if (std::filesystem::is_regular_file(Status) &&
      (Status.permissions() & std::filesystem::perms::owner_write) ==
          std::filesystem::perms::none) {
    throw EWriteProtectedError(FUserName);
  }
  if (std::filesystem::exists(Status) && !std::filesystem::is_regular_file(Status)) {
    FWay = TWay::Direct;
    FFile = OpenPlatformFile(FFinalName, "wb");
    if (!FFile) {
      throw EFCreateError(FUserName, Reason(errno));
    }
    return;
  }
  OpenNew();
}

void TPlatformOutput::OpenNew() {
  OpenHidden();
}

void TPlatformOutput::OpenHidden() {
  const std::string Folder = PlatformUtf8Name(PlatformPath(FFinalName).parent_path().empty()
                                                  ? std::filesystem::path(".")
                                                  : PlatformPath(FFinalName).parent_path());
  for (unsigned Try = 1; Try <= kMaxTries; ++Try) {
    FHiddenName = HiddenName(Folder, Try, 0);
    FFile = OpenPlatformFile(FHiddenName, "wbx");
    if (FFile) {
      FWay = TWay::Hidden;
      std::setvbuf(FFile.get(), nullptr, _IONBF, 0);
      return;
    }
  }
  throw EFCreateError(FUserName);
}

void TPlatformOutput::Adopt(int /*Descriptor*/) {}
void TPlatformOutput::LinkUnnamed() {}

void TPlatformOutput::Commit() {
  if (FCommitted || !FFile) {
    return;
  }
  errno = 0;
  const bool Closed = std::fclose(FFile.release()) == 0;
  if (!Closed) {
    throw EWriteError::CannotWrite(FUserName, errno);
  }
  if (FWay == TWay::Hidden) {
    std::error_code Error;
    std::filesystem::rename(PlatformPath(FHiddenName), PlatformPath(FFinalName), Error);
    if (Error) {
      throw EFCreateError(FUserName);
    }
  }
  FCommitted = true;
}

#endif

TPlatformOutput::~TPlatformOutput() {
  FFile.reset();  // closed before its hidden name goes: Windows removes no open file
  if (!FCommitted && FWay == TWay::Hidden) {
    std::error_code Error;
    std::filesystem::remove(PlatformPath(FHiddenName), Error);
    Disarm();
  }
}

}  // namespace kvetro
