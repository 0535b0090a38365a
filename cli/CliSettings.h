#pragma once

#include <string>
#include <vector>

#include "tape/ConversionSettings.h"

namespace kvetro {

// Everything the command line sets for one conversion. The defaults are the
// window's.
struct TCliSettings {
  TConversionSettings Conversion;
  // MZF or MZT files, whose files go on one tape in this order.
  std::vector<std::string> InputNames;
  std::string OutputName;  // "-" stands for standard output
};

// Names the standard output in place of a WAV file name.
inline constexpr const char* StandardOutputName = "-";

}  // namespace kvetro
