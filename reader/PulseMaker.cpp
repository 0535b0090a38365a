#include "reader/PulseMaker.h"

namespace kvetro {

bool TPulseMaker::Edge(const TEdge& Edge, TPulse& Pulse) {
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
  Pulse.StartSeconds = Rise / FRate;
  Pulse.HighUs = Us(Edge.Time - Rise);
  Pulse.LowUs = PreviousFall < 0 ? -1 : Us(Rise - PreviousFall);
  return true;
}

}  // namespace kvetro
