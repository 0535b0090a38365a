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

// What every setting starts with.
inline constexpr PulseTiming DefaultTiming{3, 1, 3, 2};
inline constexpr std::int32_t DefaultMonitorConstant = 1;
inline constexpr std::int32_t DefaultGap = 5000;

// What a conversion is run with: the user's pulse timing for the body, the
// monitor constant and the two gaps.
struct TConversionSettings {
  PulseTiming UserTiming = DefaultTiming;
  std::int32_t MonitorConstant = DefaultMonitorConstant;
  std::int32_t LoaderGap = DefaultGap;
  std::int32_t BodyGap = DefaultGap;
};

}  // namespace kvetro
