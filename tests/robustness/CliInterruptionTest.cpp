// Conversions that end half way through writing: a write that the system
// refuses (the file size limit of the process stands in for a full disk) and
// a process killed with SIGKILL. Neither may leave a broken WAV under the
// chosen name; an existing WAV of that name stays as it was.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <thread>

#include "ChildProcess.h"
#include "TestMzf.h"
#include "tests/support/ScratchFolder.h"

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
TEST_F(CliInterruption, FailedWriteLeavesTheExistingWave) {
  for (const bool Existing : {true, false}) {
    SCOPED_TRACE(Existing ? "replacing a WAV" : "new name");
    if (Existing) {
      WriteFile(Output, kOldWave);
    }
    const std::vector<std::string> Before = Scratch.Names();
    const TChildResult Result = RunCli({Input, Output}, TChildOptions{100000});
    EXPECT_EQ(Result.ExitCode, 1);
    EXPECT_EQ(Result.Errors, "Stream write error\n");
    EXPECT_EQ(Scratch.Names(), Before) << "no partial WAV or temporary file is left";
    if (Existing) {
      EXPECT_EQ(ReadFile(Output), kOldWave);
    }
    EXPECT_EQ(ReadFile(Input), InputBytes);
    std::filesystem::remove(Output);
  }
}

// Killed while the loader gap is written (it would take about 200 million
// samples): nothing can clean up, so the temporary file stays, but the
// chosen name never holds a broken WAV. Slow: the run must have started.
TEST_F(CliInterruption, KilledRunLeavesNoBrokenWaveSlow) {
  const std::regex Temporary(R"(out\.wav\.kvetro-[0-9]+\.tmp)");
  for (const bool Existing : {true, false}) {
    SCOPED_TRACE(Existing ? "replacing a WAV" : "new name");
    if (Existing) {
      WriteFile(Output, kOldWave);
    }
    TBackgroundCli Cli({"--loader-gap", "10000000", Input, Output});
    // Wait until the samples are going to disk.
    std::string Written;
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (Written.empty() && Cli.Running() && std::chrono::steady_clock::now() < Deadline) {
      for (const std::string& Name : Scratch.Names()) {
        if (std::regex_match(Name, Temporary) &&
            std::filesystem::file_size(Scratch.PathOf(Name)) > 1'000'000) {
          Written = Name;
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_FALSE(Written.empty()) << "the conversion never got going";
    EXPECT_EQ(Cli.Kill(), SIGKILL);

    if (Existing) {
      EXPECT_EQ(ReadFile(Output), kOldWave);
    } else {
      EXPECT_FALSE(std::filesystem::exists(Output));
    }
    EXPECT_EQ(ReadFile(Input), InputBytes);
    for (const std::string& Name : Scratch.Names()) {
      if (Name != "in.mzf" && Name != "out.wav") {
        EXPECT_TRUE(std::regex_match(Name, Temporary)) << Name;
        RecordProperty("left_after_kill", Name);
        std::filesystem::remove(Scratch.PathOf(Name));
      }
    }
    std::filesystem::remove(Output);
  }
}

}  // namespace

}  // namespace kvetro::test
