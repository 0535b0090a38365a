#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "SignalRecorder.h"
#include "tape/SignalTotals.h"
#include "tape/TapeEncoder.h"
#include "wave/MemoryStream.h"

namespace kvetro::test {
namespace {

// The counting path must agree with what the encoder really writes, for any
// image, timing, gaps and body length.
TEST(SignalTotals, CountsEqualTheSamplesWritten) {
  std::mt19937 Random(2026);
  auto Pick = [&Random](int Low, int High) {
    return std::uniform_int_distribution<int>(Low, High)(Random);
  };
  for (int Case = 0; Case < 60; ++Case) {
    std::vector<std::uint8_t> File(static_cast<std::size_t>(Pick(0, 3000)));
    for (auto& Byte : File) {
      Byte = static_cast<std::uint8_t>(Pick(0, 255));
    }
    TMzfImage Image;
    Image.Assign(File.data(), File.size());
    const PulseTiming Timing{Pick(-1, 128), Pick(0, 128), Pick(1, 128), Pick(-2, 128)};
    const int LeadGap = Pick(-3, 300);
    const int BodyGap = Pick(-3, 300);
    const int Length = Case % 10 == 0 ? Pick(0, 65535) : Pick(0, 4000);

    TMemoryStream Output;
    TFixedTiming Source(Timing, BodyGap);
    TTapeEncoder Encoder(Image);
    Encoder.Attach(Output, Source);
    const bool Full = Case % 2 == 0;
    if (Full) {
      Encoder.BeginFullRun(LeadGap, Length);
    } else {
      Encoder.BeginBodyRun(Length);
    }
    const long Steps = RunToEnd(Encoder);
    const TPulseCount Count = Full ? FullRunPulses(Image, LeadGap, BodyGap, Length)
                                   : BodyRunPulses(Image, BodyGap, Length);
    EXPECT_EQ(Count.Samples(Timing), Output.Bytes().size()) << "case " << Case;
    EXPECT_EQ(static_cast<std::uint64_t>(Steps), Count.Pulses() + (Full ? 7 : 4))
        << "case " << Case;
  }
}

TEST(SignalTotals, LoaderSizedRunMatchesTheKnownFigures) {
  std::vector<std::uint8_t> File(128 + 90, 0);
  File[0x12] = 0x5A;
  TMzfImage Image;
  Image.Assign(File.data(), File.size());
  const TPulseCount Count = FullRunPulses(Image, 5000, 5000, 90);
  EXPECT_EQ(Count.Short, 12831u);
  EXPECT_EQ(Count.Long, 292u);
  EXPECT_EQ(Count.Samples(PulseTiming::Standard()), 267424u);
}

}  // namespace
}  // namespace kvetro::test
