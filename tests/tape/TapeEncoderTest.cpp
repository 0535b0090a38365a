#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <random>
#include <string>
#include <vector>

#include "SignalRecorder.h"
#include "tape/MzfImage.h"
#include "tape/TapeEncoder.h"
#include "wave/MemoryStream.h"

namespace kvetro::test {
namespace {

constexpr PulseTiming kDefault{3, 1, 3, 2};
constexpr PulseTiming kStandard = PulseTiming::Standard();

// What a run from phase 6 must send, built from the order of the tape file:
// long pulse, 1000 short, the body gap, the tape mark, a long pulse, the body,
// its checksum high byte first, two long pulses.
std::string ExpectedBodyRun(const std::vector<std::uint8_t>& Body, int BodyGap) {
  std::string Bits =
      "1" + Repeat('0', 1000) + Repeat('0', BodyGap) + Repeat('1', 20) + Repeat('0', 20) + "1";
  unsigned Ones = 0;
  for (std::uint8_t Byte : Body) {
    Bits += Framed(Byte);
    Ones += static_cast<unsigned>(std::bitset<8>(Byte).count());
  }
  Bits += Framed(static_cast<std::uint8_t>((Ones >> 8) & 0xFF));
  Bits += Framed(static_cast<std::uint8_t>(Ones & 0xFF));
  return Bits + "11";
}

struct Encoded {
  std::vector<std::uint8_t> Samples;
  long Steps = 0;
};

class EncoderRig {
 public:
  explicit EncoderRig(PulseTiming Timing, int BodyGap = 5000) : Timing(Timing, BodyGap) {
    Encoder.Attach(Output, this->Timing);
  }
  Encoded FullRun(int LeadGap, int BodyLength) {
    Encoder.BeginFullRun(LeadGap, BodyLength);
    return Finish();
  }
  Encoded BodyRun(int BodyLength) {
    Encoder.BeginBodyRun(BodyLength);
    return Finish();
  }

  TMzfImage Image;
  TMemoryStream Output;
  TFixedTiming Timing;
  TTapeEncoder Encoder{Image};

