#pragma once

#include <string>

#include "tape/ConversionSettings.h"

namespace kvetro {

// Everything the command line sets for one conversion. The defaults are the
// window's.
struct TCliSettings {
  TConversionSettings Conversion;
  std::string InputName;
  std::string OutputName;  // "-" stands for standard output
};

// Names the standard output in place of a WAV file name.
inline constexpr const char* StandardOutputName = "-";

}  // namespace kvetro
