#include "tape/SettingsCheck.h"

#include <algorithm>
#include <cstdint>

#include "tape/RunMessages.h"

namespace kvetro {

std::optional<std::string> SettingsRefusal(const TConversionSettings& Settings) {
  // The encoder's pulse counter is unsigned: a negative gap would mean no
  // gap at best.
  if (Settings.LoaderGap < GapRange.Min || Settings.BodyGap < GapRange.Min) {
    return NegativeGapText;
  }
  const PulseTiming& Timing = Settings.UserTiming;
  if (Timing.Log0Lo == Timing.Log1Lo && Timing.Log0Hi == Timing.Log1Hi) {
    return IdenticalPulsesText(Timing);
  }
  return std::nullopt;
}

std::optional<std::string> SettingsWarning(const TConversionSettings& Settings) {
  // The monitor tells a 1 from a 0 by the longer pulse; halves of 0 or less
  // write nothing, so they add nothing here either.
  const PulseTiming& Timing = Settings.UserTiming;
  const auto Length = [](std::int32_t Lo, std::int32_t Hi) {
    return std::int64_t{std::max(Lo, 0)} + std::max(Hi, 0);
  };
  if (Length(Timing.Log1Lo, Timing.Log1Hi) <= Length(Timing.Log0Lo, Timing.Log0Hi)) {
    return LongPulseNotLongerText(Timing);
  }
  return std::nullopt;
}

}  // namespace kvetro
