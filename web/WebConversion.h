#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tape/ConversionSettings.h"

namespace kvetro {

// What the page shows about a chosen file before it is converted: the same
// lines and refusal as kvetro-cli --info.
struct TWebDescription {
  std::string Text;
  std::optional<std::string> Refusal;
  std::optional<std::string> Warning;  // the header's doubts, as kvetro-cli warns
  std::uint64_t Samples = 0;           // of the sound; 0 when refused
};

// FileName is the chosen file's name, as messages name it.
TWebDescription DescribeBytes(const std::vector<std::uint8_t>& Bytes,
                              const TConversionSettings& Settings, const std::string& FileName);

// One conversion in the page: the file's bytes go through the same run as
// kvetro-cli, and the WAV into memory.
struct TWebConversion {
  bool Written = false;
  // What kvetro-cli writes to standard error for the same file and settings:
  // the refusal or failure, or the warnings of a written WAV.
  std::string Messages;
  std::vector<std::uint8_t> Wave;  // the whole WAV file; empty unless written
};

TWebConversion ConvertBytes(const std::vector<std::uint8_t>& Bytes,
                            const TConversionSettings& Settings, const std::string& FileName);

}  // namespace kvetro
