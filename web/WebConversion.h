#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tape/ConversionSettings.h"
#include "tape/MzfTape.h"

namespace kvetro {

// A file of the tape as the page lists it: "File 2 of 3 (tape.mzt)" and
// how many samples it plays (0 when the conversion is refused).
struct TWebTapeFile {
  std::string Label;
  std::uint64_t Samples = 0;
};

// What the page shows about the chosen files before they are converted: the
// same lines and refusal as kvetro-cli --info.
struct TWebDescription {
  std::string Text;
  std::optional<std::string> Refusal;
  std::optional<std::string> Warning;  // the headers' doubts, one line each, as kvetro-cli warns
  std::uint64_t Samples = 0;           // of the sound; 0 when refused
  std::vector<TWebTapeFile> Files;     // every file of the tape, in order
};

// Each input's name is the chosen file's name, as messages name it.
TWebDescription DescribeInputs(const std::vector<TTapeInput>& Inputs,
                               const TConversionSettings& Settings);

// One conversion in the page: the files' bytes go through the same run as
// kvetro-cli, and the WAV into memory.
struct TWebConversion {
  bool Written = false;
  // What kvetro-cli writes to standard error for the same files and
  // settings: the refusal or failure, or the warnings of a written WAV.
  std::string Messages;
  std::vector<std::uint8_t> Wave;  // the whole WAV file; empty unless written
};

TWebConversion ConvertInputs(const std::vector<TTapeInput>& Inputs,
                             const TConversionSettings& Settings);

}  // namespace kvetro
