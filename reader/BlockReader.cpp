#include "reader/BlockReader.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "tape/TapeSignal.h"

namespace kvetro {

namespace {

// What the reader looks for, taken from the layouts that the renderer
// writes. The tape mark before a block's bytes: the run of long pulses that
// opens it, matched by as many short ones.
constexpr std::uint32_t MarkPulses(const TTapeLayout& Layout, TBlock Block) {
  std::uint32_t Mark = 0;
  for (std::size_t I = 0; I < Layout.Parts.size(); ++I) {
    const TSignalPart& Part = Layout.Parts[I];
    if (Part.Kind == TPartKind::Counted && Part.Pulse == PulseKind::Long &&
        I + 2 < Layout.Parts.size() && Layout.Parts[I + 1].Pulses == Part.Pulses &&
        Layout.Parts[I + 1].Pulse == PulseKind::Short) {
      Mark = Part.Pulses;
    }
    if (Part.Kind == TPartKind::Bytes && Part.Block == Block) {
      return Mark;
    }
  }
  return 0;
}

// The short pulses right before a block's second Bytes part: its copy.
constexpr std::uint32_t CopyGap(const TTapeLayout& Layout, TBlock Block) {
  bool Seen = false;
  for (std::size_t I = 1; I < Layout.Parts.size(); ++I) {
    const TSignalPart& Part = Layout.Parts[I];
    if (Part.Kind == TPartKind::Bytes && Part.Block == Block) {
      if (Seen) {
        return Layout.Parts[I - 1].Pulses;
      }
      Seen = true;
    }
  }
  return 0;
}

// One reader for all layouts: they agree on the marks and the copy gap.
static_assert(MarkPulses(kStandardFile, TBlock::Header) == TBlockReader::HeaderMark &&
              MarkPulses(kFastLoaderFile, TBlock::Header) == TBlockReader::HeaderMark &&
              MarkPulses(kStandardFile, TBlock::Body) == TBlockReader::BodyMark &&
              MarkPulses(kFastLoaderFile, TBlock::Body) == TBlockReader::BodyMark &&
              MarkPulses(kFastBodyFile, TBlock::Body) == TBlockReader::BodyMark &&
              MarkPulses(kStandardFileNoCopies, TBlock::Body) == TBlockReader::BodyMark);
static_assert(CopyGap(kStandardFile, TBlock::Header) == TBlockReader::CopyGapPulses &&
              CopyGap(kStandardFile, TBlock::Body) == TBlockReader::CopyGapPulses);

// The longest block: a body of 65535 bytes.
constexpr std::int32_t LongestBlock = 65535;
// How far a long pulse is taken to lie from the short ones of a gap, as a
// multiple of their time, when no long pulse has been seen: the machine's
// ratio lies near 2, Kvetro's standard timing's at 1.7.
constexpr double GuessedLongToShort = 1.9;
// How quickly the swing of a block's pulses is followed, per pulse.
constexpr double SwingWeight = 1.0 / 256;

double Trimmed(std::vector<double> Values) {
  return TReadPoint::KindOf(Values).Us;
}

}  // namespace

TBlockReader::TBlockReader(TBlockConsumer& Consumer, std::int32_t Rate)
    : FConsumer(Consumer), FRate(Rate), FMarkApartUs(MarkSamplesApart * 1e6 / Rate) {}

void TBlockReader::Pulse(const TPulse& Pulse) {
  FHistory[FNext] = Pulse;
  FNext = (FNext + 1) & (History - 1);
  FStored = std::min(FStored + 1, History);

  // Valid bytes never hold a tape mark (a long start pulse comes every nine
  // pulses), so a mark found while a block is read ends it: the block broke
  // off, or the recording went on with another. Between blocks a mark may
  // have a few pulses misread.
  const bool InBlock = FReading && !FBlock.Orphan;
  // Inside a block a mark's short run shows first as a run without a long
  // pulse, which its bytes never have.
  const bool MarkPossible = !InBlock || FRun >= BodyMark;
  for (const std::int32_t N : {HeaderMark, BodyMark}) {
    if (!MarkPossible) {
      break;
    }
    const std::int32_t Misfits = InBlock           ? 0
                                 : N == HeaderMark ? HeaderMarkMisfits
                                                   : BodyMarkMisfits;
    TReadPoint Point;
    if (FindMark(N, Misfits, Point)) {
      if (FReading) {
        EndBlock(std::min(FBlock.Pulses.size(), static_cast<std::size_t>(2 * N)), false);
      }
      StartAtMark(N, Point);
      return;
    }
  }
  if (FReading) {
    Collect(Pulse);
  } else {
    WatchGap(Pulse);
  }
}

void TBlockReader::Finish() {
  if (FReading) {
    EndBlock(0, false);
  }
}

bool TBlockReader::FindMark(std::int32_t N, std::int32_t Misfits, TReadPoint& Point) {
  const auto Span = static_cast<std::size_t>(N);
  if (FStored < 2 * Span + 1) {
    return false;
  }
  // The final long pulse is longer than the short run's last pulses, but
  // for one misread.
  if (Back(0).HighUs <= Back(1).HighUs && Back(0).HighUs <= Back(2).HighUs) {
    return false;
  }
  double ShortSum = 0, ShortSquares = 0, LongSum = 0, LongSquares = 0;
  for (std::size_t I = 1; I <= Span; ++I) {
    const double ShortHigh = Back(I).HighUs;
    const double LongHigh = Back(I + Span).HighUs;
    ShortSum += ShortHigh;
    ShortSquares += ShortHigh * ShortHigh;
    LongSum += LongHigh;
    LongSquares += LongHigh * LongHigh;
  }
  const double Count = N;
  const double Short = ShortSum / Count;
  const double Long = LongSum / Count;
  const double Spread = std::max(ShortSquares / Count - Short * Short, 0.0) +
                        std::max(LongSquares / Count - Long * Long, 0.0);
  if (!(Long - Short >= FMarkApartUs) ||
      (Long - Short) * (Long - Short) <= MarkSeparation * MarkSeparation * Spread) {
    return false;
  }
  const double Middle = (Short + Long) / 2;
  if (Back(0).HighUs <= Middle) {
    return false;
  }
  std::int32_t Misread = 0;
  std::vector<double> Shorts;
  std::vector<double> Longs{Back(0).HighUs};
  for (std::size_t I = 1; I <= 2 * Span; ++I) {
    const double High = Back(I).HighUs;
    const bool IsLong = High > Middle;
    Misread += IsLong == (I <= Span) ? 1 : 0;
    (IsLong ? Longs : Shorts).push_back(High);
  }
  if (Misread > Misfits) {
    return false;
  }
  // The gap before the mark tells the short pulses' time best: it is long.
  for (std::size_t I = 2 * Span + 1; I < FStored && Back(I).HighUs <= Middle; ++I) {
    Shorts.push_back(Back(I).HighUs);
  }
  Point = TReadPoint(TReadPoint::KindOf(Shorts), TReadPoint::KindOf(Longs));
  return Point.Learned();
}

void TBlockReader::StartAtMark(std::int32_t N, const TReadPoint& Point) {
  const TBlockKind Kind = N == HeaderMark ? TBlockKind::Header : TBlockKind::Body;
  const auto Mark = static_cast<std::size_t>(2 * N);
  StartBlock(Kind, false, Back(Mark).StartSeconds, FConsumer.BlockLength(Kind), Point);
  std::vector<double> ShortLows;
  std::vector<double> LongLows;
  std::vector<double> Swings;
  for (std::size_t I = Mark + 1; I-- > 0;) {
    const TPulse& Pulse = Back(I);
    const bool Long = Point.IsLong(Pulse.HighUs);
    FBlock.MarkPulses.Add(Pulse, Long);
    if (Pulse.LowUs >= 0) {
      (Long ? LongLows : ShortLows).push_back(Pulse.LowUs);
    }
    Swings.push_back(Pulse.Swing);
  }
  const double ShortLow = Trimmed(ShortLows);
  const double LongLow = Trimmed(LongLows);
  FLowShortest = std::min(ShortLow, LongLow);
  FLowLongest = std::max(ShortLow, LongLow);
  FSwing = Trimmed(Swings);
}

void TBlockReader::WatchGap(const TPulse& Pulse) {
  // A copy, right after its block.
  if (FLastPoint.Learned()) {
    const bool Long = FLastPoint.IsLong(Pulse.HighUs);
    if (!Long) {
      if (FShortRun++ == 0) {
        FShortRunStart = Pulse.StartSeconds;
      }
      if (FShortRun > CopyGapPulses + CopyGapTolerance) {
        FCopyExpected = false;
      }
    } else if (FCopyExpected && FShortRun >= CopyGapPulses - CopyGapShortfall &&
               FShortRun <= CopyGapPulses + CopyGapTolerance) {
      // The long pulse that ends the gap is the first byte's start pulse.
      const TReadPoint Point = GapPoint(FShortRun, FLastPoint.Long());
      StartBlock(FLastKind, true, FShortRunStart, FLastLength, Point);
      Collect(Pulse);
      return;
    } else if (FShortRun >= GapRun / 2 && FShortGlitches < GapGlitches) {
      ++FShortGlitches;
      ++FShortRun;
    } else {
      FShortRun = 0;
      FShortGlitches = 0;
    }
  }

  // A copy alone: the recording began inside the block before it, or that
  // block's tape mark was lost. Its gap is told by its like pulses.
  const double High = Pulse.HighUs;
  if (FLikeRun > 0 && High > LongToGap * FLikeMean) {
    if (!FCopyExpected && FLikeRun >= CopyGapPulses - CopyGapShortfall &&
        FLikeRun <= CopyGapPulses + CopyGapTolerance) {
      const TReadPoint::TKind Short = GapPoint(FLikeRun, {}).Short();
      const TReadPoint Point(Short, {GuessedLongToShort * Short.Us, Short.SpreadUs});
      if (!Point.Learned()) {
        FLikeRun = 0;
        return;
      }
      StartBlock(TBlockKind::Header, true, FLikeStart, -1, Point);
      FBlock.Orphan = true;
      Collect(Pulse);
      return;
    }
    FLikeRun = 0;
  }
  if (FLikeRun > 0 && High < FLikeMean / 2) {
    if (++FLikeGlitches <= GapGlitches) {
      return;
    }
    FLikeRun = 0;
  }
  if (FLikeRun == 0) {
    FLikeStart = Pulse.StartSeconds;
    FLikeMean = High;
    FLikeGlitches = 0;
  }
  ++FLikeRun;
  FLikeMean += (High - FLikeMean) / std::min(FLikeRun, GapRun);
}

TReadPoint TBlockReader::GapPoint(std::int32_t Run, TReadPoint::TKind Long) const {
  std::vector<double> Shorts;
  const auto Count = std::min<std::size_t>(static_cast<std::size_t>(Run), FStored - 1);
  for (std::size_t I = 1; I <= Count; ++I) {
    Shorts.push_back(Back(I).HighUs);
  }
  return {TReadPoint::KindOf(Shorts), Long};
}

void TBlockReader::StartBlock(TBlockKind Kind, bool Copy, double StartSeconds, std::int32_t Length,
                              const TReadPoint& Point) {
  // The pulses' room is kept from block to block.
  std::vector<TPulseRecord> Room = std::move(FBlock.Pulses);
  Room.clear();
  FBlock = TBlockPulses{};
  FBlock.Pulses = std::move(Room);
  FBlock.Kind = Kind;
  FBlock.Copy = Copy;
  FBlock.StartSeconds = StartSeconds;
  FBlock.Rate = FRate;
  FBlock.Length = Length;
  FBlock.ReadPoint = Point;
  FPoint = Point;
  const std::int32_t Bytes = (Length >= 0 ? Length : LongestBlock) + ChecksumBytes;
  FExpected = Length >= 0 ? Bytes * static_cast<std::int32_t>(PulsesPerByte) : 0;
  // Room for what damage adds, and the end pulses.
  const auto Pulses = static_cast<std::size_t>(Bytes) * PulsesPerByte;
  FMostPulses = Pulses + Pulses / 4 + 2 * GapRun;
  if (Length >= 0) {
    FBlock.Pulses.reserve(Pulses + PulsesPerByte);
  }
  FReading = true;
  FCleanSoFar = true;
  FRun = 0;
  FLowShortest = FLowLongest = 0;
  FSwing = 0;
  FCopyExpected = false;
  FShortRun = FLikeRun = 0;
  FShortGlitches = 0;
}

std::uint8_t TBlockReader::Damage(const TPulse& Pulse) const {
  constexpr std::uint8_t Mistimed = TPulseRecord::Suspect | TPulseRecord::Mistimed;
  const double Short = FPoint.Short().Us;
  const double Long = FPoint.Long().Us;
  if (Pulse.HighUs < ShortestShare * Short ||
      Pulse.HighUs > Long + LongestBeyond * (Long - Short)) {
    return Mistimed;
  }
  if (Pulse.LowUs >= 0 && FLowLongest > 0 &&
      (Pulse.LowUs < ShortestShare * FLowShortest ||
       Pulse.LowUs > LongestLowMultiple * FLowLongest)) {
    return Mistimed;
  }
  return FSwing > 0 && Pulse.Swing > 0 && Pulse.Swing < SmallestSwing * FSwing
             ? TPulseRecord::Suspect
             : 0;
}

void TBlockReader::Collect(const TPulse& Pulse) {
  if (FBlock.Pulses.empty()) {
    FBlock.FirstPulseSeconds = Pulse.StartSeconds;
    if (FExpected > 0) {
      FStreamed.Start(FBlock);
    }
    if (FSwing == 0) {
      FSwing = Pulse.Swing;
    }
  }
  const std::uint8_t Flags = this->Damage(Pulse);
  const bool Damage = Flags != 0;
  const bool Long = Damage ? FPoint.IsLong(Pulse.HighUs) : FPoint.Follow(Pulse.HighUs);
  TPulseRecord Record;
  // A block of silence and stray pulses may last for hours.
  constexpr double LatestOffset = 4294967295.0;
  Record.Offset = static_cast<std::uint32_t>(
      std::min((Pulse.StartSeconds - FBlock.FirstPulseSeconds) * FRate + 0.5, LatestOffset));
  Record.HighUs = static_cast<float>(Pulse.HighUs);
  Record.SetLowUs(Pulse.LowUs);
  Record.Flags = static_cast<std::uint8_t>((Long ? TPulseRecord::Long : 0) | Flags);
  Record.Margin =
      static_cast<std::uint8_t>(std::min(FPoint.Margin(Pulse.HighUs) * 100 + 0.5, 255.0));
  FBlock.Pulses.push_back(Record);
  if (!Damage) {
    FSwing += SwingWeight * (Pulse.Swing - FSwing);
  }

  const auto Index = static_cast<std::int32_t>(FBlock.Pulses.size()) - 1;
  if (Index < FExpected &&
      (Damage || (Index % static_cast<std::int32_t>(PulsesPerByte) == 0 && !Long))) {
    FCleanSoFar = false;
  }
  if (FCleanSoFar && Index < FExpected) {
    FStreamed.Add(Record, Pulse.LowUs, Pulse.StartSeconds);
  }
  FRun = Long && !Damage ? 0 : FRun + 1;
  if (FCleanSoFar && Index + 1 == FExpected) {
    EndBlock(0, true);
  } else if (FRun >= GapRun) {
    EndBlock(static_cast<std::size_t>(FRun), true);
    FShortRun = GapRun;
    FShortRunStart = Back(GapRun - 1).StartSeconds;
  } else if (FBlock.Pulses.size() >= FMostPulses) {
    EndBlock(0, false);
  }
}

void TBlockReader::EndBlock(std::size_t Dropped, bool AtGap) {
  FReading = false;
  FBlock.Pulses.resize(FBlock.Pulses.size() - std::min(Dropped, FBlock.Pulses.size()));
  FBlock.EndedAtGap = AtGap;
  TBlockRead Read;
  if (FCleanSoFar && static_cast<std::int32_t>(FBlock.Pulses.size()) == FExpected &&
      FExpected > 0) {
    Read = FStreamed.Result(FBlock);
  }
  if (!Read.Good()) {
    Read = DecodeBlock(FBlock);
  }
  FCopyExpected = !Read.Copy && Read.Length >= 0;
  FLastKind = Read.Kind;
  FLastLength = Read.Length;
  FLastPoint = FPoint;
  FShortRun = 0;
  FShortGlitches = 0;
  FLikeRun = 0;
  FConsumer.Block(std::move(Read));
}

}  // namespace kvetro
