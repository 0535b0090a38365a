#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "reader/BlockDecoder.h"
#include "reader/BlockPulses.h"
#include "reader/PulseMaker.h"
#include "reader/StreamedBlock.h"
#include "tape/TapeSignal.h"

namespace kvetro {

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

// Finds blocks in a stream of pulses of one polarity and hands each on,
// decoded, when it has ended: a block after a tape mark (N long pulses, N
// short ones, one long: N = 40 before a header, 20 before a body), found
// after any gap or none, at any speed, even with a few of its pulses
// misread; a copy after a run of short pulses of the copy gap's length right
// after a block; and a copy alone after such a gap, when the recording
// starts inside the block before it. A block ends where a gap begins, at the
// next tape mark, or with the recording.
class TBlockReader {
 public:
  // Tape marks and the gap before a copy, as tape/TapeSignal.h's layouts
  // write them (checked against them where the reader is built).
  static constexpr std::int32_t HeaderMark = static_cast<std::int32_t>(HeaderMarkPulses);
  static constexpr std::int32_t BodyMark = static_cast<std::int32_t>(BodyMarkPulses);
  static constexpr std::int32_t CopyGapPulses = static_cast<std::int32_t>(kvetro::CopyGapPulses);
  // A copy gap may come this many pulses long, or short by as many as a
  // dropout at the end of the block before it takes.
  static constexpr std::int32_t CopyGapTolerance = 16;
  static constexpr std::int32_t CopyGapShortfall = 64;
  // Long pulses misread in a gap that it survives.
  static constexpr std::int32_t GapGlitches = 4;
  // A gap's pulses, and the long pulse that ends it, without a read point:
  // the HIGH times of a gap lie below this multiple of their mean, a long
  // pulse above it.
  static constexpr double LongToGap = 1.6;
  // A tape mark's pulses misread that a mark between blocks may have. None
  // inside a block: a run of 20 short pulses there holds at least two long
  // start pulses.
  static constexpr std::int32_t HeaderMarkMisfits = 3;
  static constexpr std::int32_t BodyMarkMisfits = 1;
  // A tape mark's two runs must lie this many of their spreads apart, and
  // at least this share of a sample: pulses written in whole samples that
  // differ at all differ by a sample or more, while the HIGH times of a gap
  // of like pulses wander by fractions of one (dither, hiss), which
  // spreads of almost nothing would otherwise take for two kinds.
  static constexpr double MarkSeparation = 2;
  static constexpr double MarkSamplesApart = 0.5;
  // This many pulses in a row without a clear long one end a block: a gap.
  static constexpr std::int32_t GapRun = 64;
  // A pulse is damage when its HIGH time lies below this share of the short
  // pulses' or this many distances between the kinds beyond the long ones',
  // its LOW time below this share or beyond this multiple of the mark's, or
  // its swing below this share of the block's.
  static constexpr double ShortestShare = 0.45;
  static constexpr double LongestBeyond = 1.5;
  static constexpr double LongestLowMultiple = 2;
  static constexpr double SmallestSwing = 0.2;

  TBlockReader(TBlockConsumer& Consumer, std::int32_t Rate);

  void Pulse(const TPulse& Pulse);
  // The recording has ended: a block under way is handed on as it is.
  void Finish();

 private:
  // Enough for a header's mark and a copy's gap before it, a power of two.
  static constexpr std::size_t History = 512;
  static_assert(History >= 2 * HeaderMark + 1 + CopyGapPulses + CopyGapTolerance &&
                (History & (History - 1)) == 0);

  // The pulse Distance before the latest (0).
  const TPulse& Back(std::size_t Distance) const {
    return FHistory[(FNext + History - 1 - Distance) & (History - 1)];
  }
  // The mark of N long and N short pulses and one long, ending with the
  // latest pulse, with at most Misfits of them misread; its read point.
  bool FindMark(std::int32_t N, std::int32_t Misfits, TReadPoint& Point);
  void StartAtMark(std::int32_t N, const TReadPoint& Point);
  // Between blocks: the short pulses after a first block, and a copy at the
  // long pulse that ends a gap of the copy's length.
  void WatchGap(const TPulse& Pulse);
  void StartBlock(TBlockKind Kind, bool Copy, double StartSeconds, std::int32_t Length,
                  const TReadPoint& Point);
  void Collect(const TPulse& Pulse);
  // The flags of damage for the pulse: Suspect, with Mistimed.
  std::uint8_t Damage(const TPulse& Pulse) const;
  // Hands the block on, its last Dropped pulses left out.
  void EndBlock(std::size_t Dropped, bool AtGap);
  // The read point of a copy from the run of Run short pulses before it
  // (the latest pulse is its first start pulse) and the long pulses' time.
  TReadPoint GapPoint(std::int32_t Run, TReadPoint::TKind Long) const;

  TBlockConsumer& FConsumer;
  std::int32_t FRate;
  double FMarkApartUs;  // MarkSamplesApart at the recording's rate
  std::array<TPulse, History> FHistory{};
  std::size_t FNext = 0;
  std::size_t FStored = 0;

  bool FReading = false;
  TBlockPulses FBlock;
  TStreamedBlock FStreamed;    // while FCleanSoFar
  TReadPoint FPoint;           // following the block under way
  std::int32_t FExpected = 0;  // pulses of the block's bytes, when its length is known
  std::size_t FMostPulses = 0;
  bool FCleanSoFar = true;
  std::int32_t FRun = 0;  // pulses since the last clear long one
  double FLowShortest = 0;
  double FLowLongest = 0;
  double FSwing = 0;

  // After a first block, until its copy, a tape mark or a gap too long.
  bool FCopyExpected = false;
  TBlockKind FLastKind = TBlockKind::Header;
  std::int32_t FLastLength = 0;
  TReadPoint FLastPoint;
  std::int32_t FShortRun = 0;
  std::int32_t FShortGlitches = 0;
  double FShortRunStart = 0;
  // A gap of like pulses, however the recording began: its pulses' mean.
  std::int32_t FLikeRun = 0;
  std::int32_t FLikeGlitches = 0;
  double FLikeMean = 0;
  double FLikeStart = 0;
};

}  // namespace kvetro
