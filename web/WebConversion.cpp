#include "web/WebConversion.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <sstream>

#include "cli/CommandLineUser.h"
#include "cli/MzfInfo.h"
#include "io/Exception.h"
#include "tape/ConversionRun.h"
#include "tape/MemoryOutput.h"
#include "tape/MzfImage.h"
#include "tape/RunMessages.h"

namespace kvetro {

namespace {

// The run reads its input from a named file, which in the page lives in the
// module's memory, in a folder of its own that is the current one, and is
// removed after each conversion: the run's messages name it as the user
// chose it. The WAV goes straight into memory.
constexpr const char* Folder = "/kvetro";
constexpr const char* OutputName = "/kvetro-output/output.wav";

// The chosen file's name, unless it cannot be a name in the folder.
std::string InputName(const std::string& FileName) {
  const bool Plain = !FileName.empty() && FileName != "." && FileName != ".." &&
                     FileName.find('/') == std::string::npos;
  return Plain ? FileName : "input.mzf";
}

void WriteWhole(const std::string& Name, const std::vector<std::uint8_t>& Bytes) {
  std::filesystem::create_directories(Folder);
  std::filesystem::current_path(Folder);
  std::ofstream Out(Name, std::ios::binary | std::ios::trunc);
  Out.write(reinterpret_cast<const char*>(Bytes.data()),
            static_cast<std::streamsize>(Bytes.size()));
  if (!Out.flush()) {
    throw Exception("Cannot write " + Name + " in the page's memory");
  }
}

void RemoveFile(const std::string& Name) {
  std::error_code Ignored;
  std::filesystem::remove(Name, Ignored);
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
  return {Info.Text, Info.Refusal, Warning, Info.Samples};
}

TWebConversion ConvertBytes(const std::vector<std::uint8_t>& Bytes, const TCliSettings& Settings,
                            const std::string& FileName) {
  TWebConversion Result;
  std::ostringstream Errors;
  const std::string Input = InputName(FileName);
  try {
    WriteWhole(Input, Bytes);
    TCliSettings RunSettings = Settings;
    RunSettings.InputName = Input;
    RunSettings.OutputName = OutputName;
    TCommandLineUser User(RunSettings, OutputName, Errors);
    const auto Run = std::make_unique<TConversionRun>();
    Run->SetInvertLevels(Settings.InvertLevels);
    TMemoryOutputs Outputs;
    Result.Written = Run->Execute(User, Outputs) == TRunOutcome::Written;
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
  RemoveFile(Input);
  Result.Messages = Errors.str();
  return Result;
}

}  // namespace kvetro
