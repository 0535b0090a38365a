// The fuzzers' properties, replayed in the normal suite (and so under the
// sanitizer build of the whole suite): every seed of the corpus. An input a
// fuzzer finds is added to the seeds (fuzz/SeedInputs.cpp) to be replayed here.
#include <gtest/gtest.h>

#include "fuzz/ConversionCheck.h"
#include "fuzz/SeedInputs.h"
#include "fuzz/TapeReadingCheck.h"
#include "fuzz/WaveReadingCheck.h"
#include "reader/TapeReader.h"

namespace kvetro::test {

namespace {

TEST(FuzzReplay, WaveReaderSeedsHoldEveryProperty) {
  const std::vector<TSeed> Seeds = WaveReaderSeeds();
  ASSERT_GE(Seeds.size(), 10u);
  for (const TSeed& Seed : Seeds) {
    EXPECT_EQ(CheckWaveReading(Seed.Bytes.data(), Seed.Bytes.size()), "") << Seed.Name;
  }
}

TEST(FuzzReplay, ConversionSeedsHoldEveryProperty) {
  const std::vector<TSeed> Seeds = ConversionSeeds();
  ASSERT_GE(Seeds.size(), 10u);
  for (const TSeed& Seed : Seeds) {
    EXPECT_EQ(CheckConversion(TConversionCase::Decode(Seed.Bytes.data(), Seed.Bytes.size())), "")
        << Seed.Name;
  }
}

TEST(FuzzReplay, TapeReaderSeedsHoldEveryProperty) {
  const std::vector<TSeed> Seeds = TapeReaderSeeds();
  ASSERT_GE(Seeds.size(), 7u);
  for (const TSeed& Seed : Seeds) {
    EXPECT_EQ(CheckTapeReading(Seed.Bytes.data(), Seed.Bytes.size()), "") << Seed.Name;
  }
}

// The pulse seeds are tape files the reader reads whole, so that the fuzzer
// starts from inputs that reach every stage.
TEST(FuzzReplay, TapeReaderPulseSeedsAreReadWhole) {
  for (const TSeed& Seed : TapeReaderSeeds()) {
    if (Seed.Name.rfind("pulses-", 0) != 0) {
      continue;
    }
    TReadOptions Options;
    Options.Polarity = static_cast<TReadOptions::TPolarity>(Seed.Bytes[1] % 3);
    const TTapeReport Report =
        ReadTape(TapeReadingRecording(Seed.Bytes.data(), Seed.Bytes.size()), "seed.wav", Options);
    EXPECT_EQ(Report.Files.size(), 1u) << Seed.Name;
    EXPECT_TRUE(Report.AllWhole()) << Seed.Name;
  }
}

// Every byte sequence decodes into settings the user can set, and a case
// survives its own encoding, so that a found input can be kept as a case.
TEST(FuzzReplay, ConversionCaseDecodesIntoAllowedRanges) {
  const std::vector<std::uint8_t> AllOnes(12, 0xFF);
  const TConversionCase High = TConversionCase::Decode(AllOnes.data(), AllOnes.size());
  EXPECT_EQ(High.Settings.UserTiming, (PulseTiming{128, 128, 128, 128}));
  EXPECT_EQ(High.Settings.MonitorConstant, 1 + 255 % 255);
  EXPECT_EQ(High.Settings.LoaderGap, 65535 % 2001);
  EXPECT_EQ(High.Settings.BodyGap, 65535 % 2001);
  EXPECT_TRUE(High.Settings.InvertLevels);
  EXPECT_TRUE(High.FillUp);
  EXPECT_EQ(High.Settings.Layout, TTapeLayoutChoice::FastLoader);  // layout 3 is the fast loader
  EXPECT_EQ(High.Settings.SampleRate, 8000);
  EXPECT_TRUE(High.Mzf.empty());

  const TConversionCase None = TConversionCase::Decode(nullptr, 0);
  EXPECT_EQ(None.Settings.UserTiming, (PulseTiming{1, 1, 1, 1}));
  EXPECT_EQ(None.Settings.MonitorConstant, 1);
  EXPECT_EQ(None.Settings.LoaderGap, 0);
  EXPECT_FALSE(None.FillUp);
  EXPECT_EQ(None.Settings.Layout, TTapeLayoutChoice::FastLoader);
  EXPECT_EQ(None.Settings.SampleRate, 44100);

  TConversionCase Case;
  Case.Settings.UserTiming = PulseTiming{7, 128, 1, 64};
  Case.Settings.MonitorConstant = 255;
  Case.Settings.LoaderGap = 2000;
  Case.Settings.BodyGap = 17;
  Case.FillUp = true;
  Case.FillPoint = 1234;
  Case.Settings.Layout = TTapeLayoutChoice::StandardNoCopies;
  Case.Settings.SampleRate = 22050;
  Case.Mzf = {1, 2, 3};
  const std::vector<std::uint8_t> Bytes = Case.Encode();
  const TConversionCase Back = TConversionCase::Decode(Bytes.data(), Bytes.size());
  EXPECT_EQ(Back.Settings.UserTiming, Case.Settings.UserTiming);
  EXPECT_EQ(Back.Settings.MonitorConstant, 255);
  EXPECT_EQ(Back.Settings.LoaderGap, 2000);
  EXPECT_EQ(Back.Settings.BodyGap, 17);
  EXPECT_EQ(Back.FillPoint, 1234);
  EXPECT_EQ(Back.Settings.Layout, TTapeLayoutChoice::StandardNoCopies);
  EXPECT_EQ(Back.Settings.SampleRate, 22050);
  EXPECT_EQ(Back.Mzf, Case.Mzf);
}

}  // namespace

}  // namespace kvetro::test
