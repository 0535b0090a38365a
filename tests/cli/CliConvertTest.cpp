// kvetro-cli writes exactly the WAV that the conversion run writes, and every
// option reaches that WAV.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "tape/ConversionSettings.h"
#include "tests/support/CliRunner.h"
#include "tests/support/KvetroConversion.h"
#include "tests/support/MzfBuilder.h"

namespace kvetro::test {

namespace {

class CliConvert : public ::testing::Test {
 protected:
  void SetUp() override { WriteFile(Input, InputBytes); }

  // Runs kvetro-cli on Input with Options and expects a success that prints
  // Warnings and leaves nothing but the WAV.
  TBytes Convert(std::vector<std::string> Options, const std::string& Warnings = "") {
    Options.insert(Options.end(), {Input, Scratch.PathOf("out.wav")});
    const TCliResult Result = RunCli(Options);
    EXPECT_EQ(Result.ExitCode, 0) << Result.Errors;
    EXPECT_EQ(Result.Errors, Warnings);
    EXPECT_TRUE(Result.Out.empty());
    EXPECT_TRUE(Result.TempLeft.empty());
    EXPECT_EQ(ReadFile(Input), InputBytes) << "the input must never change";
    EXPECT_EQ(Scratch.Names(), (std::vector<std::string>{"game.mzf", "out.wav"}));
    return ReadFile(Scratch.PathOf("out.wav"));
  }

  // What the conversion run itself writes for Input: the WAV that
  // kvetro-cli must reproduce byte for byte.
  TBytes Reference(const TConversionSettings& Settings) { return KvetroWave(InputBytes, Settings); }

