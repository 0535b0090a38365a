#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tape/ConversionPlan.h"
#include "tape/ConversionSettings.h"
#include "tape/MzfImage.h"
#include "tape/MzfTape.h"

namespace kvetro {

// What a loaded MZF file holds and how its conversion with the given
// settings would go, before anything is written: the header's fields, how
// much of the body the file holds, the planned tape files, and the refusal or
// warning the conversion would give. kvetro-cli --info and the page print it
// (tape/MzfInfoText.h).
struct TMzfInfo {
  TConversionSettings Settings;
  std::int32_t FileLength = 0;
  std::uint8_t Type = 0;
  std::vector<std::uint8_t> Name;  // the machine's character codes
  std::uint16_t BodySize = 0;
  std::uint16_t LoadAddress = 0;
  std::uint16_t ExecAddress = 0;
  std::int32_t BodyInFile = 0;   // of BodySize
  std::int32_t AfterHeader = 0;  // bytes of the file behind the header
  // Missing when the settings or a body of 0 bytes make no conversion.
  std::optional<TConversionPlan> Plan;
  // Set when the conversion would be refused; the refusal's own text.
  std::optional<std::string> Refusal;
  // What looks wrong in the header, as the conversion would warn.
  std::optional<std::string> Warning;
  // How many samples the sound holds; 0 when the conversion would be refused.
  std::uint64_t Samples = 0;
};

TMzfInfo DescribeMzf(const TMzfImage& Image, const TConversionSettings& Settings);

// The same for a tape of one or more files (tape/MzfTape.h): each file's
// header fields and playing time, and the conversion of all of them.
struct TTapeFileInfo {
  std::string Label;  // "File 2 of 3 (tape.mzt)"
  // The header's fields; the plan, refusal and warning are the tape's.
  TMzfInfo Header;
  std::uint64_t Samples = 0;  // its tape files' in the plan; 0 without a plan
};

struct TTapeInfo {
  TConversionSettings Settings;
  // Every file of the tape; none when one of them is 64 KiB or larger.
  std::vector<TTapeFileInfo> Files;
  // The fields below as in TMzfInfo, for the whole tape; each warning said
  // of its file.
  std::optional<TConversionPlan> Plan;
  std::optional<std::string> Refusal;
  std::vector<std::string> Warnings;
  std::uint64_t Samples = 0;
};

TTapeInfo DescribeTape(const TMzfTape& Tape, const TConversionSettings& Settings);

}  // namespace kvetro
