#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

#include "io/InOutError.h"
#include "io/StreamErrors.h"
#include "tape/ConversionPlan.h"
#include "tape/ConversionRun.h"
#include "tape/ReplacingOutput.h"
#include "tape/SettingsCheck.h"
#include "tests/support/ExpectError.h"
#include "tests/support/MachineFeatures.h"
#include "tests/support/MzfBuilder.h"
#include "tests/support/ReferenceSignal.h"
#include "tests/support/SameBytes.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ScriptedObserver.h"

namespace kvetro {
namespace {

namespace fs = std::filesystem;
using test::ExpectError;
using test::ReadFile;
using test::TScratchFolder;
using test::TScriptedObserver;

// Settings no machine can load are refused; a long pulse that is not longer
// than the short one only earns a warning. A half of 0 or less writes
// nothing, so it adds nothing to the pulse's length.
TEST(SettingsCheck, RefusalsAndWarnings) {
  struct TCase {
    std::int32_t LoaderGap, BodyGap;
    PulseTiming Timing;
    std::string Refusal, Warning;
  };
  const std::string Negative = "Gap length must not be negative";
  const TCase Cases[] = {
      {5000, 5000, {3, 1, 3, 2}, "", ""},
      {0, 0, {1, 1, 1, 2}, "", ""},
      {-1, 0, {3, 1, 3, 2}, Negative, ""},
      {0, -1, {3, 1, 3, 2}, Negative, ""},
      {-5000, -5000, {3, 1, 3, 2}, Negative, ""},
      {0,
       0,
       {4, 2, 4, 2},
       "Log. 0 and log. 1 pulses are the same (4 + 2 samples): no machine can tell the bits apart",
       "Log. 1 pulse (4 + 2 samples) is not longer than log. 0 pulse (4 + 2 samples); the body may "
       "not load"},
      {0,
       0,
       {3, 2, 3, 1},
       "",
       "Log. 1 pulse (3 + 1 samples) is not longer than log. 0 pulse (3 + 2 samples); the body may "
       "not load"},
      {0,
       0,
       {4, 1, 1, 4},
       "",
       "Log. 1 pulse (1 + 4 samples) is not longer than log. 0 pulse (4 + 1 samples); the body may "
       "not load"},
      // Longer in total, though shorter in its LO half.
      {0, 0, {4, 1, 1, 5}, "", ""},
      {0,
       0,
       {-10, 5, 1, 3},
       "",
       "Log. 1 pulse (1 + 3 samples) is not longer than log. 0 pulse (-10 + 5 samples); the body "
       "may not load"},
      {0,
       0,
       {1, 1, 0, 2},
       "",
       "Log. 1 pulse (0 + 2 samples) is not longer than log. 0 pulse (1 + 1 samples); the body may "
       "not load"},
  };
  for (const TCase& Case : Cases) {
    TConversionSettings Settings;
    Settings.LoaderGap = Case.LoaderGap;
    Settings.BodyGap = Case.BodyGap;
    Settings.UserTiming = Case.Timing;
    EXPECT_EQ(SettingsRefusal(Settings).value_or(""), Case.Refusal);
    EXPECT_EQ(SettingsWarning(Settings).value_or(""), Case.Warning);
  }
}

// The limit is 2^31 - 1 bytes, that size included. A loader gap pulse adds
// 9 + 11 samples, a body gap pulse 20 more and a short pulse of the body's
// timing, here 2 + 1: some body gap below 20 makes the largest file exact.
TEST(ConversionPlan, TheLargestWaveIsOneByteUnderTwoGigabytes) {
  const auto Image = std::make_unique<TMzfImage>();
  const test::TBytes File = test::MakeMzf(300, 300);
  ASSERT_EQ(Image->Assign(File.data(), File.size()), TMzfImage::LoadResult::Loaded);
  constexpr std::uint64_t Limit = 0x7FFFFFFF;
  TConversionSettings Settings;
  Settings.UserTiming = PulseTiming{2, 1, 3, 2};
  Settings.LoaderGap = 0;
  for (Settings.BodyGap = 0; (Limit - PlanConversion(*Image, Settings).FileSize()) % 20 != 0;) {
    ASSERT_LT(++Settings.BodyGap, 20);
  }
  Settings.LoaderGap =
      static_cast<std::int32_t>((Limit - PlanConversion(*Image, Settings).FileSize()) / 20);
  const TConversionPlan Largest = PlanConversion(*Image, Settings);
  EXPECT_EQ(Largest.FileSize(), Limit);
  EXPECT_TRUE(Largest.FitsWaveFile());
  ++Settings.LoaderGap;
  EXPECT_FALSE(PlanConversion(*Image, Settings).FitsWaveFile());
}

// Runs that must end without a broken or lost file: the input, and any wave
// of the chosen name, stay as they were.
class ConversionFault : public ::testing::Test {
 protected:
  void SetUp() override {
    Input = test::RandomMzf(200, 200, 11);
    Folder.Write("in.mzf", Input);
    Settings.UserTiming = {4, 2, 5, 3};
    Settings.LoaderGap = 10;
    Settings.BodyGap = 20;
  }

