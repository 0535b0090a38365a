#include "ExpectedWave.h"

#include "tests/support/WaveBytes.h"

namespace kvetro::expected {

namespace {

void Repeat(PulseList& Pulses, int Count, bool Long) {
  for (int I = 0; I < Count; ++I) {
    Pulses.push_back(Long);
  }
}

void Byte(PulseList& Pulses, std::uint8_t Value) {
  Pulses.push_back(true);
  for (int Bit = 7; Bit >= 0; --Bit) {
    Pulses.push_back(((Value >> Bit) & 1) != 0);
  }
}

// The bytes, then the count of their one bits as two bytes, high first.
void Block(PulseList& Pulses, const std::vector<std::uint8_t>& Bytes) {
  unsigned Ones = 0;
  for (const std::uint8_t Value : Bytes) {
    Byte(Pulses, Value);
    for (int Bit = 0; Bit < 8; ++Bit) {
      Ones += (Value >> Bit) & 1;
    }
  }
  Byte(Pulses, static_cast<std::uint8_t>((Ones >> 8) & 0xFF));
  Byte(Pulses, static_cast<std::uint8_t>(Ones & 0xFF));
}

}  // namespace

const std::vector<std::uint8_t>& LoaderCode() {
  static const std::vector<std::uint8_t> Code = {
      0x3E, 0x08, 0xD3, 0xCE, 0xE5, 0x21, 0x00, 0x00, 0xD3, 0xE4, 0x7E, 0xD3, 0xE0, 0x77, 0x23,
      0x7C, 0xFE, 0x10, 0x20, 0xF4, 0x3A, 0x4B, 0xD4, 0x32, 0x4B, 0x0A, 0x3A, 0x4C, 0xD4, 0x32,
      0x12, 0x05, 0x21, 0x4D, 0xD4, 0x11, 0x02, 0x11, 0x01, 0x0D, 0x00, 0xED, 0xB0, 0xE1, 0x7C,
      0xFE, 0xD4, 0x28, 0x12, 0x2A, 0x04, 0x11, 0xD9, 0x21, 0x00, 0x12, 0x22, 0x04, 0x11, 0xCD,
      0x2A, 0x00, 0xD3, 0xE4, 0xC3, 0x9A, 0xE9, 0xCD, 0x2A, 0x00, 0xD3, 0xE4, 0xC3, 0x24, 0x01};
  return Code;
}

std::uint8_t FileByte(const std::vector<std::uint8_t>& File, std::size_t Position) {
  return Position < File.size() ? File[Position] : 0;
}

std::vector<std::uint8_t> LoaderHeader(const std::vector<std::uint8_t>& File) {
  std::vector<std::uint8_t> Header;
  for (std::size_t I = 0; I < 128; ++I) {
    Header.push_back(FileByte(File, I));
  }
  const std::uint8_t Fields[6] = {0x5A, 0x00, 0x00, 0xD4, 0x00, 0xD4};
  for (int I = 0; I < 6; ++I) {
    Header[0x12 + static_cast<std::size_t>(I)] = Fields[I];
  }
  return Header;
}

std::vector<std::uint8_t> LoaderBody(const std::vector<std::uint8_t>& File, int MonitorConstant) {
  std::vector<std::uint8_t> Body = LoaderCode();
  Body.push_back(static_cast<std::uint8_t>(MonitorConstant & 0xFF));
  Body.push_back(0x01);
  for (std::size_t I = 0x12; I < 0x18; ++I) {
    Body.push_back(FileByte(File, I));
  }
  for (std::size_t I = 128 + 83; I < 128 + 90; ++I) {
    Body.push_back(FileByte(File, I));
  }
  return Body;
}

std::vector<std::uint8_t> UserBody(const std::vector<std::uint8_t>& File) {
  const std::size_t Length = FileByte(File, 0x12) + 256u * FileByte(File, 0x13);
  std::vector<std::uint8_t> Body;
  for (std::size_t I = 0; I < Length; ++I) {
    Body.push_back(FileByte(File, 128 + I));
  }
  return Body;
}

PulseList BodyTapeFile(const std::vector<std::uint8_t>& Body, int BodyGap) {
  PulseList Pulses;
  Repeat(Pulses, 1, true);
  Repeat(Pulses, 1000, false);
  Repeat(Pulses, BodyGap, false);
  Repeat(Pulses, 20, true);
  Repeat(Pulses, 20, false);
  Repeat(Pulses, 1, true);
  Block(Pulses, Body);
  Repeat(Pulses, 2, true);
  return Pulses;
}

PulseList FullTapeFile(const std::vector<std::uint8_t>& Header,
                       const std::vector<std::uint8_t>& Body, int LeadGap, int BodyGap) {
  PulseList Pulses;
  Repeat(Pulses, LeadGap, false);
  Repeat(Pulses, 40, true);
  Repeat(Pulses, 40, false);
  Repeat(Pulses, 1, true);
  Block(Pulses, Header);
  const PulseList Rest = BodyTapeFile(Body, BodyGap);
  Pulses.insert(Pulses.end(), Rest.begin(), Rest.end());
  return Pulses;
}

std::vector<std::uint8_t> Samples(const PulseList& Pulses, const Timing& T, bool Inverted) {
  const std::uint8_t Lo = Inverted ? 0xD0 : 0x30;
  const std::uint8_t Hi = Inverted ? 0x30 : 0xD0;
  std::vector<std::uint8_t> Out;
  for (const bool Long : Pulses) {
    Out.insert(Out.end(), static_cast<std::size_t>(Long ? T.Log1Lo : T.Log0Lo), Lo);
    Out.insert(Out.end(), static_cast<std::size_t>(Long ? T.Log1Hi : T.Log0Hi), Hi);
  }
  return Out;
}

std::vector<std::uint8_t> WaveFile(const std::vector<std::uint8_t>& Data) {
  return test::ExpectedMonoWave(Data);
}

std::vector<std::uint8_t> ConvertedFile(const std::vector<std::uint8_t>& File,
                                        const Conversion& C) {
  std::vector<std::uint8_t> Data = Samples(
      FullTapeFile(LoaderHeader(File), LoaderBody(File, C.MonitorConstant), C.LoaderGap, C.BodyGap),
      Timing{9, 11, 18, 19}, C.Inverted);
  const std::vector<std::uint8_t> Body =
      Samples(BodyTapeFile(UserBody(File), C.BodyGap), C.User, C.Inverted);
  Data.insert(Data.end(), Body.begin(), Body.end());
  return WaveFile(Data);
}

}  // namespace kvetro::expected
