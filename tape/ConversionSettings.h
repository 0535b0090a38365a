#pragma once

#include <cstdint>
#include <limits>

#include "tape/PulseTiming.h"

namespace kvetro {

// The whole numbers a setting may take, both ends included.
struct TSettingRange {
  std::int32_t Min = 0;
  std::int32_t Max = 0;
};

// The most any setting can hold: settings are 32-bit values.
inline constexpr std::int32_t LargestSetting = std::numeric_limits<std::int32_t>::max();

// What the window, the command line and the page let the user choose. Each
// half of a pulse, LO or HI, in samples.
inline constexpr TSettingRange PulseHalfRange{1, 128};
// The byte that the loader writes into the monitor's copy at 0x0A4B.
inline constexpr TSettingRange MonitorConstantRange{1, 255};
// A gap in short pulses: none at all, or as many as a setting holds.
inline constexpr TSettingRange GapRange{0, LargestSetting};

// The rate of the WAV: the rates of sound cards and players, from
// telephone quality to studio quality.
inline constexpr TSettingRange SampleRateRange{8000, 192000};

// Which tape layout the WAV carries.
enum class TTapeLayoutChoice {
  // A loader file at the standard timing, then the body at the user's fast
  // timing: loads on an MZ-700 and machines with its monitor.
  FastLoader,
  // The user's whole file as the machine's own SAVE writes it, each block
  // followed by its copy: every monitor of the family reads it.
  Standard,
  // The same without the copies.
  StandardNoCopies,
};

// What every setting starts with.
inline constexpr PulseTiming DefaultTiming{3, 1, 3, 2};
inline constexpr std::int32_t DefaultMonitorConstant = 1;
inline constexpr std::int32_t DefaultGap = 5000;
inline constexpr std::int32_t DefaultSampleRate = TimingSampleRate;

// What a conversion is run with: the layout, the user's pulse timing (the
// body's with the fast loader, the whole file's in the machine's own layout),
// the monitor constant and the two gaps (the fast loader's only), the WAV's
// sample rate and its levels. Timings are counted at 44100 Hz whatever the
// rate.
struct TConversionSettings {
  PulseTiming UserTiming = DefaultTiming;
  std::int32_t MonitorConstant = DefaultMonitorConstant;
  std::int32_t LoaderGap = DefaultGap;
  std::int32_t BodyGap = DefaultGap;
  TTapeLayoutChoice Layout = TTapeLayoutChoice::FastLoader;
  std::int32_t SampleRate = DefaultSampleRate;
  // The LO and HI sample values swapped, for players that invert the signal.
  bool InvertLevels = false;
};

}  // namespace kvetro
