// OUTPUT "-": the same WAV on standard output, streamed as it is made with no
// temporary file; never onto a terminal.
#include <gtest/gtest.h>

#include "tests/support/CliRunner.h"
#include "tests/support/MachineFeatures.h"
#include "tests/support/MzfBuilder.h"

namespace kvetro::test {

namespace {

class CliStandardOutput : public ::testing::Test {
 protected:
  void SetUp() override { WriteFile(Input, InputBytes); }

  TScratchFolder Scratch{"cli-stdout"};
  std::string Input = Scratch.PathOf("in.mzf");
  TBytes InputBytes = CountingMzf(1000, 0x80);
};

// Standard output, by "-" or by name, into a pipe. Neither needs a
// temporary file: a TMPDIR where nothing can be made is no obstacle.
TEST_F(CliStandardOutput, GivesTheSameBytesAsAFile) {
  const std::vector<std::string> Options{"--zero", "2,2", "--body-gap", "100", "--invert"};
  std::vector<std::string> ToFile = Options;
  ToFile.insert(ToFile.end(), {Input, Scratch.PathOf("out.wav")});
  ASSERT_EQ(RunCli(ToFile).ExitCode, 0);
  for (const std::string Name : {"-", "/dev/stdout"}) {
    SCOPED_TRACE(Name);
    std::vector<std::string> ToStdout = Options;
    ToStdout.insert(ToStdout.end(), {Input, Name});
    const TCliResult Result = RunCli(ToStdout, {.Environment = {"TMPDIR=/dev/full"}});
    EXPECT_EQ(Result.ExitCode, 0);
    EXPECT_EQ(Result.Errors, "");
    EXPECT_TRUE(Result.Out == ReadFile(Scratch.PathOf("out.wav")));
    EXPECT_EQ(Scratch.Names(), (std::vector<std::string>{"in.mzf", "out.wav"}));
    EXPECT_EQ(ReadFile(Input), InputBytes);
  }
}

TEST_F(CliStandardOutput, RefusesATerminal) {
  if (const std::string Reason = NoPseudoTerminal(); !Reason.empty()) {
    GTEST_SKIP() << Reason;
  }
  const TCliResult Result = RunCli({Input, "-"}, {.Stdout = TStdout::Terminal});
  EXPECT_EQ(Result.ExitCode, 1);
  EXPECT_EQ(Result.Errors,
            "Will not write a WAV to a terminal: redirect standard output or pipe it into a "
            "player\n");
  EXPECT_TRUE(Result.Out.empty());
  EXPECT_TRUE(Result.TempLeft.empty());
}

// A player that stops early is normal: the run ends at once and quietly, as
// cat does, and its status says that the WAV did not go out whole.
TEST_F(CliStandardOutput, APlayerThatStopsReadingEndsTheRunQuietly) {
  const TCliResult Result = RunCli({Input, "-"}, {.Stdout = TStdout::ClosedPipe});
  EXPECT_EQ(Result.ExitCode, 1);
  EXPECT_EQ(Result.Signal, 0);
  EXPECT_EQ(Result.Errors, "");
  EXPECT_TRUE(Result.TempLeft.empty()) << "no temporary file";
}

TEST_F(CliStandardOutput, HelpAndVersionGoToStandardOutput) {
  const TCliResult Help = RunCli({"--help"});
  EXPECT_EQ(Help.ExitCode, 0);
  EXPECT_EQ(Help.Errors, "");
  EXPECT_NE(Help.OutText().find("  kvetro-cli [options] INPUT.mzf... OUTPUT.wav\n"),
            std::string::npos);
  EXPECT_EQ(RunCli({"-h"}).Out, Help.Out);

  const TCliResult Version = RunCli({"-V"});
  EXPECT_EQ(Version.ExitCode, 0);
  EXPECT_EQ(Version.OutText(), "kvetro-cli " KVETRO_VERSION "\n");
  EXPECT_EQ(RunCli({"--version"}).Out, Version.Out);
}

}  // namespace

}  // namespace kvetro::test
