#pragma once

#include <cstdint>
#include <string>

#include "tape/ConversionOutput.h"
#include "tape/ConversionPlan.h"
#include "tape/ConversionSettings.h"
#include "tape/ConversionUser.h"
#include "tape/MzfImage.h"
#include "tape/TapeSignal.h"

namespace kvetro {

enum class TRunOutcome { Written, Cancelled, Refused };

// One conversion of an MZF file into a WAV: with the fast loader, the loader
// file at the standard timing, then the user's body at the user's timing; in
// the machine's own layout, the whole file at the user's timing. The object lives for the
// whole process and owns the input buffer; each Execute is one run from the
// choice of the input to the closed output file. The settings are read once,
// when the run starts, and the input is read once: the loader is built in a
// copy, and the body goes out from the bytes as they were read.
class TConversionRun {
 public:
  TConversionRun();
  TConversionRun(const TConversionRun&) = delete;
  TConversionRun& operator=(const TConversionRun&) = delete;

  // Refusals (settings, an input that cannot be read or is a WAV file,
  // sizes):
  // User.ShowMessage(text), then Refused. Failures: the output name keeps
  // what it held, the start button and the timing boxes are put back, and
  // the exception goes on to the caller.
  TRunOutcome Execute(TConversionUser& User);
  // The same, with the output made by Outputs instead of in the file system.
  TRunOutcome Execute(TConversionUser& User, TOutputOpener& Outputs);
  // Swaps the LO and HI sample values, for players that invert the signal.
  void SetInvertLevels(bool Invert);
  const TMzfImage& Image() const { return FImage; }

 private:
  // ShowingOther: the timing boxes show another timing than the user's.
  void WriteWave(TConversionUser& User, const TConversionSettings& Settings,
                 const TConversionPlan& Plan, TStream& Output, bool& ShowingOther);

  TMzfImage FImage;  // the user's file as read
  TSampleLevels FLevels;
};

}  // namespace kvetro
