#pragma once

#include <cstdint>

namespace kvetro {

// The four sample counts of the two pulses, in the order of the window's
// boxes: the short pulse (a 0 bit) LO then HI, the long pulse (a 1 bit) LO
// then HI.
enum class TimingBox : int { Log0Lo = 0, Log0Hi = 1, Log1Lo = 2, Log1Hi = 3 };

enum class PulseKind { Short, Long };

struct PulseTiming {
  std::int32_t Log0Lo = 0;
  std::int32_t Log0Hi = 0;
  std::int32_t Log1Lo = 0;
  std::int32_t Log1Hi = 0;

  std::int32_t Get(TimingBox Box) const;
  void Set(TimingBox Box, std::int32_t Value);
  bool operator==(const PulseTiming&) const = default;

  // The timing at which the monitor ROM reads a tape: the loader file goes
  // out at this speed.
  static constexpr PulseTiming Standard() { return PulseTiming{9, 11, 18, 19}; }
};

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
