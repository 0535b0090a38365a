#include "tape/ConversionRun.h"
#include "tape/FixedSettingsUser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <random>

#include "tape/ConversionPlan.h"
#include "tests/support/MzfBuilder.h"
#include "tests/support/ReferenceSignal.h"
#include "tests/support/SameBytes.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ScriptedUser.h"
#include "wave/WaveStreamError.h"

namespace kvetro {
namespace {

using Boxes = std::array<std::int32_t, 4>;
using test::ReadFile;
using test::TScratchFolder;
using test::TScriptedUser;

class ConversionRun : public ::testing::Test {
 protected:
  // A user who picks Input and Output in the scratch folder, with small gaps
  // so that runs stay short.
  TScriptedUser& User(const std::string& Input, const std::string& Output = "out.wav") {
    FUser.InputFile = Folder.PathOf(Input);
    FUser.OutputFile = Folder.PathOf(Output);
    FUser.LeadGap = 10;
    FUser.Gap = 20;
    return FUser;
  }

  // A user who converts in.mzf into out.wav with the settings of C.
  TScriptedUser UserFor(const expected::Conversion& C) const {
    TScriptedUser U;
    U.InputFile = Folder.PathOf("in.mzf");
    U.OutputFile = Folder.PathOf("out.wav");
    U.BoxText = {std::to_string(C.User.Log0Lo), std::to_string(C.User.Log0Hi),
                 std::to_string(C.User.Log1Lo), std::to_string(C.User.Log1Hi)};
    U.Constant = C.MonitorConstant;
    U.LeadGap = C.LoaderGap;
    U.Gap = C.BodyGap;
    return U;
  }

  expected::Conversion ExpectedSettings() const {
    expected::Conversion C;
    C.LoaderGap = FUser.LeadGap;
    C.BodyGap = FUser.Gap;
    C.MonitorConstant = FUser.Constant;
    return C;
  }

