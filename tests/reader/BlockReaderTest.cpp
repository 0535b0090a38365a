// The tape marks the block reader finds in a stream of pulses.
#include <gtest/gtest.h>

#include "reader/BlockReader.h"

namespace kvetro::test {

namespace {

struct TCountingConsumer : TBlockConsumer {
  std::int32_t BlockLength(TBlockKind) override { return 16; }
  void Block(TBlockRead) override { ++Blocks; }
  int Blocks = 0;
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
    int Blocks;
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
    EXPECT_EQ(Consumer.Blocks, Case.Blocks);
  }
}

}  // namespace kvetro::test
