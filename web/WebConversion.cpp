#include "web/WebConversion.h"

#include <exception>
#include <memory>
#include <new>
#include <sstream>

#include "tape/ConversionRun.h"
#include "tape/MemoryOutput.h"
#include "tape/MzfImage.h"
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

}  // namespace

TWebDescription DescribeBytes(const std::vector<std::uint8_t>& Bytes,
                              const TConversionSettings& Settings, const std::string& FileName) {
  // 64 KiB: kept off the stack.
  const auto Image = std::make_unique<TMzfImage>();
  switch (Image->Assign(Bytes.data(), Bytes.size())) {
    case TMzfImage::LoadResult::Loaded:
      break;
    case TMzfImage::LoadResult::TooLarge:
      return {"", FileTooLargeText, std::nullopt, 0};
    case TMzfImage::LoadResult::WaveFile:
      return {"", WaveInputRefusal(InputName(FileName)), std::nullopt, 0};
  }
  const TMzfInfo Info = DescribeMzf(*Image, Settings);
  std::optional<std::string> Warning;
  if (Info.Warning) {
    Warning = WarningPrefix + *Info.Warning;
  }
  return {MzfInfoText(Info), Info.Refusal, Warning, Info.Samples};
}

TWebConversion ConvertBytes(const std::vector<std::uint8_t>& Bytes,
                            const TConversionSettings& Settings, const std::string& FileName) {
  TWebConversion Result;
  std::ostringstream Errors;
  try {
    TTextObserver Observer(Errors);
    TConversionRun Run(Settings, Observer);
    TMemoryOutputs Outputs;
    Result.Written =
        Run.Execute(Bytes, InputName(FileName), OutputName, Outputs) == TRunOutcome::Written;
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