  TScratchFolder Scratch{"cli-convert"};
  std::string Input = Scratch.PathOf("game.mzf");
  TBytes InputBytes = CountingMzf(300, 0x41);
};

TEST_F(CliConvert, DefaultsWriteTheRunsWave) {
  EXPECT_EQ(Convert({}), Reference(TConversionSettings{}));
}

// One case per option: the WAV equals the run's with that one setting, and
// differs from the default WAV, so an ignored option fails.
struct TOptionCase {
  const char* Name;
  std::vector<std::string> Options;
  std::function<void(TConversionSettings&)> Apply;
};

void PrintTo(const TOptionCase& Case, std::ostream* Out) {
  *Out << Case.Name;
}

class CliOption : public CliConvert, public ::testing::WithParamInterface<TOptionCase> {};

TEST_P(CliOption, ReachesTheWave) {
  TConversionSettings Settings;
  GetParam().Apply(Settings);
  const TBytes Wave = Convert(GetParam().Options);
  EXPECT_EQ(Wave, Reference(Settings));
  EXPECT_NE(Wave, Reference(TConversionSettings{}));
}

INSTANTIATE_TEST_SUITE_P(
    EveryOption, CliOption,
    ::testing::Values(
        TOptionCase{
            "Zero",
            {"--zero", "2,2"},
            [](TConversionSettings& S) { S.UserTiming.Log0Lo = 2, S.UserTiming.Log0Hi = 2; }},
        TOptionCase{
            "ZeroHalvesInOrder",
            {"--zero=1,3"},
            [](TConversionSettings& S) { S.UserTiming.Log0Lo = 1, S.UserTiming.Log0Hi = 3; }},
        TOptionCase{
            "One",
            {"--one", "9,4"},
            [](TConversionSettings& S) { S.UserTiming.Log1Lo = 9, S.UserTiming.Log1Hi = 4; }},
        TOptionCase{
            "OneHalvesInOrder",
            {"--one", "2,3"},
            [](TConversionSettings& S) { S.UserTiming.Log1Lo = 2, S.UserTiming.Log1Hi = 3; }},
        TOptionCase{"Constant",
                    {"--constant", "200"},
                    [](TConversionSettings& S) { S.MonitorConstant = 200; }},
        TOptionCase{
            "LoaderGap", {"--loader-gap", "0"}, [](TConversionSettings& S) { S.LoaderGap = 0; }},
        TOptionCase{
            "BodyGap", {"--body-gap", "17"}, [](TConversionSettings& S) { S.BodyGap = 17; }},
        TOptionCase{"Invert", {"--invert"}, [](TConversionSettings& S) { S.InvertLevels = true; }},
        TOptionCase{"Standard",
                    {"--standard"},
                    [](TConversionSettings& S) {
                      S.Layout = TTapeLayoutChoice::Standard;
                      S.UserTiming = PulseTiming::Standard();
                    }},
        TOptionCase{"StandardNoCopiesOwnPulses",
                    {"--no-copies", "--one", "30,31", "--standard"},
                    [](TConversionSettings& S) {
                      S.Layout = TTapeLayoutChoice::StandardNoCopies;
                      S.UserTiming = PulseTiming{9, 11, 30, 31};
                    }},
        TOptionCase{
            "Rate", {"--rate", "48000"}, [](TConversionSettings& S) { S.SampleRate = 48000; }},
        TOptionCase{"StandardAtRate",
                    {"--standard", "--rate=22050"},
                    [](TConversionSettings& S) {
                      S.Layout = TTapeLayoutChoice::Standard;
                      S.UserTiming = PulseTiming::Standard();
                      S.SampleRate = 22050;
                    }},
        TOptionCase{"All",
                    {"--zero", "1,1", "--one=128,128", "--constant", "255", "--loader-gap", "3",
                     "--body-gap", "0"},
                    [](TConversionSettings& S) {
                      S.UserTiming = PulseTiming{1, 1, 128, 128};
                      S.MonitorConstant = 255;
                      S.LoaderGap = 3;
                      S.BodyGap = 0;
                    }}),
    [](const ::testing::TestParamInfo<TOptionCase>& Info) { return std::string(Info.param.Name); });

// The run's warnings reach standard error, each on a line of its own, and
// the WAV is written all the same.
TEST_F(CliConvert, WarningsGoToStandardErrorAndTheWaveIsWritten) {
  // The header says 4096 bytes, the file holds 128 of them.
  InputBytes = MzfFile(0x01, "SHORT", 4096, 0x1200, 0x1200, TBytes(128, 0xFF));
  WriteFile(Input, InputBytes);
  TConversionSettings Settings;
  Settings.UserTiming = PulseTiming{3, 2, 3, 1};
  EXPECT_EQ(Convert({"--zero", "3,2", "--one", "3,1"},
                    "Warning: Log. 1 pulse (3 + 1 samples) is not longer than log. 0 pulse (3 + 2 "
                    "samples); the body may not load\n"
                    "Warning: The header does not look like an MZF tape image's: the body size, "
                    "4096 bytes, is more than 4 times the 128 bytes after the header\n"
                    "Warning: Body size 4096 runs past the end of the file: 3968 bytes missing, "
                    "sent as zeros\n"),
            Reference(Settings));
}

// What the first bytes give away, before anything is converted: a WAV (here
// one that kvetro-cli wrote, larger than any MZF) is refused by its name,
// with the way to read a recording; a text file is converted with a warning
// that names each doubt; a plain MZF file says nothing.
TEST_F(CliConvert, InputsAreCheckedBeforeTheyAreConverted) {
  const std::string Wave = Scratch.PathOf("game.wav");
  ASSERT_EQ(RunCli({Input, Wave}).ExitCode, 0);
  const std::string Text = "Dear diary, today I converted a letter instead of a game.\n";
  TBytes Letter;
  for (int Line = 0; Line < 8; ++Line) {
    Letter.insert(Letter.end(), Text.begin(), Text.end());
  }
  const std::string WaveRefusal = Wave + " is a WAV file, not an MZF tape image\n" +
                                  "to read a recording: kvetro-cli read " + Wave + "\n";
  const std::string Doubts =
      "Warning: The header does not look like an MZF tape image's: the name has no end mark "
      "(0x0D) within its 17 bytes; the body size, 8265 bytes, is more than 4 times the 336 "
      "bytes after the header\n";
  struct TCase {
    std::vector<std::string> Arguments;
    int ExitCode;
    std::string Errors;
  };
  const std::string Letters = Scratch.Write("letter.txt", Letter);
  const std::string Output = Scratch.PathOf("out.wav");
  const TCase Cases[] = {
      {{Wave, Output}, 1, WaveRefusal},
      {{"--info", Wave}, 1, WaveRefusal},
      {{Letters, Output},
       0,
       Doubts + "Warning: Body size 8265 runs past the end of the file: 7929 bytes missing, "
                "sent as zeros\n"},
      {{"--info", Letters}, 0, Doubts},
      {{Input, Output}, 0, ""},
      {{"--info", Input}, 0, ""},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Arguments.front() + " " + Case.Arguments.back());
    const TCliResult Result = RunCli(Case.Arguments);
    EXPECT_EQ(Result.ExitCode, Case.ExitCode);
    EXPECT_EQ(Result.Errors, Case.Errors);
    EXPECT_EQ(Result.Out.empty(), Case.Arguments.front() != "--info" || Case.ExitCode != 0);
  }
}

// Several inputs go on one tape in the order given, as their MZT does.
TEST_F(CliConvert, SeveralInputsGoOnOneTapeInTheirOrder) {
  const TBytes Second = CountingMzf(40, 0x10);
  const std::string Output = Scratch.PathOf("out.wav");
  const TCliResult Result =
      RunCli({"--standard", "--no-copies", Scratch.Write("second.mzf", Second), Input, Output});
  EXPECT_EQ(Result.ExitCode, 0) << Result.Errors;
  TBytes Mzt = Second;
  Mzt.insert(Mzt.end(), InputBytes.begin(), InputBytes.end());
  TConversionSettings Settings;
  Settings.Layout = TTapeLayoutChoice::StandardNoCopies;
  Settings.UserTiming = PulseTiming::Standard();
  EXPECT_EQ(ReadFile(Output), KvetroWave(Mzt, Settings));
}

}  // namespace

}  // namespace kvetro::test
