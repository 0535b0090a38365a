#include "fuzz/SeedInputs.h"

#include <cstring>

#include "fuzz/ConversionCase.h"
#include "tape/ConversionSettings.h"
#include "tape/MzfImage.h"
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
  C.InvertLevels = Invert;
  C.FillUp = FillUp;
  C.FillPoint = FillPoint;
  C.Mzf = std::move(File);
  return {std::move(Name), C.Encode()};
}

}  // namespace

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
  Seeds.push_back(Case("short-header", TBytes{0x01, 'S', 'H', 'O', 'R', 'T'}));
  Seeds.push_back(Case("empty-file", {}));
  Seeds.push_back(Case("slow-wide-gaps", Mzf(40, 40, 0xFF), PulseTiming{128, 128, 128, 128},
                       TConversionCase::MaxGap, TConversionCase::MaxGap));
  Seeds.push_back(Case("inverted", Mzf(64, 64, 0x55), PulseTiming{1, 1, 2, 2}, 0, 0, true));
  Seeds.push_back(
      Case("fills-up-half-way", Mzf(32, 32), DefaultTiming, 10, 10, false, true, 0x8000));
  Seeds.push_back(Case("fills-up-in-header", Mzf(8, 8), DefaultTiming, 0, 0, false, true, 1));
  return Seeds;
}

}  // namespace kvetro
