#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace kvetro {

// A change of level found in the samples. Time counts samples from the start
// of the recording, with the fraction where the signal crossed the middle.
struct TEdge {
  double Time = 0;
  bool Rising = false;
  // The highest sample of the HIGH half that a falling edge ends, or the
  // lowest of the LOW half that a rising edge ends: a pulse's swing, which a
  // dropout takes away.
  float Peak = 0;
};

// A Schmitt trigger whose middle and hysteresis follow the signal's positive
// and negative peaks, not its mean: the mean moves with the bit pattern, the
// peaks only with the level, the DC offset and hum. So it reads a signal of a
// few per cent of full scale as well as a clipped one. Rising and falling
// edges alternate; each is timed where the signal last crossed the middle
// between the peaks, interpolated between the two samples around it, so that
// a square wave's halves come out as whole numbers of samples.
class TEdgeDetector {
 public:
  // A new peak is taken at once; one that is not met again for the hold
  // time (longer than the longest half of a pulse Kvetro writes, 128
  // samples at 44100 Hz) then falls back towards the middle with the decay
  // time constant.
  static constexpr double PeakAttack = 1.0;  // fraction of the way to a new peak
  static constexpr double PeakHoldSeconds = 0.004;
  static constexpr double PeakDecaySeconds = 0.010;
  // The trigger fires this fraction of the peak-to-peak distance beyond the
  // middle, and never closer to it than the floor (about -46 dB of full
  // scale), so that silence and hiss give few edges. Small, because a
  // resampled recording (a phone at 48000 Hz) turns the fast body's
  // one-sample halves into short humps that may reach only a fifth of the
  // peak, while the ringing of the same resampling widens the peaks.
  static constexpr double HysteresisFraction = 0.04;
  static constexpr double MinimumHysteresis = 0.005;

  explicit TEdgeDetector(std::int32_t Rate);

  // Appends the edges found in the next samples to Edges.
  void Feed(std::span<const float> Samples, std::vector<TEdge>& Edges);
  // The same for 8-bit samples as a WAV holds them (reader/Unsigned8Sample.h):
  // the edges their values give, found without converting the samples that
  // repeat, which most of a square wave's do.
  void Feed(std::span<const std::uint8_t> Codes, std::vector<TEdge>& Edges);

 private:
  struct TPeak {
    double Level = 0;
    std::int64_t MetAt = 0;  // the sample that last met it
  };
  template <typename TSample>
  void FeedSamples(std::span<const TSample> Samples, std::vector<TEdge>& Edges);
  // A sample that may move the peaks or the level.
  void Take(double Sample, std::vector<TEdge>& Edges);
  void Follow(TPeak& Peak, double Sample, bool Positive);

  std::int64_t FHoldSamples;
  double FDecay;  // fraction of the way back to the middle per sample
  TPeak FPositive;
  TPeak FNegative;
  double FMiddle = 0;
  double FPrevious = 0;
  std::int64_t FIndex = 0;  // of the next sample
  bool FHigh = false;
  double FLastEdge = -1;
  double FUpCrossing = -1;
  double FDownCrossing = -1;
  double FHalfPeak = 0;  // of the half under way
};

}  // namespace kvetro
