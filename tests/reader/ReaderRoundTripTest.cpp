// Kvetro's own WAVs and tape files in the machine's own layout, read back:
// the MZF file comes back byte for byte and the report says what was read.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <tuple>

#include "reader/TapeReader.h"
#include "tape/ConversionPlan.h"
#include "tape/TapeSignal.h"
#include "tests/support/KvetroConversion.h"
#include "tests/support/MzfBuilder.h"
#include "tests/support/ReferenceSignal.h"
#include "wave/MemoryStream.h"
#include "wave/WaveStream.h"

namespace kvetro::test {

namespace {

// Converts File with Kvetro's conversion run, all in memory.
TBytes KvetroWave(const TBytes& File, const expected::Conversion& C) {
  return test::KvetroWave(File, SettingsOf(C));
}

// A mono 8-bit wave of the given samples at Rate.
TBytes Wave8(const TBytes& Samples, std::int32_t Rate = 44100) {
  TMemoryStream Memory;
  TWaveStream Wave(Memory);
  Wave.SetPCMFormat(Rate, 8, 1);
  Wave.Open(true);
  Wave.WriteBuffer(Samples.data(), static_cast<std::int32_t>(Samples.size()));
  Wave.Close();
  return Memory.Bytes();
}

// The machine's own layout with copies, as a reference model writes it,
// with that data bit (0 the first) flipped in the header's first block and
// in its copy; -1 flips none.
std::string SpoiledStandardFile(const TBytes& File, int FirstBit, int CopyBit) {
  std::string Pulses = expected::StandardTapeFile(expected::Slice(File, 0, TMzfImage::HeaderSize),
                                                  expected::UserBody(File), true);
  const std::size_t Header = LongGapPulses + 2 * HeaderMarkPulses + 1;  // the first start pulse
  // Past the header's bytes and checksum, nine pulses each, its long pulse
  // and the copy's gap.
  const std::size_t Copy = Header + (TMzfImage::HeaderSize + 2) * 9 + 1 + CopyGapPulses;
  for (const auto& [Start, Bit] : {std::pair{Header, FirstBit}, std::pair{Copy, CopyBit}}) {
    if (Bit >= 0) {
      const std::size_t At = Start + static_cast<std::size_t>(Bit / 8 * 9 + 1 + Bit % 8);
      Pulses[At] = Pulses[At] == '1' ? '0' : '1';
    }
  }
  return Pulses;
}

TEST(ReaderRoundTrip, KvetroWavesComeBackByteForByte) {
  struct TCase {
    const char* What;
    expected::Timing User;
    int Constant;
    int LoaderGap;
    int BodyGap;
    bool Inverted;
    int Rate = 44100;
  };
  const TCase Cases[] = {
      {"defaults", {3, 1, 3, 2}, 1, 5000, 5000, false},
      {"fastest distinct timing", {1, 1, 1, 2}, 1, 100, 100, false},
      {"slowest timing", {128, 127, 128, 128}, 9, 10, 10, false},
      {"standard timing for the body", {9, 11, 18, 19}, 255, 10, 10, false},
      {"no gaps at all", {3, 1, 3, 2}, 7, 0, 0, false},
      {"inverted levels", {2, 2, 2, 4}, 1, 50, 0, true},
      {"at 48000 Hz", {3, 1, 3, 2}, 1, 100, 100, false, 48000},
      {"at 22050 Hz", {4, 4, 4, 8}, 1, 100, 100, false, 22050},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.What);
    const TBytes File = RandomMzf(300, 300, 21, 0x1200, 0x1234);
    expected::Conversion C;
    C.User = Case.User;
    C.MonitorConstant = Case.Constant;
    C.LoaderGap = Case.LoaderGap;
    C.BodyGap = Case.BodyGap;
    C.Inverted = Case.Inverted;
    C.Rate = Case.Rate;
    const TTapeReport Report = ReadTape(KvetroWave(File, C), "k.wav");
    ASSERT_EQ(Report.Files.size(), 1u);
    const TFileReport& Read = Report.Files[0];
    EXPECT_TRUE(Read.Whole);
    EXPECT_TRUE(Read.FastLoader);
    EXPECT_EQ(Read.MonitorConstant, Case.Constant);
    EXPECT_EQ(Read.Mzf, File);
    EXPECT_TRUE(Report.Problems.empty());
  }
}

TEST(ReaderRoundTrip, TheMachinesOwnLayoutComesBackAtEveryRate) {
  const TBytes File = RandomMzf(500, 500, 5, 0x1200, 0x1300);
  for (const auto Tape : {expected::Layout::Standard, expected::Layout::StandardNoCopies}) {
    for (const int Rate : {8000, 22050, 48000, 96000}) {
      const bool Copies = Tape == expected::Layout::Standard;
      SCOPED_TRACE(std::to_string(Rate) + (Copies ? " with copies" : " without"));
      expected::Conversion C;
      C.Tape = Tape;
      C.Rate = Rate;
      C.User = expected::kStandardTiming;
      const TTapeReport Report = ReadTape(KvetroWave(File, C), "m.wav");
      ASSERT_EQ(Report.Files.size(), 1u);
      EXPECT_TRUE(Report.Files[0].Whole);
      EXPECT_FALSE(Report.Files[0].FastLoader);
      EXPECT_EQ(Report.Files[0].Mzf, File);
      EXPECT_EQ(Report.Files[0].Header->CopyFound, Copies);
      EXPECT_EQ(Report.Files[0].Body->CopyFound, Copies);
      EXPECT_EQ(Report.Files[0].Header->Source, TBlockSource::First);
    }
  }
}

TEST(ReaderRoundTrip, ASpoiledBlockIsTakenFromItsCopy) {
  const TBytes File = RandomMzf(200, 200, 9);
  // A clean bit error is as sure as the right bit: the reading that holds
  // its checksum is taken, as the machine takes it.
  struct TCase {
    int FirstBit, CopyBit;
    TBlockSource Source;
    std::int32_t Conflict;  // the byte where they differ, or -1
  } const Cases[] = {
      {43, -1, TBlockSource::Copy, -1},
      {43, 43, TBlockSource::Neither, -1},  // alike: only the checksum shows it
      {83, 43, TBlockSource::Neither, 5},   // the readings part at byte 5 (and 10)
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.FirstBit);
    const TTapeReport Report =
        ReadTape(Wave8(expected::Samples(SpoiledStandardFile(File, Case.FirstBit, Case.CopyBit),
                                         expected::kStandardTiming)),
                 "s.wav");
    ASSERT_EQ(Report.Files.size(), 1u);
    const TFileReport& Read = Report.Files[0];
    EXPECT_EQ(Read.Header->Source, Case.Source);
    EXPECT_EQ(Read.Header->Conflicts.empty() ? -1 : Read.Header->Conflicts[0].First, Case.Conflict);
    EXPECT_TRUE(Read.Header->BadBytes.empty());
    EXPECT_EQ(Read.Body->Source, TBlockSource::First);
    EXPECT_EQ(Read.Whole, Case.Source == TBlockSource::Copy);
    if (Read.Whole) {
      EXPECT_EQ(Read.Mzf, File);
    }
    EXPECT_TRUE(Report.Problems.empty());
  }
}

