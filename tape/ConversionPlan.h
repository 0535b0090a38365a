#pragma once

#include <cstdint>
#include <string>

#include "tape/MzfImage.h"
#include "tape/PulseTiming.h"

namespace kvetro {

// What a conversion is run with: the user's pulse timing for the body, the
// monitor constant and the two gaps.
struct TConversionSettings {
  PulseTiming UserTiming = PulseTiming::Defaults();
  std::int32_t MonitorConstant = 1;
  std::int32_t LoaderGap = 5000;
  std::int32_t BodyGap = 5000;
};

// The size of a conversion's output, known before anything is written: the
// loader file at the standard timing, then the user's body at the user's
// timing, behind the 46-byte RIFF/WAVE header.
struct TConversionPlan {
  static constexpr std::uint64_t WaveHeaderSize = 46;
  // Kept below 2^31 so that readers which treat RIFF sizes as signed
  // 32-bit values still accept the file.
  static constexpr std::uint64_t MaxFileSize = 0x7FFFFFFF;

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
