#include "tests/support/ReferenceSignal.h"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <iterator>

#include "tape/FastLoaderFile.h"
#include "tests/support/WaveBytes.h"

namespace kvetro::expected {

std::string Repeat(char Pulse, int Count) {
  return std::string(Count > 0 ? static_cast<std::size_t>(Count) : 0, Pulse);
}

std::string Framed(std::uint8_t Byte) {
  // The start pulse is bit 8, always set.
  return std::bitset<9>(0x100U | Byte).to_string();
}

std::string Block(const TBytes& Bytes) {
  std::string Pulses;
  unsigned Ones = 0;
  for (const std::uint8_t Byte : Bytes) {
    Pulses += Framed(Byte);
    Ones += static_cast<unsigned>(std::bitset<8>(Byte).count());
  }
  return Pulses + Framed(static_cast<std::uint8_t>((Ones >> 8) & 0xFF)) +
         Framed(static_cast<std::uint8_t>(Ones & 0xFF));
}

std::string BodyTapeFile(const TBytes& Body, int BodyGap) {
  return "1" + Repeat('0', 1000) + Repeat('0', BodyGap) + Repeat('1', 20) + Repeat('0', 20) + "1" +
         Block(Body) + "11";
}

std::string FullTapeFile(const TBytes& Header, const TBytes& Body, int LeadGap, int BodyGap) {
  return Repeat('0', LeadGap) + Repeat('1', 40) + Repeat('0', 40) + "1" + Block(Header) +
         BodyTapeFile(Body, BodyGap);
}

TBytes Samples(const std::string& Pulses, const Timing& T, bool Inverted) {
  const std::uint8_t Lo = Inverted ? 0xD0 : 0x30;
  const std::uint8_t Hi = Inverted ? 0x30 : 0xD0;
  const auto Count = [](int Samples) {
    return static_cast<std::size_t>(Samples > 0 ? Samples : 0);
  };
  TBytes Out;
  for (const char Pulse : Pulses) {
    const bool Long = Pulse == '1';
    Out.insert(Out.end(), Count(Long ? T.Log1Lo : T.Log0Lo), Lo);
    Out.insert(Out.end(), Count(Long ? T.Log1Hi : T.Log0Hi), Hi);
  }
  return Out;
}

std::uint8_t FileByte(const TBytes& File, std::size_t Position) {
  return Position < File.size() ? File[Position] : 0;
}

TBytes Slice(const TBytes& File, std::size_t Start, std::size_t Count) {
  TBytes Bytes;
  for (std::size_t I = 0; I < Count; ++I) {
    Bytes.push_back(FileByte(File, Start + I));
  }
  return Bytes;
}

TBytes LoaderHeader(const TBytes& File) {
  TBytes Header = Slice(File, 0, 128);
  const std::uint8_t Fields[6] = {0x5A, 0x00, 0x00, 0xD4, 0x00, 0xD4};
  std::copy(std::begin(Fields), std::end(Fields), Header.begin() + 0x12);
  return Header;
}

TBytes LoaderBody(const TBytes& File, int MonitorConstant) {
  // The code itself is checked against the machine in the loader's tests.
  TBytes Body(FastLoaderCode.begin(), FastLoaderCode.end());
  Body.push_back(static_cast<std::uint8_t>(MonitorConstant & 0xFF));
  Body.push_back(0x01);
  const TBytes Fields = Slice(File, 0x12, 6);
  const TBytes Tail = Slice(File, 128 + 83, 7);
  Body.insert(Body.end(), Fields.begin(), Fields.end());
  Body.insert(Body.end(), Tail.begin(), Tail.end());
  return Body;
}

TBytes UserBody(const TBytes& File) {
  return Slice(File, 128, FileByte(File, 0x12) + 256u * FileByte(File, 0x13));
}

std::string StandardTapeFile(const TBytes& Header, const TBytes& Body, bool Copies) {
  const auto Saved = [Copies](const TBytes& Bytes) {
    const std::string Once = "1" + Block(Bytes) + "1";
    return Copies ? Once + Repeat('0', 256) + Block(Bytes) + "1" : Once;
  };
  return Repeat('0', 22000) + Repeat('1', 40) + Repeat('0', 40) + Saved(Header) +
         Repeat('0', 11000) + Repeat('1', 20) + Repeat('0', 20) + Saved(Body);
}

Timing AtRate(const Timing& T, int Rate) {
  const auto Half = [Rate](int Samples) {
    if (Samples <= 0) {
      return Samples;  // a half of none stays none
    }
    return std::max(1, static_cast<int>(std::floor(Samples * Rate / 44100.0 + 0.5)));
  };
  return {Half(T.Log0Lo), Half(T.Log0Hi), Half(T.Log1Lo), Half(T.Log1Hi)};
}

TBytes WaveFile(const TBytes& Data, int Rate) {
  return test::ExpectedMonoWave(Data, static_cast<std::uint32_t>(Rate));
}

TBytes ConvertedTape(const std::vector<TBytes>& Files, const Conversion& C) {
  std::string Pulses;
  for (const TBytes& File : Files) {
    Pulses += StandardTapeFile(Slice(File, 0, 128), UserBody(File), C.Tape == Layout::Standard);
  }
  return WaveFile(Samples(Pulses, AtRate(C.User, C.Rate), C.Inverted), C.Rate);
}

TBytes ConvertedFile(const TBytes& File, const Conversion& C) {
  const Timing User = AtRate(C.User, C.Rate);
  if (C.Tape != Layout::FastLoader) {
    return ConvertedTape({File}, C);
  }
  TBytes Data = Samples(
      FullTapeFile(LoaderHeader(File), LoaderBody(File, C.MonitorConstant), C.LoaderGap, C.BodyGap),
      AtRate(kStandardTiming, C.Rate), C.Inverted);
  const TBytes Body = Samples(BodyTapeFile(UserBody(File), C.BodyGap), User, C.Inverted);
  Data.insert(Data.end(), Body.begin(), Body.end());
  return WaveFile(Data, C.Rate);
}

}  // namespace kvetro::expected
