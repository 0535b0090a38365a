#pragma once

#include <optional>
#include <string>

#include "tape/ConversionSettings.h"

namespace kvetro {

// Why no conversion is made with these settings, if none is: a negative gap,
// or two pulses that no machine can tell apart.
std::optional<std::string> SettingsRefusal(const TConversionSettings& Settings);

// What the user should hear about settings that are converted all the same:
// a long pulse that is not longer than the short one.
std::optional<std::string> SettingsWarning(const TConversionSettings& Settings);

}  // namespace kvetro
