#include "tape/ConversionRun.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "tape/ConversionPlan.h"
#include "tape/FastLoaderFile.h"
#include "tape/InOutError.h"
#include "tape/ReplacingOutput.h"
#include "tape/RunMessages.h"
#include "tape/SignalRenderer.h"
#include "wave/PlatformFile.h"
#include "wave/StreamErrors.h"
#include "wave/WaveFileStream.h"

namespace kvetro {

namespace {

constexpr std::array<TimingBox, 4> kBoxes = {TimingBox::Log0Lo, TimingBox::Log0Hi,
                                             TimingBox::Log1Lo, TimingBox::Log1Hi};

// What the timing boxes show; nothing changes them while a pass is written.
PulseTiming ShownTiming(TConversionUser& User) {
  PulseTiming Timing;
  for (const TimingBox Box : kBoxes) {
    Timing.Set(Box, User.ReadTiming(Box));
  }
  return Timing;
}

TConversionSettings ReadSettings(TConversionUser& User) {
  TConversionSettings Settings;
  Settings.UserTiming = ShownTiming(User);
  Settings.MonitorConstant = User.MonitorConstant();
  Settings.LoaderGap = User.LoaderGap();
  Settings.BodyGap = User.BodyGap();
  return Settings;
}

// The header may promise more body than the file holds; those bytes go out
// as zeros, which the user should hear about.
std::optional<std::string> MissingBodyWarning(const TMzfImage& Image) {
  const std::int64_t Size = Image.BodySize();
  const std::int64_t Missing = Size - Image.BodyBytesInFile();
  if (Missing == 0) {
    return std::nullopt;
  }
  return "Body size " + std::to_string(Size) +
         " runs past the end of the file: " + std::to_string(Missing) +
         (Missing == 1 ? " byte" : " bytes") + " missing, sent as zeros";
}

}  // namespace

TConversionRun::TConversionRun() = default;

void TConversionRun::SetInvertLevels(bool Invert) {
  FLevels = Invert ? TSampleLevels{}.Swapped() : TSampleLevels{};
}

TRunOutcome TConversionRun::Execute(TConversionUser& User) {
  const auto Refuse = [&User](const char* Text) {
    User.ShowMessage(Text);
    return TRunOutcome::Refused;
  };

  // The encoder's pulse counter is unsigned: a negative gap would mean no gap
  // at best, so it is refused before anything is asked.
  if (User.LoaderGap() < 0 || User.BodyGap() < 0) {
    return Refuse(NegativeGapText);
  }

  const std::optional<std::string> InputName = User.ChooseInputFile();
  if (!InputName) {
    return TRunOutcome::Cancelled;
  }
  try {
    if (FImage.LoadFromFile(*InputName) == TMzfImage::LoadResult::TooLarge) {
      return Refuse(FileTooLargeText);
    }
  } catch (const EInOutError&) {
    return Refuse(LoadFailedText);
  }
  // An empty body has no block for the loader on the target to read.
  if (FImage.BodySize() == 0) {
    return Refuse(BodySizeZeroText);
  }
  if (!PlanConversion(FImage, ReadSettings(User)).FitsWaveFile()) {
    return Refuse(OutputTooLargeText);
  }
  if (const auto Warning = MissingBodyWarning(FImage)) {
    User.ShowWarning(*Warning);
  }

  const std::optional<std::string> OutputName = User.ChooseOutputFile();
  if (!OutputName) {
    return TRunOutcome::Cancelled;
  }
  // Creating the output would truncate the input before its second load.
  if (PlatformSameFile(*InputName, *OutputName)) {
    return Refuse(SameFileText);
  }

  User.SetStartEnabled(false);
  TSavedTiming Saved;
  try {
    const TRunOutcome Outcome = WriteOutput(User, *InputName, *OutputName, Saved);
    User.SetStartEnabled(true);
    return Outcome;
  } catch (...) {
    if (Saved.Active) {
      for (std::size_t I = 0; I < kBoxes.size(); ++I) {
        User.WriteTiming(kBoxes[I], Saved.Values[I]);
      }
    }
    User.SetStartEnabled(true);
    throw;
  }
}

TRunOutcome TConversionRun::WriteOutput(TConversionUser& User, const std::string& InputName,
                                        const std::string& OutputName, TSavedTiming& Saved) {
  // Declared before the stream so that the stream is closed before an
  // unfinished temporary file is removed.
  TReplacingOutput Target(OutputName);
  std::unique_ptr<TWaveFileStream> Wave;
  try {
    Wave = std::make_unique<TWaveFileStream>(Target.WriteName(), fmCreate);
  } catch (const EFCreateError&) {
    throw EFCreateError(OutputName);  // the name the user knows, not the temporary one
  }
  Wave->SetPCMFormat(44100, 8, 1);
  Wave->Open(true);

  // The loader file goes out at the standard timing, shown in the boxes
  // while it is written.
  for (std::size_t I = 0; I < kBoxes.size(); ++I) {
    Saved.Values[I] = User.ReadTiming(kBoxes[I]);
  }
  Saved.Active = true;
  for (const TimingBox Box : kBoxes) {
    User.WriteTiming(Box, PulseTiming::Standard().Get(Box));
  }
  User.ProcessMessages();

  // The samples follow the WAV header in the file.
  TSignalRenderer Renderer(FLevels, TConversionPlan::WaveHeaderSize);
  const std::uint16_t LoaderLength = BuildFastLoaderFile(FImage, User.MonitorConstant());
  const TRunValues LoaderValues{User.LoaderGap(), User.BodyGap(), LoaderLength};
  Renderer.FullRun(*Wave, FImage, ShownTiming(User), LoaderValues);

  for (std::size_t I = 0; I < kBoxes.size(); ++I) {
    User.WriteTiming(kBoxes[I], Saved.Values[I]);
  }
  Saved.Active = false;
  User.ProcessMessages();

  // The loader build overwrote the user's header and the start of the body;
  // the second load puts the file back.
  if (FImage.LoadFromFile(InputName) == TMzfImage::LoadResult::TooLarge) {
    User.ShowMessage(FileTooLargeText);
    return TRunOutcome::Refused;
  }
  const TRunValues BodyValues{0, User.BodyGap(), FImage.BodySize()};
  Renderer.BodyRun(*Wave, FImage, ShownTiming(User), BodyValues);

  Wave->Close();
  Wave.reset();
  Target.Commit();
  return TRunOutcome::Written;
}

}  // namespace kvetro