TEST(ReaderRoundTrip, TwoFilesInOneRecordingComeInOrder) {
  const TBytes First = RandomMzf(120, 120, 1);
  const TBytes Second = RandomMzf(64, 64, 2, 0x3000, 0x3003);
  const TBytes KvetroPart = KvetroWave(First, {});
  TBytes Samples(KvetroPart.begin() + TConversionPlan::WaveHeaderSize, KvetroPart.end());
  expected::Conversion Standard;
  Standard.Tape = expected::Layout::StandardNoCopies;
  Standard.User = expected::kStandardTiming;
  const TBytes MachineWave = KvetroWave(Second, Standard);
  const TBytes MachinePart(MachineWave.begin() + TConversionPlan::WaveHeaderSize,
                           MachineWave.end());
  Samples.insert(Samples.end(), MachinePart.begin(), MachinePart.end());
  const TTapeReport Report = ReadTape(Wave8(Samples), "two.wav");
  ASSERT_EQ(Report.Files.size(), 2u);
  EXPECT_EQ(Report.Files[0].Mzf, First);
  EXPECT_EQ(Report.Files[1].Mzf, Second);
  EXPECT_LT(Report.Files[0].StartSeconds, Report.Files[1].StartSeconds);
  EXPECT_TRUE(Report.AllWhole());
}

// A file whose tape mark follows the last block after just a copy's gap
// (256 short pulses) is read as the next file, not as a copy.
TEST(ReaderRoundTrip, AFileRightAfterACopysGapIsNoCopy) {
  const TBytes First = RandomMzf(50, 50, 3);
  const TBytes Second = RandomMzf(60, 60, 4);
  const auto Pulses = [](const TBytes& File) {
    return expected::StandardTapeFile(expected::Slice(File, 0, TMzfImage::HeaderSize),
                                      expected::UserBody(File), false);
  };
  const std::string Both = Pulses(First) + Pulses(Second).substr(LongGapPulses - CopyGapPulses);
  const TTapeReport Report =
      ReadTape(Wave8(expected::Samples(Both, expected::kStandardTiming)), "close.wav");
  ASSERT_EQ(Report.Files.size(), 2u);
  EXPECT_EQ(Report.Files[0].Mzf, First);
  EXPECT_EQ(Report.Files[1].Mzf, Second);
  EXPECT_TRUE(Report.AllWhole());
}

