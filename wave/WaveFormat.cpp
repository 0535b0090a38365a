#include "wave/WaveFormat.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace kvetro {

namespace {

std::uint16_t Le16(const std::uint8_t* At) {
  return static_cast<std::uint16_t>(At[0] | At[1] << 8);
}

std::uint32_t Le32(const std::uint8_t* At) {
  return static_cast<std::uint32_t>(Le16(At)) | static_cast<std::uint32_t>(Le16(At + 2)) << 16;
}

// Every sub-format GUID of the extensible record ends like this; its first
// two bytes are the plain record's tag.
constexpr std::array<std::uint8_t, 14> kSubFormatTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                         0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::string Hex16(std::uint16_t Value) {
  char Text[8];
  std::snprintf(Text, sizeof Text, "0x%04X", static_cast<unsigned>(Value));
  return Text;
}

bool BitsFit(TWaveFormat::TEncoding Encoding, std::int32_t Bits) {
  if (Encoding == TWaveFormat::TEncoding::Float) {
    return Bits == 32 || Bits == 64;
  }
  return Bits == 8 || Bits == 16 || Bits == 24 || Bits == 32;
}

}  // namespace

TWaveFormat TWaveFormat::Parse(const std::uint8_t* Record, std::int32_t Size,
                               const std::string& FileName) {
  const auto Refuse = [&FileName](const std::string& Reason) {
    return EWaveFormatError(FileName, Reason);
  };
  if (Size < PlainRecordSize) {
    throw Refuse("format chunk of " + std::to_string(Size) + " bytes is too short");
  }
  TWaveFormat Format;
  Format.Tag = Le16(Record);
  Format.Channels = Le16(Record + 2);
  const std::uint32_t Rate = Le32(Record + 4);
  Format.BlockAlign = Le16(Record + 12);
  Format.Bits = Le16(Record + 14);
  Format.ValidBits = Format.Bits;

  std::uint16_t Encoding = Format.Tag;
  if (Format.Tag == ExtensibleTag) {
    if (Size < ExtensibleRecordSize) {
      throw Refuse("extensible format chunk of " + std::to_string(Size) + " bytes is too short");
    }
    Format.ValidBits = Le16(Record + 18);
    std::memcpy(Format.SubFormat.data(), Record + 24, Format.SubFormat.size());
    Encoding = Le16(Record + 24);
    if (!std::equal(kSubFormatTail.begin(), kSubFormatTail.end(), Format.SubFormat.begin() + 2)) {
      throw Refuse("unknown sub-format in an extensible format chunk");
    }
    // A writer that leaves the valid bits at 0 means the whole container.
    if (Format.ValidBits == 0) {
      Format.ValidBits = Format.Bits;
    }
  }
  if (Encoding == PcmTag) {
    Format.Encoding = TEncoding::Pcm;
  } else if (Encoding == FloatTag) {
    Format.Encoding = TEncoding::Float;
  } else {
    throw Refuse("compressed format (tag " + Hex16(Encoding) +
                 ") is not read; convert it to PCM first");
  }
  if (Format.Channels == 0) {
    throw Refuse("zero channels");
  }
  if (Rate < static_cast<std::uint32_t>(MinRate) || Rate > static_cast<std::uint32_t>(MaxRate)) {
    throw Refuse("sample rate " + std::to_string(Rate) + " Hz is outside " +
                 std::to_string(MinRate) + " to " + std::to_string(MaxRate) + " Hz");
  }
  Format.Rate = static_cast<std::int32_t>(Rate);
  if (!BitsFit(Format.Encoding, Format.Bits)) {
    throw Refuse(std::to_string(Format.Bits) + "-bit " +
                 (Format.Encoding == TEncoding::Float ? "float" : "PCM") + " samples are not read");
  }
  if (Format.ValidBits > Format.Bits) {
    throw Refuse(std::to_string(Format.ValidBits) + " valid bits in " +
                 std::to_string(Format.Bits) + "-bit samples");
  }
  if (Format.BlockAlign != Format.Channels * Format.BytesPerSample()) {
    throw Refuse("block align " + std::to_string(Format.BlockAlign) + " does not fit " +
                 std::to_string(Format.Channels) + " channels of " + std::to_string(Format.Bits) +
                 " bits");
  }
  return Format;
}

}  // namespace kvetro
