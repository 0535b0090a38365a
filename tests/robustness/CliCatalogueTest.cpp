// Bad inputs and faults through kvetro-cli, run as the user runs it. Every
// case checks the message, the exit status (0 written, 1 refused or failed,
// 2 usage error), that the input file is unchanged and that no file is left
// behind: neither an output nor a temporary file, and an existing WAV of the
// chosen name keeps its bytes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "tests/support/MzfBuilder.h"
#include "tests/support/MachineFeatures.h"
#include "tests/support/ScratchFolder.h"

namespace kvetro::test {

namespace {

const std::string kUsageHint = "Run 'kvetro-cli --help' to see the options.\n";

class CliCatalogue : public ::testing::Test {
 protected:
  void SetUp() override { WriteFile(Input, InputBytes); }

  // Runs a conversion that must not write, and checks what must hold after
  // every refusal and failure.
  TChildResult Refused(const std::vector<std::string>& Arguments, int ExitCode,
                       const std::string& Errors) {
    const std::vector<std::string> Before = Scratch.Names();
    const TBytes OldOutput = std::filesystem::is_regular_file(Output) ? ReadFile(Output) : TBytes{};
    const TChildResult Result = RunCli(Arguments);
    EXPECT_EQ(Result.ExitCode, ExitCode) << Result.Errors;
    EXPECT_EQ(Result.Errors, Errors);
    EXPECT_EQ(Result.Out, "");
    EXPECT_EQ(Scratch.Names(), Before) << "a file was left behind";
    if (std::filesystem::is_regular_file(Input)) {
      EXPECT_EQ(ReadFile(Input), InputBytes) << "the input changed";
    }
    if (std::filesystem::is_regular_file(Output)) {
      EXPECT_EQ(ReadFile(Output), OldOutput) << "the existing output changed";
    }
    return Result;
  }

  void UsageError(std::vector<std::string> Arguments, const std::string& Line) {
    Arguments.push_back(Input);
    Arguments.push_back(Output);
    Refused(Arguments, 2, Line + "\n" + kUsageHint);
  }

