#include "tape/ConversionRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>

#include "tape/ConversionPlan.h"
#include "tape/MemoryOutput.h"
#include "tape/ReplacingOutput.h"
#include "tests/support/KvetroConversion.h"
#include "tests/support/MzfBuilder.h"
#include "tests/support/ReferenceSignal.h"
#include "tests/support/SameBytes.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ScriptedObserver.h"

namespace kvetro {
namespace {

using test::ReadFile;
using test::TBytes;
using test::TScratchFolder;
using test::TScriptedObserver;

class ConversionRun : public ::testing::Test {
 protected:
  // Converts the file Input of the scratch folder into out.wav there.
  TRunOutcome Execute(const TConversionSettings& Settings, const std::string& Input = "in.mzf") {
    TConversionRun Run(Settings, Observer);
    TFileOutputOpener Files;
    return Run.Execute(Folder.PathOf(Input), Folder.PathOf("out.wav"), Files);
  }

  // Small gaps, so that runs stay short.
  static expected::Conversion Short() {
    expected::Conversion C;
    C.LoaderGap = 10;
    C.BodyGap = 20;
    return C;
  }

  TScratchFolder Folder;
  TScriptedObserver Observer;
};

TEST_F(ConversionRun, FileOf65535BytesIsConverted) {
  const auto Largest = test::RandomMzf(65535 - 128, 65535 - 128, 2);
  Folder.Write("largest.mzf", Largest);
  ASSERT_EQ(Execute(test::SettingsOf(Short()), "largest.mzf"), TRunOutcome::Written);
  EXPECT_TRUE(
      SameBytes(ReadFile(Folder.PathOf("out.wav")), expected::ConvertedFile(Largest, Short())));
}

TEST_F(ConversionRun, TheObserverHearsOfEachTapeFileInTheOrderOfTheRun) {
  Folder.Write("in.mzf", test::RandomMzf(8, 8, 4));
  ASSERT_EQ(Execute(test::SettingsOf(Short())), TRunOutcome::Written);
  EXPECT_EQ(Observer.Calls, (std::vector<std::string>{"Writing", "FileStarts:Loader file",
                                                      "FileStarts:Body", "Written"}));
}

// The input is read once and the settings are a value: whatever happens to
// the file while the run lets the front end in, the WAV is the conversion of
// the file as it was at the start.
TEST_F(ConversionRun, NothingChangedDuringTheRunReachesTheWave) {
  const auto First = test::RandomMzf(100, 100, 6);
  using TChange = std::function<void()>;
  const std::pair<const char*, TChange> Changes[] = {
      {"input replaced", [&] { Folder.Write("in.mzf", test::RandomMzf(50, 60, 7)); }},
      {"input removed", [&] { std::filesystem::remove(Folder.PathOf("in.mzf")); }},
      {"input grown too large",
       [&] { Folder.Write("in.mzf", test::RandomMzf(50, 65536 - 128, 8)); }},
  };
  for (const auto& [Name, Change] : Changes) {
    for (const int Pass : {1, 2}) {  // before and after the loader file
      SCOPED_TRACE(std::string(Name) + " at tape file " + std::to_string(Pass));
      Folder.Write("in.mzf", First);
      Observer = {};
      Observer.OnCall = [this, &Change = Change, Pass](const std::string& Call) {
        if (Call.rfind("FileStarts", 0) == 0 && Observer.CountOf("FileStarts") + 1 == Pass) {
          Change();
        }
      };
      ASSERT_EQ(Execute(test::SettingsOf(Short())), TRunOutcome::Written);
      EXPECT_TRUE(
          SameBytes(ReadFile(Folder.PathOf("out.wav")), expected::ConvertedFile(First, Short())));
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
    ASSERT_EQ(Execute(test::SettingsOf(C)), TRunOutcome::Written);
    const auto Written = ReadFile(Folder.PathOf("out.wav"));
    EXPECT_TRUE(SameBytes(Written, expected::ConvertedFile(File, C)));
    EXPECT_EQ(Folder.Names(), (std::vector<std::string>{"in.mzf", "out.wav"}));
    // The same bytes given as they are, without a file.
    EXPECT_EQ(test::KvetroWave(File, test::SettingsOf(C)), Written);
  }
}

TEST_F(ConversionRun, BodyPastTheEndOfTheFileIsSentAsZerosWithAWarning) {
  const auto File = test::RandomMzf(4096, 128, 8);  // a 256-byte file
  Folder.Write("in.mzf", File);
  ASSERT_EQ(Execute(test::SettingsOf(Short())), TRunOutcome::Written);
  EXPECT_EQ(
      Observer.Warnings,
      (std::vector<std::string>{"The header does not look like an MZF tape image's: the body size, "
                                "4096 bytes, is more than 4 times the 128 bytes after the header",
                                "Body size 4096 runs past the end of the file: 3968 bytes missing, "
                                "sent as zeros"}));
  EXPECT_TRUE(
      SameBytes(ReadFile(Folder.PathOf("out.wav")), expected::ConvertedFile(File, Short())));

  // A body that the file holds whole gives no warning.
  Observer = {};
  Folder.Write("in.mzf", test::RandomMzf(128, 128, 9));
  ASSERT_EQ(Execute(test::SettingsOf(Short())), TRunOutcome::Written);
  EXPECT_TRUE(Observer.Warnings.empty());
}

// Both layouts at several rates, held to the reference model; the plan
// counts exactly what is written.
TEST_F(ConversionRun, PlannedSizeEqualsTheBytesWritten) {
  constexpr expected::Layout kLayouts[] = {expected::Layout::FastLoader, expected::Layout::Standard,
                                           expected::Layout::StandardNoCopies};
  constexpr int kRates[] = {44100, 48000, 22050, 96000, 8000};
  std::mt19937 Random(2024);
  for (int Round = 0; Round < 15; ++Round) {
    // Never 128 bytes or more behind the body: those would be a second file.
    const auto BodySize = static_cast<std::uint16_t>(1 + Random() % 4000);
    const auto BodyBytes = static_cast<std::size_t>(Random() % std::min(3000, BodySize + 128));
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
    const TConversionSettings Settings = test::SettingsOf(C);

    auto Loaded = std::make_unique<TMzfImage>();
    ASSERT_EQ(Loaded->LoadFromFile(Folder.PathOf("in.mzf")), TMzfImage::LoadResult::Loaded);
    const TConversionPlan Plan = PlanConversion(*Loaded, Settings);

    ASSERT_EQ(Execute(Settings), TRunOutcome::Written) << "round " << Round;

    const auto Written = ReadFile(Folder.PathOf("out.wav"));
    EXPECT_EQ(Plan.FileSize(), Written.size()) << "round " << Round;
    const auto Expected = expected::ConvertedFile(File, C);
    EXPECT_EQ(Plan.DataSize() + TConversionPlan::WaveHeaderSize, Expected.size());
    EXPECT_TRUE(SameBytes(Written, Expected)) << "round " << Round;
  }
}

// Two and three files, with and without copies, at 44100 and 48000 Hz: each
// as SAVE writes it, in order, whether they come in one MZT or one by one.
TEST_F(ConversionRun, EveryFileOfATapeGoesOutInOrder) {
  const TBytes Files[] = {test::RandomMzf(300, 300, 1), test::RandomMzf(1, 1, 2),
                          test::RandomMzf(900, 900, 3)};
  const struct {
    std::size_t Count;
    expected::Layout Tape;
    int Rate;
  } Cases[] = {{2, expected::Layout::Standard, 44100},
               {3, expected::Layout::StandardNoCopies, 44100},
               {2, expected::Layout::StandardNoCopies, 48000},
               {3, expected::Layout::Standard, 48000}};
  for (const auto& Case : Cases) {
    SCOPED_TRACE(std::to_string(Case.Count) + " files at " + std::to_string(Case.Rate));
    expected::Conversion C;
    C.User = expected::kStandardTiming;
    C.Tape = Case.Tape;
    C.Rate = Case.Rate;
    const std::vector<TBytes> Tape(Files, Files + Case.Count);
    std::vector<TTapeInput> OneByOne;
    TBytes Mzt;
    for (const TBytes& File : Tape) {
      OneByOne.push_back({"f" + std::to_string(OneByOne.size()) + ".mzf", File});
      Mzt.insert(Mzt.end(), File.begin(), File.end());
    }
    const TBytes Expected = expected::ConvertedTape(Tape, C);
    EXPECT_TRUE(SameBytes(test::KvetroWave(Mzt, test::SettingsOf(C)), Expected));
    EXPECT_TRUE(SameBytes(test::KvetroWave(OneByOne, test::SettingsOf(C)), Expected));
  }
}

// Behind the last file, a part shorter than a header is reported and not
// sent; a whole header's length is a second file, which the fast loader
// refuses.
TEST_F(ConversionRun, APartShorterThanAHeaderIsReportedAndNotSent) {
  const TBytes Game = test::RandomMzf(200, 200, 5);
  const auto Behind = [&Game](std::size_t Bytes) {
    TBytes Tape = Game;
    Tape.insert(Tape.end(), Game.begin(), Game.begin() + static_cast<std::ptrdiff_t>(Bytes));
    return Tape;
  };
  const std::string Cut =
      "in.mzf ends with 127 bytes behind its last file, too few for a "
      "header: not sent";
  expected::Conversion Own = Short();
  Own.Tape = expected::Layout::StandardNoCopies;
  using TTexts = std::vector<std::string>;
  const struct {
    TBytes File;
    expected::Conversion C;
    TTexts Refusals, Warnings;
    TBytes Wave;
  } Cases[] = {
      {Behind(127), Short(), {}, {Cut}, expected::ConvertedFile(Game, Short())},
      {Behind(127), Own, {}, {Cut}, expected::ConvertedFile(Game, Own)},
      {Behind(128),
       Short(),
       {"The fast loader takes one program, and the input holds 2 files: --standard writes them "
        "all, one after the other, in the machine's own layout"},
       {},
       {}},
  };
  for (const auto& Case : Cases) {
    Observer = {};
    TConversionRun Run(test::SettingsOf(Case.C), Observer);
    TMemoryOutputs Outputs;
    Run.Execute(Case.File, "in.mzf", "out.wav", Outputs);
    EXPECT_EQ(Observer.Messages, Case.Refusals);
    EXPECT_EQ(Observer.Warnings, Case.Warnings);
    EXPECT_TRUE(SameBytes(Outputs.Latest().Bytes, Case.Wave));
  }
}

}  // namespace
}  // namespace kvetro
