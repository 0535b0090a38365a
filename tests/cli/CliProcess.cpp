#include "CliProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

extern char** environ;

namespace kvetro::test {

namespace {

void Check(bool Ok, const char* What) {
  if (!Ok) {
    throw std::runtime_error(What);
  }
}

// Opens a pseudo-terminal; answers the file descriptor of its terminal end
// and keeps the controlling end open in Master.
int OpenTerminal(int& Master) {
  Master = posix_openpt(O_RDWR | O_NOCTTY);
  Check(Master >= 0 && grantpt(Master) == 0 && unlockpt(Master) == 0, "no pseudo-terminal");
  const int Terminal = open(ptsname(Master), O_RDWR | O_NOCTTY);
  Check(Terminal >= 0, "no pseudo-terminal end");
  return Terminal;
}

}  // namespace

TCliResult RunCli(const std::vector<std::string>& Arguments, const TScratch& Scratch,
                  TStdout Stdout) {
  const std::filesystem::path OutPath = Scratch.Captures() / "stdout";
  const std::filesystem::path ErrPath = Scratch.Captures() / "stderr";

  std::vector<std::string> Strings{KVETRO_CLI_PATH};
  Strings.insert(Strings.end(), Arguments.begin(), Arguments.end());
  std::vector<char*> Argv;
  for (std::string& Text : Strings) {
    Argv.push_back(Text.data());
  }
  Argv.push_back(nullptr);

  std::vector<std::string> Environment{"TMPDIR=" + Scratch.Temp().string(), "LC_ALL=C"};
  for (char** Entry = environ; *Entry != nullptr; ++Entry) {
    const std::string Text(*Entry);
    if (Text.rfind("TMPDIR=", 0) != 0 && Text.rfind("LC_ALL=", 0) != 0) {
      Environment.push_back(Text);
    }
  }
  std::vector<char*> Envp;
  for (std::string& Text : Environment) {
    Envp.push_back(Text.data());
  }
  Envp.push_back(nullptr);

  int Master = -1;
  int Redirected = -1;  // the terminal end or the pipe's write end
  int PipeEnds[2] = {-1, -1};
  posix_spawn_file_actions_t Actions;
  posix_spawn_file_actions_init(&Actions);
  posix_spawn_file_actions_addopen(&Actions, 0, "/dev/null", O_RDONLY, 0);
  switch (Stdout) {
    case TStdout::File:
      posix_spawn_file_actions_addopen(&Actions, 1, OutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                       0600);
      break;
    case TStdout::Terminal:
      Redirected = OpenTerminal(Master);
      posix_spawn_file_actions_adddup2(&Actions, Redirected, 1);
      break;
    case TStdout::ClosedPipe:
      Check(pipe(PipeEnds) == 0, "no pipe");
      close(PipeEnds[0]);  // nobody reads: the first write fails
      Redirected = PipeEnds[1];
      posix_spawn_file_actions_adddup2(&Actions, Redirected, 1);
      break;
  }
  posix_spawn_file_actions_addopen(&Actions, 2, ErrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  pid_t Child = 0;
  const int Spawned =
      posix_spawn(&Child, Strings[0].c_str(), &Actions, nullptr, Argv.data(), Envp.data());
  posix_spawn_file_actions_destroy(&Actions);
  if (Redirected >= 0) {
    close(Redirected);
  }
  Check(Spawned == 0, "cannot start kvetro-cli");

  int Status = 0;
  Check(waitpid(Child, &Status, 0) == Child, "lost kvetro-cli");
  TCliResult Result;
  Result.ExitCode = WIFEXITED(Status) ? WEXITSTATUS(Status) : 128 + WTERMSIG(Status);
  if (Stdout == TStdout::File) {
    Result.Out = ReadFile(OutPath);
  } else if (Stdout == TStdout::Terminal) {
    // Whatever reached the terminal (nothing is expected).
    fcntl(Master, F_SETFL, O_NONBLOCK);
    char Buffer[4096];
    ssize_t Got = 0;
    while ((Got = read(Master, Buffer, sizeof Buffer)) > 0) {
      Result.Out.insert(Result.Out.end(), Buffer, Buffer + Got);
    }
    close(Master);
  }
  const std::vector<std::uint8_t> Errors = ReadFile(ErrPath);
  Result.Errors.assign(Errors.begin(), Errors.end());
  std::filesystem::remove(OutPath);
  std::filesystem::remove(ErrPath);
  return Result;
}

}  // namespace kvetro::test
