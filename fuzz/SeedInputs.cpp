#include "fuzz/SeedInputs.h"

#include <cstring>

#include "fuzz/ConversionCase.h"
#include "fuzz/TapeReadingCheck.h"
#include "tape/ConversionSettings.h"
#include "tape/FastLoaderFile.h"
#include "tape/MzfImage.h"
#include "tape/TapeSignal.h"
#include "wave/LittleEndian.h"
#include "wave/MemoryStream.h"
#include "wave/WaveStream.h"

namespace kvetro {

namespace {

using TBytes = std::vector<std::uint8_t>;

void Append(TBytes& Out, const char* Id, std::uint32_t Size) {
  std::uint8_t Header[8];
  std::memcpy(Header, Id, 4);
  PutLe32(Header + 4, Size);
  Out.insert(Out.end(), Header, Header + 8);
}

// The RIFF header with a size of 0. Written out whole: appending to an empty
// vector here draws a false -Wstringop-overflow from GCC 12 at -O3.
TBytes RiffStart() {
  return {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
}

// A wave as the conversion writes one: PCM 44100 Hz, 8 bits, mono.
TBytes WrittenWave(const TBytes& Samples) {
  TMemoryStream Memory;
  {
    TWaveStream Wave(Memory);
    Wave.SetPCMFormat(44100, 8, 1);
    Wave.Open(true);
    Wave.WriteBuffer(Samples.data(), static_cast<std::int32_t>(Samples.size()));
    Wave.Close();
  }
  return Memory.Bytes();
}

TBytes Samples(std::size_t Count) {
  TBytes Out(Count);
  for (std::size_t I = 0; I < Count; ++I) {
    Out[I] = (I / 3) % 2 == 0 ? 0x30 : 0xD0;
  }
  return Out;
}

// An MZF file: a header whose body size field says Size, then Present body
// bytes counting up from First.
TBytes Mzf(std::uint16_t Size, std::size_t Present, std::uint8_t First = 0) {
  TBytes Out(TMzfImage::HeaderSize + Present, 0);
  Out[0] = 0x01;  // an object file
  std::memcpy(Out.data() + 1, "SEED\r", 5);
  Out[TMzfImage::BodySizeOffset] = static_cast<std::uint8_t>(Size & 0xFF);
  Out[TMzfImage::BodySizeOffset + 1] = static_cast<std::uint8_t>(Size >> 8);
  Out[TMzfImage::LoadAddressOffset + 1] = 0x12;
  Out[TMzfImage::ExecAddressOffset + 1] = 0x12;
  for (std::size_t I = 0; I < Present; ++I) {
    Out[TMzfImage::HeaderSize + I] = static_cast<std::uint8_t>(First + I);
  }
  return Out;
}

TSeed Case(std::string Name, TBytes File, PulseTiming Timing = DefaultTiming,
           std::int32_t LoaderGap = 100, std::int32_t BodyGap = 50, bool Invert = false,
           bool FillUp = false, std::uint16_t FillPoint = 0) {
  TConversionCase C;
  C.Settings.UserTiming = Timing;
  C.Settings.LoaderGap = LoaderGap;
  C.Settings.BodyGap = BodyGap;
  C.Settings.InvertLevels = Invert;
  C.FillUp = FillUp;
  C.FillPoint = FillPoint;
  C.Mzf = std::move(File);
  return {std::move(Name), C.Encode()};
}

// Pulses of the tape reader's pulse input: one byte each, (HI - 1) << 4 |
// (LO - 1) samples.
struct TPulseBytes {
  std::uint8_t Short;
  std::uint8_t Long;
};
constexpr TPulseBytes kSlowPulses = {0x21, 0x53};  // 2 + 3 and 4 + 6 samples
constexpr TPulseBytes kFastPulses = {0x02, 0x12};  // 3 + 1 and 3 + 2 samples

class TPulseWriter {
 public:
  explicit TPulseWriter(TPulseBytes Pulses) : FPulses(Pulses) {}
  TPulseWriter& Run(bool Long, int Count) {
    FOut.insert(FOut.end(), static_cast<std::size_t>(Count), Long ? FPulses.Long : FPulses.Short);
    return *this;
  }
  TPulseWriter& Mark(int Count) { return Run(true, Count).Run(false, Count).Run(true, 1); }
  // The framed bytes and their checksum; Spoil flips that data bit.
  TPulseWriter& Block(const TBytes& Bytes, int Spoil = -1) {
    std::uint16_t Ones = 0;
    int Bit = 0;
    for (const std::uint8_t Byte : Bytes) {
      Ones = static_cast<std::uint16_t>(Ones + kOneBits[Byte]);
      Run(true, 1);
      for (int I = 7; I >= 0; --I) {
        Run((((Byte >> I) & 1) != 0) != (Bit++ == Spoil), 1);
      }
    }
    for (const std::uint8_t Byte :
         {static_cast<std::uint8_t>(Ones >> 8), static_cast<std::uint8_t>(Ones & 0xFF)}) {
      Run(true, 1);
      for (int I = 7; I >= 0; --I) {
        Run(((Byte >> I) & 1) != 0, 1);
      }
    }
    return *this;
  }
  TPulseWriter& Speed(TPulseBytes Pulses) {
    FPulses = Pulses;
    return *this;
  }
  const TBytes& Pulses() const { return FOut; }

 private:
  TPulseBytes FPulses;
  TBytes FOut;
};

TBytes MzfHeader(std::uint16_t Size, std::uint16_t Address) {
  TBytes Header = Mzf(Size, 0);
  Header[TMzfImage::LoadAddressOffset] = static_cast<std::uint8_t>(Address);
  Header[TMzfImage::LoadAddressOffset + 1] = static_cast<std::uint8_t>(Address >> 8);
  Header[TMzfImage::ExecAddressOffset] = static_cast<std::uint8_t>(Address);
  Header[TMzfImage::ExecAddressOffset + 1] = static_cast<std::uint8_t>(Address >> 8);
  return Header;
}

// A file with a header copy, the first header spoiled at Spoil.
TBytes MachineFile(int Spoil) {
  const TBytes Header = MzfHeader(24, 0x1200);
  const TBytes Body(Header.begin(), Header.begin() + 24);
  TPulseWriter Tape(kSlowPulses);
  Tape.Run(false, 30).Mark(40).Block(Header, Spoil).Run(true, 1).Run(false, 256).Block(Header);
  Tape.Run(true, 1).Run(false, 50).Mark(20).Block(Body).Run(true, 1);
  return Tape.Pulses();
}

// Kvetro's layout: the loader file slow, the user's body fast.
TBytes KvetroFile() {
  TMzfImage Image;
  const TBytes User = MzfHeader(16, 0x2000);
  Image.Assign(User.data(), User.size());
  BuildFastLoaderFile(Image, 7);
  const TBytes Header(Image.Bytes().begin(), Image.Bytes().begin() + TMzfImage::HeaderSize);
  const TBytes Loader(Image.Bytes().begin() + TMzfImage::HeaderSize,
                      Image.Bytes().begin() + TMzfImage::HeaderSize + FastLoaderBodySize);
  TPulseWriter Tape(kSlowPulses);
  Tape.Run(false, 10).Mark(40).Block(Header).Run(true, 1).Run(false, 20).Mark(20).Block(Loader);
  Tape.Run(true, 2).Speed(kFastPulses).Run(true, 1).Run(false, 30).Mark(20);
  Tape.Block(TBytes(16, 0xA5)).Run(true, 2);
  return Tape.Pulses();
}

}  // namespace

std::vector<TSeed> TapeReaderSeeds() {
  std::vector<TSeed> Seeds;
  Seeds.push_back({"pulses-machine-file", TapeReadingPulseInput(MachineFile(-1))});
  Seeds.push_back({"pulses-header-from-copy", TapeReadingPulseInput(MachineFile(13))});
  Seeds.push_back({"pulses-kvetro-file", TapeReadingPulseInput(KvetroFile())});
  // Read inverted only: the machine would time the LO halves, 2 and 4.
  TBytes Inverted = TapeReadingPulseInput(MachineFile(-1));
  Inverted[1] = 2;
  Seeds.push_back({"pulses-read-inverted", Inverted});
  TBytes Stereo = {2, 1 << 3 | 1};  // 16-bit samples, two channels
  for (int I = 0; I < 400; ++I) {
    Stereo.push_back(static_cast<std::uint8_t>((I / 6) % 2 == 0 ? 0x10 : 0xF0));
  }
  Seeds.push_back({"samples-16-bit-stereo", Stereo});
  TBytes Wave = {0, 0};
  const TBytes Written = WrittenWave(Samples(300));
  Wave.insert(Wave.end(), Written.begin(), Written.end());
  Seeds.push_back({"wave-file", Wave});
  Seeds.push_back(
      {"wave-file-not-riff", {0, 0, 'R', 'I', 'F', 'X', 1, 0, 0, 0, 'W', 'A', 'V', 'E'}});
  return Seeds;
}

std::vector<TSeed> WaveReaderSeeds() {
  std::vector<TSeed> Seeds;
  Seeds.push_back({"written-empty", WrittenWave({})});
  Seeds.push_back({"written-odd", WrittenWave(Samples(37))});
  Seeds.push_back({"written-long", WrittenWave(Samples(600))});

  TBytes Listed = RiffStart();
  Append(Listed, "LIST", 4);
  Listed.insert(Listed.end(), {'I', 'N', 'F', 'O'});
  const TBytes Written = WrittenWave(Samples(20));
  Listed.insert(Listed.end(), Written.begin() + 12, Written.end());
  Append(Listed, "junk", 3);
  Listed.insert(Listed.end(), {1, 2, 3});
  Seeds.push_back({"chunks-around-data", Listed});

  TBytes TwoData = RiffStart();
  Append(TwoData, "data", 4);
  TwoData.insert(TwoData.end(), {1, 2, 3, 4});
  Append(TwoData, "data", 2);
  TwoData.insert(TwoData.end(), {5, 6});
  Seeds.push_back({"two-data-chunks", TwoData});

  TBytes LongData = RiffStart();
  Append(LongData, "data", 1000);
  LongData.insert(LongData.end(), 10, 0x80);
  Seeds.push_back({"data-past-end", LongData});

  TBytes HugeChunk = RiffStart();
  Append(HugeChunk, "junk", 0xFFFFFFFF);
  Append(HugeChunk, "data", 2);
  Seeds.push_back({"chunk-of-4g", HugeChunk});

  TBytes LongFormat = RiffStart();
  Append(LongFormat, "fmt ", 100);
  LongFormat.insert(LongFormat.end(), 18, 1);
  Seeds.push_back({"format-past-end", LongFormat});

  TBytes ZeroId = RiffStart();
  ZeroId.insert(ZeroId.end(), 8, 0);
  Append(ZeroId, "data", 1);
  ZeroId.push_back(0x30);
  Seeds.push_back({"zero-id-ends-walk", ZeroId});

  TBytes Partial = RiffStart();
  Partial.insert(Partial.end(), {'d', 'a', 't'});
  Seeds.push_back({"partial-chunk-header", Partial});

  Seeds.push_back({"not-riff", {'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 0, 0}});
  Seeds.push_back({"eleven-bytes", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V'}});
  return Seeds;
}

std::vector<TSeed> ConversionSeeds() {
  std::vector<TSeed> Seeds;
  Seeds.push_back(Case("small-body", Mzf(16, 16)));
  Seeds.push_back(Case("body-size-zero", Mzf(0, 0)));
  Seeds.push_back(Case("size-past-end", Mzf(300, 12, 0xF0)));
  Seeds.push_back(Case("size-past-image", Mzf(0xFFFF, 200, 0x80)));
  // Too long for the fuzzer's budget, and shortened into halves of 2 samples.
  Seeds.push_back(Case("shortened-to-alike", Mzf(0xFFFF, 200, 0x80), PulseTiming{4, 4, 4, 8}));
  Seeds.push_back(Case("short-header", TBytes{0x01, 'S', 'H', 'O', 'R', 'T'}));
  Seeds.push_back(Case("empty-file", {}));
  Seeds.push_back(Case("slow-wide-gaps", Mzf(40, 40, 0xFF), PulseTiming{128, 128, 128, 128},
                       TConversionCase::MaxGap, TConversionCase::MaxGap));
  Seeds.push_back(Case("inverted", Mzf(64, 64, 0x55), PulseTiming{1, 1, 2, 2}, 0, 0, true));
  Seeds.push_back(
      Case("fills-up-half-way", Mzf(32, 32), DefaultTiming, 10, 10, false, true, 0x8000));
  Seeds.push_back(Case("fills-up-in-header", Mzf(8, 8), DefaultTiming, 0, 0, false, true, 1));
  // The machine's own layout, and other rates.
  const auto Other = [](TSeed Seed, TTapeLayoutChoice Layout, std::int32_t Rate) {
    TConversionCase C = TConversionCase::Decode(Seed.Bytes.data(), Seed.Bytes.size());
    C.Settings.Layout = Layout;
    C.Settings.SampleRate = Rate;
    Seed.Bytes = C.Encode();
    return Seed;
  };
  Seeds.push_back(Other(Case("standard-layout", Mzf(24, 24, 0x3C), PulseTiming::Standard()),
                        TTapeLayoutChoice::Standard, 44100));
  Seeds.push_back(
      Other(Case("standard-no-copies-22050", Mzf(24, 10, 0xC3), PulseTiming{4, 4, 4, 8}),
            TTapeLayoutChoice::StandardNoCopies, 22050));
  Seeds.push_back(
      Other(Case("fast-loader-48000", Mzf(32, 32)), TTapeLayoutChoice::FastLoader, 48000));
  Seeds.push_back(
      Other(Case("collapsed-at-8000", Mzf(16, 16)), TTapeLayoutChoice::FastLoader, 8000));
  Seeds.push_back(Other(
      Case("standard-fills-up", Mzf(16, 16), PulseTiming::Standard(), 0, 0, false, true, 0x4000),
      TTapeLayoutChoice::Standard, 48000));
  return Seeds;
}

}  // namespace kvetro
