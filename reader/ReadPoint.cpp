#include "reader/ReadPoint.h"

#include <algorithm>
#include <cmath>

namespace kvetro {

TReadPoint::TReadPoint(TKind Short, TKind Long) : FShort(Short), FLong(Long) {
  const double Distance = FLong.Us - FShort.Us;
  FPointUs = (FShort.Us + FLong.Us) / 2;
  FPerDistance = Distance > 0 ? 1 / Distance : 0;
  const double Floor = MinimumSpread * std::fabs(Distance);
  FShortReach = PullSpreads * std::max(FShort.SpreadUs, Floor);
  FLongReach = PullSpreads * std::max(FLong.SpreadUs, Floor);
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
