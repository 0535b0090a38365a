#pragma once

#include <cstdint>

#include "reader/EdgeDetector.h"

namespace kvetro {

// A pulse as the machine times it: it starts at a rising edge, and the time
// the level then stays HIGH decides its bit. LowUs is the LOW time that led
// into that edge: in Kvetro's signal a pulse is LO then HI, so this is the
// pulse's own LO half, and what the machine would time if the recording were
// upside down. A LOW time not known (the first pulse) is negative.
struct TPulse {
  double StartSeconds = 0;
  double HighUs = 0;
  double LowUs = -1;
};

// Turns edges into pulses, handing out each pulse at its falling edge, so
// that the last pulse of a recording that ends HIGH is the only one lost.
// Inverted: falling edges start the pulses, as when a cable or a sound card
// turns the signal over.
class TPulseMaker {
 public:
  TPulseMaker(std::int32_t Rate, bool Inverted)
      : FSecondsPerSample(1.0 / Rate), FInverted(Inverted) {}

  // True when the edge ended a pulse, which is then in Pulse. Inline: it
  // runs for every edge of a recording.
  bool Edge(const TEdge& Edge, TPulse& Pulse);

 private:
  double Us(double Samples) const { return Samples * FSecondsPerSample * 1e6; }

  double FSecondsPerSample;
  bool FInverted;
  double FRise = -1;  // the start of the pulse under way
  double FFall = -1;  // the end of the last one
};

inline bool TPulseMaker::Edge(const TEdge& Edge, TPulse& Pulse) {
  if (Edge.Rising != FInverted) {
    FRise = Edge.Time;
    return false;
  }
  const double Rise = FRise;
  const double PreviousFall = FFall;
  FFall = Edge.Time;
  FRise = -1;
  if (Rise < 0) {
    return false;
  }
  Pulse.StartSeconds = Rise * FSecondsPerSample;
  Pulse.HighUs = Us(Edge.Time - Rise);
  Pulse.LowUs = PreviousFall < 0 ? -1 : Us(Rise - PreviousFall);
  return true;
}

}  // namespace kvetro
