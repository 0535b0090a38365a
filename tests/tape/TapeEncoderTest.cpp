#include "reference/TapeEncoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "io/StreamErrors.h"
#include "tests/support/ReferenceSignal.h"
#include "tests/support/SameBytes.h"
#include "tests/tape/EncoderSteps.h"
#include "wave/MemoryStream.h"

namespace kvetro::test {
namespace {

constexpr PulseTiming kDefault{3, 1, 3, 2};

// Every count is asked for just before it is needed: a pulse's LO count
// before its LO samples, its HI count after them, the body gap once, when the
// 1000 short pulses after the header are done.
class RecordingTiming : public TPulseTimingSource {
 public:
  explicit RecordingTiming(const TMemoryStream& Output) : FOutput(Output) {}
  std::int32_t Count(TimingBox Box) override {
    Calls.push_back({static_cast<int>(Box), FOutput.Bytes().size()});
    return kDefault.Get(Box);
  }
  std::int32_t BodyGap() override {
    Calls.push_back({-1, FOutput.Bytes().size()});
    return 2;
  }
  std::vector<std::pair<int, std::size_t>> Calls;

 private:
  const TMemoryStream& FOutput;
};

TEST(TapeEncoder, ReadsEachCountWhenItIsNeeded) {
  TMzfImage Image;
  TMemoryStream Output;
  RecordingTiming Timing(Output);
  TTapeEncoder Encoder(Image);
  Encoder.Attach(Output, Timing);
  Encoder.BeginBodyRun(1);
  RunToEnd(Encoder);

  ASSERT_GE(Timing.Calls.size(), 4u);
  // The first long pulse: LO count at 0 samples, HI count after its 3 LO.
  EXPECT_EQ(Timing.Calls[0], (std::pair<int, std::size_t>{2, 0}));
  EXPECT_EQ(Timing.Calls[1], (std::pair<int, std::size_t>{3, 3}));
  EXPECT_EQ(Timing.Calls[2], (std::pair<int, std::size_t>{0, 5}));
  EXPECT_EQ(Timing.Calls[3], (std::pair<int, std::size_t>{1, 8}));
  const auto IsGap = [](const auto& Call) { return Call.first == -1; };
  EXPECT_EQ(std::count_if(Timing.Calls.begin(), Timing.Calls.end(), IsGap), 1);
  EXPECT_EQ(std::find_if(Timing.Calls.begin(), Timing.Calls.end(), IsGap)->second, 5u + 1000u * 4u);
  // Two reads per pulse, and nothing else.
  // 1073 pulses: the gap of 2 + 1044 fixed and framed + 27 of three framed bytes.
  EXPECT_EQ(Timing.Calls.size(), 2u * (2 + 1044 + 27) + 1);
}

// A write that fails ends the step there: what the step changed before the
// write stays changed, the run stays marked as running, and the next run is
// prepared afresh.
TEST(TapeEncoder, AFailedWriteLeavesTheStateOfItsStep) {
  struct TCase {
    const char* Name;
    bool Full;
    std::int32_t WriteLimit;
    TTapeEncoderState After;  // phase and the four counters
  };
  // Run of one zero byte with no gaps: before bit 0 of the body byte go 23
  // long pulses of 5 samples (lead pulse, tape mark, pulse before the body,
  // start pulse) and 1027 short ones of 4 (the 1000, the tape mark, bits 7
  // to 1).
  constexpr std::int32_t BeforeLastBit = 23 * 5 + 1027 * 4;
  const TCase Cases[] = {
      // The third gap pulse gets 2 of its 4 samples, and is already counted.
      {"counted_phase", true, 10, {0, 7, 127, 8}},
      // The step that sends a block's last bit has moved on first.
      {"last_bit_of_the_body", false, BeforeLastBit + 1, {13, 0, 2, 0}},
  };
  for (const TCase& Case : Cases) {
    TMzfImage Image;
    TFixedTiming Timing(kDefault, 0);
    TTapeEncoder Encoder(Image);
    TMemoryStream Output;
    Output.SetWriteLimit(Case.WriteLimit);
    Encoder.Attach(Output, Timing);
    const auto Begin = [&] { Case.Full ? Encoder.BeginFullRun(10, 1) : Encoder.BeginBodyRun(1); };
    Begin();
    try {
      RunToEnd(Encoder);
      ADD_FAILURE() << Case.Name << ": the write past the limit must fail";
    } catch (const EWriteError& Error) {
      EXPECT_EQ(Error.Message(), "Stream write error") << Case.Name;
    }
    EXPECT_EQ(Output.Bytes().size(), static_cast<std::size_t>(Case.WriteLimit)) << Case.Name;
    EXPECT_TRUE(Encoder.Running()) << Case.Name;
    const TTapeEncoderState& State = Encoder.State();
    EXPECT_EQ(State.Phase, Case.After.Phase) << Case.Name;
    EXPECT_EQ(State.PulseCounter, Case.After.PulseCounter) << Case.Name;
    EXPECT_EQ(State.ByteCounter, Case.After.ByteCounter) << Case.Name;
    EXPECT_EQ(State.BitCounter, Case.After.BitCounter) << Case.Name;

    TMemoryStream Fresh;
    Encoder.Attach(Fresh, Timing);
    Begin();
    RunToEnd(Encoder);
    const expected::TBytes Body = {0x00};
    const std::string Pulses = Case.Full
                                   ? expected::FullTapeFile(expected::TBytes(128, 0), Body, 10, 0)
                                   : expected::BodyTapeFile(Body, 0);
    EXPECT_TRUE(SameBytes(Fresh.Bytes(), expected::Samples(Pulses, {3, 1, 3, 2}))) << Case.Name;
  }
}

}  // namespace
}  // namespace kvetro::test
