#include "reader/BitClassifier.h"

namespace kvetro {

void TBitClassifier::Learn(double ShortHighUs, double LongHighUs) {
  FShortUs = ShortHighUs;
  FLongUs = LongHighUs;
}

bool TBitClassifier::Classify(double HighUs) {
  const bool Long = IsLong(HighUs);
  double& Time = Long ? FLongUs : FShortUs;
  Time += DriftWeight * (HighUs - Time);
  return Long;
}

}  // namespace kvetro
