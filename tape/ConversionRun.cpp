#include "tape/ConversionRun.h"

#include <memory>
#include <optional>
#include <string>

#include "io/InOutError.h"
#include "io/PlatformFile.h"
#include "io/StreamErrors.h"
#include "tape/InputCheck.h"
#include "tape/ReplacingOutput.h"
#include "tape/RunMessages.h"
#include "tape/SettingsCheck.h"
#include "tape/SignalRenderer.h"
#include "wave/WaveStream.h"

namespace kvetro {

namespace {

// The header may promise more body than the file holds; those bytes go out
// as zeros, which the user should hear about.
std::optional<std::string> MissingBodyWarning(const TMzfImage& Image) {
  const std::int64_t Missing = std::int64_t{Image.BodySize()} - Image.BodyBytesInFile();
  if (Missing == 0) {
    return std::nullopt;
  }
  return MissingBodyText(Image.BodySize(), Missing);
}

}  // namespace

TConversionRun::TConversionRun(const TConversionSettings& Settings, TConversionObserver& Observer)
    : FSettings(Settings), FObserver(Observer), FImage(std::make_unique<TMzfImage>()) {}

TConversionRun::~TConversionRun() = default;

bool TConversionRun::Refuse(const std::string& Text) {
  FObserver.Refused(Text);
  return false;
}

bool TConversionRun::CheckSettings() {
  if (const auto Refusal = SettingsRefusal(FSettings)) {
    return Refuse(*Refusal);
  }
  if (const auto Warning = SettingsWarning(FSettings)) {
    FObserver.Warning(*Warning);
  }
  return true;
}

bool TConversionRun::LoadFile(const std::string& Name) {
  try {
    FInputFile = Name;
    return Loaded(FImage->LoadFromFile(Name), Name);
  } catch (const EInOutError& Error) {
    return Refuse(Error.Message());
  }
}

bool TConversionRun::LoadBytes(const std::vector<std::uint8_t>& Bytes, const std::string& Name) {
  FInputFile.reset();
  return Loaded(FImage->Assign(Bytes.data(), Bytes.size()), Name);
}

bool TConversionRun::Loaded(TMzfImage::LoadResult Result, const std::string& Name) {
  switch (Result) {
    case TMzfImage::LoadResult::Loaded:
      break;
    case TMzfImage::LoadResult::TooLarge:
      return Refuse(FileTooLargeText);
    case TMzfImage::LoadResult::WaveFile:
      FObserver.WaveInputRefused(Name);
      return false;
  }
  // An empty body has no block for the loader on the target to read.
  if (FImage->BodySize() == 0) {
    return Refuse(BodySizeZeroText);
  }
  FPlan = PlanConversion(*FImage, FSettings);
  if (!FPlan->FitsWaveFile()) {
    return Refuse(OutputTooLargeText);
  }
  if (const auto Warning = HeaderWarning(*FImage)) {
    FObserver.Warning(*Warning);
  }
  if (const auto Warning = MissingBodyWarning(*FImage)) {
    FObserver.Warning(*Warning);
  }
  return true;
}

bool TConversionRun::Write(const std::string& OutputName, TOutputOpener& Outputs) {
  // Creating the output would truncate the input.
  if (FInputFile && PlatformSameFile(*FInputFile, OutputName)) {
    return Refuse(SameFileText);
  }
  FObserver.Writing();
  // The whole size goes into the header first, so the wave is written in
  // one forward pass: a pipe or a device can take it as well as a file.
  const std::unique_ptr<TConversionOutput> Output = Outputs.Open(OutputName, FPlan->FileSize());
  try {
    WriteWave(*FPlan, Output->Stream());
  } catch (const EWriteError&) {
    // The stream only knows that bytes were refused; the output knows
    // where they were going and why.
    throw Output->WriteFailure();
  }
  Output->Commit();
  FObserver.Written(OutputName, FPlan->DataSize(), FPlan->SampleRate);
  return true;
}

TRunOutcome TConversionRun::Execute(const std::string& InputName, const std::string& OutputName,
                                    TOutputOpener& Outputs) {
  const bool Done = CheckSettings() && LoadFile(InputName) && Write(OutputName, Outputs);
  return Done ? TRunOutcome::Written : TRunOutcome::Refused;
}

TRunOutcome TConversionRun::Execute(const std::vector<std::uint8_t>& Bytes,
                                    const std::string& InputName, const std::string& OutputName,
                                    TOutputOpener& Outputs) {
  const bool Done = CheckSettings() && LoadBytes(Bytes, InputName) && Write(OutputName, Outputs);
  return Done ? TRunOutcome::Written : TRunOutcome::Refused;
}

void TConversionRun::WriteWave(const TConversionPlan& Plan, TStream& Output) {
  TWaveStream Wave(Output);
  Wave.SetPCMFormat(Plan.SampleRate, 8, 1);
  Wave.AnnounceDataSize(static_cast<std::int32_t>(Plan.DataSize()));
  Wave.Open(true);

  // The samples follow the WAV header in the file.
  const TSampleLevels Levels = FSettings.InvertLevels ? TSampleLevels{}.Swapped() : TSampleLevels{};
  TSignalRenderer Renderer(Levels, TConversionPlan::WaveHeaderSize);
  // The loader file is built in a copy (64 KiB, kept off the stack): the
  // user's file stays as it was read for the body.
  const auto Loader = std::make_unique<TMzfImage>();
  for (const TPlannedFile& File : Plan.Files) {
    FObserver.FileStarts(File);
    Renderer.Run(Wave, PlannedImage(File, *FImage, FSettings.MonitorConstant, *Loader), File.Layout,
                 File.Timing, File.Values);
  }

  Wave.Close();
}

}  // namespace kvetro
