// Bad inputs and faults through kvetro-cli, run as the user runs it: every
// refusal once, with its exit status (1 refused or failed, 2 usage error)
// and its message, which says which file and why. No case may leave a file
// behind (neither an output nor a temporary file), change the input, or
// touch an existing WAV of the chosen name. The reasons are decided, and
// tested case by case, in the parser, the loader and the run.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/CliRunner.h"
#include "tests/support/MachineFeatures.h"
#include "tests/support/MzfBuilder.h"

namespace kvetro::test {

namespace {

namespace fs = std::filesystem;

struct TRefusal {
  std::vector<std::string> Arguments;  // "@/" stands for the scratch folder
  int ExitCode;
  std::string Errors;
};

class CliCatalogue : public ::testing::Test {
 protected:
  // Every file that a case names.
  void SetUp() override {
    WriteFile(Input, InputBytes);
    Scratch.Write("out.wav", EarlierWave);
    Scratch.Write("empty.mzf", {});
    Scratch.Write("zero.mzf", MzfFile(0x01, "EMPTY", 0, 0x1200, 0x1200, TBytes(50, 0x11)));
    Scratch.Write("large.mzf", MakeMzf(65536 - 128, 65536 - 128));
    Scratch.Write("locked.mzf", InputBytes);
    fs::permissions(Scratch.PathOf("locked.mzf"), fs::perms::none);
    Scratch.MakeFolder("folder.mzf");
    Scratch.MakeFolder("folder.wav");
    Scratch.MakeFolder("sub");
    fs::create_symlink("loop-b.mzf", Scratch.PathOf("loop-a.mzf"));
    fs::create_symlink("loop-a.mzf", Scratch.PathOf("loop-b.mzf"));
    fs::create_symlink(Input, Scratch.PathOf("link.wav"));
    fs::create_hard_link(Input, Scratch.PathOf("hard.wav"));
    ASSERT_EQ(mkfifo(Scratch.PathOf("pipe.mzf").c_str(), 0600), 0);
  }

  std::string Expand(std::string Text) const {
    const std::string Root = Scratch.Root().string() + "/";
    for (std::size_t At = 0; (At = Text.find("@/", At)) != std::string::npos; At += Root.size()) {
      Text.replace(At, 2, Root);
    }
    return Text;
  }

  // Runs a case that must not write, and checks what must hold after every
  // refusal and failure.
  void Refused(const TRefusal& Case, const TCliOptions& Options = {}) {
    std::vector<std::string> Arguments;
    for (const std::string& Argument : Case.Arguments) {
      Arguments.push_back(Expand(Argument));
    }
    const std::vector<std::string> Before = Scratch.Names();
    const TCliResult Result = RunCli(Arguments, Options);
    EXPECT_EQ(Result.ExitCode, Case.ExitCode) << Result.Errors;
    EXPECT_EQ(Result.Errors, Expand(Case.Errors));
    EXPECT_TRUE(Result.Out.empty());
    EXPECT_TRUE(Result.TempLeft.empty());
    EXPECT_EQ(Scratch.Names(), Before) << "a file was left behind";
    EXPECT_EQ(ReadFile(Input), InputBytes) << "the input changed";
    EXPECT_EQ(ReadFile(Scratch.PathOf("out.wav")), EarlierWave) << "the existing WAV changed";
  }

