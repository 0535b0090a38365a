#pragma once

#include <cstdint>

#include "tape/PulseTiming.h"

namespace kvetro {

// Where the encoder takes its counts from. Each is asked for at the moment
// it is needed: a pulse's LO count just before its LO samples, its HI count
// just after them, the body gap once per run.
class TPulseTimingSource {
 public:
  virtual ~TPulseTimingSource() = default;
  virtual std::int32_t Count(TimingBox Box) = 0;
  virtual std::int32_t BodyGap() = 0;
};

// A timing source that holds fixed values.
class TFixedTiming : public TPulseTimingSource {
 public:
  TFixedTiming(PulseTiming Timing, std::int32_t BodyGap) : FTiming(Timing), FBodyGap(BodyGap) {}
  std::int32_t Count(TimingBox Box) override { return FTiming.Get(Box); }
  std::int32_t BodyGap() override { return FBodyGap; }

 private:
  PulseTiming FTiming;
  std::int32_t FBodyGap;
};

}  // namespace kvetro
