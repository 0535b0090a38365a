// Usage errors exit 2 with a hint; refused and failed conversions exit 1 with
// the run's own text. Neither leaves an output file or touches the input.
#include <gtest/gtest.h>

#include "CliProcess.h"
#include "CliTestFiles.h"
#include "tests/support/MachineFeatures.h"

namespace kvetro::test {

namespace {

class CliFailure : public ::testing::Test {
 protected:
  void SetUp() override { WriteFile(Input, InputBytes); }

  // Runs and checks what must hold after every failure.
  TCliResult Fail(const std::vector<std::string>& Arguments, int ExitCode) {
    const std::vector<std::string> Before = Scratch.FileNames();
    const TCliResult Result = RunCli(Arguments, Scratch);
    EXPECT_EQ(Result.ExitCode, ExitCode) << Result.Errors;
    EXPECT_TRUE(Result.Out.empty());
    EXPECT_EQ(Scratch.FileNames(), Before) << "no output file is left behind";
    EXPECT_TRUE(Scratch.TempNames().empty());
    if (std::filesystem::exists(Input)) {
      EXPECT_EQ(ReadFile(Input), InputBytes);
    }
    return Result;
  }

  TScratch Scratch;
  std::string Input = Scratch.File("in.mzf");
  std::string Output = Scratch.File("out.wav");
  TBytes InputBytes = CountingMzf(200);
};

class CliUsage : public CliFailure,
                 public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(CliUsage, ExitsTwoWithOneLineAndAHint) {
  std::vector<std::string> Arguments;
  for (const std::string& Argument : GetParam()) {
    Arguments.push_back(Argument == "IN" ? Input : Argument == "OUT" ? Output : Argument);
  }
  const TCliResult Result = Fail(Arguments, 2);
  const std::string Hint = "Run 'kvetro-cli --help' to see the options.\n";
  ASSERT_GT(Result.Errors.size(), Hint.size());
  EXPECT_EQ(Result.Errors.substr(Result.Errors.size() - Hint.size()), Hint);
  const std::string Problem = Result.Errors.substr(0, Result.Errors.size() - Hint.size());
  EXPECT_EQ(Problem.find('\n'), Problem.size() - 1) << "one line: " << Problem;
}

INSTANTIATE_TEST_SUITE_P(
    BadArguments, CliUsage,
    ::testing::Values(std::vector<std::string>{}, std::vector<std::string>{"IN"},
                      std::vector<std::string>{"IN", "OUT", "extra.wav"},
                      std::vector<std::string>{"--info"},
                      std::vector<std::string>{"--info", "IN", "OUT"},
                      std::vector<std::string>{"--speed", "9", "IN", "OUT"},
                      std::vector<std::string>{"-x", "IN", "OUT"},
                      std::vector<std::string>{"--zero", "0,1", "IN", "OUT"},
                      std::vector<std::string>{"--zero", "3,129", "IN", "OUT"},
                      std::vector<std::string>{"--zero", "3", "IN", "OUT"},
                      std::vector<std::string>{"--zero", "3,1,2", "IN", "OUT"},
                      std::vector<std::string>{"--zero", "a,b", "IN", "OUT"},
                      std::vector<std::string>{"--one", "3,-2", "IN", "OUT"},
                      std::vector<std::string>{"--one", " 3,2", "IN", "OUT"},
                      std::vector<std::string>{"--constant", "0", "IN", "OUT"},
                      std::vector<std::string>{"--constant", "256", "IN", "OUT"},
                      std::vector<std::string>{"--constant", "0x10", "IN", "OUT"},
                      std::vector<std::string>{"--loader-gap", "-1", "IN", "OUT"},
                      std::vector<std::string>{"--loader-gap", "2147483648", "IN", "OUT"},
                      std::vector<std::string>{"--body-gap", "1.5", "IN", "OUT"},
                      std::vector<std::string>{"--body-gap", "", "IN", "OUT"},
                      std::vector<std::string>{"IN", "OUT", "--body-gap"}));

TEST_F(CliFailure, ABodySizeOfZeroIsRefused) {
  InputBytes = MzfFile(0x01, "EMPTY", 0, 0x1200, 0x1200, TBytes(50, 0x11));
  WriteFile(Input, InputBytes);
  EXPECT_EQ(Fail({Input, Output}, 1).Errors, "Body size in the file header is 0\n");
}

TEST_F(CliFailure, AFileOf64KiBIsRefused) {
  InputBytes = CountingMzf(65536 - 128);
  WriteFile(Input, InputBytes);
  EXPECT_EQ(Fail({Input, Output}, 1).Errors, "File must be smaller than 64KB\n");
}

TEST_F(CliFailure, TheInputIsNeverTheOutput) {
  EXPECT_EQ(Fail({Input, Input}, 1).Errors, "Output file must not be the input file\n");
  const std::filesystem::path Link = Scratch.File("link.wav");
  std::filesystem::create_symlink(Input, Link);
  EXPECT_EQ(Fail({Input, Link.string()}, 1).Errors, "Output file must not be the input file\n");
}

TEST_F(CliFailure, AMissingInputIsNamedWithTheReason) {
  EXPECT_EQ(Fail({Scratch.File("none.mzf"), Output}, 1).Errors,
            "Cannot read " + Scratch.File("none.mzf") + ": No such file or directory\n");
}

TEST_F(CliFailure, IdenticalPulsesAreRefusedAShortLongPulseIsWarned) {
  EXPECT_EQ(Fail({"--zero", "3,1", "--one", "3,1", Input, Output}, 1).Errors,
            "Log. 0 and log. 1 pulses are the same (3 + 1 samples): no machine can tell the bits "
            "apart\n");
  const std::vector<std::pair<std::vector<std::string>, std::string>> Cases = {
      {{"--zero", "3,2", "--one", "3,1"},
       "Warning: Log. 1 pulse (3 + 1 samples) is not longer than log. 0 pulse (3 + 2 samples); "
       "the body may not load\n"},
      {{"--zero", "4,1", "--one", "1,4"},
       "Warning: Log. 1 pulse (1 + 4 samples) is not longer than log. 0 pulse (4 + 1 samples); "
       "the body may not load\n"},
      // Longer in total, though shorter in its LO half: no warning.
      {{"--zero", "4,1", "--one", "1,5"}, ""},
  };
  for (const auto& [Options, Warning] : Cases) {
    std::vector<std::string> Arguments = Options;
    Arguments.insert(Arguments.end(), {Input, Output});
    const TCliResult Result = RunCli(Arguments, Scratch);
    EXPECT_EQ(Result.ExitCode, 0);
    EXPECT_EQ(Result.Errors, Warning);
    EXPECT_TRUE(std::filesystem::is_regular_file(Output));
    std::filesystem::remove(Output);
  }
}

TEST_F(CliFailure, AnOutputThatCannotBeCreatedIsNamed) {
  const std::string Unreachable = Scratch.File("no-such-folder/out.wav");
  EXPECT_EQ(Fail({Input, Unreachable}, 1).Errors,
            "Cannot create file " + Unreachable + ": No such file or directory\n");
}

TEST_F(CliFailure, AFullDevice) {
  if (const std::string Reason = NoFullDevice(); !Reason.empty()) {
    GTEST_SKIP() << Reason;
  }
  EXPECT_EQ(Fail({Input, "/dev/full"}, 1).Errors,
            "Cannot write /dev/full: No space left on device\n");
}

TEST_F(CliFailure, AnEarlierWaveSurvivesARefusal) {
  const TBytes Earlier(1000, 0x77);
  WriteFile(Output, Earlier);
  InputBytes = MzfFile(0x01, "EMPTY", 0, 0, 0, {});
  WriteFile(Input, InputBytes);
  Fail({Input, Output}, 1);
  EXPECT_EQ(ReadFile(Output), Earlier);
}

}  // namespace

}  // namespace kvetro::test
