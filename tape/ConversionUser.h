#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tape/ConversionSettings.h"
#include "tape/PulseTiming.h"
#include "tape/RunMessages.h"

namespace kvetro {

// Everything a conversion run needs from the person (or script, or test) who
// started it. The window answers with its dialogs, boxes and button; the
// command line with its arguments and standard error; tests with scripted
// answers.
class TConversionUser {
 public:
  virtual ~TConversionUser() = default;

  // The MZF file to convert; nothing when the user cancels.
  virtual std::optional<std::string> ChooseInputFile() = 0;
  // The WAV file to write; nothing when the user cancels.
  virtual std::optional<std::string> ChooseOutputFile() = 0;
  // A plain message with an OK button (the run's own refusals).
  virtual void ShowMessage(const std::string& Text) = 0;
  // The refusal of a WAV file given as the input, named as the user gave
  // it. The command line adds how to read a recording instead.
  virtual void ShowWaveInputRefused(const std::string& InputName) {
    ShowMessage(WaveInputText(InputName));
  }
  // A note that does not stop the run (for example a body that runs past the
  // end of the file).
  virtual void ShowWarning(const std::string& /*Text*/) {}
  // The run has written the whole output: OutputName as chosen, holding
  // Samples samples at Rate.
  virtual void ShowWritten(const std::string& /*OutputName*/, std::uint64_t /*Samples*/,
                           std::int32_t /*Rate*/) {}
  virtual void SetStartEnabled(bool Enabled) = 0;

  // The settings are read once, when a run starts; the run goes on with
  // those values whatever the boxes show later.
  // The four timing boxes: read as the box reads its text, written as the
  // box writes a value (so the value shown may be clamped). The run writes
  // them only to show the timing in force.
  virtual std::int32_t ReadTiming(TimingBox Box) = 0;
  virtual void WriteTiming(TimingBox Box, std::int32_t Value) = 0;

  virtual std::int32_t MonitorConstant() = 0;  // written to 0x0A4B by the loader
  virtual std::int32_t LoaderGap() = 0;        // short pulses before the loader file
  virtual std::int32_t BodyGap() = 0;          // short pulses before each body
  // The tape layout and the WAV's sample rate; the window writes the fast
  // loader at 44100 Hz.
  virtual TTapeLayoutChoice Layout() { return TTapeLayoutChoice::FastLoader; }
  virtual std::int32_t SampleRate() { return DefaultSampleRate; }

  // Lets the window repaint and take pending input.
  virtual void ProcessMessages() = 0;
};

}  // namespace kvetro
