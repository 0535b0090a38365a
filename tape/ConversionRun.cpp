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

TConversionRun::TConversionRun(const TConversionSettings& Settings, TConversionObserver& Observer)
    : FSettings(Settings), FObserver(Observer) {}

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

bool TConversionRun::LoadFiles(const std::vector<std::string>& Names) {
  FTape = TMzfTape();
  FInputFiles = Names;
  for (const std::string& Name : Names) {
    try {
      if (!Added(FTape.AddFile(Name), Name)) {
        return false;
      }
    } catch (const EInOutError& Error) {
      return Refuse(Error.Message());
    }
  }
  return Loaded();
}

bool TConversionRun::LoadInputs(const std::vector<TTapeInput>& Inputs) {
  FTape = TMzfTape();
  FInputFiles.clear();
  for (const TTapeInput& Input : Inputs) {
    if (!Added(FTape.Add(Input), Input.Name)) {
      return false;
    }
  }
  return Loaded();
}

bool TConversionRun::Added(TMzfTape::TAddResult Result, const std::string& Name) {
  switch (Result) {
    case TMzfTape::TAddResult::Added:
      break;
    case TMzfTape::TAddResult::TooLarge:
      return Refuse(InputTooLargeText(Name));
    case TMzfTape::TAddResult::WaveFile:
      FObserver.WaveInputRefused(Name);
      return false;
  }
  return true;
}

bool TConversionRun::Loaded() {
  if (const auto Refusal = TapeRefusal(FTape, FSettings.Layout)) {
    return Refuse(*Refusal);
  }
  FPlan = PlanConversion(FTape, FSettings);
  if (!FPlan->FitsWaveFile()) {
    return Refuse(OutputTooLargeText);
  }
  for (const std::string& Warning : TapeWarnings(FTape, TWarningsFor::Conversion)) {
    FObserver.Warning(Warning);
  }
  return true;
}

bool TConversionRun::Write(const std::string& OutputName, TOutputOpener& Outputs) {
  // Creating the output would truncate an input.
  for (const std::string& Input : FInputFiles) {
    if (PlatformSameFile(Input, OutputName)) {
      return Refuse(SameFileText);
    }
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

TRunOutcome TConversionRun::Executed(bool Loaded, const std::string& OutputName,
                                     TOutputOpener& Outputs) {
  return Loaded && Write(OutputName, Outputs) ? TRunOutcome::Written : TRunOutcome::Refused;
}

TRunOutcome TConversionRun::Execute(const std::string& InputName, const std::string& OutputName,
                                    TOutputOpener& Outputs) {
  return Executed(CheckSettings() && LoadFile(InputName), OutputName, Outputs);
}

TRunOutcome TConversionRun::Execute(const std::vector<std::uint8_t>& Bytes,
                                    const std::string& InputName, const std::string& OutputName,
                                    TOutputOpener& Outputs) {
  return Executed(CheckSettings() && LoadBytes(Bytes, InputName), OutputName, Outputs);
}

TRunOutcome TConversionRun::Execute(const std::vector<std::string>& InputNames,
                                    const std::string& OutputName, TOutputOpener& Outputs) {
  return Executed(CheckSettings() && LoadFiles(InputNames), OutputName, Outputs);
}

TRunOutcome TConversionRun::Execute(const std::vector<TTapeInput>& Inputs,
                                    const std::string& OutputName, TOutputOpener& Outputs) {
  return Executed(CheckSettings() && LoadInputs(Inputs), OutputName, Outputs);
}

void TConversionRun::WriteWave(const TConversionPlan& Plan, TStream& Output) {
  TWaveStream Wave(Output);
  Wave.SetPCMFormat(Plan.SampleRate, 8, 1);
  Wave.AnnounceDataSize(static_cast<std::int32_t>(Plan.DataSize()));
  Wave.Open(true);

  // The samples follow the WAV header in the file.
  const TSampleLevels Levels = FSettings.InvertLevels ? TSampleLevels{}.Swapped() : TSampleLevels{};
  TSignalRenderer Renderer(Levels, TConversionPlan::WaveHeaderSize);
  // The loader file is built in a copy (64 KiB each, kept off the stack):
  // the user's file stays as it was read for the body.
  const auto Image = std::make_unique<TMzfImage>();
  const auto Loader = std::make_unique<TMzfImage>();
  std::optional<std::size_t> Loaded;
  for (const TPlannedFile& File : Plan.Files) {
    if (Loaded != File.Image) {
      FTape.Fill(File.Image, *Image);
      Loaded = File.Image;
    }
    FObserver.FileStarts(File);
    Renderer.Run(Wave, PlannedImage(File, *Image, FSettings.MonitorConstant, *Loader), File.Layout,
                 File.Timing, File.Values);
  }

  Wave.Close();
}

}  // namespace kvetro
