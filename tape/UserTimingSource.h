#pragma once

#include "tape/ConversionUser.h"
#include "tape/PulseTiming.h"

namespace kvetro {

// The encoder's counts come straight from the user's timing boxes and body
// gap box, read at the moment the encoder needs each one, so whatever the
// boxes show is what goes to tape: the standard timing during the loader
// pass, the user's own during the body pass.
class TUserTimingSource : public TPulseTimingSource {
 public:
  explicit TUserTimingSource(TConversionUser& User) : FUser(User) {}
  std::int32_t Count(TimingBox Box) override { return FUser.ReadTiming(Box); }
  std::int32_t BodyGap() override { return FUser.BodyGap(); }

 private:
  TConversionUser& FUser;
};

}  // namespace kvetro
