#include "tape/SignalTotals.h"

#include "tape/TapeSignal.h"

namespace kvetro {

namespace {

// Counts what a walk of the signal sends: a framed byte is a long start
// pulse, then a long pulse per 1 bit and a short one per 0 bit.
struct TCountingSink {
  TPulseCount Count;

  void Pulses(PulseKind Kind, std::uint64_t Pulses) {
    (Kind == PulseKind::Long ? Count.Long : Count.Short) += Pulses;
  }
  void Byte(std::uint8_t Value) {
    const std::uint64_t Ones = kOneBits[Value];
    Count.Long += 1 + Ones;
    Count.Short += 8 - Ones;
  }
};

}  // namespace

std::uint64_t TPulseCount::Samples(const PulseTiming& Timing) const {
  return Short * Timing.PulseSamples(PulseKind::Short) +
         Long * Timing.PulseSamples(PulseKind::Long);
}

TPulseCount& TPulseCount::operator+=(const TPulseCount& Other) {
  Short += Other.Short;
  Long += Other.Long;
  return *this;
}

TPulseCount RunPulses(const TMzfImage& Image, const TTapeLayout& Layout, const TRunValues& Values) {
  TCountingSink Sink;
  WalkSignal(Image, Layout, Values, Sink);
  return Sink.Count;
}

}  // namespace kvetro
