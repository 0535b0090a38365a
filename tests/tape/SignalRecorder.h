#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tape/PulseTiming.h"
#include "tape/TapeEncoder.h"
#include "wave/MemoryStream.h"

namespace kvetro::test {

// One pulse as found in a sample sequence: a run of LO samples, then a run of
// HI samples.
struct Pulse {
  int Lo = 0;
  int Hi = 0;
  bool operator==(const Pulse&) const = default;
};

// Splits samples into pulses by the two levels alone, without knowing how
// they were made.
std::vector<Pulse> SplitPulses(const std::vector<std::uint8_t>& Samples);

// Writes each pulse as '0' or '1' by comparing it with the timing's two
// pulse shapes; '?' for anything else.
std::string PulseBits(const std::vector<Pulse>& Pulses, const PulseTiming& Timing);

// One byte as the tape frames it: a start pulse '1', then the eight bits
// from bit 7 down.
std::string Framed(std::uint8_t Byte);
// N pulses of the one kind C.
std::string Repeat(char C, std::size_t N);

// Runs the encoder until it clears its running flag; answers the number of
// steps it took.
long RunToEnd(TTapeEncoder& Encoder, long StepLimit = 100'000'000);

}  // namespace kvetro::test
