#include "tape/PulseTiming.h"

namespace kvetro {

std::int32_t PulseTiming::Get(TimingBox Box) const {
  switch (Box) {
    case TimingBox::Log0Lo:
      return Log0Lo;
    case TimingBox::Log0Hi:
      return Log0Hi;
    case TimingBox::Log1Lo:
      return Log1Lo;
    case TimingBox::Log1Hi:
      return Log1Hi;
  }
  return 0;
}

void PulseTiming::Set(TimingBox Box, std::int32_t Value) {
  switch (Box) {
    case TimingBox::Log0Lo:
      Log0Lo = Value;
      break;
    case TimingBox::Log0Hi:
      Log0Hi = Value;
      break;
    case TimingBox::Log1Lo:
      Log1Lo = Value;
      break;
    case TimingBox::Log1Hi:
      Log1Hi = Value;
      break;
  }
}

}  // namespace kvetro
