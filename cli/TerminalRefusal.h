#pragma once

namespace kvetro {

// A WAV on a terminal is noise at best.
inline constexpr const char* TerminalOutputText =
    "Will not write a WAV to a terminal: redirect standard output or pipe it into a player";

}  // namespace kvetro
