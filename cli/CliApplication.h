#pragma once

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliSettings.h"
#include "tape/ConversionRun.h"

namespace kvetro {

// Exit statuses of kvetro-cli.
inline constexpr int ExitWritten = 0;
inline constexpr int ExitFailed = 1;  // refused or failed; nothing was written
inline constexpr int ExitUsage = 2;

// The command-line program: reads its arguments, then converts or describes
// the MZF files of one or more MZF or MZT files, or reads a recording back.
class TCliApplication {
 public:
  // Text goes to Out and Errors; a WAV asked for as "-" goes to WaveOutput.
  TCliApplication(std::ostream& Out, std::ostream& Errors, std::FILE* WaveOutput);

  // Arguments without the program's name; answers the exit status.
  int Run(const std::vector<std::string>& Arguments);

 private:
  int Convert(const TCliSettings& Settings);
  int ConvertToStandardOutput(const TCliSettings& Settings);
  int ExecuteRun(const TCliSettings& Settings, TOutputOpener& Outputs);
  int Describe(const TCliSettings& Settings);

  std::ostream& FOut;
  std::ostream& FErrors;
  std::FILE* FWaveOutput;
};

}  // namespace kvetro
