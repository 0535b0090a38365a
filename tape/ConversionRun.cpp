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
#include "tape/UserTimingSource.h"
#include "wave/PlatformFile.h"
#include "wave/StreamErrors.h"
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

TConversionRun::TConversionRun() : FEncoder(FImage) {}

void TConversionRun::SetInvertLevels(bool Invert) {
  if (Invert) {
    FEncoder.SetLevels(TTapeEncoder::HiLevel, TTapeEncoder::LoLevel);
  } else {
    FEncoder.SetLevels(TTapeEncoder::LoLevel, TTapeEncoder::HiLevel);
  }
}

TRunOutcome TConversionRun::Execute(TConversionUser& User) {
  TFileOutputOpener Files;
  return Execute(User, Files);
}

TRunOutcome TConversionRun::Execute(TConversionUser& User, TOutputOpener& Outputs) {
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
  const TConversionPlan Plan = PlanConversion(FImage, ReadSettings(User));
  if (!Plan.FitsWaveFile()) {
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
    // The whole size goes into the header first, so the wave is written in
    // one forward pass: a pipe or a device can take it as well as a file.
    const std::unique_ptr<TConversionOutput> Output = Outputs.Open(*OutputName, Plan.FileSize());
    const TRunOutcome Outcome = WriteOutput(User, *InputName, *Output, Plan.DataSize(), Saved);
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
                                        TConversionOutput& Output, std::uint64_t DataSize,
                                        TSavedTiming& Saved) {
  TRunOutcome Outcome = TRunOutcome::Refused;
  try {
    Outcome = WriteWave(User, InputName, Output, DataSize, Saved);
  } catch (const EWriteError&) {
    // The stream only knows that bytes were refused; the output knows where
    // they were going and why.
    throw Output.WriteFailure();
  }
  if (Outcome == TRunOutcome::Written) {
    Output.Commit();
  }
  return Outcome;
}

TRunOutcome TConversionRun::WriteWave(TConversionUser& User, const std::string& InputName,
                                      TConversionOutput& Output, std::uint64_t DataSize,
                                      TSavedTiming& Saved) {
  TWaveStream Wave(Output.Stream());
  Wave.SetPCMFormat(44100, 8, 1);
  Wave.AnnounceDataSize(static_cast<std::int32_t>(DataSize));
  Wave.Open(true);

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

  TUserTimingSource Timing(User);
  FEncoder.Attach(Wave, Timing);
  const std::uint16_t LoaderLength = BuildFastLoaderFile(FImage, User.MonitorConstant());
  FEncoder.BeginFullRun(User.LoaderGap(), LoaderLength);
  RunEncoder();

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
  FEncoder.BeginBodyRun(FImage.BodySize());
  RunEncoder();

  Wave.Close();
  return TRunOutcome::Written;
}

void TConversionRun::RunEncoder() {
  while (FEncoder.Running()) {
    FEncoder.Step();
  }
}

}  // namespace kvetro
