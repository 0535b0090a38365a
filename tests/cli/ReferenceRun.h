#pragma once

#include <string>
#include <vector>

#include "CliTestFiles.h"
#include "tape/ConversionPlan.h"

namespace kvetro::test {

// What the conversion run itself writes for a file and settings, driven by a
// scripted user as the window would drive it: the WAV that kvetro-cli must
// reproduce byte for byte.
struct TReference {
  TBytes Wave;
  std::vector<std::string> Messages;
  std::vector<std::string> Warnings;
};

TReference ReferenceWave(const std::string& InputName, const std::string& OutputName,
                         const TConversionSettings& Settings, bool InvertLevels = false);

}  // namespace kvetro::test
