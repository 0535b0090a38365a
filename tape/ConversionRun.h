#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tape/ConversionObserver.h"
#include "tape/ConversionOutput.h"
#include "tape/ConversionPlan.h"
#include "tape/ConversionSettings.h"
#include "tape/MzfImage.h"

namespace kvetro {

enum class TRunOutcome { Written, Refused };

// One conversion of an MZF file into a WAV: with the fast loader, the loader
// file at the standard timing, then the user's body at the user's timing; in
// the machine's own layout, the whole file at the user's timing. The settings
// are a value, fixed for the run; the input is read once, from a file or from
// bytes: the loader is built in a copy, and the body goes out from the bytes
// as they were read. What happens goes to the observer.
//
// A run is three steps, each false when it was refused (the observer has been
// told why): CheckSettings, then LoadFile or LoadBytes, then Write. A front end
// that asks for the files in between (the window) calls them one by one;
// Execute makes them in a row.
class TConversionRun {
 public:
  TConversionRun(const TConversionSettings& Settings, TConversionObserver& Observer);
  TConversionRun(const TConversionRun&) = delete;
  TConversionRun& operator=(const TConversionRun&) = delete;
  ~TConversionRun();

  // Refuses settings that make no conversion; warns about doubtful ones.
  bool CheckSettings();
  // Reads the named file whole; a file that cannot be read is refused with
  // the reason.
  bool LoadFile(const std::string& Name);
  // Takes the file's bytes; Name is how messages call it.
  bool LoadBytes(const std::vector<std::uint8_t>& Bytes, const std::string& Name);
  // Writes the loaded file (after a load that was not refused) to the output
  // that Outputs opens as OutputName. Failures: the output name keeps what
  // it held, and the exception goes on to the caller.
  bool Write(const std::string& OutputName, TOutputOpener& Outputs);

  // The steps in a row.
  TRunOutcome Execute(const std::string& InputName, const std::string& OutputName,
                      TOutputOpener& Outputs);
  TRunOutcome Execute(const std::vector<std::uint8_t>& Bytes, const std::string& InputName,
                      const std::string& OutputName, TOutputOpener& Outputs);

  // The user's file as read.
  const TMzfImage& Image() const { return *FImage; }

 private:
  bool Refuse(const std::string& Text);
  bool Loaded(TMzfImage::LoadResult Result, const std::string& Name);
  void WriteWave(const TConversionPlan& Plan, TStream& Output);

  TConversionSettings FSettings;
  TConversionObserver& FObserver;
  std::unique_ptr<TMzfImage> FImage;  // 64 KiB, kept off the stack
  std::optional<TConversionPlan> FPlan;
  // The input's file name when it came from a file: the output must not be
  // that file.
  std::optional<std::string> FInputFile;
};

}  // namespace kvetro
