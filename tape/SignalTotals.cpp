#include "tape/SignalTotals.h"

#include <algorithm>

#include "tape/TapeSignal.h"

namespace kvetro {

namespace {

std::uint64_t HalfSamples(std::int32_t Count) {
  return static_cast<std::uint64_t>(std::max(Count, 0));
}

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

TPulseCount RunPulses(const TMzfImage& Image, TPhase From, const TRunValues& Values) {
  TCountingSink Sink;
  WalkSignal(Image, From, Values, Sink);
  return Sink.Count;
}

}  // namespace

std::uint64_t TPulseCount::Samples(const PulseTiming& Timing) const {
  return Short * (HalfSamples(Timing.Log0Lo) + HalfSamples(Timing.Log0Hi)) +
         Long * (HalfSamples(Timing.Log1Lo) + HalfSamples(Timing.Log1Hi));
}

TPulseCount& TPulseCount::operator+=(const TPulseCount& Other) {
  Short += Other.Short;
  Long += Other.Long;
  return *this;
}

TPulseCount BodyRunPulses(const TMzfImage& Image, std::int32_t BodyGap, std::int32_t BodyLength) {
  return RunPulses(Image, TPhase::BodyLead, {0, BodyGap, BodyLength});
}

TPulseCount FullRunPulses(const TMzfImage& Image, std::int32_t LeadGap, std::int32_t BodyGap,
                          std::int32_t BodyLength) {
  return RunPulses(Image, TPhase::LeadGap, {LeadGap, BodyGap, BodyLength});
}

}  // namespace kvetro
