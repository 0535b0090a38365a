#include "reader/BlockReader.h"

#include <algorithm>
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

}  // namespace

void TBlockReader::Pulse(const TPulse& Pulse) {
  FHistory[FNext] = FHistory[FNext + History] = Pulse;
  FNext = FNext + 1 == History ? 0 : FNext + 1;
  FStored = std::min(FStored + 1, History);
  // Valid bytes never hold a tape mark (a long start pulse comes every nine
  // pulses), so a mark found while a block is read ends it: the block broke
  // off, or what looked like a copy was the next file.
  for (const std::int32_t N : {HeaderMark, BodyMark}) {
    if (FindMark(N)) {
      if (FReading) {
        EndBlock(FByteIndex, Back(static_cast<std::size_t>(2 * N)).StartSeconds);
      }
      StartAtMark(N);
      return;
    }
  }
  if (FReading && ReadPulse(Pulse)) {
    return;
  }
  WatchCopyGap(Pulse);
}

void TBlockReader::Finish() {
  if (FReading) {
    EndBlock(FByteIndex, Back(0).StartSeconds);
  }
}

// The last 2N + 1 pulses: N long, N short, one long. Looked at in full only
// when the pulses at the three turns point that way.
bool TBlockReader::FindMark(std::int32_t Pulses) {
  const auto N = static_cast<std::size_t>(Pulses);
  if (FStored < 2 * N + 1 || Back(0).HighUs <= Back(1).HighUs ||
      Back(N + 1).HighUs <= Back(N).HighUs || Back(2 * N).HighUs <= Back(1).HighUs) {
    return false;
  }
  double ShortMin = Back(1).HighUs, ShortMax = ShortMin, ShortSum = 0;
  for (std::size_t I = 1; I <= N; ++I) {
    const double High = Back(I).HighUs;
    ShortMin = std::min(ShortMin, High);
    ShortMax = std::max(ShortMax, High);
    ShortSum += High;
  }
  double LongMin = Back(N + 1).HighUs, LongMax = LongMin, LongSum = 0;
  for (std::size_t I = N + 1; I <= 2 * N; ++I) {
    const double High = Back(I).HighUs;
    LongMin = std::min(LongMin, High);
    LongMax = std::max(LongMax, High);
    LongSum += High;
  }
  const double Separation = LongMin - ShortMax;
  if (Separation <= 0 || Separation < MinimumMarkSeparation * (LongMax - ShortMin)) {
    return false;
  }
  const double ShortMean = ShortSum / static_cast<double>(N);
  const double LongMean = LongSum / static_cast<double>(N);
  if (Back(0).HighUs <= (ShortMean + LongMean) / 2) {
    return false;
  }
  FClassifier.Learn(ShortMean, LongMean);
  return true;
}

void TBlockReader::StartAtMark(std::int32_t N) {
  const TBlockKind Kind = N == HeaderMark ? TBlockKind::Header : TBlockKind::Body;
  const auto Mark = static_cast<std::size_t>(2 * N);
  StartBlock(Kind, false, Back(Mark).StartSeconds, FConsumer.BlockLength(Kind));
  for (std::size_t I = Mark + 1; I-- > 0;) {
    FBlock.Pulses.Add(Back(I), I == 0 || I > static_cast<std::size_t>(N));
  }
  if (FBlock.Length < 0) {
    EndBlock(0, FBlock.StartSeconds);
  }
}

void TBlockReader::WatchCopyGap(const TPulse& Pulse) {
  if (!FClassifier.Learned()) {
    return;
  }
  if (!FClassifier.IsLong(Pulse.HighUs)) {
    if (FShortRun++ == 0) {
      FShortRunStart = Pulse.StartSeconds;
    }
    if (FShortRun > CopyGapPulses + CopyGapTolerance) {
      FCopyExpected = false;
    }
    return;
  }
  const bool CopyGap = std::abs(FShortRun - CopyGapPulses) <= CopyGapTolerance;
  FShortRun = 0;
  if (FCopyExpected && CopyGap) {
    // The long pulse that ends the gap is the first byte's start pulse.
    StartBlock(FLastKind, true, FShortRunStart, FLastLength);
    FBlock.Pulses.Add(Pulse, true);
    FBit = 0;
  }
}

void TBlockReader::StartBlock(TBlockKind Kind, bool Copy, double StartSeconds,
                              std::int32_t Length) {
  FBlock = TBlockRead{};
  FBlock.Kind = Kind;
  FBlock.Copy = Copy;
  FBlock.StartSeconds = StartSeconds;
  FBlock.Length = Length;
  FBlock.Bytes.reserve(static_cast<std::size_t>(std::max(Length, 0)));
  FReading = true;
  FByteIndex = 0;
  FBit = -1;
  FValue = 0;
  FChecksum = 0;
  FCopyExpected = false;
  FShortRun = 0;
}

bool TBlockReader::ReadPulse(const TPulse& Pulse) {
  const bool Long = FClassifier.Classify(Pulse.HighUs);
  if (FBit < 0) {
    if (!Long) {
      EndBlock(FByteIndex, Pulse.StartSeconds);
      return false;
    }
    FBlock.Pulses.Add(Pulse, Long);
    FBit = 0;
    FValue = 0;
    return true;
  }
  FBlock.Pulses.Add(Pulse, Long);
  FValue = FValue << 1 | (Long ? 1U : 0U);
  if (++FBit < 8) {
    return true;
  }
  const auto Byte = static_cast<std::uint8_t>(FValue);
  if (FByteIndex < FBlock.Length) {
    FBlock.Bytes.push_back(Byte);
    FChecksum = static_cast<std::uint16_t>(FChecksum + kOneBits[Byte]);
  } else if (FByteIndex == FBlock.Length) {
    FBlock.ChecksumRight = Byte == (FChecksum >> 8);
  } else {
    FBlock.ChecksumRight = FBlock.ChecksumRight && Byte == (FChecksum & 0xFF);
  }
  FBit = -1;
  if (++FByteIndex == FBlock.Length + 2) {
    EndBlock(-1, 0);
  }
  return true;
}

void TBlockReader::EndBlock(std::int32_t BrokenAt, double BrokenSeconds) {
  FReading = false;
  FBlock.BrokenAt = BrokenAt;
  FBlock.BrokenSeconds = BrokenSeconds;
  if (BrokenAt >= 0) {
    FBlock.ChecksumRight = false;
  }
  FCopyExpected = !FBlock.Copy && FBlock.Length >= 0;
  FLastKind = FBlock.Kind;
  FLastLength = FBlock.Length;
  FShortRun = 0;
  FConsumer.Block(std::move(FBlock));
}

}  // namespace kvetro
