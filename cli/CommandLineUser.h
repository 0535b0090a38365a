#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "cli/CliSettings.h"
#include "tape/ConversionUser.h"
#include "tape/RunMessages.h"

namespace kvetro {

// What a warning on standard error starts with.
inline constexpr const char* WarningPrefix = "Warning: ";

// The refusal of a WAV given as the input, and on a second line what to do
// with a recording instead.
inline std::string WaveInputRefusal(const std::string& FileName) {
  return WaveInputText(FileName) + "\nto read a recording: kvetro-cli read " + FileName;
}

// The conversion run's user on the command line: the files and settings come
// from the arguments, messages and warnings go to standard error, and there
// is no window to repaint.
class TCommandLineUser : public TConversionUser {
 public:
  // OutputName is the name the run's output is opened under ("-" for
  // standard output).
  TCommandLineUser(const TCliSettings& Settings, std::string OutputName, std::ostream& Errors);

  std::optional<std::string> ChooseInputFile() override { return FSettings.InputName; }
  std::optional<std::string> ChooseOutputFile() override { return FOutputName; }
  void ShowMessage(const std::string& Text) override;
  void ShowWarning(const std::string& Text) override;
  void ShowWaveInputRefused(const std::string& InputName) override {
    ShowMessage(WaveInputRefusal(InputName));
  }
  void SetStartEnabled(bool /*Enabled*/) override {}

  // The run swaps in the standard timing for the loader and puts these back;
  // they stand in for the window's four boxes.
  std::int32_t ReadTiming(TimingBox Box) override { return FTiming.Get(Box); }
  void WriteTiming(TimingBox Box, std::int32_t Value) override { FTiming.Set(Box, Value); }

  std::int32_t MonitorConstant() override { return FSettings.Conversion.MonitorConstant; }
  std::int32_t LoaderGap() override { return FSettings.Conversion.LoaderGap; }
  std::int32_t BodyGap() override { return FSettings.Conversion.BodyGap; }
  TTapeLayoutChoice Layout() override { return FSettings.Conversion.Layout; }
  std::int32_t SampleRate() override { return FSettings.Conversion.SampleRate; }

  void ProcessMessages() override {}

 private:
  const TCliSettings& FSettings;
  std::string FOutputName;
  std::ostream& FErrors;
  PulseTiming FTiming;
};

}  // namespace kvetro
