#pragma once

#include <algorithm>
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
  // Inline: it runs for almost every pulse of a recording.
  void Add(const TPulseRecord& Pulse, double LowUs, double Seconds);
  // The block read, once all its bytes have come.
  TBlockRead Result(const TBlockPulses& Block);

 private:
  TBlockRead FRead;
  std::int32_t FPulse = 0;  // of the byte under way
  unsigned FValue = 0;
  std::uint8_t FLeast = 0;
};

inline void TStreamedBlock::Add(const TPulseRecord& Pulse, double LowUs, double Seconds) {
  const bool Long = (Pulse.Flags & TPulseRecord::Long) != 0;
  if (FPulse == 0) {
    FRead.ByteSeconds.push_back(Seconds);
    FValue = 0;
    FLeast = Pulse.Margin;
  } else {
    FValue = FValue << 1 | (Long ? 1U : 0U);
    FLeast = std::min(FLeast, Pulse.Margin);
  }
  FRead.Pulses.Add(Pulse.HighUs, LowUs, Long);
  FRead.NearPulses += Pulse.Margin < TBlockRead::NearMargin ? 1 : 0;
  if (++FPulse == PulsesPerByte) {
    FRead.Bytes.push_back(static_cast<std::uint8_t>(FValue));
    FRead.Margin.push_back(FLeast);
    FPulse = 0;
  }
}

}  // namespace kvetro
