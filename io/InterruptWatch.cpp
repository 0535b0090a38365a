#include "io/InterruptWatch.h"

#ifndef _WIN32
#include <signal.h>

#include <ctime>
#endif

namespace kvetro {

#ifdef _WIN32

TInterruptWatch::TInterruptWatch() = default;
TInterruptWatch::~TInterruptWatch() = default;
bool TInterruptWatch::Asked() {
  return false;
}

#else

namespace {

sigset_t InterruptOnly() {
  sigset_t Set;
  sigemptyset(&Set);
  sigaddset(&Set, SIGINT);
  return Set;
}

}  // namespace

TInterruptWatch::TInterruptWatch() {
  const sigset_t Set = InterruptOnly();
  sigset_t Before;
  // Held back only if it was not already (by whoever started us).
  FHeld = sigprocmask(SIG_BLOCK, &Set, &Before) == 0 && sigismember(&Before, SIGINT) == 0;
}

TInterruptWatch::~TInterruptWatch() {
  if (FHeld) {
    // Signals still pending would end the process when let through.
    while (Taken()) {
    }
    const sigset_t Set = InterruptOnly();
    sigprocmask(SIG_UNBLOCK, &Set, nullptr);
  }
}

bool TInterruptWatch::Taken() {
  const sigset_t Set = InterruptOnly();
  const timespec NoWait{};
  return sigtimedwait(&Set, nullptr, &NoWait) == SIGINT;
}

bool TInterruptWatch::Asked() {
  if (FHeld && !FAsked) {
    FAsked = Taken();
  }
  return FAsked;
}

#endif

}  // namespace kvetro
