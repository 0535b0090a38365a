#include "tests/support/ScriptedUser.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace kvetro::test {

std::optional<std::string> TScriptedUser::ChooseInputFile() {
  Record("ChooseInputFile");
  return InputFile;
}

std::optional<std::string> TScriptedUser::ChooseOutputFile() {
  Record("ChooseOutputFile");
  return OutputFile;
}

void TScriptedUser::ShowMessage(const std::string& Text) {
  Record("ShowMessage:" + Text);
  Messages.push_back(Text);
}

void TScriptedUser::ShowWarning(const std::string& Text) {
  Record("ShowWarning:" + Text);
  Warnings.push_back(Text);
}

void TScriptedUser::SetStartEnabled(bool Enabled) {
  Record(std::string("SetStartEnabled:") + (Enabled ? "1" : "0"));
  StartEnabled = Enabled;
}

std::int32_t TScriptedUser::BoxValue(int Index) const {
  const std::string& Text = BoxText[static_cast<std::size_t>(Index)];
  std::int32_t Value = 0;
  const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
  if (Text.empty() || Error != std::errc() || End != Text.data() + Text.size()) {
    return 1;
  }
  return Value;
}

std::int32_t TScriptedUser::ReadTiming(TimingBox Box) {
  const int Index = static_cast<int>(Box);
  ++TimingReads;
  return BoxValue(Index);
}

void TScriptedUser::WriteTiming(TimingBox Box, std::int32_t Value) {
  const int Index = static_cast<int>(Box);
  Record("WriteTiming:" + std::to_string(Index) + "=" + std::to_string(Value));
  BoxText[static_cast<std::size_t>(Index)] = std::to_string(std::clamp(Value, 1, 128));
}

std::int32_t TScriptedUser::MonitorConstant() {
  Record("MonitorConstant");
  return Constant;
}

std::int32_t TScriptedUser::LoaderGap() {
  Record("LoaderGap");
  return LeadGap;
}

std::int32_t TScriptedUser::BodyGap() {
  Record("BodyGap");
  return Gap;
}

void TScriptedUser::ProcessMessages() {
  BoxesAtProcessMessages.push_back(BoxValues());
  Record("ProcessMessages");
}

void TScriptedUser::Record(std::string Call) {
  Calls.push_back(std::move(Call));
  if (OnCall) {
    OnCall(Calls.back());
  }
}

std::array<std::int32_t, 4> TScriptedUser::BoxValues() const {
  return {BoxValue(0), BoxValue(1), BoxValue(2), BoxValue(3)};
}

int TScriptedUser::CountOf(const std::string& Name) const {
  return static_cast<int>(std::count_if(Calls.begin(), Calls.end(), [&Name](const std::string& C) {
    return C.substr(0, C.find(':')) == Name;
  }));
}

}  // namespace kvetro::test
