#include "tests/support/MachineFeatures.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace kvetro::test {

std::string NoFullDevice() {
  std::error_code Ignored;
  if (!std::filesystem::is_character_file("/dev/full", Ignored)) {
    return "no /dev/full character device on this machine";
  }
  return {};
}

std::string NoPseudoTerminal() {
  const int Master = posix_openpt(O_RDWR | O_NOCTTY);
  if (Master < 0) {
    return "no pseudo-terminal on this machine (posix_openpt failed)";
  }
  std::string Reason;
  const char* Name = grantpt(Master) == 0 && unlockpt(Master) == 0 ? ptsname(Master) : nullptr;
  const int Terminal = Name != nullptr ? open(Name, O_RDWR | O_NOCTTY) : -1;
  if (Terminal < 0) {
    Reason = "the pseudo-terminal's terminal end cannot be opened on this machine";
  } else {
    close(Terminal);
  }
  close(Master);
  return Reason;
}

}  // namespace kvetro::test
