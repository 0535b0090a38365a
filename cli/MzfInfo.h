#pragma once

#include <optional>
#include <string>

#include "tape/ConversionSettings.h"
#include "tape/MzfImage.h"

namespace kvetro {

// What --info prints about a loaded MZF file: its header fields, how much of
// the body the file holds, and how long the sound of its conversion would
// play with the given settings.
struct TMzfInfo {
  std::string Text;
  // Set when the conversion would be refused; the refusal's own text.
  std::optional<std::string> Refusal;
};

TMzfInfo DescribeMzf(const TMzfImage& Image, const TConversionSettings& Settings);

// The file name of the header: bytes 0x01 to 0x11 up to the first 0x0D,
// printable ASCII as it is and any other byte as '?'.
std::string HeaderFileName(const TMzfImage& Image);

}  // namespace kvetro
