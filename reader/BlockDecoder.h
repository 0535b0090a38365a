#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "reader/BlockPulses.h"
#include "reader/PulseStatistics.h"

namespace kvetro {

// One block as it was read: its first recording or its copy, byte by byte,
// with how sure each byte is and where it lies in the recording.
struct TBlockRead {
  // A byte read with a pulse closer to the read point than this, in
  // hundredths of the distance between the kinds, is only near.
  static constexpr std::uint8_t ClearMargin = 15;
  enum class TSure : std::uint8_t {
    NotRead,  // lost to damage, or its framing broke
    Near,     // read, but a pulse of it lay near the read point or was odd
    Clear,    // every pulse of it lay clearly on its side of the read point
  };
  TBlockKind Kind = TBlockKind::Header;
  bool Copy = false;
  bool Orphan = false;
  double StartSeconds = 0;  // the tape mark, or the gap before a copy
  std::int32_t Rate = 44100;
  // Data bytes; -1 when neither the header before it nor its own pulses
  // told (nothing then was read).
  std::int32_t Length = -1;
  // The Length data bytes, then the two checksum bytes; 0 where not read.
  std::vector<std::uint8_t> Bytes;
  std::vector<TSure> Sure;  // for each byte
  // For each byte, the least margin of its pulses (TReadPoint::Margin in
  // hundredths), 0 where not read.
  std::vector<std::uint8_t> Margin;
  // Where each byte begins in the recording (estimated between the bytes
  // around it where it was not read).
  std::vector<double> ByteSeconds;
  TPulseStatistics Pulses;  // its tape mark's and its bytes' pulses, damage left out
  // Pulses timed or sized as no pulse of the block is, and where the first
  // of them lies.
  std::int32_t LostPulses = 0;
  double LostSeconds = 0;
  double ReadPointUs = 0;
  // Pulses of the bytes read that lay nearer the read point than
  // NearMargin: each might have been read either way.
  std::int32_t NearPulses = 0;
  static constexpr std::uint8_t NearMargin = 4;
  // Where a reading that is not right, or has near pulses, went wrong
  // first; its samples are left to whoever holds the recording.
  std::optional<TBadSpot> Spot;

  bool AllRead() const;
  bool Good() const { return AllRead() && ChecksumRight(Bytes); }
  // Bytes of a block, data then checksum: the checksum holds.
  static bool ChecksumRight(const std::vector<std::uint8_t>& Bytes);
};

// Reads the bytes of a block's pulses: each byte a long start pulse and bits
// 7 to 0, then the two checksum bytes (the count of one bits, high byte
// first), then one or two end pulses. The framing is followed from the first
// byte forward and, when the block ended at a gap, from its end pulses
// backward, so that damage costs only the bytes between. A block that does
// not read right with the read point learned before it is read again at a
// fixed point where its own pulses are fewest, between the two kinds.
TBlockRead DecodeBlock(const TBlockPulses& Block);

}  // namespace kvetro
