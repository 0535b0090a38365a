#include "reader/BlockDecoder.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "tape/TapeSignal.h"

namespace kvetro {

namespace {

// A pulse flagged as damage that is followed by this many well framed bytes
// was no damage that moved the framing: its byte is kept, as near.
constexpr std::int32_t ConfirmingBytes = 4;
// The end pulses after the checksum: one or two, a third for safety.
constexpr std::size_t MostEndPulses = 3;

// The pulses of a block as one read point reads them: the point that
// followed the drift as the block came (what its pulses were flagged with),
// or a fixed one.
class TReading {
 public:
  explicit TReading(const TBlockPulses& Block) : FBlock(Block), FPointUs(Block.ReadPoint.Us()) {}
  TReading(const TBlockPulses& Block, double PointUs, double Distance)
      : FBlock(Block), FFixed(true), FPointUs(PointUs), FHundredths(100 / Distance) {}

  bool Long(std::size_t I) const {
    const TPulseRecord& Pulse = FBlock.Pulses[I];
    return FFixed ? Pulse.HighUs > FPointUs : (Pulse.Flags & TPulseRecord::Long) != 0;
  }
  std::uint8_t Margin(std::size_t I) const {
    const TPulseRecord& Pulse = FBlock.Pulses[I];
    return FFixed ? static_cast<std::uint8_t>(
                        std::min(std::fabs(Pulse.HighUs - FPointUs) * FHundredths + 0.5, 255.0))
                  : Pulse.Margin;
  }
  double PointUs() const { return FPointUs; }