  TScratchFolder Scratch;
  std::string Input = Scratch.PathOf("in.mzf");
  std::string Output = Scratch.PathOf("out.wav");
  TBytes InputBytes = MakeMzf(300, 300);
};

// Each says which file and why. A pipe or a device is refused at once: a
// pipe without a writer must not keep the program waiting.
TEST_F(CliCatalogue, InputThatCannotBeLoaded) {
  std::filesystem::create_directory(Scratch.PathOf("folder.mzf"));
  std::filesystem::create_symlink("loop-b.mzf", Scratch.PathOf("loop-a.mzf"));
  std::filesystem::create_symlink("loop-a.mzf", Scratch.PathOf("loop-b.mzf"));
  ASSERT_EQ(mkfifo(Scratch.PathOf("pipe.mzf").c_str(), 0600), 0);
  const std::pair<std::string, std::string> Cases[] = {
      {Scratch.PathOf("missing.mzf"), "No such file or directory"},
      {Scratch.PathOf("folder.mzf"), "Is a directory"},
      {Scratch.PathOf("loop-a.mzf"), "Too many levels of symbolic links"},
      {Scratch.PathOf("in.mzf/inside.mzf"), "Not a directory"},
      {Scratch.PathOf("pipe.mzf"), "Not a regular file"},
      {"/dev/null", "Not a regular file"},
  };
  for (const auto& [Name, Reason] : Cases) {
    Refused({Name, Output}, 1, "Cannot read " + Name + ": " + Reason + "\n");
  }
}

TEST_F(CliCatalogue, InputThatMayNotBeRead) {
  if (geteuid() == 0) {
    GTEST_SKIP() << "root reads every file whatever its mode";
  }
  std::filesystem::permissions(Input, std::filesystem::perms::none);
  const TChildResult Result = RunCli({Input, Output});
  std::filesystem::permissions(Input, std::filesystem::perms::owner_all);
  EXPECT_EQ(Result.ExitCode, 1);
  EXPECT_EQ(Result.Errors, "Cannot read " + Input + ": Permission denied\n");
  EXPECT_EQ(Scratch.Names(), std::vector<std::string>{"in.mzf"});
}

// Whatever of the header a short file leaves out reads as zero, so each of
// these has a body size of 0.
TEST_F(CliCatalogue, InputWithoutABody) {
  for (const std::size_t Length : {0u, 1u, 127u, 128u}) {
    SCOPED_TRACE(Length);
    InputBytes = MakeMzf(0, 0);
    InputBytes.resize(Length);
    WriteFile(Input, InputBytes);
    Refused({Input, Output}, 1, "Body size in the file header is 0\n");
  }
}

TEST_F(CliCatalogue, InputOfSixtyFourKilobytesIsRefusedOneByteLessIsConverted) {
  InputBytes = MakeMzf(65536 - 128, 65536 - 128);
  ASSERT_EQ(InputBytes.size(), 65536u);
  WriteFile(Input, InputBytes);
  Refused({Input, Output}, 1, "File must be smaller than 64KB\n");

  InputBytes = MakeMzf(65535 - 128, 65535 - 128);
  WriteFile(Input, InputBytes);
  const TChildResult Result = RunCli({"--loader-gap", "10", "--body-gap", "10", Input, Output});
  EXPECT_EQ(Result.ExitCode, 0) << Result.Errors;
  EXPECT_EQ(Result.Errors, "");
  EXPECT_EQ(ReadFile(Input), InputBytes);
  EXPECT_EQ(Scratch.Names(), (std::vector<std::string>{"in.mzf", "out.wav"}));
}

// A header that promises more body than the file holds is converted with a
// warning; the missing bytes go out as zeros, exactly as if the file held
// them.
TEST_F(CliCatalogue, BodySizePastTheEndOfTheFile) {
  InputBytes = MakeMzf(100, 10);
  WriteFile(Input, InputBytes);
  TBytes Padded = InputBytes;
  Padded.resize(128 + 100, 0);
  WriteFile(Scratch.PathOf("padded.mzf"), Padded);

  const TChildResult Short = RunCli({Input, Output});
  EXPECT_EQ(Short.ExitCode, 0);
  EXPECT_EQ(Short.Errors,
            "Warning: Body size 100 runs past the end of the file: 90 bytes missing, sent as "
            "zeros\n");
  const TChildResult Full = RunCli({Scratch.PathOf("padded.mzf"), Scratch.PathOf("padded.wav")});
  EXPECT_EQ(Full.ExitCode, 0);
  EXPECT_EQ(Full.Errors, "");
  EXPECT_EQ(ReadFile(Output), ReadFile(Scratch.PathOf("padded.wav")));
  EXPECT_EQ(ReadFile(Input), InputBytes);
}

TEST_F(CliCatalogue, OutputThatCannotBeCreated) {
  const std::string NoFolder = Scratch.PathOf("no-such-folder") + "/out.wav";
  Refused({Input, NoFolder}, 1, "Cannot create file " + NoFolder + ": No such file or directory\n");

  std::filesystem::create_directory(Scratch.PathOf("folder.wav"));
  Refused({Input, Scratch.PathOf("folder.wav")}, 1,
          "Cannot create file " + Scratch.PathOf("folder.wav") + ": Is a directory\n");
  EXPECT_TRUE(std::filesystem::is_empty(Scratch.PathOf("folder.wav")));
}

TEST_F(CliCatalogue, OutputOnAFullDevice) {
  if (const std::string Reason = NoFullDevice(); !Reason.empty()) {
    GTEST_SKIP() << Reason;
  }
  Refused({Input, "/dev/full"}, 1, "Cannot write /dev/full: No space left on device\n");
}

// Writing the output would destroy the input.
TEST_F(CliCatalogue, OutputThatIsTheInput) {
  const std::string Text = "Output file must not be the input file\n";
  Refused({Input, Input}, 1, Text);

  std::filesystem::create_directory(Scratch.PathOf("sub"));
  Refused({Input, Scratch.PathOf("sub") + "/../in.mzf"}, 1, Text);

  std::filesystem::create_symlink(Input, Scratch.PathOf("link.wav"));
  Refused({Input, Scratch.PathOf("link.wav")}, 1, Text);

  std::filesystem::create_hard_link(Input, Scratch.PathOf("hard.wav"));
  Refused({Input, Scratch.PathOf("hard.wav")}, 1, Text);
  Refused({Scratch.PathOf("hard.wav"), Input}, 1, Text);
}

TEST_F(CliCatalogue, NegativeGapsAreUsageErrors) {
  UsageError({"--loader-gap", "-1"}, "--loader-gap wants a whole number of 0 or more, not '-1'");
  UsageError({"--body-gap=-1"}, "--body-gap wants a whole number of 0 or more, not '-1'");
}

TEST_F(CliCatalogue, TimingOutOfRangeIsAUsageError) {
  const std::string Halves = " wants LO,HI, two whole numbers from 1 to 128, not '";
  UsageError({"--zero", "0,1"}, "--zero" + Halves + "0,1'");
  UsageError({"--zero", "1,129"}, "--zero" + Halves + "1,129'");
  UsageError({"--one", "129,1"}, "--one" + Halves + "129,1'");
  UsageError({"--one", "2,0"}, "--one" + Halves + "2,0'");
  UsageError({"--constant", "0"}, "--constant wants a whole number from 1 to 255, not '0'");
  UsageError({"--constant", "256"}, "--constant wants a whole number from 1 to 255, not '256'");
}

// Each short pulse of the loader gap adds 9 + 11 samples. The largest gap
// that still fits 2^31 - 1 bytes is accepted; one pulse more is refused
// before anything is written, and an existing WAV stays as it was.
TEST_F(CliCatalogue, OutputPastTwoGigabytesIsRefused) {
  const TChildResult Small = RunCli({"--loader-gap", "0", Input, Output});
  ASSERT_EQ(Small.ExitCode, 0) << Small.Errors;
  const TBytes Existing = ReadFile(Output);
  const auto Base = static_cast<long long>(Existing.size());
  const long long Largest = (0x7FFFFFFFLL - Base) / 20;

  const TChildResult Fits = RunCli({"--info", "--loader-gap", std::to_string(Largest), Input});
  EXPECT_EQ(Fits.ExitCode, 0) << Fits.Errors;
  EXPECT_NE(Fits.Out.find(std::to_string(Base + 20 * Largest) + " bytes"), std::string::npos)
      << Fits.Out;

  const std::string Text = "Output would be larger than 2 GB\n";
  Refused({"--loader-gap", std::to_string(Largest + 1), Input, Output}, 1, Text);
  Refused({"--loader-gap", "2147483647", "--body-gap", "2147483647", Input, Output}, 1, Text);
  EXPECT_EQ(ReadFile(Output), Existing);
}

}  // namespace

}  // namespace kvetro::test
