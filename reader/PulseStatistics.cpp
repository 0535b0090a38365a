#include "reader/PulseStatistics.h"

#include <algorithm>
#include <cmath>

namespace kvetro {

void TPulseStatistics::TSums::Add(double Us) {
  Min = Count == 0 ? Us : std::min(Min, Us);
  Max = Count == 0 ? Us : std::max(Max, Us);
  ++Count;
  Sum += Us;
  Squares += Us * Us;
}

TTimeFigures TPulseStatistics::TSums::Figures() const {
  if (Count == 0) {
    return {};
  }
  const double Mean = Sum / static_cast<double>(Count);
  const double Variance = std::max(Squares / static_cast<double>(Count) - Mean * Mean, 0.0);
  return {Count, Mean, std::sqrt(Variance), Min, Max};
}

void TPulseStatistics::Add(double HighUs, double LowUs, bool Long) {
  TKind& Kind = Long ? FLong : FShort;
  Kind.High.Add(HighUs);
  if (LowUs >= 0) {
    Kind.Low.Add(LowUs);
  }
}

}  // namespace kvetro