  TRunOutcome Execute(const std::string& InputName, const std::string& OutputName) {
    TConversionRun Run(Settings, Observer);
    TFileOutputOpener Files;
    return Run.Execute(InputName, OutputName, Files);
  }
  TRunOutcome Execute() { return Execute(Folder.PathOf("in.mzf"), Folder.PathOf("out.wav")); }

  void ExpectInputUnchanged() { EXPECT_EQ(ReadFile(Folder.PathOf("in.mzf")), Input); }

  // After a failure once the run had started writing: no temporary file is
  // left.
  void ExpectCleanedUp(const std::vector<std::string>& Names) {
    EXPECT_EQ(Observer.CountOf("Writing"), 1);
    EXPECT_EQ(Observer.CountOf("Written"), 0);
    EXPECT_EQ(Folder.Names(), Names);
    ExpectInputUnchanged();
  }

  TScratchFolder Folder;
  TConversionSettings Settings;
  TScriptedObserver Observer;
  std::vector<std::uint8_t> Input;
};

// Each refusal comes before the output is opened, with its message; no file
// is made.
TEST_F(ConversionFault, RefusalsEndTheRunBeforeAnythingIsWritten) {
  Folder.Write("empty.mzf", test::RandomMzf(0, 50, 12));
  Folder.Write("large.mzf", test::RandomMzf(65536 - 128, 65536 - 128, 3));
  fs::create_symlink(Folder.PathOf("in.mzf"), Folder.PathOf("link.wav"));
  fs::create_hard_link(Folder.PathOf("in.mzf"), Folder.PathOf("hard.wav"));
  const std::string In = Folder.PathOf("in.mzf");
  const std::string Out = Folder.PathOf("out.wav");
  const std::string Missing = Folder.PathOf("missing.mzf");
  const std::string Same = "Output file must not be the input file";
  const struct {
    std::function<void(TConversionSettings&)> Arrange;
    std::string InputName, OutputName, Message;
  } Cases[] = {
      {[](TConversionSettings& S) { S.LoaderGap = -1; }, Missing, Out,
       "Gap length must not be negative"},
      {[](TConversionSettings& S) {
         S.UserTiming = {4, 2, 4, 2};
       },
       Missing, Out,
       "Log. 0 and log. 1 pulses are the same (4 + 2 samples): no machine can tell the bits apart"},
      {nullptr, Missing, Out, "Cannot read " + Missing + ": No such file or directory"},
      {nullptr, Folder.PathOf("large.mzf"), In, "File must be smaller than 64KB"},
      {nullptr, Folder.PathOf("empty.mzf"), In, "Body size in the file header is 0"},
      // 110 million lead gap pulses of 20 samples each.
      {[](TConversionSettings& S) { S.LoaderGap = 110'000'000; }, In, In,
       "Output would be larger than 2 GB"},
      {nullptr, In, In, Same},
      {nullptr, In, Folder.PathOf("./in.mzf"), Same},
      {nullptr, In, Folder.PathOf("link.wav"), Same},
      {nullptr, In, Folder.PathOf("hard.wav"), Same},
  };
  const std::vector<std::string> Names = Folder.Names();
  const TConversionSettings Good = Settings;
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Message);
    Settings = Good;
    if (Case.Arrange) {
      Case.Arrange(Settings);
    }
    Observer = {};
    EXPECT_EQ(Execute(Case.InputName, Case.OutputName), TRunOutcome::Refused);
    EXPECT_EQ(Observer.Calls, std::vector<std::string>{"Refused:" + Case.Message});
    EXPECT_EQ(Folder.Names(), Names);
    ExpectInputUnchanged();
  }
}

