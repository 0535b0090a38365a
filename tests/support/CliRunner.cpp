#include "tests/support/CliRunner.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace kvetro::test {

namespace {

void Check(bool Ok, const char* What) {
  if (!Ok) {
    throw std::runtime_error(What);
  }
}

// The words and the environment of one child, with the pointer arrays that
// exec wants, all made before fork: the child calls nothing but what is
// safe there.
class TCommand {
 public:
  TCommand(const std::vector<std::string>& Arguments, const TCliOptions& Options,
           const std::filesystem::path& TempFolder)
      : FOptions(Options) {
    if (const char* Wrapper = std::getenv("KVETRO_CLI_WRAPPER"); Wrapper != nullptr) {
      std::istringstream Split(Wrapper);
      for (std::string Word; Split >> Word;) {
        FWords.push_back(Word);
      }
    }
    FWords.push_back(KVETRO_CLI_PATH);
    FWords.insert(FWords.end(), Arguments.begin(), Arguments.end());

    std::map<std::string, std::string> ByName;
    const auto Add = [&ByName](const std::string& Setting) {
      ByName[Setting.substr(0, Setting.find('='))] = Setting;
    };
    for (char** Entry = environ; *Entry != nullptr; ++Entry) {
      Add(*Entry);
    }
    Add("TMPDIR=" + TempFolder.string());
    Add("LC_ALL=C");
    for (const std::string& Setting : Options.Environment) {
      Add(Setting);
    }
    for (const auto& [Name, Setting] : ByName) {
      FEnvironment.push_back(Setting);
    }
    FArgv = Pointers(FWords);
    FEnvp = Pointers(FEnvironment);
  }

  // Forks a child whose standard output and error are Out and Err; answers
  // its process id.
  pid_t Start(int Out, int Err) {
    const pid_t Pid = fork();
    Check(Pid >= 0, "fork failed");
    if (Pid == 0) {
      Exec(Out, Err);
    }
    return Pid;
  }

 private:
  static std::vector<char*> Pointers(std::vector<std::string>& Texts) {
    std::vector<char*> Result;
    for (std::string& Text : Texts) {
      Result.push_back(Text.data());
    }
    Result.push_back(nullptr);
    return Result;
  }

  [[noreturn]] void Exec(int Out, int Err) {
    dup2(open(FOptions.Stdin.empty() ? "/dev/null" : FOptions.Stdin.c_str(), O_RDONLY),
         STDIN_FILENO);
    dup2(Out, STDOUT_FILENO);
    dup2(Err, STDERR_FILENO);
    if (FOptions.FileSizeLimit > 0) {
      std::signal(SIGXFSZ, SIG_IGN);
      const rlimit Limit{static_cast<rlim_t>(FOptions.FileSizeLimit),
                         static_cast<rlim_t>(FOptions.FileSizeLimit)};
      setrlimit(RLIMIT_FSIZE, &Limit);
    }
    if (FOptions.UserId >= 0) {
      const auto Id = static_cast<uid_t>(FOptions.UserId);
      if (setgroups(0, nullptr) != 0 || setgid(Id) != 0 || setuid(Id) != 0) {
        _exit(kCannotDropPrivileges);
      }
    }
    environ = FEnvp.data();
    execvp(FArgv[0], FArgv.data());
    _exit(127);
  }

  const TCliOptions& FOptions;
  std::vector<std::string> FWords;
  std::vector<std::string> FEnvironment;
  std::vector<char*> FArgv;
  std::vector<char*> FEnvp;
};

// Both ends made close-on-exec, so that no other child holds them open.
void MakePipe(int (&Ends)[2]) {
  Check(pipe2(Ends, O_CLOEXEC) == 0, "no pipe");
}

// Opens a pseudo-terminal; answers its terminal end and keeps the
// controlling end in Master.
int OpenTerminal(int& Master) {
  Master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  Check(Master >= 0 && grantpt(Master) == 0 && unlockpt(Master) == 0, "no pseudo-terminal");
  const int Terminal = open(ptsname(Master), O_RDWR | O_NOCTTY | O_CLOEXEC);
  Check(Terminal >= 0, "no pseudo-terminal end");
  return Terminal;
}

// Reads every stream until it ends, as the child writes, so that neither
// pipe fills up and stops it.
void Drain(std::vector<std::pair<int, std::string*>> Streams) {
  std::vector<pollfd> Wait;
  for (const auto& [Descriptor, Into] : Streams) {
    Wait.push_back({Descriptor, POLLIN, 0});
  }
  std::size_t Open = Wait.size();
  char Buffer[4096];
  while (Open > 0) {
    if (poll(Wait.data(), Wait.size(), -1) < 0) {
      Check(errno == EINTR, "poll failed");
      continue;
    }
    for (std::size_t I = 0; I < Wait.size(); ++I) {
      if (Wait[I].fd < 0 || Wait[I].revents == 0) {
        continue;
      }
      const ssize_t Got = read(Wait[I].fd, Buffer, sizeof Buffer);
      if (Got > 0) {
        Streams[I].second->append(Buffer, static_cast<std::size_t>(Got));
      } else {
        close(Wait[I].fd);
        Wait[I].fd = -1;
        --Open;
      }
    }
  }
}

int WaitFor(pid_t Pid) {
  int Status = 0;
  while (waitpid(Pid, &Status, 0) < 0 && errno == EINTR) {
  }
  return Status;
}

}  // namespace

