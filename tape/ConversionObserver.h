#pragma once

#include <cstdint>
#include <string>

#include "tape/ConversionPlan.h"
#include "tape/RunMessages.h"

namespace kvetro {

// What a conversion run tells its front end as it goes: the refusal that
// ends it, the warnings it goes on after, each tape file as it starts, and
// the finished output. The window shows them in its boxes and footer, the
// command line and the page as lines of text (tape/TextObserver.h).
class TConversionObserver {
 public:
  virtual ~TConversionObserver() = default;

  // The run ends here; nothing is written.
  virtual void Refused(const std::string& Text) = 0;
  // The refusal of a WAV file given as the input, named as the user gave it.
  // The command line and the page add how to read a recording instead.
  virtual void WaveInputRefused(const std::string& InputName) { Refused(WaveInputText(InputName)); }
  // A note that does not stop the run (a body that runs past the end of the
  // file, an odd header, a long pulse not longer than the short one).
  virtual void Warning(const std::string& /*Text*/) {}
  // The output is about to be opened: from here on the run writes.
  virtual void Writing() {}
  // A tape file is about to go out, at File.Timing (at the output's rate).
  // The window shows the loader's timing here and lets pending input through.
  virtual void FileStarts(const TPlannedFile& /*File*/) {}
  // The whole output is written: OutputName as given, holding Samples
  // samples at Rate.
  virtual void Written(const std::string& /*OutputName*/, std::uint64_t /*Samples*/,
                       std::int32_t /*Rate*/) {}
};

}  // namespace kvetro
