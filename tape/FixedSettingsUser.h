#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tape/ConversionSettings.h"
#include "tape/ConversionUser.h"

namespace kvetro {

// A user who answers a run at once, where no person is asked (benchmarks,
// the fuzzer's check, reference runs in tests): the two file names, fixed
// settings, and timing boxes that hold plain numbers. Messages and warnings
// are kept in order for the caller to read.
class TFixedSettingsUser : public TConversionUser {
 public:
  TFixedSettingsUser(std::string InputName, std::string OutputName,
                     const TConversionSettings& Settings)
      : FInputName(std::move(InputName)),
        FOutputName(std::move(OutputName)),
        FSettings(Settings),
        FBoxes(Settings.UserTiming) {}

  std::optional<std::string> ChooseInputFile() override { return FInputName; }
  std::optional<std::string> ChooseOutputFile() override { return FOutputName; }
  void ShowMessage(const std::string& Text) override { Messages.push_back(Text); }
  void ShowWarning(const std::string& Text) override { Warnings.push_back(Text); }
  void SetStartEnabled(bool /*Enabled*/) override {}
  std::int32_t ReadTiming(TimingBox Box) override { return FBoxes.Get(Box); }
  void WriteTiming(TimingBox Box, std::int32_t Value) override { FBoxes.Set(Box, Value); }
  std::int32_t MonitorConstant() override { return FSettings.MonitorConstant; }
  std::int32_t LoaderGap() override { return FSettings.LoaderGap; }
  std::int32_t BodyGap() override { return FSettings.BodyGap; }
  TTapeLayoutChoice Layout() override { return FSettings.Layout; }
  std::int32_t SampleRate() override { return FSettings.SampleRate; }
  void ProcessMessages() override {}

  std::vector<std::string> Messages;
  std::vector<std::string> Warnings;

 private:
  std::string FInputName;
  std::string FOutputName;
  TConversionSettings FSettings;
  PulseTiming FBoxes;
};

}  // namespace kvetro