 private:
  const TBlockPulses& FBlock;
  bool FFixed = false;
  double FPointUs;
  double FHundredths = 0;
};

bool IsSuspect(const TPulseRecord& Pulse) {
  return (Pulse.Flags & TPulseRecord::Suspect) != 0;
}

// The fixed point between the two kinds where the block's own HIGH times are
// fewest: what a machine whose read point sits right would read. Pulses of
// whole samples leave several empty stretches between the kinds; the one
// whose neighbourhood holds fewest pulses is the gap between them, and its
// middle the point.
std::optional<TReading> ValleyReading(const TBlockPulses& Block) {
  const double Short = Block.ReadPoint.Short().Us;
  const double Long = Block.ReadPoint.Long().Us;
  const double Distance = Long - Short;
  if (!(Distance > 0)) {
    return std::nullopt;
  }
  std::vector<double> Between;
  for (const TPulseRecord& Pulse : Block.Pulses) {
    if (!IsSuspect(Pulse) && Pulse.HighUs > Short && Pulse.HighUs < Long) {
      Between.push_back(Pulse.HighUs);
    }
  }
  std::sort(Between.begin(), Between.end());
  const auto Near = [&Between](double From, double To) {
    return std::lower_bound(Between.begin(), Between.end(), To) -
           std::lower_bound(Between.begin(), Between.end(), From);
  };
  constexpr int Steps = 240;
  constexpr double From = 0.2;
  constexpr double Across = 0.6;
  const double Reach = Distance / 5;
  std::vector<std::ptrdiff_t> Counts;
  for (int Step = 0; Step <= Steps; ++Step) {
    const double Point = Short + Distance * (From + Across * Step / Steps);
    Counts.push_back(Near(Point - Reach, Point + Reach));
  }
  const auto Fewest = *std::min_element(Counts.begin(), Counts.end());
  int BestFirst = 0;
  int BestLength = 0;
  for (int Step = 0; Step <= Steps;) {
    int Length = 0;
    while (Step + Length <= Steps && Counts[static_cast<std::size_t>(Step + Length)] == Fewest) {
      ++Length;
    }
    if (Length > BestLength) {
      BestFirst = Step;
      BestLength = Length;
    }
    Step += std::max(Length, 1);
  }
  const double Best =
      Short + Distance * (From + Across * (BestFirst + (BestLength - 1) / 2.0) / Steps);
  return TReading(Block, Best, Distance);
}

// Bytes framed from one end of the block: where each starts (-1 where not
// framed).
struct TFraming {
  std::vector<std::int64_t> Start;  // pulse index of each byte's start pulse
};

// Whether any pulse of the byte from First has all of Flags.
bool AnyFlagged(const TBlockPulses& Block, std::size_t First, std::uint8_t Flags) {
  for (std::size_t I = First; I < First + PulsesPerByte; ++I) {
    if ((Block.Pulses[I].Flags & Flags) == Flags) {
      return true;
    }
  }
  return false;
}

// Follows the framing over Count bytes whose start pulses lie at
// StartOf(0), StartOf(1)... in the order given, until a start pulse reads
// short or the pulses run out. The bytes from the first damage before that
// on are left unframed.
template <typename TStartOf>
void Follow(const TBlockPulses& Block, const TReading& Reading, std::int32_t Count,
            TStartOf StartOf, std::vector<std::int64_t>& Start, std::int32_t& Framed) {
  std::int32_t Streak = -1;  // the first byte of damage not yet confirmed harmless
  std::int32_t Clean = 0;
  Framed = Count;
  for (std::int32_t J = 0; J < Count; ++J) {
    const std::int64_t First = StartOf(J);
    if (First < 0 || First + static_cast<std::int64_t>(PulsesPerByte) >
                         static_cast<std::int64_t>(Block.Pulses.size())) {
      Framed = J;
      break;
    }
    const auto At = static_cast<std::size_t>(First);
    if (!Reading.Long(At) || AnyFlagged(Block, At, TPulseRecord::Mistimed)) {
      Framed = Streak >= 0 ? Streak : J;
      break;
    }
    Start.push_back(First);
    if (AnyFlagged(Block, At, TPulseRecord::Suspect)) {
      Streak = Streak < 0 ? J : Streak;
      Clean = 0;
    } else if (Streak >= 0 && ++Clean >= ConfirmingBytes) {
      Streak = -1;
    }
  }
  Start.resize(static_cast<std::size_t>(Framed));
}

std::uint8_t ByteAt(const TReading& Reading, std::size_t First) {
  std::uint8_t Value = 0;
  for (std::size_t I = First + 1; I < First + PulsesPerByte; ++I) {
    Value = static_cast<std::uint8_t>(Value << 1 | (Reading.Long(I) ? 1 : 0));
  }
  return Value;
}

// Where each byte of a block of Count bytes (checksum included) starts, from
// both ends; -1 where not framed.
std::vector<std::int64_t> Frame(const TBlockPulses& Block, const TReading& Reading,
                                std::int32_t Count) {
  std::vector<std::int64_t> Forward;
  std::int32_t ForwardFramed = 0;
  Follow(
      Block, Reading, Count,
      [](std::int32_t J) { return static_cast<std::int64_t>(J * PulsesPerByte); }, Forward,
      ForwardFramed);
  std::vector<std::int64_t> Start(static_cast<std::size_t>(Count), -1);
  std::copy(Forward.begin(), Forward.end(), Start.begin());
  if (ForwardFramed == Count || !Block.EndedAtGap) {
    return Start;
  }
  // From the end pulses back: the one, two or three end pulses that let the
  // framing reach furthest.
  const auto Total = static_cast<std::int64_t>(Block.Pulses.size());
  std::vector<std::int64_t> Backward;
  std::int32_t BackwardFramed = -1;
  for (std::size_t End = 1; End <= MostEndPulses; ++End) {
    std::vector<std::int64_t> Tried;
    std::int32_t Framed = 0;
    const std::int64_t Tail = Total - static_cast<std::int64_t>(End);
    Follow(
        Block, Reading, Count,
        [Tail](std::int32_t J) {
          return Tail - static_cast<std::int64_t>((J + 1) * PulsesPerByte);
        },
        Tried, Framed);
    if (Framed > BackwardFramed) {
      BackwardFramed = Framed;
      Backward = std::move(Tried);
    }
  }
  for (std::size_t K = 0; K < Backward.size(); ++K) {
    const std::size_t J = static_cast<std::size_t>(Count) - 1 - K;
    if (Start[J] < 0) {
      Start[J] = Backward[K];
    } else if (ByteAt(Reading, static_cast<std::size_t>(Start[J])) !=
               ByteAt(Reading, static_cast<std::size_t>(Backward[K]))) {
      // Both ends framed it, differently: neither can be trusted there.
      Start[J] = -1;
    }
  }
  return Start;
}

// The number of bytes a block of unknown length holds, checksum included,
// from its framing: all its pulses framed as bytes but its end pulses.
std::int32_t CountFromPulses(const TBlockPulses& Block, const TReading& Reading) {
  std::vector<std::int64_t> Start;
  std::int32_t Framed = 0;
  const auto Most = static_cast<std::int32_t>(Block.Pulses.size() / PulsesPerByte);
  Follow(
      Block, Reading, Most,
      [](std::int32_t J) { return static_cast<std::int64_t>(J * PulsesPerByte); }, Start, Framed);
  for (std::size_t End = 1; End <= MostEndPulses && End <= Block.Pulses.size(); ++End) {
    const auto Count = static_cast<std::int32_t>((Block.Pulses.size() - End) / PulsesPerByte);
    if ((Block.Pulses.size() - End) % PulsesPerByte == 0 && Framed >= Count &&
        Count >= ChecksumBytes) {
      return Count;
    }
  }
  return -1;
}

// The pulses kept around the byte where a reading went wrong: a byte's
// worth before its start pulse and three from it on; the samples shown
// before the first and after the last of them, and at most in all.
constexpr std::size_t SpotPulsesBefore = PulsesPerByte;
constexpr std::size_t SpotPulsesFrom = 3 * PulsesPerByte;
constexpr std::int64_t SpotMarginSamples = 8;
constexpr std::int64_t MostSpotSamples = 16384;

// The pulses around the first byte not read, or when all were read, the
// first of those whose pulses lay nearest the read point; none when the
// block has no pulses.
std::optional<TBadSpot> SpotOf(const TBlockPulses& Block, const TReading& Reading,
                               const std::vector<std::int64_t>& Start, const TBlockRead& Read) {
  const auto NotRead = std::find(Read.Sure.begin(), Read.Sure.end(), TBlockRead::TSure::NotRead);
  const auto Byte = static_cast<std::size_t>(
      NotRead != Read.Sure.end()
          ? NotRead - Read.Sure.begin()
          : std::min_element(Read.Margin.begin(), Read.Margin.end()) - Read.Margin.begin());
  // A byte not read starts where the one before it ends.
  std::size_t Anchor = NotRead == Read.Sure.end() ? static_cast<std::size_t>(Start[Byte])
                       : Byte == 0                ? 0
                                   : static_cast<std::size_t>(Start[Byte - 1]) + PulsesPerByte;
  Anchor = std::min(Anchor, Block.Pulses.size());
  const std::size_t From = Anchor - std::min(Anchor, SpotPulsesBefore);
  const std::size_t To = std::min(Block.Pulses.size(), Anchor + SpotPulsesFrom);
  if (From >= To) {
    return std::nullopt;
  }
  TBadSpot Spot;
  Spot.Byte = static_cast<std::int32_t>(Byte);
  Spot.Copy = Block.Copy;
  Spot.ReadPointUs = Reading.PointUs();
  Spot.BytePulse = static_cast<std::int32_t>(Anchor - From);
  const TPulseRecord& First = Block.Pulses[From];
  const double Lead = First.LowUs() > 0 ? First.LowUs() : First.HighUs;
  Spot.FirstSample = std::max<std::int64_t>(
      0, static_cast<std::int64_t>(std::floor((Block.SecondsOf(From) - Lead * 1e-6) * Block.Rate)) -
             SpotMarginSamples);
  std::int64_t End = Spot.FirstSample;
  for (std::size_t I = From; I < To; ++I) {
    const TPulseRecord& Pulse = Block.Pulses[I];
    const double Seconds = Block.SecondsOf(I);
    const auto PulseEnd =
        static_cast<std::int64_t>(std::ceil((Seconds + Pulse.HighUs * 1e-6) * Block.Rate)) +
        SpotMarginSamples;
    if (PulseEnd - Spot.FirstSample > MostSpotSamples && !Spot.Pulses.empty()) {
      break;
    }
    End = PulseEnd;
    Spot.Pulses.push_back({Seconds, Pulse.HighUs, Reading.Long(I), IsSuspect(Pulse)});
  }
  Spot.SampleCount = static_cast<std::int32_t>(std::min(End - Spot.FirstSample, MostSpotSamples));
  Spot.BytePulse = std::min(Spot.BytePulse, static_cast<std::int32_t>(Spot.Pulses.size()));
  return Spot;
}

TBlockRead Read(const TBlockPulses& Block, const TReading& Reading) {
  TBlockRead Read;
  Read.Kind = Block.Kind;
  Read.Copy = Block.Copy;
  Read.Orphan = Block.Orphan;
  Read.StartSeconds = Block.StartSeconds;
  Read.Rate = Block.Rate;
  Read.ReadPointUs = Reading.PointUs();
  Read.Pulses = Block.MarkPulses;
  std::int32_t Count =
      Block.Length >= 0 ? Block.Length + ChecksumBytes : CountFromPulses(Block, Reading);
  for (std::size_t I = 0; I < Block.Pulses.size(); ++I) {
    if (IsSuspect(Block.Pulses[I])) {
      Read.LostSeconds = Read.LostPulses++ == 0 ? Block.SecondsOf(I) : Read.LostSeconds;
    }
  }
  if (Count < ChecksumBytes) {
    return Read;
  }
  Read.Length = Count - ChecksumBytes;
  const std::vector<std::int64_t> Start = Frame(Block, Reading, Count);
  Read.Bytes.assign(Start.size(), 0);
  Read.Sure.assign(Start.size(), TBlockRead::TSure::NotRead);
  Read.Margin.assign(Start.size(), 0);
  for (std::size_t J = 0; J < Start.size(); ++J) {
    if (Start[J] < 0) {
      continue;
    }
    const auto First = static_cast<std::size_t>(Start[J]);
    std::uint8_t Least = 255;
    bool Odd = false;
    unsigned Value = 0;
    for (std::size_t I = First; I < First + PulsesPerByte; ++I) {
      const TPulseRecord& Pulse = Block.Pulses[I];
      const bool Long = Reading.Long(I);
      Value = Value << 1 | (Long ? 1U : 0U);
      const std::uint8_t Margin = Reading.Margin(I);
      Least = std::min(Least, Margin);
      Read.NearPulses += Margin < TBlockRead::NearMargin ? 1 : 0;
      Odd = Odd || IsSuspect(Pulse);
      if (!IsSuspect(Pulse)) {
        Read.Pulses.Add(Pulse.HighUs, Pulse.LowUs(), Long);
      }
    }
    Read.Bytes[J] = static_cast<std::uint8_t>(Value);
    Read.Margin[J] = Least;
    Read.Sure[J] = !Odd && Least >= TBlockRead::ClearMargin ? TBlockRead::TSure::Clear
                                                            : TBlockRead::TSure::Near;
  }

  // Times of the bytes, between the framed ones where not framed.
  Read.ByteSeconds.assign(Start.size(), Block.FirstPulseSeconds);
  std::int64_t Before = -1;
  for (std::size_t J = 0; J <= Start.size(); ++J) {
    if (J < Start.size() && Start[J] < 0) {
      continue;
    }
    const double From = Before < 0 ? Block.FirstPulseSeconds
                                   : Block.SecondsOf(static_cast<std::size_t>(Start[Before]));
    const double To = J < Start.size()       ? Block.SecondsOf(static_cast<std::size_t>(Start[J]))
                      : Block.Pulses.empty() ? From
                                             : Block.SecondsOf(Block.Pulses.size() - 1);
    const auto Gap = static_cast<double>(static_cast<std::int64_t>(J) - Before);
    for (auto K = Before + 1; K < static_cast<std::int64_t>(J); ++K) {
      Read.ByteSeconds[static_cast<std::size_t>(K)] =
          From + (To - From) * static_cast<double>(K - Before) / Gap;
    }
    if (J < Start.size()) {
      Read.ByteSeconds[J] = To;
      Before = static_cast<std::int64_t>(J);
    }
  }
  if (!Read.Good() || Read.NearPulses > 0) {
    Read.Spot = SpotOf(Block, Reading, Start, Read);
  }
  return Read;
}

std::int64_t ReadBytes(const TBlockRead& Read) {
  return std::count_if(Read.Sure.begin(), Read.Sure.end(),
                       [](TBlockRead::TSure Sure) { return Sure != TBlockRead::TSure::NotRead; });
}

}  // namespace

bool TBlockRead::AllRead() const {
  return Length >= 0 && std::find(Sure.begin(), Sure.end(), TSure::NotRead) == Sure.end();
}

bool TBlockRead::ChecksumRight(const std::vector<std::uint8_t>& Bytes) {
  if (Bytes.size() < ChecksumBytes) {
    return false;
  }
  const std::size_t Length = Bytes.size() - ChecksumBytes;
  std::uint16_t Ones = 0;
  for (std::size_t I = 0; I < Length; ++I) {
    Ones = static_cast<std::uint16_t>(Ones + kOneBits[Bytes[I]]);
  }
  return Ones == (Bytes[Length] << 8 | Bytes[Length + 1]);
}

TBlockRead DecodeBlock(const TBlockPulses& Block) {
  TBlockRead Followed = Read(Block, TReading(Block));
  if (Followed.Good() && Followed.NearPulses == 0) {
    return Followed;
  }
  const std::optional<TReading> Valley = ValleyReading(Block);
  if (!Valley) {
    return Followed;
  }
  TBlockRead Fixed = Read(Block, *Valley);
  // A point chosen after the fact must sit in a real gap between the kinds:
  // one among pulses on both sides of it could meet the checksum by errors
  // that cancel.
  if (Fixed.NearPulses > 0) {
    return Followed;
  }
  if (Fixed.Good() || (!Followed.Good() && Fixed.Length >= 0 &&
                       (Followed.Length < 0 || ReadBytes(Fixed) > ReadBytes(Followed)))) {
    return Fixed;
  }
  return Followed;
}

}  // namespace kvetro
