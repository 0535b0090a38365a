// kvetro-cli writes exactly the WAV that the conversion run writes, and every
// option reaches that WAV.
#include <gtest/gtest.h>

#include <functional>

#include "CliProcess.h"
#include "CliTestFiles.h"
#include "ReferenceRun.h"

namespace kvetro::test {

namespace {

constexpr std::uint8_t Lo = 0x30;
constexpr std::uint8_t Hi = 0xD0;

class CliConvert : public ::testing::Test {
 protected:
  void SetUp() override { WriteFile(Input, InputBytes); }

  // Runs kvetro-cli on Input with Options and expects a clean success.
  TBytes Convert(const std::vector<std::string>& Options, const std::string& Name = "out.wav") {
    std::vector<std::string> Arguments = Options;
    Arguments.push_back(Input);
    Arguments.push_back(Scratch.File(Name));
    const TCliResult Result = RunCli(Arguments, Scratch);
    EXPECT_EQ(Result.ExitCode, 0) << Result.Errors;
    EXPECT_EQ(Result.Errors, "");
    EXPECT_TRUE(Result.Out.empty());
    EXPECT_EQ(ReadFile(Input), InputBytes) << "the input must never change";
    EXPECT_TRUE(Scratch.TempNames().empty());
    return ReadFile(Scratch.File(Name));
  }

  TBytes Reference(const TConversionSettings& Settings, bool Invert = false) {
    return ReferenceWave(Input, Scratch.File("reference.wav"), Settings, Invert).Wave;
  }

  TScratch Scratch;
  std::string Input = Scratch.File("game.mzf");
  TBytes InputBytes = CountingMzf(300, 0x41);
};

TEST_F(CliConvert, DefaultsWriteTheRunsWaveAndNothingElse) {
  const TBytes Wave = Convert({});
  EXPECT_EQ(Wave, Reference(TConversionSettings{}));
  EXPECT_EQ(Scratch.FileNames(),
            (std::vector<std::string>{"game.mzf", "out.wav", "reference.wav"}));
}

TEST_F(CliConvert, ExistingOutputIsReplaced) {
  WriteFile(Scratch.File("out.wav"), TBytes(100000, 0x55));
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

TEST_F(CliConvert, GapsChangeTheWaveByTheirShortPulses) {
  const std::uint32_t Default = LittleEndian32(Convert({}), 42);
  // A loader gap pulse is a short pulse at standard timing: 9 + 11 samples.
  EXPECT_EQ(LittleEndian32(Convert({"--loader-gap", "4000"}), 42), Default - 1000 * 20);
  // The body gap precedes both bodies: 20 samples in the loader file, 3 + 1
  // at the default fast timing.
  EXPECT_EQ(LittleEndian32(Convert({"--body-gap", "4990"}), 42), Default - 10 * (20 + 4));
}

TEST_F(CliConvert, TheWaveEndsWithTheTwoLongEndPulsesOfTheOneOption) {
  const TBytes Wave = Convert({"--one", "9,4"});
  TBytes Pulse(9, Lo);
  Pulse.insert(Pulse.end(), 4, Hi);
  TBytes Tail = Pulse;
  Tail.insert(Tail.end(), Pulse.begin(), Pulse.end());
  ASSERT_GT(Wave.size(), Tail.size());
  EXPECT_TRUE(std::equal(Tail.begin(), Tail.end(), Wave.end() - static_cast<long>(Tail.size())));
}

TEST_F(CliConvert, InvertSwapsExactlyTheTwoLevels) {
  const TBytes Plain = Convert({});
  const TBytes Inverted = Convert({"--invert"}, "inverted.wav");
  ASSERT_EQ(Inverted.size(), Plain.size());
  EXPECT_TRUE(std::equal(Plain.begin(), Plain.begin() + WaveHeaderSize, Inverted.begin()));
  std::size_t Swapped = 0;
  for (std::size_t Index = WaveHeaderSize; Index < Plain.size(); ++Index) {
    ASSERT_TRUE(Plain[Index] == Lo || Plain[Index] == Hi) << "sample " << Index;
    ASSERT_EQ(Inverted[Index], Plain[Index] == Lo ? Hi : Lo) << "sample " << Index;
    ++Swapped;
  }
  EXPECT_EQ(Swapped, LittleEndian32(Plain, 42));
  EXPECT_EQ(Inverted, Reference(TConversionSettings{}, true));
}

TEST_F(CliConvert, BodyPastTheEndOfTheFileConvertsWithAWarning) {
  // The header says 4096 bytes, the file holds 128 of them.
  InputBytes = MzfFile(0x01, "SHORT", 4096, 0x1200, 0x1200, TBytes(128, 0xFF));
  WriteFile(Input, InputBytes);
  const std::vector<std::string> Arguments{Input, Scratch.File("out.wav")};
  const TCliResult Result = RunCli(Arguments, Scratch);
  EXPECT_EQ(Result.ExitCode, 0);
  const TReference Run = ReferenceWave(Input, Scratch.File("reference.wav"), TConversionSettings{});
  ASSERT_EQ(Run.Warnings.size(), 1u);
  EXPECT_NE(Run.Warnings[0].find("3968 bytes missing"), std::string::npos) << Run.Warnings[0];
  EXPECT_EQ(Result.Errors, "Warning: " + Run.Warnings[0] + "\n");
  EXPECT_EQ(ReadFile(Scratch.File("out.wav")), Run.Wave);
  EXPECT_EQ(ReadFile(Input), InputBytes);
}

}  // namespace

}  // namespace kvetro::test
