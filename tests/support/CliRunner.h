#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/support/ScratchFolder.h"

namespace kvetro::test {

// Where the program's standard output goes: into the result, onto a
// pseudo-terminal (whatever reaches it lands in the result too), or into a
// pipe that nobody reads, so that the first write fails.
enum class TStdout { Capture, Terminal, ClosedPipe };

struct TCliOptions {
  TStdout Stdout = TStdout::Capture;
  // NAME=VALUE settings for the child's environment; they win over the
  // run's own TMPDIR and LC_ALL.
  std::vector<std::string> Environment{};
  // Largest file the child may write (RLIMIT_FSIZE), 0 for no limit. A write
  // past it fails as on a full disk: SIGXFSZ is ignored in the child.
  long long FileSizeLimit = 0;
  // Runs the child as this user and group (from root); it exits with
  // kCannotDropPrivileges when the system does not allow that.
  int UserId = -1;
  // The file the child reads as standard input, instead of an empty one; a
  // named pipe here lets the test feed the child while it runs.
  std::string Stdin{};
};
inline constexpr int kCannotDropPrivileges = 126;
// The unprivileged user that runs the child when the tests run as root.
inline constexpr int kNobody = 65534;

// Sets Options to run the child as kNobody when the tests run as root (who
// may read and write everything) and opens Folder to that user; false when
// this system cannot drop privileges.
bool AsUnprivilegedUser(TCliOptions& Options, const TScratchFolder& Folder);

// What one finished run of kvetro-cli left.
struct TCliResult {
  int ExitCode = -1;  // -1 when a signal ended it
  int Signal = 0;
  TBytes Out;          // standard output, byte for byte
  std::string Errors;  // standard error
  // The names left in the run's TMPDIR, a fresh folder of its own.
  std::vector<std::string> TempLeft;
  std::string OutText() const { return {Out.begin(), Out.end()}; }
};

// Runs the built kvetro-cli with the arguments and waits for it: standard
// input empty, LC_ALL=C (so that the system's reasons read in English) and
// TMPDIR an empty folder. When the environment names a wrapper in
// KVETRO_CLI_WRAPPER (words split at spaces, such as a valgrind command
// line), the program runs under it.
TCliResult RunCli(const std::vector<std::string>& Arguments, const TCliOptions& Options = {});

// A kvetro-cli started in the background, with its output thrown away, for
// tests that end it from outside. Killed when the object goes.
class TBackgroundCli {
 public:
  explicit TBackgroundCli(const std::vector<std::string>& Arguments,
                          const TCliOptions& Options = {});
  ~TBackgroundCli();
  TBackgroundCli(const TBackgroundCli&) = delete;
  TBackgroundCli& operator=(const TBackgroundCli&) = delete;

  bool Running();
  // Sends Signal and waits; answers the signal that ended the child (0 if it
  // exited on its own).
  int Stop(int Signal);
  // Waits; answers as Stop does and, with Exit, the exit status (-1 after a
  // signal).
  int Wait(int* Exit = nullptr);
  pid_t Pid() const { return FPid; }

 private:
  TScratchFolder FTemp{"cli-tmp"};
  pid_t FPid = -1;
  bool FReaped = false;
  int FStatus = 0;
};

}  // namespace kvetro::test
