#pragma once

#include <cstdint>
#include <vector>

#include "tape/ConversionSettings.h"

namespace kvetro {

// One conversion to try, as a fuzzer input lays it out: a 12-byte settings
// block, then the MZF file itself.
//
//   0-3   the four pulse counts, each taken into PulseHalfRange
//   4     the monitor constant, taken into MonitorConstantRange
//   5-6   loader gap, 7-8 body gap: little-endian, taken into 0..MaxGap
//   9     flags: bit 0 inverts the levels, bit 1 makes the output fill up,
//         bits 2-3 the layout (fast loader, the machine's own, without
//         copies; 3 is the fast loader too), bits 4-5 the sample rate
//         (44100, 48000, 22050, 8000)
//   10-11 where the output fills up, as a fraction of its size (of 65535)
//   12-   the MZF file
//
// Every byte sequence decodes to a case whose settings lie in the ranges the
// user can set, so the fuzzer explores the files, not the argument checks.
struct TConversionCase {
  static constexpr std::size_t SettingsSize = 12;
  // Keeps a single run short while leaving both gaps well past the 1000
  // fixed short pulses.
  static constexpr std::int32_t MaxGap = 2000;
  static constexpr std::int32_t Rates[4] = {44100, 48000, 22050, 8000};

  TConversionSettings Settings;
  bool FillUp = false;
  std::uint16_t FillPoint = 0;  // of 65535
  std::vector<std::uint8_t> Mzf;

  static TConversionCase Decode(const std::uint8_t* Data, std::size_t Size);
  // The bytes that Decode turns back into this case.
  std::vector<std::uint8_t> Encode() const;
};

}  // namespace kvetro
