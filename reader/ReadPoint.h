#pragma once

#include <algorithm>
#include <cmath>
#include <span>

namespace kvetro {

// Where a block's pulses are read: the machine times the HIGH half after
// each rising edge and takes a pulse whose HIGH lasts past a fixed point for
// a long one (1), a shorter one for a short one (0). The read point lies
// halfway between the typical HIGH times of the two kinds, learned from the
// gap and the tape mark before the block (their spreads, read off a few
// dozen pulses of whole samples, are too rough to weigh it by); it
// then follows slow drift of the tape's speed, each pulse pulling the time
// of its kind a little towards its own, by no more than a couple of spreads,
// so that a stray pulse cannot move it.
class TReadPoint {
 public:
  // A kind of pulse: its typical HIGH time and how far its pulses spread.
  struct TKind {
    double Us = 0;
    double SpreadUs = 0;
  };
  // How far one pulse pulls the time of its kind.
  static constexpr double DriftWeight = 1.0 / 256;
  // A pulse pulls at most this many spreads' worth.
  static constexpr double PullSpreads = 2;
  // No spread is taken as narrower than this share of the distance between
  // the kinds: square pulses of one length each do not spread at all.
  static constexpr double MinimumSpread = 0.03;

  TReadPoint() = default;
  TReadPoint(TKind Short, TKind Long);

  bool Learned() const { return FLong.Us > FShort.Us; }
  double Us() const { return FPointUs; }
  const TKind& Short() const { return FShort; }
  const TKind& Long() const { return FLong; }

  bool IsLong(double HighUs) const { return HighUs > FPointUs; }
  // Classifies, then follows the drift. Inline, as Margin: they run for
  // every pulse.
  bool Follow(double HighUs) {
    const bool IsLongPulse = IsLong(HighUs);
    TKind& Kind = IsLongPulse ? FLong : FShort;
    const double Reach = IsLongPulse ? FLongReach : FShortReach;
    Kind.Us += DriftWeight * std::clamp(HighUs - Kind.Us, -Reach, Reach);
    FPointUs = (FShort.Us + FLong.Us) / 2;
    return IsLongPulse;
  }
  // How clearly a HIGH time reads: its distance from the read point as a
  // share of the distance between the two kinds (as it was when learned).
  double Margin(double HighUs) const { return std::fabs(HighUs - FPointUs) * FPerDistance; }

  // The typical time and spread of a set of HIGH times, the outer fifth on
  // each side left out so that a few stray pulses do not count. Reorders
  // Times.
  static TKind KindOf(std::span<double> Times);

 private:
  TKind FShort;
  TKind FLong;
  double FPointUs = 0;
  double FPerDistance = 0;  // 1 / the distance between the kinds
  // How far one pulse of each kind may pull its time.
  double FShortReach = 0;
  double FLongReach = 0;
};

}  // namespace kvetro
