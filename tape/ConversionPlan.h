#pragma once

#include <cstdint>
#include <string>

#include "tape/ConversionSettings.h"
#include "tape/MzfImage.h"
#include "wave/Stream.h"

namespace kvetro {

// The size of a conversion's output, known before anything is written: the
// loader file at the standard timing, then the user's body at the user's
// timing, behind the 46-byte RIFF/WAVE header.
struct TConversionPlan {
  static constexpr std::uint64_t WaveHeaderSize = 46;
  static constexpr std::int32_t SampleRate = 44100;
  // The wave file is written through a stream, which stops below 2 GiB.
  static constexpr std::uint64_t MaxFileSize = MaxStreamSize;

  std::uint64_t LoaderSamples = 0;
  std::uint64_t BodySamples = 0;

  std::uint64_t DataSize() const { return LoaderSamples + BodySamples; }
  std::uint64_t FileSize() const { return WaveHeaderSize + DataSize(); }
  bool FitsWaveFile() const { return FileSize() <= MaxFileSize; }
};

// Counts the output of converting Image, which holds the user's file as
// loaded; Image itself is not changed (the loader is built in a copy).
TConversionPlan PlanConversion(const TMzfImage& Image, const TConversionSettings& Settings);

// Samples at 44100 Hz as seconds, to the millisecond: "6.064 s".
std::string PlayingTime(std::uint64_t Samples);

}  // namespace kvetro
