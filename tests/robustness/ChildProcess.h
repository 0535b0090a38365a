#pragma once

#include <sys/types.h>
#include <string>
#include <vector>

namespace kvetro::test {

// What a finished child process left.
struct TChildResult {
  int ExitCode = -1;  // -1 when a signal ended it
  int Signal = 0;
  std::string Out;
  std::string Errors;
};

struct TChildOptions {
  // Largest file the child may write (RLIMIT_FSIZE), 0 for no limit. A write
  // past it fails as on a full disk: SIGXFSZ is ignored in the child.
  long long FileSizeLimit = 0;
  // NAME=VALUE settings added to the child's environment.
  std::vector<std::string> Environment;
  // Runs the child as this user and group (from root); it exits with
  // kCannotDropPrivileges when the system does not allow that.
  int UserId = -1;
};
inline constexpr int kCannotDropPrivileges = 126;

// Runs kvetro-cli with the arguments and waits for it. When the environment
// names a wrapper in KVETRO_CLI_WRAPPER (words split at spaces, such as a
// valgrind command line), the program runs under it.
TChildResult RunCli(const std::vector<std::string>& Arguments, const TChildOptions& Options = {});

// A kvetro-cli started in the background, with its output thrown away, for
// tests that end it from outside.
class TBackgroundCli {
 public:
  explicit TBackgroundCli(const std::vector<std::string>& Arguments,
                          const TChildOptions& Options = {});
  ~TBackgroundCli();
  TBackgroundCli(const TBackgroundCli&) = delete;
  TBackgroundCli& operator=(const TBackgroundCli&) = delete;

  bool Running();
  // Sends SIGKILL and waits; answers the signal that ended the child (0 if
  // it had exited on its own).
  int Kill();
  // Sends Signal and waits; answers the signal that ended the child (0 if it
  // exited) or, with Exit, its exit status.
  int Stop(int Signal);
  int Wait(int* Exit = nullptr);
  pid_t Pid() const { return FPid; }

 private:
  pid_t FPid = -1;
  bool FReaped = false;
  int FStatus = 0;
};

}  // namespace kvetro::test
