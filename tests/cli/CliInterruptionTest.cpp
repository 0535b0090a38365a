// Conversions that end half way through writing: a write that the system
// refuses (the file size limit of the process stands in for a full disk) and
// a process ended by a signal. Neither may leave a broken WAV under the
// chosen name; an existing WAV of that name stays as it was.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/support/CliRunner.h"
#include "tests/support/MzfBuilder.h"

namespace kvetro::test {

namespace {

const TBytes kOldWave = {'R', 'I', 'F', 'F', 'o', 'l', 'd', '!'};

class CliInterruption : public ::testing::Test {
 protected:
  void SetUp() override { WriteFile(Input, InputBytes); }

  TScratchFolder Scratch;
  std::string Input = Scratch.PathOf("in.mzf");
  std::string Output = Scratch.PathOf("out.wav");
  TBytes InputBytes = MakeMzf(2000, 2000);
};

// The default gaps give about 190,000 samples; the limit stops the write
// half way, after the header and well into the loader file.
// Both ways of making the output: unnamed until whole, and a hidden name
// (KVETRO_NO_TMPFILE, the way of systems without unnamed files).
TEST_F(CliInterruption, FailedWriteLeavesTheExistingWave) {
  for (const bool Existing : {true, false}) {
    for (const bool Hidden : {false, true}) {
      SCOPED_TRACE(std::string(Existing ? "replacing a WAV" : "new name") +
                   (Hidden ? ", hidden name" : ", unnamed"));
      if (Existing) {
        WriteFile(Output, kOldWave);
      }
      const std::vector<std::string> Before = Scratch.Names();
      TCliOptions Options{.FileSizeLimit = 100000};
      if (Hidden) {
        Options.Environment = {"KVETRO_NO_TMPFILE=1"};
      }
      const TCliResult Result = RunCli({Input, Output}, Options);
      EXPECT_EQ(Result.ExitCode, 1);
      EXPECT_EQ(Result.Errors, "Cannot write " + Output + ": File too large\n");
      EXPECT_EQ(Scratch.Names(), Before) << "no partial WAV or temporary file is left";
      if (Existing) {
        EXPECT_EQ(ReadFile(Output), kOldWave);
      }
      EXPECT_EQ(ReadFile(Input), InputBytes);
      std::filesystem::remove(Output);
    }
  }
}

// How much the child has written to the largest regular file it holds open
// in Folder (the output, named or not); 0 while it has none. Files elsewhere
// do not count: the loader holds each shared library open for a moment as
// the program starts.
std::uintmax_t WrittenSoFar(pid_t Pid, const std::filesystem::path& Folder) {
  std::uintmax_t Largest = 0;
  std::error_code Error;
  const std::filesystem::path Descriptors = "/proc/" + std::to_string(Pid) + "/fd";
  for (const auto& Entry : std::filesystem::directory_iterator(Descriptors, Error)) {
    const std::filesystem::path Target = std::filesystem::read_symlink(Entry.path(), Error);
    if (Target.parent_path() == Folder && std::filesystem::is_regular_file(Entry.path(), Error)) {
      Largest = std::max(Largest, std::filesystem::file_size(Entry.path(), Error));
    }
  }
  return Largest;
}

// A run that ends by a signal while the loader gap is written (it would take
// about 200 million samples) leaves the folder as it was: with unnamed files
// nothing can be left, not even by SIGKILL; with hidden names (the way of
// systems without them) INT, TERM and HUP remove the file, and the process
// still ends by the signal. Slow: the run must have started.
struct TSignalCase {
  int Signal;
  bool Unnamed;
};

class CliSignal : public CliInterruption, public ::testing::WithParamInterface<TSignalCase> {};

TEST_P(CliSignal, LeavesNothingSlow) {
  if (!std::filesystem::is_directory("/proc/self/fd")) {
    GTEST_SKIP() << "no /proc to watch the run's output";
  }
  const TSignalCase Case = GetParam();
  TCliOptions Options;
  if (!Case.Unnamed) {
    Options.Environment = {"KVETRO_NO_TMPFILE=1"};
  }
  for (const bool Existing : {true, false}) {
    SCOPED_TRACE(Existing ? "replacing a WAV" : "new name");
    if (Existing) {
      WriteFile(Output, kOldWave);
    }
    const std::vector<std::string> Before = Scratch.Names();
    TBackgroundCli Cli({"--loader-gap", "10000000", Input, Output}, Options);
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (WrittenSoFar(Cli.Pid(), Scratch.Root()) < 1'000'000 && Cli.Running() &&
           std::chrono::steady_clock::now() < Deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(Cli.Running()) << "the conversion never got going";
    if (!Case.Unnamed) {
      EXPECT_EQ(Scratch.Names().size(), Before.size() + 1) << "a hidden file is being written";
    }
    EXPECT_EQ(Cli.Stop(Case.Signal), Case.Signal) << "ended as the signal ends a process";
    EXPECT_EQ(Scratch.Names(), Before);
    if (Existing) {
      EXPECT_EQ(ReadFile(Output), kOldWave);
    }
    EXPECT_EQ(ReadFile(Input), InputBytes);
    std::filesystem::remove(Output);
  }
}

INSTANTIATE_TEST_SUITE_P(Signals, CliSignal,
                         ::testing::Values(TSignalCase{SIGKILL, true}, TSignalCase{SIGINT, true},
                                           TSignalCase{SIGINT, false}, TSignalCase{SIGTERM, false},
                                           TSignalCase{SIGHUP, false}),
                         [](const auto& Info) {
                           return std::string(strsignal(Info.param.Signal)).substr(0, 4) +
                                  (Info.param.Unnamed ? "Unnamed" : "Hidden");
                         });

}  // namespace

}  // namespace kvetro::test
