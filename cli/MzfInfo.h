#pragma once

#include <cstdint>
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
  // What looks wrong in the header, as the conversion would warn.
  std::optional<std::string> Warning;
  // How many samples the sound holds; 0 when the conversion would be refused.
  std::uint64_t Samples = 0;
};

TMzfInfo DescribeMzf(const TMzfImage& Image, const TConversionSettings& Settings);

// The file name of the header: bytes 0x01 to 0x11 up to the first 0x0D,
// printable ASCII as it is and any other byte as '?'.
std::string HeaderFileName(const TMzfImage& Image);

}  // namespace kvetro
