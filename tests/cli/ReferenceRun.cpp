#include "ReferenceRun.h"

#include <memory>
#include <stdexcept>

#include "tape/ConversionRun.h"
#include "tape/FixedSettingsUser.h"

namespace kvetro::test {

TReference ReferenceWave(const std::string& InputName, const std::string& OutputName,
                         const TConversionSettings& Settings, bool InvertLevels) {
  TReference Record;
  auto Run = std::make_unique<TConversionRun>();
  Run->SetInvertLevels(InvertLevels);
  TFixedSettingsUser User(InputName, OutputName, Settings);
  if (Run->Execute(User) != TRunOutcome::Written) {
    throw std::runtime_error("the reference run wrote nothing");
  }
  Record.Messages = User.Messages;
  Record.Warnings = User.Warnings;
  Record.Wave = ReadFile(OutputName);
  return Record;
}

}  // namespace kvetro::test
