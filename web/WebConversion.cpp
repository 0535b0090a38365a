#include "web/WebConversion.h"

#include <exception>
#include <memory>
#include <new>
#include <sstream>
#include <utility>

#include "tape/ConversionRun.h"
#include "tape/MemoryOutput.h"
#include "tape/MzfInfo.h"
#include "tape/MzfInfoText.h"
#include "tape/RunMessages.h"
#include "tape/TextObserver.h"

namespace kvetro {

namespace {

// What the page's WAV is called where a message names it.
constexpr const char* OutputName = "/kvetro-output/output.wav";

// The chosen file's name as messages say it, unless it cannot be a file's
// name in a folder.
std::string InputName(const std::string& FileName) {
  const bool Plain = !FileName.empty() && FileName != "." && FileName != ".." &&
                     FileName.find('/') == std::string::npos;
  return Plain ? FileName : "input.mzf";
}

// The inputs with their names as messages say them.
std::vector<TTapeInput> Named(const std::vector<TTapeInput>& Inputs) {
  std::vector<TTapeInput> Result = Inputs;
  for (TTapeInput& Input : Result) {
    Input.Name = InputName(Input.Name);
  }
  return Result;
}

}  // namespace

TWebDescription DescribeInputs(const std::vector<TTapeInput>& Inputs,
                               const TConversionSettings& Settings) {
  TMzfTape Tape;
  for (TTapeInput& Input : Named(Inputs)) {
    const std::string Name = Input.Name;
    switch (Tape.Add(std::move(Input))) {
      case TMzfTape::TAddResult::Added:
        break;
      case TMzfTape::TAddResult::TooLarge:
        return {"", InputTooLargeText(Name), std::nullopt, 0, {}};
      case TMzfTape::TAddResult::WaveFile:
        return {"", WaveInputRefusal(Name), std::nullopt, 0, {}};
    }
  }
  const TTapeInfo Info = DescribeTape(Tape, Settings);
  TWebDescription Description{TapeInfoText(Info), Info.Refusal, std::nullopt, Info.Samples, {}};
  std::string Warnings;
  for (const std::string& Warning : Info.Warnings) {
    Warnings += (Warnings.empty() ? "" : "\n") + std::string(WarningPrefix) + Warning;
  }
  if (!Warnings.empty()) {
    Description.Warning = Warnings;
  }
  for (const TTapeFileInfo& File : Info.Files) {
    Description.Files.push_back({File.Label, File.Samples});
  }
  return Description;
}

TWebConversion ConvertInputs(const std::vector<TTapeInput>& Inputs,
                             const TConversionSettings& Settings) {
  TWebConversion Result;
  std::ostringstream Errors;
  try {
    TTextObserver Observer(Errors);
    TConversionRun Run(Settings, Observer);
    TMemoryOutputs Outputs;
    Result.Written = Run.Execute(Named(Inputs), OutputName, Outputs) == TRunOutcome::Written;
    if (Result.Written) {
      Result.Wave = Outputs.Latest().Bytes;
    }
  } catch (const std::bad_alloc&) {
    // A long sound at slow pulses can pass what the browser lends the page.
    Errors << "Not enough memory in the browser for this WAV\n";
    Result.Written = false;
    Result.Wave.clear();
  } catch (const std::exception& Error) {
    // Every failure of the run carries the text the user is shown.
    Errors << Error.what() << '\n';
    Result.Written = false;
    Result.Wave.clear();
  }
  Result.Messages = Errors.str();
  return Result;
}

}  // namespace kvetro
