#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "wave/Stream.h"
#include "wave/WaveFormat.h"

namespace kvetro {

// The head of a WAV that comes as a stream (a pipe, a device): read strictly
// forward, chunks before the data skipped by reading them, never a seek. A
// program writing to a pipe cannot go back to fill in the sizes, so it puts
// 0, 0x7FFFFFFF or 0xFFFFFFFF there (arecord, sox, ffmpeg); such a RIFF or
// data size means "until the end of the stream".
struct TStreamedWaveHeader {
  TWaveFormat Format;
  // The sample bytes that follow; none: until the end of the stream.
  std::optional<std::int64_t> DataBytes;

  // Reads up to the first sample byte and leaves Stream there. Name names
  // the stream in refusals (EWaveFormatError): nothing at all, no RIFF/WAVE,
  // cut short before the data, no format chunk before the data, a format
  // that is not read.
  static TStreamedWaveHeader Read(TStream& Stream, const std::string& Name);

  static bool MeansUntilTheEnd(std::uint32_t Size) {
    return Size == 0 || Size == 0x7FFFFFFFU || Size == 0xFFFFFFFFU;
  }
};

}  // namespace kvetro
