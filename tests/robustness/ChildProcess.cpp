#include "ChildProcess.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace kvetro::test {

namespace {

std::vector<std::string> CommandLine(const std::vector<std::string>& Arguments) {
  std::vector<std::string> Words;
  if (const char* Wrapper = std::getenv("KVETRO_CLI_WRAPPER"); Wrapper != nullptr) {
    std::istringstream Split(Wrapper);
    for (std::string Word; Split >> Word;) {
      Words.push_back(Word);
    }
  }
  Words.push_back(KVETRO_CLI_PATH);
  Words.insert(Words.end(), Arguments.begin(), Arguments.end());
  return Words;
}

// In the child, after fork: only async-signal-safe calls until exec.
[[noreturn]] void Exec(const std::vector<std::string>& Words, const TChildOptions& Options) {
  if (Options.FileSizeLimit > 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit Limit{static_cast<rlim_t>(Options.FileSizeLimit),
                       static_cast<rlim_t>(Options.FileSizeLimit)};
    setrlimit(RLIMIT_FSIZE, &Limit);
  }
  if (Options.UserId >= 0) {
    const auto Id = static_cast<uid_t>(Options.UserId);
    if (setgroups(0, nullptr) != 0 || setgid(Id) != 0 || setuid(Id) != 0) {
      _exit(kCannotDropPrivileges);
    }
  }
  for (const std::string& Setting : Options.Environment) {
    putenv(const_cast<char*>(Setting.c_str()));
  }
  std::vector<char*> Argv;
  for (const std::string& Word : Words) {
    Argv.push_back(const_cast<char*>(Word.c_str()));
  }
  Argv.push_back(nullptr);
  execvp(Argv[0], Argv.data());
  _exit(127);
}

void Drain(std::array<int, 2>& Pipes, std::string& Out, std::string& Errors) {
  std::array<pollfd, 2> Wait{{{Pipes[0], POLLIN, 0}, {Pipes[1], POLLIN, 0}}};
  std::array<std::string*, 2> Into{&Out, &Errors};
  int Open = 2;
  char Buffer[4096];
  while (Open > 0) {
    if (poll(Wait.data(), Wait.size(), -1) < 0) {
      if (errno == EINTR) {
        continue;
      }
      break;
    }
    for (std::size_t I = 0; I < Wait.size(); ++I) {
      if (Wait[I].fd < 0 || Wait[I].revents == 0) {
        continue;
      }
      const ssize_t Got = read(Wait[I].fd, Buffer, sizeof Buffer);
      if (Got > 0) {
        Into[I]->append(Buffer, static_cast<std::size_t>(Got));
      } else {
        close(Wait[I].fd);
        Wait[I].fd = -1;
        --Open;
      }
    }
  }
}

}  // namespace

TChildResult RunCli(const std::vector<std::string>& Arguments, const TChildOptions& Options) {
  const std::vector<std::string> Words = CommandLine(Arguments);
  int OutPipe[2];
  int ErrPipe[2];
  if (pipe(OutPipe) != 0 || pipe(ErrPipe) != 0) {
    throw std::runtime_error("pipe failed");
  }
  const pid_t Pid = fork();
  if (Pid < 0) {
    throw std::runtime_error("fork failed");
  }
  if (Pid == 0) {
    dup2(OutPipe[1], STDOUT_FILENO);
    dup2(ErrPipe[1], STDERR_FILENO);
    close(OutPipe[0]);
    close(OutPipe[1]);
    close(ErrPipe[0]);
    close(ErrPipe[1]);
    Exec(Words, Options);
  }
  close(OutPipe[1]);
  close(ErrPipe[1]);
  TChildResult Result;
  std::array<int, 2> Pipes{OutPipe[0], ErrPipe[0]};
  Drain(Pipes, Result.Out, Result.Errors);
  int Status = 0;
  while (waitpid(Pid, &Status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(Status)) {
    Result.ExitCode = WEXITSTATUS(Status);
  } else if (WIFSIGNALED(Status)) {
    Result.Signal = WTERMSIG(Status);
  }
  return Result;
}

TBackgroundCli::TBackgroundCli(const std::vector<std::string>& Arguments,
                               const TChildOptions& Options) {
  const std::vector<std::string> Words = CommandLine(Arguments);
  FPid = fork();
  if (FPid < 0) {
    throw std::runtime_error("fork failed");
  }
  if (FPid == 0) {
    const int Null = open("/dev/null", O_WRONLY);
    dup2(Null, STDOUT_FILENO);
    dup2(Null, STDERR_FILENO);
    Exec(Words, Options);
  }
}

TBackgroundCli::~TBackgroundCli() {
  if (!FReaped) {
    Kill();
  }
}

bool TBackgroundCli::Running() {
  if (FReaped) {
    return false;
  }
  const pid_t Done = waitpid(FPid, &FStatus, WNOHANG);
  if (Done == FPid) {
    FReaped = true;
  }
  return !FReaped;
}

int TBackgroundCli::Kill() {
  return Stop(SIGKILL);
}

int TBackgroundCli::Stop(int Signal) {
  if (!FReaped) {
    kill(FPid, Signal);
  }
  return Wait();
}

int TBackgroundCli::Wait(int* Exit) {
  if (!FReaped) {
    while (waitpid(FPid, &FStatus, 0) < 0 && errno == EINTR) {
    }
    FReaped = true;
  }
  if (Exit != nullptr) {
    *Exit = WIFEXITED(FStatus) ? WEXITSTATUS(FStatus) : -1;
  }
  return WIFSIGNALED(FStatus) ? WTERMSIG(FStatus) : 0;
}

}  // namespace kvetro::test
