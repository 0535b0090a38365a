#include "reader/EdgeDetector.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "reader/Unsigned8Sample.h"

namespace kvetro {

namespace {

double ValueOf(float Sample) {
  return Sample;
}
double ValueOf(std::uint8_t Code) {
  return Unsigned8Sample(Code);
}

// The sample whose value the detector holds as FPrevious, as it came.
float SampleOf(double Previous, float /*Kind*/) {
  return static_cast<float>(Previous);
}
std::uint8_t SampleOf(double Previous, std::uint8_t /*Kind*/) {
  return static_cast<std::uint8_t>((Previous + 1) * 128);
}

// The first sample from At on that is not Previous, or Limit.
template <typename TSample>
const TSample* SkipRepeats(const TSample* At, const TSample* Limit, TSample Previous) {
  while (At != Limit && *At == Previous) {
    ++At;
  }
  return At;
}
// 8-bit samples eight at a time: a half of a pulse is 9 to 19 samples long
// at the standard timing.
const std::uint8_t* SkipRepeats(const std::uint8_t* At, const std::uint8_t* Limit,
                                std::uint8_t Previous) {
  if constexpr (std::endian::native == std::endian::little) {
    const std::uint64_t Repeated = 0x0101010101010101U * Previous;
    for (; Limit - At >= 8; At += 8) {
      std::uint64_t Eight = 0;
      std::memcpy(&Eight, At, sizeof Eight);
      if (Eight != Repeated) {
        return At + std::countr_zero(Eight ^ Repeated) / 8;
      }
    }
  }
  while (At != Limit && *At == Previous) {
    ++At;
  }
  return At;
}

}  // namespace

TEdgeDetector::TEdgeDetector(std::int32_t Rate)
    : FHoldSamples(static_cast<std::int64_t>(PeakHoldSeconds * Rate)),
      FDecay(1.0 - std::exp(-1.0 / (PeakDecaySeconds * Rate))) {}

void TEdgeDetector::Follow(TPeak& Peak, double Sample, bool Positive) {
  if (Positive ? Sample >= Peak.Level : Sample <= Peak.Level) {
    Peak.Level += PeakAttack * (Sample - Peak.Level);
    Peak.MetAt = FIndex;
  } else if (FIndex - Peak.MetAt > FHoldSamples) {
    Peak.Level -= FDecay * (Peak.Level - FMiddle);
  }
}

// Inline: it runs at every sample that is not passed over.
inline void TEdgeDetector::Take(double Sample, std::vector<TEdge>& Edges) {
  const auto Now = static_cast<double>(FIndex);
  Follow(FPositive, Sample, true);
  Follow(FNegative, Sample, false);
  ++FIndex;
  FMiddle = (FPositive.Level + FNegative.Level) / 2;
  const double Hysteresis =
      std::max(HysteresisFraction * (FPositive.Level - FNegative.Level), MinimumHysteresis);

  // Where the signal crossed the middle, between the previous sample and
  // this one.
  const double Span = Sample - FPrevious;
  if (FPrevious < FMiddle && Sample >= FMiddle) {
    FUpCrossing = Now - 1 + (FMiddle - FPrevious) / Span;
  } else if (FPrevious > FMiddle && Sample <= FMiddle) {
    FDownCrossing = Now - 1 + (FMiddle - FPrevious) / Span;
  }
  FPrevious = Sample;
  FHalfPeak = FHigh ? std::max(FHalfPeak, Sample) : std::min(FHalfPeak, Sample);

  if (!FHigh && Sample > FMiddle + Hysteresis) {
    FHigh = true;
    FLastEdge = FUpCrossing > FLastEdge ? FUpCrossing : Now;
    Edges.push_back({FLastEdge, true, static_cast<float>(FHalfPeak)});
    FHalfPeak = Sample;
  } else if (FHigh && Sample < FMiddle - Hysteresis) {
    FHigh = false;
    FLastEdge = FDownCrossing > FLastEdge ? FDownCrossing : Now;
    Edges.push_back({FLastEdge, false, static_cast<float>(FHalfPeak)});
    FHalfPeak = Sample;
  }
}

void TEdgeDetector::Feed(std::span<const float> Samples, std::vector<TEdge>& Edges) {
  FeedSamples(Samples, Edges);
}

void TEdgeDetector::Feed(std::span<const std::uint8_t> Codes, std::vector<TEdge>& Edges) {
  FeedSamples(Codes, Edges);
}

template <typename TSample>
void TEdgeDetector::FeedSamples(std::span<const TSample> Samples, std::vector<TEdge>& Edges) {
  const TSample* At = Samples.data();
  const TSample* const End = At + Samples.size();
  if (FIndex == 0 && At != End) {
    FPositive.Level = FNegative.Level = FMiddle = FPrevious = ValueOf(*At++);
    FIndex = 1;
  }
  // The last sample taken, as it came; those passed over since are alike.
  TSample Previous = SampleOf(FPrevious, TSample{});
  while (At != End) {
    // A square wave's samples mostly repeat: while neither peak is old
    // enough to fall back, a repeated sample changes nothing.
    const std::int64_t Quiet = std::min(FPositive.MetAt, FNegative.MetAt) + FHoldSamples - FIndex;
    const TSample* const Start = At;
    const TSample* const Limit = Quiet <= 0 ? At : At + std::min<std::int64_t>(Quiet, End - At);
    At = SkipRepeats(At, Limit, Previous);
    FIndex += At - Start;
    if (At == End) {
      break;
    }
    Previous = *At++;
    Take(ValueOf(Previous), Edges);
  }
}

}  // namespace kvetro
