#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "io/Exception.h"

namespace kvetro {

// A recording that cannot be read as samples: the message names the file and
// says why, e.g. "Cannot read tape.wav: sample rate 4000 Hz is outside 8000
// to 192000 Hz".
class EWaveFormatError : public Exception {
 public:
  EWaveFormatError(const std::string& FileName, const std::string& Reason)
      : Exception("Cannot read " + FileName + ": " + Reason) {}
};

// What a wave's format chunk says, parsed once. Readable are integer PCM of
// 8 (unsigned), 16, 24 and 32 bits and IEEE float of 32 and 64 bits, in a
// plain record or in a WAVE_FORMAT_EXTENSIBLE one, any number of channels, at
// 8000 to 192000 samples a second.
struct TWaveFormat {
  enum class TEncoding { Pcm, Float };

  static constexpr std::uint16_t PcmTag = 0x0001;
  static constexpr std::uint16_t FloatTag = 0x0003;
  static constexpr std::uint16_t ExtensibleTag = 0xFFFE;
  static constexpr std::int32_t MinRate = 8000;
  static constexpr std::int32_t MaxRate = 192000;
  // The plain record's fields end here; the extensible record's at 40.
  static constexpr std::int32_t PlainRecordSize = 16;
  static constexpr std::int32_t ExtensibleRecordSize = 40;

  std::uint16_t Tag = PcmTag;  // as written: PcmTag, FloatTag or ExtensibleTag
  TEncoding Encoding = TEncoding::Pcm;
  // Extensible only: the sub-format GUID as it lies in the file; its first
  // two bytes are the tag of the samples' encoding.
  std::array<std::uint8_t, 16> SubFormat{};
  std::int32_t Channels = 1;
  std::int32_t Rate = 44100;
  std::int32_t Bits = 8;        // the container size of one sample
  std::int32_t BlockAlign = 1;  // bytes of one frame: a sample of every channel
  std::int32_t ValidBits = 8;   // bits of the container that carry signal

  std::int32_t BytesPerSample() const { return Bits / 8; }

  // Parses a format record of Size bytes; FileName goes into the message of
  // a refusal (EWaveFormatError): a record too short, a compressed or unknown
  // encoding, zero channels, a rate out of range, a sample size this encoding
  // does not have, a block align that is not channels times sample bytes,
  // valid bits beyond the container.
  static TWaveFormat Parse(const std::uint8_t* Record, std::int32_t Size,
                           const std::string& FileName);
};

}  // namespace kvetro