  TScratchFolder Folder;
  // 64 KiB image inside: kept off the stack.
  std::unique_ptr<TConversionRun> Run = std::make_unique<TConversionRun>();
  TScriptedUser FUser;
};

TEST_F(ConversionRun, CancellingTheOpenDialogDoesNothing) {
  TScriptedUser& U = User("in.mzf");
  U.InputFile.reset();
  EXPECT_EQ(Run->Execute(U), TRunOutcome::Cancelled);
  EXPECT_EQ(U.Calls, (std::vector<std::string>{"MonitorConstant", "LoaderGap", "BodyGap",
                                               "ChooseInputFile"}));
  EXPECT_TRUE(Folder.Names().empty());
}

TEST_F(ConversionRun, CancellingTheSaveDialogWritesNothingAndLeavesTheButton) {
  Folder.Write("in.mzf", test::RandomMzf(16, 16, 1));
  TScriptedUser& U = User("in.mzf");
  U.OutputFile.reset();
  EXPECT_EQ(Run->Execute(U), TRunOutcome::Cancelled);
  EXPECT_EQ(U.Calls.back(), "ChooseOutputFile");
  EXPECT_EQ(U.CountOf("SetStartEnabled"), 0);
  EXPECT_TRUE(U.Messages.empty());
  EXPECT_EQ(Folder.Names(), std::vector<std::string>{"in.mzf"});
  // The image keeps what was loaded.
  EXPECT_EQ(Run->Image().BodySize(), 16);
  EXPECT_EQ(Run->Image().FileLength(), 144);
}

TEST_F(ConversionRun, FileOf65535BytesIsConverted) {
  const auto Largest = test::RandomMzf(300, 65535 - 128, 2);
  Folder.Write("largest.mzf", Largest);
  TScriptedUser& U = User("largest.mzf");
  ASSERT_EQ(Run->Execute(U), TRunOutcome::Written);
  EXPECT_TRUE(SameBytes(ReadFile(Folder.PathOf("out.wav")),
                        expected::ConvertedFile(Largest, ExpectedSettings())));
}

TEST_F(ConversionRun, CallsComeInTheOrderOfTheRun) {
  Folder.Write("in.mzf", test::RandomMzf(8, 8, 4));
  TScriptedUser& U = User("in.mzf");
  U.BoxText = {"5", "6", "7", "8"};
  ASSERT_EQ(Run->Execute(U), TRunOutcome::Written);
  const std::vector<std::string> Expected = {
      // every setting once, as the run starts (the four boxes only counted)
      "MonitorConstant", "LoaderGap", "BodyGap", "ChooseInputFile", "ChooseOutputFile",
      "SetStartEnabled:0",
      // standard timing shown for the loader pass
      "WriteTiming:0=9", "WriteTiming:1=11", "WriteTiming:2=18", "WriteTiming:3=19",
      "ProcessMessages",
      // the user's timing shown for the body pass
      "WriteTiming:0=5", "WriteTiming:1=6", "WriteTiming:2=7", "WriteTiming:3=8", "ProcessMessages",
      "SetStartEnabled:1"};
  EXPECT_EQ(U.TimingReads, 4);
  EXPECT_EQ(U.Calls, Expected);
}

TEST_F(ConversionRun, BoxesShowStandardTimingDuringTheLoaderAndTheUsersAfter) {
  const auto File = test::RandomMzf(40, 40, 5);
  Folder.Write("in.mzf", File);
  TScriptedUser& U = User("in.mzf");
  U.BoxText = {"4", "2", "abc", "3"};  // a box with text that is no number reads as 1
  ASSERT_EQ(Run->Execute(U), TRunOutcome::Written);

  ASSERT_EQ(U.BoxesAtProcessMessages.size(), 2u);
  EXPECT_EQ(U.BoxesAtProcessMessages[0], (Boxes{9, 11, 18, 19}));
  EXPECT_EQ(U.BoxesAtProcessMessages[1], (Boxes{4, 2, 1, 3}));
  EXPECT_EQ(U.BoxValues(), (Boxes{4, 2, 1, 3}));
  EXPECT_EQ(U.BoxText[2], "1");
  EXPECT_TRUE(U.StartEnabled);

  expected::Conversion C = ExpectedSettings();
  C.User = {4, 2, 1, 3};
  EXPECT_TRUE(SameBytes(ReadFile(Folder.PathOf("out.wav")), expected::ConvertedFile(File, C)));
}

// The input is read once and the settings are taken once: whatever happens
// to the file or the boxes while the run lets messages through, the WAV is
// the conversion of the file and the settings as they were at the start.
TEST_F(ConversionRun, NothingChangedDuringTheRunReachesTheWave) {
  const auto First = test::RandomMzf(100, 100, 6);
  using TChange = std::function<void(TScriptedUser&)>;
  const std::pair<const char*, TChange> Changes[] = {
      {"input replaced",
       [&](TScriptedUser&) { Folder.Write("in.mzf", test::RandomMzf(50, 60, 7)); }},
      {"input removed", [&](TScriptedUser&) { std::filesystem::remove(Folder.PathOf("in.mzf")); }},
      {"input grown too large",
       [&](TScriptedUser&) { Folder.Write("in.mzf", test::RandomMzf(50, 65536 - 128, 8)); }},
      {"boxes typed into",
       [](TScriptedUser& U) {
         U.BoxText = {"128", "128", "1", "abc"};
       }},
  };
  for (const auto& [Name, Change] : Changes) {
    for (const int Pass : {1, 2}) {  // before and after the loader pass
      SCOPED_TRACE(std::string(Name) + " at message pass " + std::to_string(Pass));
      Folder.Write("in.mzf", First);
      TScriptedUser U = User("in.mzf");
      U.OnCall = [&U, &Change = Change, Pass](const std::string& Call) {
        if (Call == "ProcessMessages" && U.CountOf(Call) == Pass) {
          Change(U);
        }
      };
      ASSERT_EQ(Run->Execute(U), TRunOutcome::Written);
      EXPECT_TRUE(SameBytes(ReadFile(Folder.PathOf("out.wav")),
                            expected::ConvertedFile(First, ExpectedSettings())));
      EXPECT_EQ(U.TimingReads, 4);
    }
  }
}

struct ExactCase {
  const char* Name;
  std::uint16_t BodySize;
  std::size_t BodyBytes;
  expected::Timing Timing;
  int Constant;
  int LoaderGap;
  int BodyGap;
  bool Inverted;
};

TEST_F(ConversionRun, WholeWaveEqualsTheSignalTable) {
  const ExactCase Cases[] = {
      {"one byte, no gaps", 1, 1, {3, 1, 3, 2}, 1, 0, 0, false},
      {"defaults", 256, 256, {3, 1, 3, 2}, 1, 5000, 5000, false},
      {"slow pulses, constant 255", 700, 700, {128, 128, 1, 128}, 255, 3, 7, false},
      {"header only, body is zeros", 20, 0, {2, 2, 4, 4}, 17, 1, 1, false},
      {"shorter than the parameter block", 90, 60, {1, 1, 2, 2}, 2, 0, 2, false},
      {"inverted levels", 33, 40, {3, 1, 3, 2}, 1, 4, 4, true},
  };
  std::uint32_t Seed = 100;
  for (const ExactCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    const auto File = test::RandomMzf(Case.BodySize, Case.BodyBytes, ++Seed);
    Folder.Write("in.mzf", File);
    const expected::Conversion C{Case.Timing, Case.Constant, Case.LoaderGap, Case.BodyGap,
                                 Case.Inverted};
    TScriptedUser U = UserFor(C);
    Run->SetInvertLevels(Case.Inverted);
    ASSERT_EQ(Run->Execute(U), TRunOutcome::Written);
    const auto Written = ReadFile(Folder.PathOf("out.wav"));
    EXPECT_TRUE(SameBytes(Written, expected::ConvertedFile(File, C)));
    EXPECT_EQ(Folder.Names(), (std::vector<std::string>{"in.mzf", "out.wav"}));
  }
}

TEST_F(ConversionRun, BodyPastTheEndOfTheFileIsSentAsZerosWithAWarning) {
  const auto File = test::RandomMzf(4096, 128, 8);  // a 256-byte file
  Folder.Write("in.mzf", File);
  TScriptedUser& U = User("in.mzf");
  ASSERT_EQ(Run->Execute(U), TRunOutcome::Written);
  EXPECT_EQ(U.Warnings, (std::vector<std::string>{
                            "The header does not look like an MZF tape image's: the body size, "
                            "4096 bytes, is more than 4 times the 128 bytes after the header",
                            "Body size 4096 runs past the end of the file: 3968 bytes missing, "
                            "sent as zeros"}));
  EXPECT_TRUE(SameBytes(ReadFile(Folder.PathOf("out.wav")),
                        expected::ConvertedFile(File, ExpectedSettings())));

  // A body that the file holds whole gives no warning.
  TScriptedUser Whole = U;
  Whole.Calls.clear();
  Whole.Warnings.clear();
  Folder.Write("in.mzf", test::RandomMzf(128, 128, 9));
  ASSERT_EQ(Run->Execute(Whole), TRunOutcome::Written);
  EXPECT_TRUE(Whole.Warnings.empty());
}

// Both layouts at several rates, held to the reference model; the plan
// counts exactly what is written.
TEST_F(ConversionRun, PlannedSizeEqualsTheBytesWritten) {
  constexpr expected::Layout kLayouts[] = {expected::Layout::FastLoader, expected::Layout::Standard,
                                           expected::Layout::StandardNoCopies};
  constexpr int kRates[] = {44100, 48000, 22050, 96000, 8000};
  std::mt19937 Random(2024);
  for (int Round = 0; Round < 15; ++Round) {
    const auto BodyBytes = static_cast<std::size_t>(Random() % 3000);
    const auto BodySize = static_cast<std::uint16_t>(1 + Random() % 4000);
    const auto File = test::RandomMzf(BodySize, BodyBytes, Random());
    Folder.Write("in.mzf", File);

    const auto Half = [&Random] { return static_cast<int>(1 + Random() % 128); };
    const expected::Conversion C{{Half(), Half(), Half(), Half()},
                                 static_cast<int>(1 + Random() % 255),
                                 static_cast<int>(Random() % 3000),
                                 static_cast<int>(Random() % 3000),
                                 false,
                                 kLayouts[Round % 3],
                                 kRates[Round % 5]};
    const TConversionSettings Settings{{C.User.Log0Lo, C.User.Log0Hi, C.User.Log1Lo, C.User.Log1Hi},
                                       C.MonitorConstant,
                                       C.LoaderGap,
                                       C.BodyGap,
                                       static_cast<TTapeLayoutChoice>(C.Tape),
                                       C.Rate};

    auto Loaded = std::make_unique<TMzfImage>();
    ASSERT_EQ(Loaded->LoadFromFile(Folder.PathOf("in.mzf")), TMzfImage::LoadResult::Loaded);
    const TConversionPlan Plan = PlanConversion(*Loaded, Settings);

    TFixedSettingsUser U(Folder.PathOf("in.mzf"), Folder.PathOf("out.wav"), Settings);
    ASSERT_EQ(Run->Execute(U), TRunOutcome::Written) << "round " << Round;

    const auto Written = ReadFile(Folder.PathOf("out.wav"));
    EXPECT_EQ(Plan.FileSize(), Written.size()) << "round " << Round;
    const auto Expected = expected::ConvertedFile(File, C);
    EXPECT_EQ(Plan.DataSize() + 46, Expected.size());
    EXPECT_TRUE(SameBytes(Written, Expected)) << "round " << Round;
  }
}

}  // namespace
}  // namespace kvetro
