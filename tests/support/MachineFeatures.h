#pragma once

#include <string>

namespace kvetro::test {

// Things some tests need that a machine (a container, a minimal chroot) may
// lack. Each answers why this machine cannot give it, or an empty text when
// it can; a test skips itself with that reason.

// /dev/full: a character device that refuses every write with "no space".
std::string NoFullDevice();
// A pseudo-terminal, to be a program's standard output.
std::string NoPseudoTerminal();

}  // namespace kvetro::test