TCliResult RunCli(const std::vector<std::string>& Arguments, const TCliOptions& Options) {
  const TScratchFolder Temp("cli-tmp");
  TCommand Command(Arguments, Options, Temp.Root());
  int ErrPipe[2];
  MakePipe(ErrPipe);
  int OutPipe[2] = {-1, -1};
  int Master = -1;
  int Out = -1;  // the child's end of its standard output
  switch (Options.Stdout) {
    case TStdout::Capture:
      MakePipe(OutPipe);
      Out = OutPipe[1];
      break;
    case TStdout::Terminal:
      Out = OpenTerminal(Master);
      break;
    case TStdout::ClosedPipe:
      MakePipe(OutPipe);
      close(OutPipe[0]);
      OutPipe[0] = -1;
      Out = OutPipe[1];
      break;
  }
  const pid_t Pid = Command.Start(Out, ErrPipe[1]);
  close(Out);
  close(ErrPipe[1]);

  TCliResult Result;
  std::string Captured;
  std::vector<std::pair<int, std::string*>> Streams{{ErrPipe[0], &Result.Errors}};
  if (OutPipe[0] >= 0) {
    Streams.emplace_back(OutPipe[0], &Captured);
  }
  Drain(Streams);
  const int Status = WaitFor(Pid);
  if (Master >= 0) {
    // Whatever reached the terminal, now that its writer has gone.
    fcntl(Master, F_SETFL, O_NONBLOCK);
    char Buffer[4096];
    for (ssize_t Got = 0; (Got = read(Master, Buffer, sizeof Buffer)) > 0;) {
      Captured.append(Buffer, static_cast<std::size_t>(Got));
    }
    close(Master);
  }
  Result.Out.assign(Captured.begin(), Captured.end());
  if (WIFEXITED(Status)) {
    Result.ExitCode = WEXITSTATUS(Status);
  } else if (WIFSIGNALED(Status)) {
    Result.Signal = WTERMSIG(Status);
  }
  Result.TempLeft = Temp.Names();
  return Result;
}

TBackgroundCli::TBackgroundCli(const std::vector<std::string>& Arguments,
                               const TCliOptions& Options) {
  TCommand Command(Arguments, Options, FTemp.Root());
  const int Null = open("/dev/null", O_WRONLY | O_CLOEXEC);
  Check(Null >= 0, "no /dev/null");
  FPid = Command.Start(Null, Null);
  close(Null);
}

TBackgroundCli::~TBackgroundCli() {
  Stop(SIGKILL);
}

bool TBackgroundCli::Running() {
  if (!FReaped && waitpid(FPid, &FStatus, WNOHANG) == FPid) {
    FReaped = true;
  }
  return !FReaped;
}

int TBackgroundCli::Stop(int Signal) {
  if (!FReaped) {
    kill(FPid, Signal);
  }
  return Wait();
}

int TBackgroundCli::Wait(int* Exit) {
  if (!FReaped) {
    FStatus = WaitFor(FPid);
    FReaped = true;
  }
  if (Exit != nullptr) {
    *Exit = WIFEXITED(FStatus) ? WEXITSTATUS(FStatus) : -1;
  }
  return WIFSIGNALED(FStatus) ? WTERMSIG(FStatus) : 0;
}

bool AsUnprivilegedUser(TCliOptions& Options, const TScratchFolder& Folder) {
  if (geteuid() != 0) {
    return true;
  }
  Options.UserId = kNobody;
  std::filesystem::permissions(Folder.Root(), std::filesystem::perms::all);
  return RunCli({"--version"}, Options).ExitCode == 0;
}

}  // namespace kvetro::test
