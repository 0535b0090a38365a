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
    Peak.Age = 0;
  } else if (++Peak.Age > FHoldSamples) {
    Peak.Level -= FDecay * (Peak.Level - FMiddle);
  }
}

void TEdgeDetector::Feed(std::span<const float> Samples, std::vector<TEdge>& Edges) {
  for (const float Value : Samples) {
    const double Sample = Value;
    const auto Now = static_cast<double>(FIndex++);
    if (!FStarted) {
      FStarted = true;
      FPositive.Level = FNegative.Level = FMiddle = FPrevious = Sample;
      continue;
    }
    Follow(FPositive, Sample, true);
    Follow(FNegative, Sample, false);
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

    if (!FHigh && Sample > FMiddle + Hysteresis) {
      FHigh = true;
      FLastEdge = FUpCrossing > FLastEdge ? FUpCrossing : Now;
      Edges.push_back({FLastEdge, true});
    } else if (FHigh && Sample < FMiddle - Hysteresis) {
      FHigh = false;
      FLastEdge = FDownCrossing > FLastEdge ? FDownCrossing : Now;
      Edges.push_back({FLastEdge, false});
    }
  }
}

}  // namespace kvetro
