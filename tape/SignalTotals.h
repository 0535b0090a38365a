#pragma once

#include <cstdint>

#include "tape/MzfImage.h"
#include "tape/PulseTiming.h"
#include "tape/TapeSignal.h"

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

// The pulses of one tape file of the given layout over Image, counted along
// the same walk as the renderer writes: negative gaps are no gaps, the body
// length is taken within 0 to 65535, positions past the image read as 0x00.
TPulseCount RunPulses(const TMzfImage& Image, const TTapeLayout& Layout, const TRunValues& Values);

}  // namespace kvetro
