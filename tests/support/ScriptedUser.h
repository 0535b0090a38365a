#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tape/ConversionUser.h"

namespace kvetro::test {

// A user that answers from a script and records every call in order, as
// "Name" or "Name:argument"; timing reads are only counted (a run makes
// four, when it starts). The timing boxes hold text, read and written as
// the window's spin boxes do: text that is no number reads as the minimum 1,
// a written value is clamped to 1..128.
class TScriptedUser : public TConversionUser {
 public:
  std::optional<std::string> InputFile;
  std::optional<std::string> OutputFile;
  std::array<std::string, 4> BoxText = {"3", "1", "3", "2"};
  std::int32_t Constant = 1;
  std::int32_t LeadGap = 5000;
  std::int32_t Gap = 5000;
  // Run at every recorded call, with its record, before the call has any
  // effect: the way to change things while the run lets messages through, or
  // to fail as a window could.
  std::function<void(const std::string&)> OnCall;

  std::vector<std::string> Calls;
  long TimingReads = 0;
  std::vector<std::string> Messages;
  std::vector<std::string> Warnings;
  // The four box values as they read at each ProcessMessages call.
  std::vector<std::array<std::int32_t, 4>> BoxesAtProcessMessages;
  bool StartEnabled = true;

  std::optional<std::string> ChooseInputFile() override;
  std::optional<std::string> ChooseOutputFile() override;
  void ShowMessage(const std::string& Text) override;
  void ShowWarning(const std::string& Text) override;
  void SetStartEnabled(bool Enabled) override;
  std::int32_t ReadTiming(TimingBox Box) override;
  void WriteTiming(TimingBox Box, std::int32_t Value) override;
  std::int32_t MonitorConstant() override;
  std::int32_t LoaderGap() override;
  std::int32_t BodyGap() override;
  void ProcessMessages() override;

  std::array<std::int32_t, 4> BoxValues() const;
  // The calls whose name (the part before ':') is Name.
  int CountOf(const std::string& Name) const;

 private:
  std::int32_t BoxValue(int Index) const;
  void Record(std::string Call);
};

}  // namespace kvetro::test
