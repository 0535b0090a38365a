#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "tape/ConversionOutput.h"
#include "tape/ConversionUser.h"
#include "tape/MzfImage.h"
#include "tape/TapeEncoder.h"

namespace kvetro {

enum class TRunOutcome { Written, Cancelled, Refused };

// One conversion of an MZF file into a WAV: the loader file at the standard
// timing, then the user's body at the user's timing. The object lives for the
// whole process and owns the input buffer and the encoder; each Execute is one
// run from the choice of the input to the closed output file.
class TConversionRun {
 public:
  TConversionRun();
  TConversionRun(const TConversionRun&) = delete;
  TConversionRun& operator=(const TConversionRun&) = delete;

  // Refusals: User.ShowMessage(text), then Refused. Failures: the output
  // name keeps what it held, the start button and the timing boxes are put
  // back, and the exception goes on to the caller.
  TRunOutcome Execute(TConversionUser& User);
  // The same, with the output made by Outputs instead of in the file system.
  TRunOutcome Execute(TConversionUser& User, TOutputOpener& Outputs);
  // Swaps the LO and HI sample values, for players that invert the signal.
  void SetInvertLevels(bool Invert);
  const TMzfImage& Image() const { return FImage; }

 private:
  struct TSavedTiming {
    std::array<std::int32_t, 4> Values{};
    bool Active = false;  // the boxes show the standard timing
  };

  TRunOutcome WriteOutput(TConversionUser& User, const std::string& InputName,
                          TConversionOutput& Output, std::uint64_t DataSize, TSavedTiming& Saved);
  TRunOutcome WriteWave(TConversionUser& User, const std::string& InputName,
                        TConversionOutput& Output, std::uint64_t DataSize, TSavedTiming& Saved);
  void RunEncoder();

  TMzfImage FImage;
  TTapeEncoder FEncoder;
};

}  // namespace kvetro
