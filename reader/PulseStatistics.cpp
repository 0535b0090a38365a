#include "reader/PulseStatistics.h"

#include <algorithm>
#include <cmath>

namespace kvetro {

TTimeFigures TPulseStatistics::TSums::Figures() const {
  if (Count == 0) {
    return {};
  }
  const double Mean = Sum / static_cast<double>(Count);
  const double Variance = std::max(Squares / static_cast<double>(Count) - Mean * Mean, 0.0);
  return {Count, Mean, std::sqrt(Variance), Min, Max};
}

}  // namespace kvetro