  TScratchFolder Scratch{"cli-catalogue"};
  std::string Input = Scratch.PathOf("in.mzf");
  TBytes InputBytes = MakeMzf(300, 300);
  TBytes EarlierWave = TBytes(1000, 0x77);
};

TEST_F(CliCatalogue, EveryRefusalSaysWhyAndWritesNothing) {
  const std::string Hint = "\nRun 'kvetro-cli --help' to see the options.\n";
  const std::string BodyZero = "Body size in the file header is 0\n";
  const std::string TooLarge = "File must be smaller than 64KB\n";
  const std::string SameFile = "Output file must not be the input file\n";
  const auto NoLoader = [](const std::string& Option) {
    return Option +
           " belongs to the fast loader; --standard writes the machine's own layout, which has no "
           "loader";
  };
  const std::vector<TRefusal> Cases = {
      {{"--loader-gap", "-1", "@/in.mzf", "@/new.wav"},
       2,
       "--loader-gap wants a whole number from 0 to 2147483647, got '-1'" + Hint},
      {{"-x", "@/in.mzf", "@/out.wav"}, 2, "Unknown option -x" + Hint},
      {{"--info"}, 2, "--info expects the files to describe: INPUT.mzf..." + Hint},
      {{"@/missing.mzf", "@/new.wav"}, 1, "Cannot read @/missing.mzf: No such file or directory\n"},
      {{"--info", "@/missing.mzf"}, 1, "Cannot read @/missing.mzf: No such file or directory\n"},
      {{"@/folder.mzf", "@/out.wav"}, 1, "Cannot read @/folder.mzf: Is a directory\n"},
      {{"@/loop-a.mzf", "@/out.wav"},
       1,
       "Cannot read @/loop-a.mzf: Too many levels of symbolic links\n"},
      {{"@/in.mzf/x.mzf", "@/out.wav"}, 1, "Cannot read @/in.mzf/x.mzf: Not a directory\n"},
      // A pipe or a device is refused at once: a pipe without a writer must
      // not keep the program waiting.
      {{"@/pipe.mzf", "@/out.wav"}, 1, "Cannot read @/pipe.mzf: Not a regular file\n"},
      {{"/dev/null", "@/out.wav"}, 1, "Cannot read /dev/null: Not a regular file\n"},
      // What a short file leaves out of the header reads as zero.
      {{"@/empty.mzf", "@/out.wav"}, 1, BodyZero},
      {{"@/zero.mzf", "@/new.wav"}, 1, BodyZero},
      {{"@/zero.mzf", "-"}, 1, BodyZero},
      {{"@/large.mzf", "@/out.wav"}, 1, TooLarge},
      {{"--info", "@/large.mzf"}, 1, TooLarge},
      {{"--zero", "3,1", "--one", "3,1", "@/in.mzf", "@/out.wav"},
       1,
       "Log. 0 and log. 1 pulses are the same (3 + 1 samples): no machine can tell the bits "
       "apart\n"},
      {{"--loader-gap", "2147483647", "--body-gap", "2147483647", "@/in.mzf", "@/out.wav"},
       1,
       "Output would be larger than 2 GB\n"},
      {{"@/in.mzf", "@/in.mzf"}, 1, SameFile},
      {{"--standard", "@/in.mzf", "@/in.mzf", "@/in.mzf"}, 1, SameFile},
      // The fast loader takes one program; every file of a tape is checked.
      {{"@/in.mzf", "@/in.mzf", "@/new.wav"},
       1,
       "The fast loader takes one program, and the input holds 2 files: --standard writes them "
       "all, one after the other, in the machine's own layout\n"},
      {{"--standard", "@/in.mzf", "@/zero.mzf", "@/new.wav"},
       1,
       "File 2 of 2 (@/zero.mzf): " + BodyZero},
      {{"@/hard.wav", "@/in.mzf"}, 1, SameFile},
      {{"@/in.mzf", "@/sub/../link.wav"}, 1, SameFile},
      {{"@/in.mzf", "@/none/out.wav"},
       1,
       "Cannot create file @/none/out.wav: No such file or directory\n"},
      {{"@/in.mzf", "@/folder.wav"}, 1, "Cannot create file @/folder.wav: Is a directory\n"},
      // The machine's own layout has no loader to take the fast loader's
      // settings.
      {{"--standard", "--constant", "5", "@/in.mzf", "@/new.wav"},
       2,
       NoLoader("--constant") + Hint},
      {{"--loader-gap", "9", "--standard", "@/in.mzf", "@/new.wav"},
       2,
       NoLoader("--loader-gap") + Hint},
      {{"--standard", "--body-gap=0", "@/in.mzf", "@/new.wav"}, 2, NoLoader("--body-gap") + Hint},
      {{"--no-copies", "@/in.mzf", "@/new.wav"},
       2,
       "--no-copies goes with --standard (the machine's own layout)" + Hint},
      {{"--rate", "7999", "@/in.mzf", "@/new.wav"},
       2,
       "--rate wants a whole number from 8000 to 192000, got '7999'" + Hint},
      // Whole samples at 22050 Hz make the default pulses the same.
      {{"--rate", "22050", "@/in.mzf", "@/out.wav"},
       1,
       "At 22050 Hz the HI halves 1 and 2 both become 1 sample: the short pulse 3 + 1 samples "
       "and the long pulse 3 + 2 samples are both 2 + 1 samples there, and no machine can tell "
       "the bits apart. The fastest timing that stays distinct at 22050 Hz is --zero 1,1 --one "
       "1,3\n"},
      {{"--zero", "3,2", "--one", "4,2", "--rate", "8000", "@/in.mzf", "@/out.wav"},
       1,
       "At 8000 Hz the LO halves 3 and 4 both become 1 sample: the short pulse 3 + 2 samples "
       "and the long pulse 4 + 2 samples are both 1 + 1 samples there, and no machine can tell "
       "the bits apart. The fastest timing that stays distinct at 8000 Hz is --zero 1,1 --one "
       "1,9\n"},
  };
  for (const TRefusal& Case : Cases) {
    SCOPED_TRACE(Case.Errors);
    Refused(Case);
  }
  EXPECT_TRUE(Scratch.Names("folder.wav").empty());
}

TEST_F(CliCatalogue, AnInputThatMayNotBeReadIsNamed) {
  TCliOptions Options;
  if (!AsUnprivilegedUser(Options, Scratch)) {
    GTEST_SKIP() << "cannot run as user " << kNobody << " here";
  }
  Refused({{"@/locked.mzf", "@/out.wav"}, 1, "Cannot read @/locked.mzf: Permission denied\n"},
          Options);
}

TEST_F(CliCatalogue, AFullDeviceIsNamed) {
  if (const std::string Why = NoFullDevice(); !Why.empty()) {
    GTEST_SKIP() << Why;
  }
  Refused({{"@/in.mzf", "/dev/full"}, 1, "Cannot write /dev/full: No space left on device\n"});
}

}  // namespace

}  // namespace kvetro::test