TEST_F(ConversionFault, OutputInAMissingFolderNamesTheChosenFile) {
  const std::string Chosen = Folder.PathOf("no such folder/out.wav");
  ExpectError<EFCreateError>([&] { Execute(Folder.PathOf("in.mzf"), Chosen); },
                             "Cannot create file " + Chosen + ": No such file or directory");
  EXPECT_EQ(Observer.CountOf("FileStarts"), 0);  // failed before any tape file
  ExpectCleanedUp({"in.mzf"});
}

TEST_F(ConversionFault, WriteFailureOnAFullDeviceIsReportedAndTheDeviceStays) {
  if (const std::string Reason = test::NoFullDevice(); !Reason.empty()) {
    GTEST_SKIP() << Reason;
  }
  ExpectError<EWriteError>([&] { Execute(Folder.PathOf("in.mzf"), "/dev/full"); },
                           "Cannot write /dev/full: No space left on device");
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
  ExpectCleanedUp({"in.mzf"});
}

// A run that fails half way through writing: the front end fails as the
// Nth tape file starts (a window closed while the run let messages
// through), so the fault lands before or after the loader file. Both ways of
// making the output, unnamed and under a hidden name (KVETRO_NO_TMPFILE):
// the window's process lives on after a failed run, so the run itself must
// leave nothing.
class RunFailure : public ConversionFault, public ::testing::WithParamInterface<int> {
 protected:
  // The front end fails at tape file number File, counting from 0; -1: never.
  void FailAt(int File) {
    Observer.OnCall = [this, File](const std::string& Name) {
      if (Name.rfind("FileStarts", 0) == 0 && FileStarts++ == File) {
        throw Exception("window closed");
      }
    };
  }

  int FileStarts = 0;
};

TEST_P(RunFailure, LeavesTheChosenNameAsItWas) {
  const test::TBytes Earlier = {'o', 'l', 'd'};
  for (const bool Existing : {true, false}) {
    for (const bool Hidden : {false, true}) {
      SCOPED_TRACE(std::string(Existing ? "replacing a file" : "new name") +
                   (Hidden ? ", hidden name" : ", unnamed"));
      if (Hidden) {
        setenv("KVETRO_NO_TMPFILE", "1", 1);
      } else {
        unsetenv("KVETRO_NO_TMPFILE");
      }
      if (Existing) {
        Folder.Write("out.wav", Earlier);
      } else {
        fs::remove(Folder.PathOf("out.wav"));
      }
      Observer.Calls.clear();
      FileStarts = 0;
      FailAt(GetParam());
      ExpectError<Exception>([&] { Execute(); }, "window closed");
      EXPECT_GT(FileStarts, GetParam());
      if (Existing) {
        EXPECT_EQ(ReadFile(Folder.PathOf("out.wav")), Earlier);
      }
      ExpectCleanedUp(Existing ? std::vector<std::string>{"in.mzf", "out.wav"}
                               : std::vector<std::string>{"in.mzf"});
    }
  }
  unsetenv("KVETRO_NO_TMPFILE");
}

// A fast-loader run writes two tape files: the loader file and the body.
INSTANTIATE_TEST_SUITE_P(FaultPoints, RunFailure, ::testing::Values(0, 1));

// The same front end without a fault writes the file, so the points above
// are inside a run that would have succeeded.
TEST_F(RunFailure, WithoutAFaultTheRunWrites) {
  FailAt(-1);
  EXPECT_EQ(Execute(), TRunOutcome::Written);
  EXPECT_EQ(FileStarts, 2);
  EXPECT_EQ(Folder.Names(), (std::vector<std::string>{"in.mzf", "out.wav"}));
}

}  // namespace
}  // namespace kvetro
