#include "tests/support/KvetroConversion.h"

#include <stdexcept>

#include "tape/ConversionRun.h"
#include "tape/MemoryOutput.h"
#include "tests/support/ScriptedObserver.h"

namespace kvetro::test {

TConversionSettings SettingsOf(const expected::Conversion& C) {
  TConversionSettings Settings;
  Settings.UserTiming = {C.User.Log0Lo, C.User.Log0Hi, C.User.Log1Lo, C.User.Log1Hi};
  Settings.MonitorConstant = C.MonitorConstant;
  Settings.LoaderGap = C.LoaderGap;
  Settings.BodyGap = C.BodyGap;
  Settings.Layout = static_cast<TTapeLayoutChoice>(C.Tape);
  Settings.SampleRate = C.Rate;
  Settings.InvertLevels = C.Inverted;
  return Settings;
}

TBytes KvetroWave(const TBytes& File, const TConversionSettings& Settings) {
  return KvetroWave(std::vector<TTapeInput>{{"in.mzf", File}}, Settings);
}

TBytes KvetroWave(const std::vector<TTapeInput>& Inputs, const TConversionSettings& Settings) {
  TScriptedObserver Observer;
  TConversionRun Run(Settings, Observer);
  TMemoryOutputs Outputs;
  if (Run.Execute(Inputs, "out.wav", Outputs) != TRunOutcome::Written) {
    throw std::runtime_error("the run refused: " + Observer.Messages.front());
  }
  return Outputs.Latest().Bytes;
}

}  // namespace kvetro::test
