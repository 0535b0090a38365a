#pragma once

#include <cstdint>

#include "reader/BlockDecoder.h"
#include "reader/BlockPulses.h"

namespace kvetro {

// A block of known length read byte by byte as its pulses come, as the
// machine reads it, while nothing is amiss: every ninth pulse a long start
// pulse and no damage. Most blocks end so, and need not be read again from
// their kept pulses (reader/BlockDecoder.h gives the same result for them).
class TStreamedBlock {
 public:
  // Begins the block whose pulses Block holds as they come: its kind,
  // length, times and mark must be set.
  void Start(const TBlockPulses& Block);
  // The latest pulse of the block, its LOW time (negative when not known).
  void Add(const TPulseRecord& Pulse, double LowUs, double Seconds);
  // The block read, once all its bytes have come.
  TBlockRead Result(const TBlockPulses& Block);

 private:
  TBlockRead FRead;
  std::int32_t FPulse = 0;  // of the byte under way
  unsigned FValue = 0;
  std::uint8_t FLeast = 0;
};

}  // namespace kvetro
