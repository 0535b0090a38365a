#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "reader/PulseStatistics.h"
#include "reader/ReadPoint.h"

namespace kvetro {

enum class TBlockKind { Header, Body };

// A byte on tape: a long start pulse, then bits 7 down to 0.
inline constexpr std::size_t PulsesPerByte = 9;
// After a block's data bytes: the count of their one bits, high byte first.
inline constexpr std::int32_t ChecksumBytes = 2;

// A pulse of a block, kept until the whole block has come.
struct TPulseRecord {
  enum : std::uint8_t {
    Long = 1,     // read as a long pulse at the time
    Suspect = 2,  // timed or sized as no pulse of the block is: damage
    // Timed so: pulses were lost or added around it, so the framing after
    // it cannot be trusted, however well it seems to hold.
    Mistimed = 4,
  };
  std::uint32_t Offset = 0;  // samples after the block's first pulse
  float HighUs = 0;
  // The LOW time in sixteenths of a µs, at most Longest; Unknown when not
  // known. Small, as a block's pulses are many.
  std::uint16_t LowSixteenths = Unknown;
  std::uint8_t Flags = 0;
  std::uint8_t Margin = 0;  // TReadPoint::Margin in hundredths, at most 255

  static constexpr std::uint16_t Unknown = 0xFFFF;
  static constexpr std::uint16_t Longest = 0xFFFE;
  double LowUs() const { return LowSixteenths == Unknown ? -1 : LowSixteenths / 16.0; }
  void SetLowUs(double LowUs) {
    LowSixteenths =
        LowUs < 0 ? Unknown : static_cast<std::uint16_t>(std::min(LowUs * 16 + 0.5, 1.0 * Longest));
  }
};

// The pulses of one block as they came off the tape, from its first byte's
// start pulse to the end pulse after its checksum, with what was known when
// it began.
struct TBlockPulses {
  TBlockKind Kind = TBlockKind::Header;
  bool Copy = false;
  // Found by the gap before it alone, without the block it copies: whether
  // it is a header or a body, and its length, follow from its pulses.
  bool Orphan = false;
  double StartSeconds = 0;       // its tape mark, or the gap before a copy
  double FirstPulseSeconds = 0;  // the first start pulse, where Offset counts from
  std::int32_t Rate = 44100;
  std::int32_t Length = -1;  // data bytes; -1 when not known
  TReadPoint ReadPoint;      // as learned before the block
  TPulseStatistics MarkPulses;
  std::vector<TPulseRecord> Pulses;
  // The block ended where a gap began, so that its last pulses are its end
  // pulses; otherwise the recording ended, or the next tape mark came.
  bool EndedAtGap = false;

  double SecondsOf(std::size_t Pulse) const {
    return FirstPulseSeconds + static_cast<double>(Pulses[Pulse].Offset) / Rate;
  }
};

}  // namespace kvetro
