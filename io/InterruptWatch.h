#pragma once

namespace kvetro {

// Ctrl+C (SIGINT) as a request to finish, not as the end of the process:
// while the object lives the signal is held back, and Asked tells whether
// it came. Work in between is never cut off half way (a file being
// written). On Windows Ctrl+C keeps ending the process at once.
class TInterruptWatch {
 public:
  TInterruptWatch();
  ~TInterruptWatch();
  TInterruptWatch(const TInterruptWatch&) = delete;
  TInterruptWatch& operator=(const TInterruptWatch&) = delete;

  // True once the signal has come; it is taken, so it does not end the
  // process when the watch ends.
  bool Asked();

 private:
  // Takes one pending signal; false when none is.
  static bool Taken();
  bool FAsked = false;
  bool FHeld = false;
};

}  // namespace kvetro
