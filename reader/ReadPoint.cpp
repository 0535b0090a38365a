#include "reader/ReadPoint.h"

#include <algorithm>
#include <cmath>

namespace kvetro {

TReadPoint::TReadPoint(TKind Short, TKind Long) : FShort(Short), FLong(Long) {
  Place();
}

void TReadPoint::Place() {
  FPointUs = (FShort.Us + FLong.Us) / 2;
}

bool TReadPoint::Follow(double HighUs) {
  const bool IsLongPulse = IsLong(HighUs);
  TKind& Kind = IsLongPulse ? FLong : FShort;
  const double Reach =
      PullSpreads * std::max(Kind.SpreadUs, MinimumSpread * (FLong.Us - FShort.Us));
  Kind.Us += DriftWeight * std::clamp(HighUs - Kind.Us, -Reach, Reach);
  Place();
  return IsLongPulse;
}

double TReadPoint::Margin(double HighUs) const {
  const double Distance = FLong.Us - FShort.Us;
  return Distance > 0 ? std::fabs(HighUs - FPointUs) / Distance : 0;
}

TReadPoint::TKind TReadPoint::KindOf(std::span<double> Times) {
  if (Times.empty()) {
    return {};
  }
  std::sort(Times.begin(), Times.end());
  const std::size_t Cut = Times.size() / 5;
  const auto Kept = Times.subspan(Cut, Times.size() - 2 * Cut);
  double Sum = 0;
  for (const double Time : Kept) {
    Sum += Time;
  }
  const double Mean = Sum / static_cast<double>(Kept.size());
  double Squares = 0;
  for (const double Time : Kept) {
    Squares += (Time - Mean) * (Time - Mean);
  }
  // The middle three fifths of a normal spread hold 0.6 of it: their
  // deviation is about 0.46 of the whole one.
  constexpr double TrimmedToWhole = 1 / 0.46;
  return {Mean, TrimmedToWhole * std::sqrt(Squares / static_cast<double>(Kept.size()))};
}

}  // namespace kvetro
