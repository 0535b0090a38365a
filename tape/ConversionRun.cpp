#include "tape/ConversionRun.h"

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "io/InOutError.h"
#include "io/PlatformFile.h"
#include "io/StreamErrors.h"
#include "tape/ConversionPlan.h"
#include "tape/InputCheck.h"
#include "tape/ReplacingOutput.h"
#include "tape/RunMessages.h"
#include "tape/SettingsCheck.h"
#include "tape/SignalRenderer.h"
#include "wave/WaveStream.h"

namespace kvetro {

namespace {

constexpr std::array<TimingBox, 4> kBoxes = {TimingBox::Log0Lo, TimingBox::Log0Hi,
                                             TimingBox::Log1Lo, TimingBox::Log1Hi};

TConversionSettings ReadSettings(TConversionUser& User) {
  TConversionSettings Settings;
  for (const TimingBox Box : kBoxes) {
    Settings.UserTiming.Set(Box, User.ReadTiming(Box));
  }
  Settings.MonitorConstant = User.MonitorConstant();
  Settings.LoaderGap = User.LoaderGap();
  Settings.BodyGap = User.BodyGap();
  Settings.Layout = User.Layout();
  Settings.SampleRate = User.SampleRate();
  return Settings;
}

void ShowTiming(TConversionUser& User, const PulseTiming& Timing) {
  for (const TimingBox Box : kBoxes) {
    User.WriteTiming(Box, Timing.Get(Box));
  }
}

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

TConversionRun::TConversionRun() = default;

void TConversionRun::SetInvertLevels(bool Invert) {
  FLevels = Invert ? TSampleLevels{}.Swapped() : TSampleLevels{};
}

TRunOutcome TConversionRun::Execute(TConversionUser& User) {
  TFileOutputOpener Files;
  return Execute(User, Files);
}

TRunOutcome TConversionRun::Execute(TConversionUser& User, TOutputOpener& Outputs) {
  const auto Refuse = [&User](const std::string& Text) {
    User.ShowMessage(Text);
    return TRunOutcome::Refused;
  };

  // Read once, now: every check below and both passes see these values,
  // whatever the window's boxes hold later.
  const TConversionSettings Settings = ReadSettings(User);
  if (const auto Refusal = SettingsRefusal(Settings)) {
    return Refuse(*Refusal);
  }
  if (const auto Warning = SettingsWarning(Settings)) {
    User.ShowWarning(*Warning);
  }

  const std::optional<std::string> InputName = User.ChooseInputFile();
  if (!InputName) {
    return TRunOutcome::Cancelled;
  }
  try {
    switch (FImage.LoadFromFile(*InputName)) {
      case TMzfImage::LoadResult::Loaded:
        break;
      case TMzfImage::LoadResult::TooLarge:
        return Refuse(FileTooLargeText);
      case TMzfImage::LoadResult::WaveFile:
        User.ShowWaveInputRefused(*InputName);
        return TRunOutcome::Refused;
    }
  } catch (const EInOutError& Error) {
    return Refuse(Error.Message());
  }
  // An empty body has no block for the loader on the target to read.
  if (FImage.BodySize() == 0) {
    return Refuse(BodySizeZeroText);
  }
  const TConversionPlan Plan = PlanConversion(FImage, Settings);
  if (!Plan.FitsWaveFile()) {
    return Refuse(OutputTooLargeText);
  }
  if (const auto Warning = HeaderWarning(FImage)) {
    User.ShowWarning(*Warning);
  }
  if (const auto Warning = MissingBodyWarning(FImage)) {
    User.ShowWarning(*Warning);
  }

  const std::optional<std::string> OutputName = User.ChooseOutputFile();
  if (!OutputName) {
    return TRunOutcome::Cancelled;
  }
  // Creating the output would truncate the input.
  if (PlatformSameFile(*InputName, *OutputName)) {
    return Refuse(SameFileText);
  }

  User.SetStartEnabled(false);
  bool ShowingStandard = false;
  try {
    // The whole size goes into the header first, so the wave is written in
    // one forward pass: a pipe or a device can take it as well as a file.
    const std::unique_ptr<TConversionOutput> Output = Outputs.Open(*OutputName, Plan.FileSize());
    try {
      WriteWave(User, Settings, Plan, Output->Stream(), ShowingStandard);
    } catch (const EWriteError&) {
      // The stream only knows that bytes were refused; the output knows
      // where they were going and why.
      throw Output->WriteFailure();
    }
    Output->Commit();
  } catch (...) {
    if (ShowingStandard) {
      ShowTiming(User, Settings.UserTiming);
    }
    User.SetStartEnabled(true);
    throw;
  }
  User.SetStartEnabled(true);
  User.ShowWritten(*OutputName, Plan.DataSize(), Plan.SampleRate);
  return TRunOutcome::Written;
}

void TConversionRun::WriteWave(TConversionUser& User, const TConversionSettings& Settings,
                               const TConversionPlan& Plan, TStream& Output, bool& ShowingOther) {
  TWaveStream Wave(Output);
  Wave.SetPCMFormat(Plan.SampleRate, 8, 1);
  Wave.AnnounceDataSize(static_cast<std::int32_t>(Plan.DataSize()));
  Wave.Open(true);

  // The samples follow the WAV header in the file.
  TSignalRenderer Renderer(FLevels, TConversionPlan::WaveHeaderSize);
  // The loader file is built in a copy (64 KiB, kept off the stack): the
  // user's file stays as it was read for the body.
  const auto Loader = std::make_unique<TMzfImage>();
  for (const TPlannedFile& File : Plan.Files) {
    // A file at another timing than the user's (the loader file at the
    // standard timing) shows its timing in the boxes while it is written.
    // Marked before the boxes change, so that a failure halfway puts the
    // user's timing back.
    if (File.FromLoader) {
      ShowingOther = true;
      ShowTiming(User, PulseTiming::Standard());
    } else if (ShowingOther) {
      ShowTiming(User, Settings.UserTiming);
      ShowingOther = false;
    }
    User.ProcessMessages();
    Renderer.Run(Wave, PlannedImage(File, FImage, Settings.MonitorConstant, *Loader), File.Layout,
                 File.Timing, File.Values);
  }

  Wave.Close();
}

}  // namespace kvetro
