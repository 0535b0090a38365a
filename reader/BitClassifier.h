#pragma once

namespace kvetro {

// Tells long pulses (1) from short ones (0) by their HIGH time, as the
// machine does: the threshold is learned from a tape mark, where the run of
// long pulses and the run of short ones give the two times, and it then
// follows slow drift of the speed through the block, each pulse pulling the
// time of its kind a little towards its own.
class TBitClassifier {
 public:
  // How far one pulse pulls the time of its kind.
  static constexpr double DriftWeight = 1.0 / 32;

  void Learn(double ShortHighUs, double LongHighUs);
  bool Learned() const { return FLongUs > FShortUs; }

  // Without following the drift.
  bool IsLong(double HighUs) const { return HighUs > ThresholdUs(); }
  // Classifies, then follows the drift.
  bool Classify(double HighUs);
  double ThresholdUs() const { return (FShortUs + FLongUs) / 2; }

 private:
  double FShortUs = 0;
  double FLongUs = 0;
};

}  // namespace kvetro
