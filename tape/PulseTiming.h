#pragma once

#include <cstdint>

namespace kvetro {

// The four sample counts of the two pulses, in the order of the window's
// boxes: the short pulse (a 0 bit) LO then HI, the long pulse (a 1 bit) LO
// then HI.
enum class TimingBox : int { Log0Lo = 0, Log0Hi = 1, Log1Lo = 2, Log1Hi = 3 };

enum class PulseKind { Short, Long };

// Every timing is counted in samples at this rate (one sample is about
// 22.7 µs); a WAV at another rate carries each half converted to it.
inline constexpr std::int32_t TimingSampleRate = 44100;

// A half of 0 or fewer samples writes nothing.
constexpr std::uint64_t HalfSamples(std::int32_t Count) {
  return Count > 0 ? static_cast<std::uint64_t>(Count) : 0;
}

// A half of Count samples at 44100 Hz as the nearest whole number of samples
// at Rate, halfway rounding up, and at least 1: the half keeps its duration
// as closely as whole samples allow. A half of none stays none.
constexpr std::int32_t HalfAtRate(std::int32_t Count, std::int32_t Rate) {
  if (Count <= 0 || Rate == TimingSampleRate) {
    return Count;
  }
  const std::int64_t Scaled =
      (2 * std::int64_t{Count} * Rate + TimingSampleRate) / (2 * std::int64_t{TimingSampleRate});
  return static_cast<std::int32_t>(Scaled < 1 ? 1 : Scaled);
}

struct PulseTiming {
  std::int32_t Log0Lo = 0;
  std::int32_t Log0Hi = 0;
  std::int32_t Log1Lo = 0;
  std::int32_t Log1Hi = 0;

  std::int32_t Get(TimingBox Box) const;
  void Set(TimingBox Box, std::int32_t Value);
  bool operator==(const PulseTiming&) const = default;

  // Samples of one pulse of that kind: its LO half, then its HI half.
  constexpr std::uint64_t PulseSamples(PulseKind Kind) const {
    return Kind == PulseKind::Long ? HalfSamples(Log1Lo) + HalfSamples(Log1Hi)
                                   : HalfSamples(Log0Lo) + HalfSamples(Log0Hi);
  }
  // Each half converted to samples at Rate.
  constexpr PulseTiming AtRate(std::int32_t Rate) const {
    return {HalfAtRate(Log0Lo, Rate), HalfAtRate(Log0Hi, Rate), HalfAtRate(Log1Lo, Rate),
            HalfAtRate(Log1Hi, Rate)};
  }
  // The two pulses are the same: no machine can tell a 0 from a 1.
  constexpr bool PulsesAlike() const { return Log0Lo == Log1Lo && Log0Hi == Log1Hi; }

  // The timing at which the monitor ROM reads a tape: the loader file goes
  // out at this speed.
  static constexpr PulseTiming Standard() { return PulseTiming{9, 11, 18, 19}; }
};

}  // namespace kvetro
