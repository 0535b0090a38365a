#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "reader/BitClassifier.h"
#include "reader/PulseMaker.h"
#include "reader/PulseStatistics.h"
#include "tape/TapeSignal.h"

namespace kvetro {

enum class TBlockKind { Header, Body };

// One block as it came off the tape: its first recording or its copy.
struct TBlockRead {
  TBlockKind Kind = TBlockKind::Header;
  bool Copy = false;
  double StartSeconds = 0;          // the tape mark, or the gap before a copy
  std::int32_t Length = 0;          // data bytes; -1 when nobody knew it (nothing read)
  std::vector<std::uint8_t> Bytes;  // the data bytes read, at most Length
  // Where the bytes stopped short: a short pulse where a byte's long start
  // pulse belongs, or the end of the recording; -1 when all came.
  std::int32_t BrokenAt = -1;
  double BrokenSeconds = 0;
  bool ChecksumRight = false;
  TPulseStatistics Pulses;

  bool Good() const { return BrokenAt < 0 && Length >= 0 && ChecksumRight; }
};

// Who learns of the blocks, and knows how long they are: a header's length
// is fixed, a body's is in the header read before it.
class TBlockConsumer {
 public:
  virtual ~TBlockConsumer() = default;
  // The data length of the block whose tape mark was just found; -1 when
  // it is not known.
  virtual std::int32_t BlockLength(TBlockKind Kind) = 0;
  virtual void Block(TBlockRead Block) = 0;
};

// Finds blocks in a stream of pulses of one polarity: a tape mark (N long
// pulses, N short ones, one long: N = 40 before a header, 20 before a body)
// after any gap, even none, at any speed; then the bytes, each a long start
// pulse and bits 7 down to 0, and the two checksum bytes, the count of one
// bits high byte first. A copy is a run of short pulses of the copy gap's
// length right after a block, then the same bytes again.
class TBlockReader {
 public:
  // A tape mark's runs must lie this far apart, as a fraction of the range
  // of all their HIGH times, so that noise is not taken for a mark.
  static constexpr double MinimumMarkSeparation = 0.25;
  // Tape marks and the gap before a copy, as tape/TapeSignal.h's layouts
  // write them (checked against them where the reader is built).
  static constexpr std::int32_t HeaderMark = static_cast<std::int32_t>(HeaderMarkPulses);
  static constexpr std::int32_t BodyMark = static_cast<std::int32_t>(BodyMarkPulses);
  static constexpr std::int32_t CopyGapPulses = static_cast<std::int32_t>(kvetro::CopyGapPulses);
  // A copy gap may come this many pulses short or long: a dropout, or the
  // end of a block that broke off.
  static constexpr std::int32_t CopyGapTolerance = 16;

  explicit TBlockReader(TBlockConsumer& Consumer) : FConsumer(Consumer) {}

  void Pulse(const TPulse& Pulse);
  // The recording has ended: a block under way is handed on as it is.
  void Finish();

 private:
  static constexpr std::size_t History = 2 * HeaderMark + 1;

  // The pulse Distance before the latest (0). Each pulse is kept twice, at
  // I and I + History, so that no index wraps.
  const TPulse& Back(std::size_t Distance) const {
    return FHistory[FNext + History - 1 - Distance];
  }
  bool FindMark(std::int32_t Pulses);
  // The mark of N long and N short pulses has just ended: its block begins.
  void StartAtMark(std::int32_t N);
  // Between blocks: counts the short pulses after a first block, and starts
  // reading its copy at the long pulse that ends a gap of the copy's length.
  void WatchCopyGap(const TPulse& Pulse);
  void StartBlock(TBlockKind Kind, bool Copy, double StartSeconds, std::int32_t Length);
  // False when the pulse broke the block's framing.
  bool ReadPulse(const TPulse& Pulse);
  void EndBlock(std::int32_t BrokenAt, double BrokenSeconds);

  TBlockConsumer& FConsumer;
  std::array<TPulse, 2 * History> FHistory{};
  std::size_t FNext = 0;
  std::size_t FStored = 0;

  TBitClassifier FClassifier;
  bool FReading = false;
  TBlockRead FBlock;
  std::int32_t FByteIndex = 0;  // of the byte under way, checksum bytes included
  std::int32_t FBit = -1;       // -1: a start pulse is due
  std::uint32_t FValue = 0;
  std::uint16_t FChecksum = 0;

  // After a first block, until its copy, a tape mark or a gap too long.
  bool FCopyExpected = false;
  TBlockKind FLastKind = TBlockKind::Header;
  std::int32_t FLastLength = 0;
  std::int32_t FShortRun = 0;
  double FShortRunStart = 0;
};

}  // namespace kvetro
