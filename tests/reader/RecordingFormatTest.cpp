// The sample formats a recording may come in, and the recordings that are
// refused with a message that names the file and says why.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "reader/TapeReader.h"
#include "tape/ConversionPlan.h"
#include "tests/support/ExpectError.h"
#include "tests/support/MzfBuilder.h"
#include "tests/support/ReferenceSignal.h"
#include "tests/support/WaveBytes.h"

namespace kvetro::test {

namespace {

// One file at a slow body timing: readable in any of the formats.
const TBytes& TapeFile() {
  static const TBytes File = CountingMzf(40, 3);
  return File;
}

const TBytes& TapeSamples() {
  static const TBytes Samples = [] {
    expected::Conversion C;
    C.User = {4, 4, 4, 8};
    C.LoaderGap = 200;
    C.BodyGap = 200;
    const TBytes Wave = expected::ConvertedFile(TapeFile(), C);
    return TBytes(Wave.begin() + TConversionPlan::WaveHeaderSize, Wave.end());
  }();
  return Samples;
}

struct TFormat {
  std::uint16_t Tag;  // 1 PCM, 3 float, 0xFFFE extensible
  std::uint16_t SubTag;
  std::uint16_t Bits;
  std::uint16_t Channels;
  std::uint16_t SignalChannel;  // from 0; the others hold a faint hum
};

void AppendSample(TBytes& Out, double Value, const TFormat& F) {
  const bool Float = F.Tag == 3 || F.SubTag == 3;
  if (Float && F.Bits == 32) {
    const auto Single = static_cast<float>(Value);
    std::uint8_t Raw[4];
    std::memcpy(Raw, &Single, 4);
    Out.insert(Out.end(), Raw, Raw + 4);
  } else if (Float) {
    std::uint8_t Raw[8];
    std::memcpy(Raw, &Value, 8);
    Out.insert(Out.end(), Raw, Raw + 8);
  } else if (F.Bits == 8) {
    Out.push_back(static_cast<std::uint8_t>(128 + static_cast<int>(Value * 128)));
  } else {
    const auto Scaled = static_cast<std::int64_t>(Value * static_cast<double>(1LL << (F.Bits - 1)));
    for (int Byte = 0; Byte < F.Bits / 8; ++Byte) {
      Out.push_back(static_cast<std::uint8_t>(Scaled >> (8 * Byte)));
    }
  }
}

TBytes FormatRecord(const TFormat& F, std::uint32_t Rate = 44100) {
  const auto Align = static_cast<std::uint16_t>(F.Channels * F.Bits / 8);
  TBytes Record = PcmFormatRecord(F.Channels, Rate, Rate * Align, Align, F.Bits);
  Record[0] = static_cast<std::uint8_t>(F.Tag);
  Record[1] = static_cast<std::uint8_t>(F.Tag >> 8);
  if (F.Tag == 0xFFFE) {
    Record[16] = 22;  // the size of what follows
    AppendLe16(Record, F.Bits);
    AppendLe32(Record, 0);  // no speaker positions
    AppendLe16(Record, F.SubTag);
    const std::uint8_t Tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                   0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    Record.insert(Record.end(), Tail, Tail + 14);
  }
  return Record;
}

double Unclipped(std::uint8_t Sample) {
  return (Sample - 128) / 128.0;
}

// The tape's samples in format F, then a chunk of zero bytes that an editor
// may put after the data: not samples.
TBytes Recording(const TFormat& F, const std::function<double(std::uint8_t)>& Level = Unclipped) {
  TBytes Data;
  for (std::size_t I = 0; I < TapeSamples().size(); ++I) {
    for (std::uint16_t Channel = 0; Channel < F.Channels; ++Channel) {
      const double Hum = 0.01 * ((I / 441) % 2 == 0 ? 1 : -1);
      AppendSample(Data, Channel == F.SignalChannel ? Level(TapeSamples()[I]) : Hum, F);
    }
  }
  TBytes Wave = RiffHeader(0);
  AppendChunk(Wave, "fmt ", FormatRecord(F));
  AppendChunk(Wave, "data", Data);
  AppendChunk(Wave, "LIST", TBytes(4000, 0x00));
  return Wave;
}

TEST(RecordingFormat, EveryReadableFormatGivesTheFileBack) {
  const TFormat Formats[] = {
      {1, 0, 8, 1, 0},       {1, 0, 16, 1, 0}, {1, 0, 24, 1, 0},      {1, 0, 32, 1, 0},
      {3, 0, 32, 1, 0},      {3, 0, 64, 1, 0}, {0xFFFE, 1, 16, 1, 0}, {0xFFFE, 1, 24, 2, 1},
      {0xFFFE, 3, 32, 1, 0}, {1, 0, 16, 2, 1}, {1, 0, 8, 4, 2},
  };
  for (const TFormat& F : Formats) {
    SCOPED_TRACE("tag " + std::to_string(F.Tag) + "/" + std::to_string(F.SubTag) + ", " +
                 std::to_string(F.Bits) + " bits, " + std::to_string(F.Channels) + " channels");
    const TTapeReport Report = ReadTape(Recording(F), "r.wav");
    EXPECT_EQ(Report.Channel, F.SignalChannel + 1);
    EXPECT_EQ(Report.Format.Bits, F.Bits);
    ASSERT_EQ(Report.Files.size(), 1u);
    EXPECT_TRUE(Report.Files[0].Whole);
    EXPECT_EQ(Report.Files[0].Mzf, TapeFile());
    EXPECT_TRUE(Report.Problems.empty());  // no sample at full scale
    EXPECT_EQ(Report.DurationSeconds, static_cast<double>(TapeSamples().size()) / 44100);
  }
}

TEST(RecordingFormat, AChosenChannelIsTheOneRead) {
  const TBytes Stereo = Recording({1, 0, 16, 2, 1});
  EXPECT_EQ(ReadTape(Stereo, "r.wav").Files.size(), 1u);
  TReadOptions Options;
  Options.Channel = 1;
  const TTapeReport Report = ReadTape(Stereo, "r.wav", Options);
  EXPECT_EQ(Report.Channel, 1);
  EXPECT_TRUE(Report.Files.empty());
}

// A level turned up until it clips still reads; the samples at either end
// of the format's scale are counted for the report, those a step inside not.
TEST(RecordingFormat, ClippedSamplesAreCountedAndStillRead) {
  const TFormat Formats[] = {{1, 0, 8, 1, 0},  {1, 0, 16, 1, 0}, {1, 0, 24, 1, 0},
                             {1, 0, 32, 1, 0}, {3, 0, 32, 1, 0}, {3, 0, 64, 1, 0}};
  for (const TFormat& F : Formats) {
    SCOPED_TRACE(std::to_string(F.Bits) + (F.Tag == 3 ? "-bit float" : "-bit PCM"));
    // Full scale is -1 and the highest code (1 in float); a step inside.
    const double Step = F.Tag == 3 ? std::ldexp(1.0, -24) : std::ldexp(1.0, 1 - F.Bits);
    const double Top = F.Tag == 3 ? 1.0 : 1 - Step;
    const auto Clipped = [Top](std::uint8_t Sample) { return Sample < 0x80 ? -1.0 : Top; };
    const auto Inside = [Top, Step](std::uint8_t Sample) {
      return Sample < 0x80 ? -1.0 + Step : Top - Step;
    };
    const TTapeReport Report = ReadTape(Recording(F, Clipped), "loud.wav");
    ASSERT_EQ(Report.Files.size(), 1u);
    EXPECT_EQ(Report.Files[0].Mzf, TapeFile());
    ASSERT_EQ(Report.Problems.size(), 1u);
    EXPECT_EQ(Report.Problems[0].Kind, TReadProblem::TKind::Clipping);
    EXPECT_EQ(Report.Problems[0].Count, static_cast<std::int64_t>(TapeSamples().size()));
    EXPECT_TRUE(ReadTape(Recording(F, Inside), "loud.wav").Problems.empty());
  }
}

TEST(RecordingFormat, RefusalsNameTheFileAndSayWhy) {
  const auto Wave = [](const TBytes& Record, const TBytes& Data) {
    TBytes Bytes = RiffHeader(0);
    AppendChunk(Bytes, "fmt ", Record);
    AppendChunk(Bytes, "data", Data);
    return Bytes;
  };
  const TBytes Pcm16 = FormatRecord({1, 0, 16, 1, 0});
  const auto With = [&Pcm16](std::size_t Offset, std::uint16_t Value) {
    TBytes Record = Pcm16;
    Record[Offset] = static_cast<std::uint8_t>(Value);
    Record[Offset + 1] = static_cast<std::uint8_t>(Value >> 8);
    return Record;
  };
  TBytes NoFormat = RiffHeader(0);
  AppendChunk(NoFormat, "data", {1, 2});
  TBytes NoData = RiffHeader(0);
  AppendChunk(NoData, "fmt ", Pcm16);
  TBytes PastTheEnd = RiffHeader(0);
  AppendChunk(PastTheEnd, "fmt ", Pcm16);
  const TBytes DataHeader = ChunkHeader("data", 1000);
  PastTheEnd.insert(PastTheEnd.end(), DataHeader.begin(), DataHeader.end());
  PastTheEnd.resize(PastTheEnd.size() + 10);
  TBytes OddGuid = FormatRecord({0xFFFE, 1, 16, 1, 0});
  OddGuid.back() ^= 1;
  TBytes RateHigh = Pcm16;
  RateHigh[4] = 0x40, RateHigh[5] = 0x0D, RateHigh[6] = 0x03;  // 200000

  const struct {
    TBytes Bytes;
    const char* Reason;
  } Cases[] = {
      {{}, "the file is empty"},
      {{'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E'},
       "not a WAV file (no RIFF/WAVE header)"},
      {{'R', 'I', 'F', 'F', 0, 0}, "the file is cut short"},
      {NoFormat, "no format chunk"},
      {NoData, "no data chunk"},
      {PastTheEnd, "the data chunk runs past the end of the file (10 of 1000 bytes present)"},
      {Wave(TBytes(Pcm16.begin(), Pcm16.begin() + 14), {}),
       "format chunk of 14 bytes is too short"},
      {Wave(With(0, 2), {}), "compressed format (tag 0x0002) is not read; convert it to PCM first"},
      {Wave(With(0, 0xFFFE), {}), "extensible format chunk of 18 bytes is too short"},
      {Wave(OddGuid, {}), "unknown sub-format in an extensible format chunk"},
      {Wave(With(2, 0), {}), "zero channels"},
      {Wave(With(4, 4000), {}), "sample rate 4000 Hz is outside 8000 to 192000 Hz"},
      {Wave(RateHigh, {}), "sample rate 200000 Hz is outside 8000 to 192000 Hz"},
      {Wave(With(14, 12), {}), "12-bit PCM samples are not read"},
      {Wave(FormatRecord({3, 0, 16, 1, 0}), {}), "16-bit float samples are not read"},
      {Wave(With(12, 3), {}), "block align 3 does not fit 1 channels of 16 bits"},
  };
  for (const auto& Case : Cases) {
    ExpectError<EWaveFormatError>([&] { ReadTape(Case.Bytes, "bad.wav"); },
                                  std::string("Cannot read bad.wav: ") + Case.Reason);
  }
  TReadOptions Third;
  Third.Channel = 3;
  ExpectError<EWaveFormatError>(
      [&] {
        ReadTape(Recording({1, 0, 16, 2, 1}), "two.wav", Third);
      },
      "Cannot read two.wav: channel 3 asked for, but the recording has 2");
}

}  // namespace

}  // namespace kvetro::test
