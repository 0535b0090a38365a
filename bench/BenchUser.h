#pragma once

#include <optional>
#include <string>

#include "tape/ConversionPlan.h"
#include "tape/ConversionUser.h"

namespace kvetro::bench {

// A conversion user that answers at once: the two file names, the settings
// of a benchmark input, and timing boxes that hold plain numbers. It stands
// in for the window's user without the window's own costs, so that what is
// timed is the conversion. A message means the run was refused; it is kept
// for the benchmark to report.
class TBenchUser : public TConversionUser {
 public:
  TBenchUser(std::string InputName, std::string OutputName, const TConversionSettings& Settings);

  std::optional<std::string> ChooseInputFile() override { return FInputName; }
  std::optional<std::string> ChooseOutputFile() override { return FOutputName; }
  void ShowMessage(const std::string& Text) override { FMessage = Text; }
  void SetStartEnabled(bool /*Enabled*/) override {}
  std::int32_t ReadTiming(TimingBox Box) override { return FBoxes.Get(Box); }
  void WriteTiming(TimingBox Box, std::int32_t Value) override { FBoxes.Set(Box, Value); }
  std::int32_t MonitorConstant() override { return FSettings.MonitorConstant; }
  std::int32_t LoaderGap() override { return FSettings.LoaderGap; }
  std::int32_t BodyGap() override { return FSettings.BodyGap; }
  void ProcessMessages() override {}

  const std::optional<std::string>& Message() const { return FMessage; }

 private:
  std::string FInputName;
  std::string FOutputName;
  TConversionSettings FSettings;
  PulseTiming FBoxes;
  std::optional<std::string> FMessage;
};

}  // namespace kvetro::bench
