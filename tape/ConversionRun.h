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
#include "tape/MzfTape.h"

namespace kvetro {

enum class TRunOutcome { Written, Refused };

// One conversion of a tape, the MZF files of one or more input files
// (tape/MzfTape.h), into a WAV: with the fast loader, the loader file at the
// standard timing, then the user's body at the user's timing, for a tape of
// one file; in the machine's own layout, every file whole at the user's
// timing, one after the other. The settings are a value, fixed for the run;
// the input is read once, from files or from bytes: the loader is built in a
// copy, and the files go out from the bytes as they were read. What happens
// goes to the observer.
//
// A run is three steps, each false when it was refused (the observer has been
// told why): CheckSettings, then a load (LoadFile, LoadFiles, LoadBytes or
// LoadInputs), then Write. A front end that asks for the files in between
// (the window) calls them one by one; Execute makes them in a row.
class TConversionRun {
 public:
  TConversionRun(const TConversionSettings& Settings, TConversionObserver& Observer);
  TConversionRun(const TConversionRun&) = delete;
  TConversionRun& operator=(const TConversionRun&) = delete;
  ~TConversionRun();

  // Refuses settings that make no conversion; warns about doubtful ones.
  bool CheckSettings();
  // Reads the named files whole, in order, into one tape; a file that cannot
  // be read is refused with the reason.
  bool LoadFiles(const std::vector<std::string>& Names);
  bool LoadFile(const std::string& Name) { return LoadFiles({Name}); }
  // Takes the files' bytes; their names are how messages call them.
  bool LoadInputs(const std::vector<TTapeInput>& Inputs);
  bool LoadBytes(const std::vector<std::uint8_t>& Bytes, const std::string& Name) {
    return LoadInputs({{Name, Bytes}});
  }
  // Writes the loaded tape (after a load that was not refused) to the output
  // that Outputs opens as OutputName. Failures: the output name keeps what
  // it held, and the exception goes on to the caller.
  bool Write(const std::string& OutputName, TOutputOpener& Outputs);

  // The steps in a row.
  TRunOutcome Execute(const std::string& InputName, const std::string& OutputName,
                      TOutputOpener& Outputs);
  TRunOutcome Execute(const std::vector<std::uint8_t>& Bytes, const std::string& InputName,
                      const std::string& OutputName, TOutputOpener& Outputs);
  TRunOutcome Execute(const std::vector<std::string>& InputNames, const std::string& OutputName,
                      TOutputOpener& Outputs);
  TRunOutcome Execute(const std::vector<TTapeInput>& Inputs, const std::string& OutputName,
                      TOutputOpener& Outputs);

  // The user's files as read.
  const TMzfTape& Tape() const { return FTape; }

 private:
  bool Refuse(const std::string& Text);
  bool Added(TMzfTape::TAddResult Result, const std::string& Name);
  bool Loaded();
  TRunOutcome Executed(bool Loaded, const std::string& OutputName, TOutputOpener& Outputs);
  void WriteWave(const TConversionPlan& Plan, TStream& Output);

  TConversionSettings FSettings;
  TConversionObserver& FObserver;
  TMzfTape FTape;
  std::optional<TConversionPlan> FPlan;
  // The input files' names when they came from files: the output must not be
  // one of them.
  std::vector<std::string> FInputFiles;
};

}  // namespace kvetro
