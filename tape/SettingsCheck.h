#pragma once

#include <optional>
#include <string>

#include "tape/ConversionSettings.h"

namespace kvetro {

// Why no conversion is made with these settings, if none is: a negative gap,
// a sample rate out of range, or two pulses that no machine can tell apart
// (at 44100 Hz or in the whole samples of the rate).
std::optional<std::string> SettingsRefusal(const TConversionSettings& Settings);

// What the user should hear about settings that are converted all the same:
// a long pulse that is not longer than the short one.
std::optional<std::string> SettingsWarning(const TConversionSettings& Settings);

}  // namespace kvetro