 private:
  Encoded Finish() {
    const std::size_t Start = Output.Bytes().size();
    const long Steps = RunToEnd(Encoder);
    return {std::vector<std::uint8_t>(Output.Bytes().begin() + static_cast<long>(Start),
                                      Output.Bytes().end()),
            Steps};
  }
};

void SetBody(TMzfImage& Image, const std::vector<std::uint8_t>& Body) {
  std::vector<std::uint8_t> File(128, 0);
  File.insert(File.end(), Body.begin(), Body.end());
  File[0x12] = static_cast<std::uint8_t>(Body.size() & 0xFF);
  File[0x13] = static_cast<std::uint8_t>(Body.size() >> 8);
  Image.Assign(File.data(), File.size());
}

TEST(TapeEncoder, FullRunStartsWithTheLeadGapThenTheTapeMark) {
  EncoderRig Rig(kDefault);
  const Encoded Run = Rig.FullRun(1, 1);
  const std::vector<std::uint8_t> Start(Run.Samples.begin(), Run.Samples.begin() + 9);
  EXPECT_EQ(Start,
            (std::vector<std::uint8_t>{0x30, 0x30, 0x30, 0xD0, 0x30, 0x30, 0x30, 0xD0, 0xD0}));

  EncoderRig NoGap(kDefault);
  const std::string Bits = PulseBits(SplitPulses(NoGap.FullRun(0, 1).Samples), kDefault);
  EXPECT_EQ(Bits.substr(0, 81), Repeat('1', 40) + Repeat('0', 40) + "1");
}

TEST(TapeEncoder, BodyGapOfZeroPutsTheTapeMarkRightAfterTheThousandShortPulses) {
  EncoderRig Rig(kDefault, 0);
  SetBody(Rig.Image, {0x00});
  const std::string Bits = PulseBits(SplitPulses(Rig.BodyRun(1).Samples), kDefault);
  EXPECT_EQ(Bits.substr(0, 1 + 1000 + 20 + 20),
            "1" + Repeat('0', 1000) + Repeat('1', 20) + Repeat('0', 20));
}

TEST(TapeEncoder, BodyRunOfOneZeroByte) {
  EncoderRig Rig(kDefault, 0);
  SetBody(Rig.Image, {0x00});
  const Encoded Run = Rig.BodyRun(1);
  const std::vector<Pulse> Pulses = SplitPulses(Run.Samples);
  const std::string Bits = PulseBits(Pulses, kDefault);
  EXPECT_EQ(Pulses.size(), 1071u);
  EXPECT_EQ(std::count(Bits.begin(), Bits.end(), '1'), 27);
  EXPECT_EQ(std::count(Bits.begin(), Bits.end(), '0'), 1044);
  EXPECT_EQ(Run.Samples.size(), 4311u);
  EXPECT_EQ(Bits, ExpectedBodyRun({0x00}, 0));
}

TEST(TapeEncoder, BodyRunOfOneFullByteEndsWithItsChecksumAndTwoLongPulses) {
  EncoderRig Rig(kDefault, 0);
  SetBody(Rig.Image, {0xFF});
  const Encoded Run = Rig.BodyRun(1);
  EXPECT_EQ(Run.Samples.size(), 4320u);
  const std::string Bits = PulseBits(SplitPulses(Run.Samples), kDefault);
  EXPECT_EQ(Bits.substr(Bits.size() - 29),
            "111111111"
            "100000000"
            "100001000"
            "1"
            "1");
  EXPECT_EQ(Bits, ExpectedBodyRun({0xFF}, 0));
}

TEST(TapeEncoder, BodyRunSendsEveryByteInOrderWithItsBitCount) {
  EncoderRig Rig(kDefault, 7);
  std::vector<std::uint8_t> Body(300);
  std::mt19937 Random(42);
  for (auto& Byte : Body) {
    Byte = static_cast<std::uint8_t>(Random());
  }
  SetBody(Rig.Image, Body);
  EXPECT_EQ(PulseBits(SplitPulses(Rig.BodyRun(300).Samples), kDefault), ExpectedBodyRun(Body, 7));
}

TEST(TapeEncoder, LoaderSizedFullRunAtStandardTiming) {
  EncoderRig Rig(kStandard, 5000);
  std::vector<std::uint8_t> File(128 + 90, 0);
  File[0x12] = 0x5A;
  Rig.Image.Assign(File.data(), File.size());
  const Encoded Run = Rig.FullRun(5000, 90);
  const std::string Bits = PulseBits(SplitPulses(Run.Samples), kStandard);
  EXPECT_EQ(std::count(Bits.begin(), Bits.end(), '0'), 12831);
  EXPECT_EQ(std::count(Bits.begin(), Bits.end(), '1'), 292);
  EXPECT_EQ(Run.Samples.size(), 267424u);

  // Lead gap, tape mark and a long pulse come before the header's 128 bytes;
  // its checksum follows them.
  const std::size_t HeaderChecksum = 5000 + 81 + 128 * 9;
  EXPECT_EQ(Bits.substr(HeaderChecksum, 18), Framed(0x00) + Framed(0x04));
  // The body checksum stands before the two end pulses.
  EXPECT_EQ(Bits.substr(Bits.size() - 20), Framed(0x00) + Framed(0x00) + "11");
}

TEST(TapeEncoder, FullRunSendsTheHeaderThenTheBodyRunSignal) {
  EncoderRig Rig(kDefault, 3);
  std::vector<std::uint8_t> Body = {0x12, 0x80, 0x01};
  SetBody(Rig.Image, Body);
  const std::string Bits = PulseBits(SplitPulses(Rig.FullRun(2, 3).Samples), kDefault);
  std::string Header;
  unsigned Ones = 0;
  for (int I = 0; I < 128; ++I) {
    Header += Framed(Rig.Image.ByteAt(I));
    Ones += static_cast<unsigned>(std::bitset<8>(Rig.Image.ByteAt(I)).count());
  }
  const std::string Expected = "00" + Repeat('1', 40) + Repeat('0', 40) + "1" + Header +
                               Framed(static_cast<std::uint8_t>(Ones >> 8)) +
                               Framed(static_cast<std::uint8_t>(Ones & 0xFF)) +
                               ExpectedBodyRun(Body, 3);
  EXPECT_EQ(Bits, Expected);
}

TEST(TapeEncoder, FourKilobytesOfZerosAtDefaultTiming) {
  EncoderRig Rig(kDefault, 5000);
  SetBody(Rig.Image, std::vector<std::uint8_t>(4096, 0));
  EXPECT_EQ(Rig.BodyRun(4096).Samples.size(), 175826u);
}

TEST(TapeEncoder, ChecksumCountsModulo65536) {
  EncoderRig Rig(PulseTiming{1, 1, 1, 2}, 0);
  // The whole buffer past the header: a file can cover all but its last
  // byte, which is set by hand.
  SetBody(Rig.Image, std::vector<std::uint8_t>(65407, 0xFF));
  Rig.Image.SetByte(65535, 0xFF);
  const std::string Bits = PulseBits(SplitPulses(Rig.BodyRun(65408).Samples), {1, 1, 1, 2});
  // 523264 one bits: 0x7FC00, sent as 0xFC 0x00.
  EXPECT_EQ(Bits.substr(Bits.size() - 20), Framed(0xFC) + Framed(0x00) + "11");
}

TEST(TapeEncoder, StepsExceedPulsesByOneForEachCountedPhase) {
  EncoderRig Rig(kDefault, 11);
  SetBody(Rig.Image, {1, 2, 3, 4, 5});
  const Encoded Full = Rig.FullRun(13, 5);
  EXPECT_EQ(Full.Steps, static_cast<long>(SplitPulses(Full.Samples).size()) + 7);
  const Encoded Body = Rig.BodyRun(5);
  EXPECT_EQ(Body.Steps, static_cast<long>(SplitPulses(Body.Samples).size()) + 4);
}

TEST(TapeEncoder, TwoRunsOfOneImageAreIdentical) {
  EncoderRig Rig(kStandard, 100);
  SetBody(Rig.Image, {0xA5, 0x5A, 0xFF});
  const Encoded First = Rig.FullRun(100, 3);
  const Encoded Second = Rig.FullRun(100, 3);
  EXPECT_EQ(First.Samples, Second.Samples);
  EXPECT_FALSE(Rig.Encoder.Running());
  EXPECT_EQ(Rig.Encoder.State().Phase, 15);
}

TEST(TapeEncoder, ZeroHighCountMakesShortPulsesLowSamplesOnly) {
  const PulseTiming Timing{3, 0, 3, 2};
  EncoderRig Rig(Timing, 0);
  SetBody(Rig.Image, {0x00});
  const Encoded Run = Rig.BodyRun(1);
  // 1044 short pulses of 3 samples and 27 long ones of 5.
  EXPECT_EQ(Run.Samples.size(), 1044u * 3 + 27u * 5);
  // A short pulse then runs straight into the next pulse's LO samples, so
  // look at the stretch after the first long pulse: 1000 short pulses are
  // 3000 LO samples in a row.
  EXPECT_EQ(std::vector<std::uint8_t>(Run.Samples.begin() + 5, Run.Samples.begin() + 3005),
            std::vector<std::uint8_t>(3000, 0x30));
  // The first long pulse of the tape mark: 3 LO, then its HI samples.
  EXPECT_EQ(Run.Samples[3007], 0x30);
  EXPECT_EQ(Run.Samples[3008], 0xD0);
}

TEST(TapeEncoder, InvertedLevelsSwapEverySample) {
  EncoderRig Normal(kDefault, 2);
  EncoderRig Inverted(kDefault, 2);
  Inverted.Encoder.SetLevels(0xD0, 0x30);
  SetBody(Normal.Image, {0x3C});
  SetBody(Inverted.Image, {0x3C});
  std::vector<std::uint8_t> Swapped = Normal.FullRun(4, 1).Samples;
  for (auto& S : Swapped) {
    S = S == 0x30 ? 0xD0 : 0x30;
  }
  EXPECT_EQ(Inverted.FullRun(4, 1).Samples, Swapped);
}

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
  const auto GapReads = std::count_if(Timing.Calls.begin(), Timing.Calls.end(),
                                      [](const auto& Call) { return Call.first == -1; });
  EXPECT_EQ(GapReads, 1);
  const auto Gap = std::find_if(Timing.Calls.begin(), Timing.Calls.end(),
                                [](const auto& Call) { return Call.first == -1; });
  EXPECT_EQ(Gap->second, 5u + 1000u * 4u);
  // Two reads per pulse, and nothing else.
  // 1073 pulses: the gap of 2 + 1044 fixed and framed + 27 of three framed bytes.
  EXPECT_EQ(Timing.Calls.size(), 2u * (2 + 1044 + 27) + 1);
}

}  // namespace
}  // namespace kvetro::test
