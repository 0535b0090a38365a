#include "tape/SettingsCheck.h"

#include <cstdint>

#include "tape/RunMessages.h"

namespace kvetro {

namespace {

// The quickest timing (the smallest sum of its four halves at 44100 Hz) whose
// pulses stay apart at Rate, the long one longer than the short one.
PulseTiming FastestDistinctTiming(std::int32_t Rate) {
  const std::int32_t Max = PulseHalfRange.Max;
  for (std::int32_t Total = 4; Total <= 4 * Max; ++Total) {
    for (std::int32_t Lo0 = 1; Lo0 <= Max; ++Lo0) {
      for (std::int32_t Hi0 = 1; Hi0 <= Max && Lo0 + Hi0 < Total; ++Hi0) {
        for (std::int32_t Lo1 = 1; Lo1 <= Max && Lo0 + Hi0 + Lo1 < Total; ++Lo1) {
          const PulseTiming Timing{Lo0, Hi0, Lo1, Total - Lo0 - Hi0 - Lo1};
          const PulseTiming There = Timing.AtRate(Rate);
          if (Timing.Log1Hi <= Max && !There.PulsesAlike() &&
              There.PulseSamples(PulseKind::Long) > There.PulseSamples(PulseKind::Short)) {
            return Timing;
          }
        }
      }
    }
  }
  return PulseTiming::Standard();
}

// "the HI halves 1 and 2 both become 1 sample", and the same of the LO
// halves where they fell together too.
std::string CollapsedHalves(const PulseTiming& Timing, const PulseTiming& There) {
  std::string Text;
  const auto Add = [&Text](const char* Name, std::int32_t Short, std::int32_t Long,
                           std::int32_t Becomes) {
    if (Short == Long) {
      return;
    }
    Text += (Text.empty() ? "the " : " and the ") + std::string(Name) + " halves " +
            std::to_string(Short) + " and " + std::to_string(Long) + " both become " +
            std::to_string(Becomes) + (Becomes == 1 ? " sample" : " samples");
  };
  Add("LO", Timing.Log0Lo, Timing.Log1Lo, There.Log0Lo);
  Add("HI", Timing.Log0Hi, Timing.Log1Hi, There.Log0Hi);
  return Text;
}

}  // namespace

std::optional<std::string> SettingsRefusal(const TConversionSettings& Settings) {
  // The encoder's pulse counter is unsigned: a negative gap would mean no
  // gap at best.
  if (Settings.LoaderGap < GapRange.Min || Settings.BodyGap < GapRange.Min) {
    return NegativeGapText;
  }
  const PulseTiming& Timing = Settings.UserTiming;
  if (Timing.PulsesAlike()) {
    return IdenticalPulsesText(Timing);
  }
  const std::int32_t Rate = Settings.SampleRate;
  if (Rate < SampleRateRange.Min || Rate > SampleRateRange.Max) {
    return SampleRateText(Rate);
  }
  const PulseTiming There = Timing.AtRate(Rate);
  if (There.PulsesAlike()) {
    return CollapsedPulsesText(Rate, CollapsedHalves(Timing, There), Timing, There,
                               FastestDistinctTiming(Rate));
  }
  return std::nullopt;
}

std::optional<std::string> SettingsWarning(const TConversionSettings& Settings) {
  // The monitor tells a 1 from a 0 by the longer pulse; halves of 0 or less
  // write nothing, so they add nothing here either.
  const PulseTiming& Timing = Settings.UserTiming;
  if (Timing.PulseSamples(PulseKind::Long) <= Timing.PulseSamples(PulseKind::Short)) {
    return LongPulseNotLongerText(Timing);
  }
  return std::nullopt;
}

}  // namespace kvetro
