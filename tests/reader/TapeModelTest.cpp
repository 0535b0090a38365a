// The tape model the reader's tests play, and (disabled) a diagnostic of
// what the current reader makes of its recordings.
#include <gtest/gtest.h>


#include "tests/support/MzfBuilder.h"
#include "tests/support/ReferenceSignal.h"
#include "tests/support/TapeModel.h"

namespace kvetro::test {

namespace {

constexpr double SampleUs = 1e6 / 22050;

TEST(TapeModel, ExactTimingGivesKvetrosOwnWave) {
  // At 0.625 of full scale the model's levels are Kvetro's 0x30 and 0xD0.
  struct TCase {
    expected::Layout Tape;
    int Rate;
    bool Inverted;
  } const Cases[] = {{expected::Layout::FastLoader, 44100, false},
                     {expected::Layout::Standard, 22050, true},
                     {expected::Layout::StandardNoCopies, 48000, false}};
  const TBytes File = RandomMzf(300, 300, 5);
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Rate);
    expected::Conversion C;
    C.Tape = Case.Tape;
    C.Rate = Case.Rate;
    C.Inverted = Case.Inverted;
    TTapeConditions Conditions;
    Conditions.Rate = Case.Rate;
    Conditions.Amplitude = 0.625;
    Conditions.Inverted = Case.Inverted;
    EXPECT_EQ(RecordTape(KvetroTape(File, C), Conditions).Wave, expected::ConvertedFile(File, C));
  }
}

TEST(TapeModel, SixteenBitsHoldTheSameSquareWave) {
  const TBytes File = RandomMzf(50, 50, 6);
  const expected::Conversion C;
  TTapeConditions Conditions;
  Conditions.Rate = 44100;
  Conditions.Bits = 16;
  const TBytes Wave = RecordTape(KvetroTape(File, C), Conditions).Wave;
  const TBytes Eight = expected::ConvertedFile(File, C);  // 46 header bytes, then the samples
  ASSERT_EQ(Wave.size() - 46, 2 * (Eight.size() - 46));
  for (std::size_t I = 0; I < Eight.size() - 46; ++I) {
    const int Level = static_cast<std::int16_t>(Wave[46 + 2 * I] | Wave[47 + 2 * I] << 8);
    ASSERT_EQ(Level, Eight[46 + I] == 0xD0 ? 16384 : -16384) << I;
  }
}

TEST(TapeModel, MachineSaveIsTheMachinesLayout) {
  const TBytes File = RandomMzf(400, 400, 7);
  for (const bool Copies : {true, false}) {
    const std::vector<TTapePart> Parts = MachineSave(File, Copies);
    std::string Pulses;
    for (const TTapePart& Part : Parts) {
      Pulses += Part.Pulses;
    }
    EXPECT_EQ(Pulses, expected::StandardTapeFile(expected::Slice(File, 0, 128),
                                                 expected::UserBody(File), Copies));
    const std::vector<TBlockTruth> Blocks = RecordTape(Parts, {}).Blocks;
    ASSERT_EQ(Blocks.size(), Copies ? 4u : 2u);
    EXPECT_EQ(Blocks.back().ByteSamples.size(), 402u);
  }
}

TEST(TapeModel, MeasuredSaveReadsBetweenSevenAndEightSamples) {
  const TTapeRecording Recording = RecordTape(MachineSave(RandomMzf(9000, 9000, 8), true), {});
  for (const TBlockTruth& Block : Recording.Blocks) {
    EXPECT_TRUE(Block.Readable() && Block.WindowToUs <= 9 * SampleUs + 1e-6) << Block.Block;
  }
  // The bodies are long enough to hold the rarest lengths.
  for (const std::size_t Body : {2u, 3u}) {
    EXPECT_NEAR(Recording.Blocks[Body].WindowFromUs, 7 * SampleUs, 1e-6);
    EXPECT_NEAR(Recording.Blocks[Body].WindowToUs, 8 * SampleUs, 1e-6);
  }
}

