// OUTPUT "-": the same WAV on standard output, streamed as it is made with no
// temporary file; never onto a terminal.
#include <gtest/gtest.h>

#include "CliProcess.h"
#include "CliTestFiles.h"
#include "tests/support/MachineFeatures.h"

namespace kvetro::test {

namespace {

class CliStandardOutput : public ::testing::Test {
 protected:
  void SetUp() override { WriteFile(Input, InputBytes); }

  TScratch Scratch;
  std::string Input = Scratch.File("in.mzf");
  TBytes InputBytes = CountingMzf(1000, 0x80);
};

TEST_F(CliStandardOutput, GivesTheSameBytesAsAFile) {
  const std::vector<std::string> Options{"--zero", "2,2", "--body-gap", "100", "--invert"};
  std::vector<std::string> ToFile = Options;
  ToFile.insert(ToFile.end(), {Input, Scratch.File("out.wav")});
  ASSERT_EQ(RunCli(ToFile, Scratch).ExitCode, 0);

  std::vector<std::string> ToStdout = Options;
  ToStdout.insert(ToStdout.end(), {Input, "-"});
  const TCliResult Result = RunCli(ToStdout, Scratch);
  EXPECT_EQ(Result.ExitCode, 0);
  EXPECT_EQ(Result.Errors, "");
  EXPECT_EQ(Result.Out, ReadFile(Scratch.File("out.wav")));
  EXPECT_TRUE(Scratch.TempNames().empty()) << "no temporary file";
  EXPECT_EQ(ReadFile(Input), InputBytes);
}

TEST_F(CliStandardOutput, RefusesATerminal) {
  if (const std::string Reason = NoPseudoTerminal(); !Reason.empty()) {
    GTEST_SKIP() << Reason;
  }
  const TCliResult Result = RunCli({Input, "-"}, Scratch, TStdout::Terminal);
  EXPECT_EQ(Result.ExitCode, 1);
  EXPECT_EQ(Result.Errors,
            "Will not write a WAV to a terminal: redirect standard output or pipe it into a "
            "player\n");
  EXPECT_TRUE(Result.Out.empty());
  EXPECT_TRUE(Scratch.TempNames().empty());
}

TEST_F(CliStandardOutput, APlayerThatStopsReadingIsAWriteError) {
  const TCliResult Result = RunCli({Input, "-"}, Scratch, TStdout::ClosedPipe);
  EXPECT_EQ(Result.ExitCode, 1);
  EXPECT_EQ(Result.Errors, "Cannot write standard output: Broken pipe\n");
  EXPECT_TRUE(Scratch.TempNames().empty()) << "no temporary file";
}

TEST_F(CliStandardOutput, ARefusalWritesNothing) {
  InputBytes = MzfFile(0x01, "EMPTY", 0, 0, 0, {});
  WriteFile(Input, InputBytes);
  const TCliResult Result = RunCli({Input, "-"}, Scratch);
  EXPECT_EQ(Result.ExitCode, 1);
  EXPECT_EQ(Result.Errors, "Body size in the file header is 0\n");
  EXPECT_TRUE(Result.Out.empty());
  EXPECT_TRUE(Scratch.TempNames().empty());
}

TEST_F(CliStandardOutput, HelpAndVersionGoToStandardOutput) {
  const TCliResult Help = RunCli({"--help"}, Scratch);
  EXPECT_EQ(Help.ExitCode, 0);
  EXPECT_EQ(Help.Errors, "");
  EXPECT_NE(Help.OutText().find("  kvetro-cli [options] INPUT.mzf OUTPUT.wav\n"),
            std::string::npos);
  EXPECT_EQ(RunCli({"-h"}, Scratch).Out, Help.Out);

  const TCliResult Version = RunCli({"-V"}, Scratch);
  EXPECT_EQ(Version.ExitCode, 0);
  EXPECT_EQ(Version.OutText(), "kvetro-cli " KVETRO_VERSION "\n");
  EXPECT_EQ(RunCli({"--version"}, Scratch).Out, Version.Out);
}

}  // namespace

}  // namespace kvetro::test
