#pragma once

#include <ostream>
#include <string>

#include "tape/ConversionObserver.h"
#include "tape/RunMessages.h"

namespace kvetro {

// What a warning line starts with.
inline constexpr const char* WarningPrefix = "Warning: ";

// The refusal of a WAV given as the input, and on a second line what to do
// with a recording instead.
inline std::string WaveInputRefusal(const std::string& FileName) {
  return WaveInputText(FileName) + "\nto read a recording: kvetro-cli read " + FileName;
}

// A run told as lines of text, as kvetro-cli writes them to standard error
// and the page shows them: each refusal and each warning on a line of its
// own.
class TTextObserver : public TConversionObserver {
 public:
  explicit TTextObserver(std::ostream& Lines) : FLines(Lines) {}

  void Refused(const std::string& Text) override { FLines << Text << '\n'; }
  void WaveInputRefused(const std::string& InputName) override {
    Refused(WaveInputRefusal(InputName));
  }
  void Warning(const std::string& Text) override { FLines << WarningPrefix << Text << '\n'; }

 private:
  std::ostream& FLines;
};

}  // namespace kvetro