// A header that promises more body than the file holds: the zeros that went
// to tape come back.
TEST(ReaderRoundTrip, AShortFileComesBackWithTheZerosSent) {
  TBytes File = MakeMzf(300, 100);
  const TTapeReport Report = ReadTape(KvetroWave(File, {}), "short.wav");
  File.resize(128 + 300, 0);
  ASSERT_EQ(Report.Files.size(), 1u);
  EXPECT_EQ(Report.Files[0].Mzf, File);
}

// The windows of Kvetro's square pulses are whole samples: HIGH halves 11
// and 19 at the standard timing, 1 and 2 at the default fast one; turned
// over, the LO halves 9 and 18, 3 and 3 (no window).
TEST(ReaderRoundTrip, WindowsOfKvetroWavesAreExact) {
  const TTapeReport Report = ReadTape(KvetroWave(RandomMzf(100, 100, 4), {}), "w.wav");
  ASSERT_EQ(Report.Files.size(), 1u);
  const TFileReport& File = Report.Files[0];
  const auto Us = [](double Samples) { return Samples * 1e6 / 44100; };
  const struct {
    const TBlockReport& Block;
    double Short, Long, ShortLo, LongLo;
  } Cases[] = {
      {*File.Header, 11, 19, 9, 18},
      {*File.Body, 11, 19, 9, 18},
      {*File.FastBody, 1, 2, 3, 3},
  };
  for (const auto& Case : Cases) {
    ASSERT_TRUE(Case.Block.Window);
    EXPECT_NEAR(Case.Block.Window->FromUs, Us(Case.Short), 0.05);
    EXPECT_NEAR(Case.Block.Window->ToUs, Us(Case.Long), 0.05);
    EXPECT_NEAR(Case.Block.OtherPolarityWindow.FromUs, Us(Case.ShortLo), 0.05);
    EXPECT_NEAR(Case.Block.OtherPolarityWindow.ToUs, Us(Case.LongLo), 0.05);
    EXPECT_NEAR(Case.Block.Short.High.MeanUs, Us(Case.Short), 0.05);
    EXPECT_NEAR(Case.Block.Long.Low.MeanUs, Us(Case.LongLo), 0.05);
    EXPECT_NEAR(Case.Block.Long.High.SpreadUs, 0, 1e-3);
    // Every pulse of a kind in the one bin of its HIGH time.
    for (const auto& [Bins, Samples, Count] :
         {std::tuple{Case.Block.Histogram.Short, Case.Short, Case.Block.Short.High.Count},
          std::tuple{Case.Block.Histogram.Long, Case.Long, Case.Block.Long.High.Count}}) {
      const auto Bin = static_cast<std::size_t>(Us(Samples) / THighTimeHistogram::BinUs);
      ASSERT_EQ(Bins.size(), Bin + 1);
      EXPECT_EQ(Bins[Bin], Count);
    }
  }
  EXPECT_NEAR(File.Header->Window->FromUs, 249.4, 0.05);
  EXPECT_NEAR(File.Header->Window->ToUs, 430.8, 0.05);
  EXPECT_FALSE(File.FastBody->OtherPolarityWindow.IsOpen());
}

// Its length comes from its own pulses; the header is made up from the
// recording's name, and the file is not whole.
TEST(ReaderRoundTrip, ABodyWithoutItsHeaderIsReportedWithItsSize) {
  const TBytes Body = CountingBody(50, 1);
  const TBytes Wave = Wave8(expected::Samples(expected::BodyTapeFile(Body, 100), {3, 1, 3, 2}));
  for (const auto& [Recording, Name] :
       {std::pair{"dir/body.x.wav", "BODY.X"}, std::pair{"body.wav", "BODY"}}) {
    const TTapeReport Report = ReadTape(Wave, Recording);
    ASSERT_EQ(Report.Files.size(), 1u);
    const TFileReport& File = Report.Files[0];
    EXPECT_FALSE(File.Header);
    EXPECT_FALSE(File.Whole);
    EXPECT_EQ(File.Body->Source, TBlockSource::First);
    EXPECT_EQ(File.Mzf, MzfFile(0x01, Name, 50, 0, 0, Body));
    EXPECT_TRUE(Report.Problems.empty());
  }
}

}  // namespace

}  // namespace kvetro::test
