#include "ReferenceRun.h"

#include <memory>
#include <stdexcept>

#include "tape/ConversionRun.h"
#include "tape/ConversionUser.h"

namespace kvetro::test {

namespace {

class TScriptedUser : public TConversionUser {
 public:
  TScriptedUser(std::string Input, std::string Output, const TConversionSettings& Settings,
                TReference& Record)
      : FInput(std::move(Input)),
        FOutput(std::move(Output)),
        FSettings(Settings),
        FTiming(Settings.UserTiming),
        FRecord(Record) {}

  std::optional<std::string> ChooseInputFile() override { return FInput; }
  std::optional<std::string> ChooseOutputFile() override { return FOutput; }
  void ShowMessage(const std::string& Text) override { FRecord.Messages.push_back(Text); }
  void ShowWarning(const std::string& Text) override { FRecord.Warnings.push_back(Text); }
  void SetStartEnabled(bool) override {}
  std::int32_t ReadTiming(TimingBox Box) override { return FTiming.Get(Box); }
  void WriteTiming(TimingBox Box, std::int32_t Value) override { FTiming.Set(Box, Value); }
  std::int32_t MonitorConstant() override { return FSettings.MonitorConstant; }
  std::int32_t LoaderGap() override { return FSettings.LoaderGap; }
  std::int32_t BodyGap() override { return FSettings.BodyGap; }
  void ProcessMessages() override {}

 private:
  std::string FInput;
  std::string FOutput;
  TConversionSettings FSettings;
  PulseTiming FTiming;
  TReference& FRecord;
};

}  // namespace

TReference ReferenceWave(const std::string& InputName, const std::string& OutputName,
                         const TConversionSettings& Settings, bool InvertLevels) {
  TReference Record;
  auto Run = std::make_unique<TConversionRun>();
  Run->SetInvertLevels(InvertLevels);
  TScriptedUser User(InputName, OutputName, Settings, Record);
  if (Run->Execute(User) != TRunOutcome::Written) {
    throw std::runtime_error("the reference run wrote nothing");
  }
  Record.Wave = ReadFile(OutputName);
  return Record;
}

}  // namespace kvetro::test
