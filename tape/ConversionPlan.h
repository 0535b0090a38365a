#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tape/ConversionSettings.h"
#include "tape/MzfImage.h"
#include "tape/MzfTape.h"
#include "tape/PulseTiming.h"
#include "tape/TapeSignal.h"
#include "wave/Stream.h"

namespace kvetro {

// One tape file of the output: its layout, the image it is made from (the
// loader file built from the user's, or the user's as read), the timing in
// samples at the output's rate, and the samples it takes.
struct TPlannedFile {
  const char* Label = "";  // what --info calls it: "Loader file", "Body", "Tape file"
  TTapeLayout Layout;
  std::size_t Image = 0;  // which file of the tape it is made from
  bool FromLoader = false;
  PulseTiming Timing;
  TRunValues Values;
  std::uint64_t Samples = 0;
};

// The output of a conversion, known before anything is written: its tape
// files in order, behind the 46-byte RIFF/WAVE header. With the fast loader,
// the loader file at the standard timing, then the user's body at the user's
// timing; in the machine's own layout, each of the user's files whole at the
// user's timing, one after the other.
struct TConversionPlan {
  static constexpr std::uint64_t WaveHeaderSize = 46;
  // The wave file is written through a stream, which stops below 2 GiB.
  static constexpr std::uint64_t MaxFileSize = MaxStreamSize;

  std::int32_t SampleRate = DefaultSampleRate;
  std::vector<TPlannedFile> Files;

  std::uint64_t DataSize() const;
  std::uint64_t FileSize() const { return WaveHeaderSize + DataSize(); }
  bool FitsWaveFile() const { return FileSize() <= MaxFileSize; }
};

// Counts the output of converting Image, which holds the user's file as
// loaded; Image itself is not changed (the loader is built in a copy).
TConversionPlan PlanConversion(const TMzfImage& Image, const TConversionSettings& Settings);
// The same for every file of Tape in order. Each must load (none is 64 KiB
// or larger), and the fast loader's tape holds one: TapeRefusal
// (tape/InputCheck.h) says when not.
TConversionPlan PlanConversion(const TMzfTape& Tape, const TConversionSettings& Settings);

// The image a planned file is made from: the loader file built from the
// user's (in Loader, which is overwritten) or the user's itself.
const TMzfImage& PlannedImage(const TPlannedFile& File, const TMzfImage& Image,
                              std::int32_t MonitorConstant, TMzfImage& Loader);

// Samples at Rate as seconds, to the millisecond: "6.064 s".
std::string PlayingTime(std::uint64_t Samples, std::int32_t Rate);

}  // namespace kvetro
