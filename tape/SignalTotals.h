#pragma once

#include <cstdint>

#include "tape/MzfImage.h"
#include "tape/PulseTiming.h"

namespace kvetro {

// How many short and long pulses a run writes, known before anything is
// written: the fixed pulses of gaps, tape marks and end pulses, plus for each
// framed byte one long start pulse and one pulse per bit.
struct TPulseCount {
  std::uint64_t Short = 0;
  std::uint64_t Long = 0;

  std::uint64_t Pulses() const { return Short + Long; }
  // Samples at the given timing; a count of 0 or less adds nothing.
  std::uint64_t Samples(const PulseTiming& Timing) const;

  TPulseCount& operator+=(const TPulseCount& Other);
  bool operator==(const TPulseCount&) const = default;
};

// The pulses of a run from phase 0 (the whole tape file) over Image, counted
// along kTapeSignal with the same treatment of odd arguments as the encoder:
// negative gaps are no gaps, the body length is taken within 0 to 65535,
// positions past the image read as 0x00.
TPulseCount FullRunPulses(const TMzfImage& Image, std::int32_t LeadGap, std::int32_t BodyGap,
                          std::int32_t BodyLength);
// The pulses of a run from phase 6 (gap, tape mark and body only).
TPulseCount BodyRunPulses(const TMzfImage& Image, std::int32_t BodyGap, std::int32_t BodyLength);

}  // namespace kvetro
