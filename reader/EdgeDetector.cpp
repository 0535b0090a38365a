#include "reader/EdgeDetector.h"

#include <algorithm>
#include <cmath>

namespace kvetro {

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

void TEdgeDetector::Feed(std::span<const float> Samples, std::vector<TEdge>& Edges) {
  const float* At = Samples.data();
  const float* const End = At + Samples.size();
  if (FIndex == 0 && At != End) {
    FPositive.Level = FNegative.Level = FMiddle = FPrevious = *At++;
    FIndex = 1;
  }
  while (At != End) {
    // A square wave's samples mostly repeat: while neither peak is old
    // enough to fall back, a repeated sample changes nothing.
    const std::int64_t Quiet = std::min(FPositive.MetAt, FNegative.MetAt) + FHoldSamples - FIndex;
    const auto Previous = static_cast<float>(FPrevious);
    const float* const Start = At;
    const float* const Limit = Quiet <= 0 ? At : At + std::min<std::int64_t>(Quiet, End - At);
    while (At != Limit && *At == Previous) {
      ++At;
    }
    FIndex += At - Start;
    if (At == End) {
      break;
    }
    const double Sample = *At++;
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
}

}  // namespace kvetro
