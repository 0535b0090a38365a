// The tape marks the block reader finds in a stream of pulses.
#include <gtest/gtest.h>

#include <algorithm>

#include "reader/BlockReader.h"

namespace kvetro::test {

namespace {

struct TCountingConsumer : TBlockConsumer {
  std::int32_t BlockLength(TBlockKind) override { return Length; }
  void Block(TBlockRead Read) override { Reads.push_back(std::move(Read)); }
  std::int32_t Length = 16;
  std::vector<TBlockRead> Reads;
};

// Pulses of a clean recording at 44100 Hz: HIGH 250 or 500 µs.
class TPulseFeed {
 public:
  explicit TPulseFeed(TBlockReader& Reader) : FReader(Reader) {}
  void Run(int Count, bool Long) {
    for (int I = 0; I < Count; ++I) {
      FReader.Pulse({FSeconds, Long ? 500.0 : 250.0, 250, 0.5F});
      FSeconds += (Long ? 750 : 500) * 1e-6;
    }
  }
  void Mark(int N) {
    Run(N, true);
    Run(N, false);
    Run(1, true);
  }
  // A start pulse, then bits 7 to 0.
  void Byte(std::uint8_t Value) {
    Run(1, true);
    for (int Bit = 7; Bit >= 0; --Bit) {
      Run(1, ((Value >> Bit) & 1) != 0);
    }
  }

 private:
  TBlockReader& FReader;
  double FSeconds = 0;
};

}  // namespace

// A gap whose like pulses wander by a fraction of a sample, as the middle
// of a quiet, dithered recording moves with its peaks, once in the shape of
// a header's mark (40 a little longer, 40 a little shorter, one longer): a
// mark only where the two runs lie half a sample apart or more.
TEST(BlockReader, AMarkIsHalfASampleApartOrMore) {
  constexpr double ShortUs = 249.42;
  constexpr double SampleUs = 1e6 / 44100;
  const struct {
    double ApartUs;
    std::size_t Blocks;
  } Cases[] = {{0.03, 0}, {0.4 * SampleUs, 0}, {0.6 * SampleUs, 1}};
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.ApartUs);
    TCountingConsumer Consumer;
    TBlockReader Reader(Consumer, 44100);
    double Seconds = 0;
    const auto Feed = [&](int Count, double HighUs) {
      for (int I = 0; I < Count; ++I, Seconds += 450e-6) {
        Reader.Pulse({Seconds, HighUs, 200, 0.04F});
      }
    };
    Feed(1000, ShortUs);
    Feed(TBlockReader::HeaderMark, ShortUs + Case.ApartUs);
    Feed(TBlockReader::HeaderMark, ShortUs);
    Feed(1000, ShortUs + Case.ApartUs);
    Reader.Finish();
    EXPECT_EQ(Consumer.Reads.size(), Case.Blocks);
  }
}

// A header broken off by the next one's tape mark: its bytes up to the mark
// are read, none of the mark's pulses is taken for bytes.
TEST(BlockReader, ABlockBrokenOffByAMarkEndsWhereTheMarkBegins) {
  TCountingConsumer Consumer;
  Consumer.Length = 128;
  TBlockReader Reader(Consumer, 44100);
  TPulseFeed Feed(Reader);
  Feed.Run(1000, false);
  Feed.Mark(TBlockReader::HeaderMark);
  for (int Byte = 0; Byte < 50; ++Byte) {
    Feed.Byte(static_cast<std::uint8_t>(Byte));
  }
  Feed.Mark(TBlockReader::HeaderMark);
  Reader.Finish();
  ASSERT_GE(Consumer.Reads.size(), 1u);
  const TBlockRead& Broken = Consumer.Reads[0];
  ASSERT_EQ(Broken.Sure.size(), 128u + 2);
  const auto Read = std::count_if(Broken.Sure.begin(), Broken.Sure.end(),
                                  [](auto Sure) { return Sure != TBlockRead::TSure::NotRead; });
  EXPECT_EQ(Read, 50);
}

}  // namespace kvetro::test
