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
// module's memory and is removed after each conversion; the WAV goes
// straight into memory.
constexpr const char* Folder = "/kvetro";
constexpr const char* InputName = "/kvetro/input.mzf";
constexpr const char* OutputName = "/kvetro/output.wav";

void WriteWhole(const char* Name, const std::vector<std::uint8_t>& Bytes) {
  std::filesystem::create_directories(Folder);
  std::ofstream Out(Name, std::ios::binary | std::ios::trunc);
  Out.write(reinterpret_cast<const char*>(Bytes.data()),
            static_cast<std::streamsize>(Bytes.size()));
  if (!Out.flush()) {
    throw Exception(std::string("Cannot write ") + Name + " in the page's memory");
  }
}

void RemoveFiles() {
  std::error_code Ignored;
  std::filesystem::remove(InputName, Ignored);
}

}  // namespace

TWebDescription DescribeBytes(const std::vector<std::uint8_t>& Bytes,
                              const TConversionSettings& Settings) {
  // 64 KiB: kept off the stack.
  const auto Image = std::make_unique<TMzfImage>();
  if (Image->Assign(Bytes.data(), Bytes.size()) == TMzfImage::LoadResult::TooLarge) {
    return {"", FileTooLargeText};
  }
  const TMzfInfo Info = DescribeMzf(*Image, Settings);
  return {Info.Text, Info.Refusal};
}

TWebConversion ConvertBytes(const std::vector<std::uint8_t>& Bytes, const TCliSettings& Settings) {
  TWebConversion Result;
  std::ostringstream Errors;
  try {
    WriteWhole(InputName, Bytes);
    TCliSettings RunSettings = Settings;
    RunSettings.InputName = InputName;
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
  RemoveFiles();
  Result.Messages = Errors.str();
  return Result;
}

}  // namespace kvetro
