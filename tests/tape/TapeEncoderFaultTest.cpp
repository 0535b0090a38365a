#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SignalRecorder.h"
#include "io/StreamErrors.h"
#include "tape/MzfImage.h"
#include "tape/TapeEncoder.h"
#include "wave/MemoryStream.h"

namespace kvetro::test {
namespace {

constexpr PulseTiming kDefault = PulseTiming::Defaults();

TEST(TapeEncoderFaults, WriteFailureInACountedPhaseKeepsThePulseTakenOff) {
  TMzfImage Image;
  TMemoryStream Output;
  Output.SetWriteLimit(10);  // the third gap pulse gets 2 of its 4 samples
  TFixedTiming Timing(kDefault, 0);
  TTapeEncoder Encoder(Image);
  Encoder.Attach(Output, Timing);
  Encoder.BeginFullRun(10, 1);
  Encoder.Step();
  Encoder.Step();
  try {
    Encoder.Step();
    FAIL() << "the write past the limit must fail";
  } catch (const EWriteError& Error) {
    EXPECT_EQ(Error.Message(), "Stream write error");
  }
  EXPECT_EQ(Output.Bytes().size(), 10u);
  EXPECT_TRUE(Encoder.Running());
  EXPECT_EQ(Encoder.State().Phase, 0);
  EXPECT_EQ(Encoder.State().PulseCounter, 7u);
}

TEST(TapeEncoderFaults, WriteFailureOnTheLastBitHasAlreadyAdvancedThePhase) {
  TMzfImage Image;  // body byte 0x00
  TFixedTiming Timing(kDefault, 0);
  TTapeEncoder Encoder(Image);
  // Before bit 0 of the only body byte: 23 long pulses of 5 samples
  // (lead pulse, tape mark, pulse before the body, start pulse) and 1027
  // short ones of 4 (the 1000, the tape mark, bits 7 to 1).
  const std::int32_t BeforeLastBit = 23 * 5 + 1027 * 4;
  TMemoryStream Output;
  Output.SetWriteLimit(BeforeLastBit + 1);
  Encoder.Attach(Output, Timing);
  Encoder.BeginBodyRun(1);
  EXPECT_THROW(RunToEnd(Encoder), EWriteError);
  EXPECT_EQ(Output.Bytes().size(), static_cast<std::size_t>(BeforeLastBit + 1));
  EXPECT_TRUE(Encoder.Running());
  EXPECT_EQ(Encoder.State().Phase, 13);
  EXPECT_EQ(Encoder.State().ByteCounter, 2);
  EXPECT_EQ(Encoder.State().BitCounter, 0);

  // The next run is prepared afresh and owes nothing to the failed one.
  TMemoryStream Fresh;
  Encoder.Attach(Fresh, Timing);
  Encoder.BeginBodyRun(1);
  RunToEnd(Encoder);
  EXPECT_EQ(Fresh.Bytes().size(), 4311u);
}

TEST(TapeEncoderFaults, EmptyBodySendsOnlyItsChecksum) {
  TMzfImage Image;
  TMemoryStream Output;
  TFixedTiming Timing(kDefault, 3);
  TTapeEncoder Encoder(Image);
  Encoder.Attach(Output, Timing);
  Encoder.BeginBodyRun(0);
  RunToEnd(Encoder, 10'000);
  const std::string Bits = PulseBits(SplitPulses(Output.Bytes()), kDefault);
  EXPECT_EQ(Bits, "1" + Repeat('0', 1003) + Repeat('1', 20) + Repeat('0', 20) + "1" + Framed(0) +
                      Framed(0) + "11");
  EXPECT_EQ(Bits.size(), 3u + 1044u + 18u);

  // The same from phase 0: the header, then the empty body.
  TMemoryStream Full;
  Encoder.Attach(Full, Timing);
  Encoder.BeginFullRun(0, 0);
  RunToEnd(Encoder, 10'000);
  EXPECT_EQ(SplitPulses(Full.Bytes()).size(), 3u + 1125u + 9u * 132u);
}

TEST(TapeEncoderFaults, BodyPastTheImageReadsAsZeros) {
  // A 65535-byte file: the body is 65407 bytes of 0xFF, and the header
  // claims 65535. Positions 65535 and up are not in the file (or the image).
  std::vector<std::uint8_t> File(65535, 0xFF);
  File[0x12] = 0xFF;
  File[0x13] = 0xFF;
  TMzfImage Image;
  ASSERT_EQ(Image.Assign(File.data(), File.size()), TMzfImage::LoadResult::Loaded);
  TMemoryStream Output;
  TFixedTiming Timing({1, 1, 1, 2}, 0);
  TTapeEncoder Encoder(Image);
  Encoder.Attach(Output, Timing);
  Encoder.BeginBodyRun(Image.BodySize());
  RunToEnd(Encoder);
  const std::string Bits = PulseBits(SplitPulses(Output.Bytes()), {1, 1, 1, 2});
  ASSERT_EQ(Bits.size(), 1044u + 9u * (65535u + 2u));
  const std::size_t BodyStart = 1 + 1000 + 40 + 1;
  EXPECT_EQ(Bits.substr(BodyStart + 9 * 65406, 9), Framed(0xFF));  // last byte of the file
  EXPECT_EQ(Bits.substr(BodyStart + 9 * 65407, 9 * 128), [] {
    std::string Zeros;
    for (int I = 0; I < 128; ++I) {
      Zeros += Framed(0x00);
    }
    return Zeros;
  }());
  const unsigned Ones = (65407u * 8u) % 65536u;
  EXPECT_EQ(Bits.substr(Bits.size() - 20), Framed(static_cast<std::uint8_t>(Ones >> 8)) +
                                               Framed(static_cast<std::uint8_t>(Ones & 0xFF)) +
                                               "11");
}

TEST(TapeEncoderFaults, NegativeGapsAreNoGaps) {
  TMzfImage Image;
  TTapeEncoder Encoder(Image);
  TMemoryStream Negative;
  TFixedTiming NegativeTiming(kDefault, -5);
  Encoder.Attach(Negative, NegativeTiming);
  Encoder.BeginFullRun(-1, 1);
  RunToEnd(Encoder, 100'000);

  TMemoryStream Zero;
  TFixedTiming ZeroTiming(kDefault, 0);
  Encoder.Attach(Zero, ZeroTiming);
  Encoder.BeginFullRun(0, 1);
  RunToEnd(Encoder, 100'000);
  EXPECT_EQ(Negative.Bytes(), Zero.Bytes());
  EXPECT_EQ(SplitPulses(Zero.Bytes()).size(), 1125u + 9u * 133u);
}

}  // namespace
}  // namespace kvetro::test
