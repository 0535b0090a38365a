// A recording read as its samples are pushed in, in blocks of every size:
// the report is the one of the same WAV read as a file, damage pictured
// alike, and each file read whole is handed out by the block that completes
// it.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "reader/LiveReader.h"
#include "reader/ReportText.h"
#include "reader/SampleSource.h"
#include "reader/TapeReader.h"
#include "tests/support/ExpectError.h"
#include "tests/support/KvetroConversion.h"
#include "tests/support/MzfBuilder.h"
#include "tests/support/TapeModel.h"
#include "wave/MemoryStream.h"
#include "wave/WaveStream.h"

namespace kvetro::test {

namespace {

enum TBlockNumber { Header, HeaderCopy, Body, BodyCopy };

// The samples of a mono WAV as the reader takes them.
std::vector<float> SamplesOf(const TBytes& Wav) {
  TMemoryStream Memory(Wav);
  TWaveStream Wave(Memory);
  Wave.Open(false);
  const TWaveFormat Format = TWaveFormat::Parse(Wave.GetFormat(), Wave.GetFormatSize(), "w.wav");
  TSampleSource Source(Wave, Format, 0);
  std::vector<float> Samples;
  for (auto Block = Source.NextBlock(); !Block.empty(); Block = Source.NextBlock()) {
    Samples.insert(Samples.end(), Block.begin(), Block.end());
  }
  return Samples;
}

auto SpotKey(const std::optional<TBadSpot>& Spot) {
  std::vector<std::tuple<double, float, bool, bool>> Pulses;
  TBadSpot Found = Spot.value_or(TBadSpot{});
  for (const TSpotPulse& P : Found.Pulses) {
    Pulses.emplace_back(P.StartSeconds, P.HighUs, P.Long, P.Damage);
  }
  return std::make_tuple(Spot.has_value(), Found.Byte, Found.Copy, Found.ReadPointUs,
                         Found.BytePulse, Pulses, Found.FirstSample, Found.SampleCount,
                         Found.Samples);
}

void ExpectSameFiles(const TTapeReport& Live, const TTapeReport& File) {
  EXPECT_EQ(Live.Inverted, File.Inverted);
  EXPECT_EQ(Live.OtherPolarity, File.OtherPolarity);
  EXPECT_EQ(Live.Problems.size(), File.Problems.size());
  ASSERT_EQ(Live.Files.size(), File.Files.size());
  for (std::size_t I = 0; I < File.Files.size(); ++I) {
    const TFileReport& A = Live.Files[I];
    const TFileReport& B = File.Files[I];
    EXPECT_EQ(FileReportText(1, A, Live.Inverted), FileReportText(1, B, File.Inverted));
    EXPECT_EQ(A.Mzf, B.Mzf);
    const std::vector<TNamedBlock> Blocks = NamedBlocks(B);
    for (std::size_t K = 0; K < Blocks.size(); ++K) {
      const auto& X = NamedBlocks(A)[K].Block;
      const auto& Y = Blocks[K].Block;
      ASSERT_EQ(X.has_value(), Y.has_value());
      if (Y) {
        EXPECT_EQ(X->Histogram.Short, Y->Histogram.Short);
        EXPECT_EQ(X->Histogram.Long, Y->Histogram.Long);
        EXPECT_EQ(SpotKey(X->BadSpot), SpotKey(Y->BadSpot));
      }
    }
  }
}

TEST(LiveReader, FedInBlocksOfAnySizeReportsAsTheFileAndHandsOutEachWholeFileAtOnce) {
  const TBytes File = RandomMzf(600, 600, 31);
  const std::vector<TTapePart> Save = MachineSave(File, true);
  struct TCase {
    const char* What;
    TTapeRecording Recording;  // Blocks empty for Kvetro's WAV
    std::size_t Handed;        // files handed out by Feed
    TBlockSource BodySource;
    bool Spot;  // the body has a spot, with the samples of the stretch
  };
  TTapeConditions OneDropout;
  OneDropout.Dropouts = {{Body, 300, 6, -40}};
  TTapeConditions TwoDropouts;
  TwoDropouts.Dropouts = {{Body, 300, 13, -40}, {BodyCopy, 301, 8, -40}};
  const TCase Cases[] = {
      {"Kvetro's WAV",
       {KvetroWave(File, TConversionSettings{}), {}},
       1,
       TBlockSource::First,
       false},
      {"the machine's save", RecordTape(Save, {}), 1, TBlockSource::First, false},
      {"the body's first block lost", RecordTape(Save, OneDropout), 1, TBlockSource::Copy, true},
      {"body and copy lost", RecordTape(Save, TwoDropouts), 0, TBlockSource::Neither, true},
  };
  constexpr std::size_t Sizes[] = {1, 7, 300, 4096, 20000};
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.What);
    const TTapeReport Expected = ReadTape(Case.Recording.Wave, "tape.wav");
    const std::vector<float> Samples = SamplesOf(Case.Recording.Wave);
    TLiveReader Live(Expected.Format.Rate, {}, "tape.wav");
    std::vector<TToldFile> Handed;
    std::int64_t HandedAt = 0;  // samples fed when the first file came
    for (std::size_t At = 0, Next = 0; At < Samples.size(); ++Next) {
      const std::size_t Count = std::min(Sizes[Next % std::size(Sizes)], Samples.size() - At);
      for (TToldFile& Told : Live.Feed({Samples.data() + At, Count})) {
        HandedAt = Handed.empty() ? static_cast<std::int64_t>(At + Count) : HandedAt;
        Handed.push_back(std::move(Told));
      }
      At += Count;
    }
    const TTapeReport Report = Live.Finish();
    EXPECT_EQ(Report.DurationSeconds, Expected.DurationSeconds);
    ExpectSameFiles(Report, Expected);
    ASSERT_EQ(Handed.size(), Case.Handed);
    ASSERT_EQ(Report.Files.size(), 1u);
    EXPECT_EQ(Report.Files[0].Mzf == File, Case.BodySource != TBlockSource::Neither);
    const TBlockReport& Read =
        Report.Files[0].FastLoader ? *Report.Files[0].FastBody : *Report.Files[0].Body;
    EXPECT_EQ(Read.Source, Case.BodySource);
    ASSERT_EQ(Read.BadSpot.has_value(), Case.Spot);
    if (!Case.Recording.Blocks.empty() && Case.Handed > 0) {
      EXPECT_EQ(Handed[0].File.Mzf, File);
      // Handed out by the block of samples that holds the end of the body
      // read (the first, or the copy): its checksum's last byte, nine long
      // pulses at most.
      const TBlockTruth& Ended =
          Case.Recording.Blocks[Case.BodySource == TBlockSource::First ? Body : BodyCopy];
      constexpr std::int64_t LastByte = 9 * 20;
      EXPECT_GT(HandedAt, Ended.ByteSamples.back());
      EXPECT_LE(HandedAt,
                Ended.ByteSamples.back() + LastByte + static_cast<std::int64_t>(Sizes[4]));
    }
    if (Case.Spot) {
      // The first byte lost lies under the dropout, and the samples shown
      // cover its start.
      const TBadSpot& Spot = *Read.BadSpot;
      const TBlockTruth& First = Case.Recording.Blocks[Body];
      EXPECT_FALSE(Spot.Copy);
      EXPECT_GE(Spot.Byte, First.DroppedBytes.front() - 1);
      EXPECT_LE(Spot.Byte, First.DroppedBytes.back());
      const std::int64_t ByteStart = First.ByteSamples[static_cast<std::size_t>(Spot.Byte)];
      EXPECT_LE(Spot.FirstSample, ByteStart);
      EXPECT_GT(Spot.FirstSample + Spot.SampleCount, ByteStart);
      EXPECT_EQ(Spot.Samples.size(), static_cast<std::size_t>(Spot.SampleCount));
    }
  }
  EXPECT_EQ(StreamStartText(TLiveReader(48000, {}, "microphone").Head()),
            "microphone: 48000 Hz, 32-bit float, 1 channel, a stream; channel 1\n");
  ExpectError<EWaveFormatError>([] { TLiveReader Live(4000, {}, "input"); },
                                "Cannot read input: sample rate 4000 Hz is outside 8000 to "
                                "192000 Hz");
}

}  // namespace

}  // namespace kvetro::test