TEST(TapeModel, DropoutQuietensTheBytesItCovers) {
  // Bytes of zero at 44100 Hz are 37 + 8 x 20 samples: 13 ms (573.3
  // samples) from the start of byte 10 reach into byte 12.
  const TBytes File = MzfFile(0x01, "Z", 100, 0x1200, 0x1200, TBytes(100, 0));
  expected::Conversion C;
  C.Tape = expected::Layout::Standard;
  C.User = expected::kStandardTiming;
  TTapeConditions Conditions;
  Conditions.Rate = 44100;
  Conditions.Dropouts = {{2, 10, 13, -30}};
  const TTapeRecording Recording = RecordTape(KvetroTape(File, C), Conditions);
  const TBlockTruth& Body = Recording.Blocks[2];
  EXPECT_EQ(Body.DroppedBytes, (std::vector<int>{10, 11, 12}));
  EXPECT_FALSE(Body.Readable());
  EXPECT_TRUE(Recording.Blocks[3].Readable());
  const TBytes& Samples = Recording.Wave;
  const auto Start = 46 + static_cast<std::size_t>(Body.ByteSamples[10]);  // past the header
  EXPECT_EQ(Samples[Start - 1], 0xC0);  // the last HI before it, at full level
  for (std::size_t I = Start + 45; I < Start + 529; ++I) {
    ASSERT_NEAR(Samples[I], 128, 3) << I - Start;  // 64 x 10^(-30/20) is 2.02
  }
  for (const std::size_t After : {Start + 574, Start + 700}) {
    EXPECT_TRUE(Samples[After] == 0x40 || Samples[After] == 0xC0) << After - Start;
  }
}

TEST(TapeModel, EditedPulsesMoveOrCloseTheWindow) {
  // Bit 7 of byte 5 of a body of zeros should be short; the shortest long
  // HIGH of a body is 8 or 9 samples, the longest short one 7.
  const std::vector<TTapePart> Parts =
      MachineSave(MzfFile(0x01, "Z", 300, 0x1200, 0x1200, TBytes(300, 0)), false);
  TTapeConditions Conditions;
  Conditions.Edits = {{1, 5, 1, false, 7.5}};
  const TBlockTruth Near = RecordTape(Parts, Conditions).Blocks[1];
  EXPECT_NEAR(Near.WindowFromUs, 7.5 * SampleUs, 1e-6);
  EXPECT_TRUE(Near.Readable());
  Conditions.Edits = {{1, 5, 1, true, 10}};
  const TBlockTruth Wrong = RecordTape(Parts, Conditions).Blocks[1];
  EXPECT_NEAR(Wrong.WindowFromUs, 10 * SampleUs, 1e-6);
  EXPECT_FALSE(Wrong.Readable());
}

TEST(TapeModel, LateStartCutsTheFirstBytes) {
  const std::vector<TTapePart> Parts = MachineSave(RandomMzf(100, 100, 9), true);
  const TTapeRecording Whole = RecordTape(Parts, {});
  TTapeConditions Late;
  Late.StartSeconds = static_cast<double>(Whole.Blocks[0].ByteSamples[64]) / 22050;
  const TTapeRecording Cut = RecordTape(Parts, Late);
  EXPECT_EQ(Cut.Blocks[0].ByteSamples[63],
            Whole.Blocks[0].ByteSamples[63] - Whole.Blocks[0].ByteSamples[64]);
  EXPECT_EQ(Cut.Blocks[0].ByteSamples[64], 0);
  EXPECT_FALSE(Cut.Blocks[0].Readable());
  EXPECT_TRUE(Cut.Blocks[1].Readable());
}

TEST(TapeModel, TheSameSeedGivesTheSameRecording) {
  const std::vector<TTapePart> Parts = MachineSave(RandomMzf(200, 200, 10), false);
  TTapeConditions Conditions;
  Conditions.EdgeSamples = 2;
  Conditions.Hiss = 0.03;
  Conditions.DriftPercent = 3;
  Conditions.FlutterPercent = 0.5;
  Conditions.AcCouplingHz = 20;
  Conditions.LevelSteps = {{5, 0.5}};
  const TBytes First = RecordTape(Parts, Conditions).Wave;
  EXPECT_EQ(RecordTape(Parts, Conditions).Wave, First);
  Conditions.Seed = 2;
  EXPECT_NE(RecordTape(Parts, Conditions).Wave, First);
}

}  // namespace

}  // namespace kvetro::test
