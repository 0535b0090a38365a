#pragma once

namespace kvetro {

// The conversion run's refusals that --info reports as well, without running.
inline constexpr const char* FileTooLargeText = "File must be smaller than 64KB";
inline constexpr const char* BodySizeZeroText = "Body size in the file header is 0";
inline constexpr const char* OutputTooLargeText = "Output would be larger than 2 GB";
// Our own: a WAV on a terminal is noise at best.
inline constexpr const char* TerminalOutputText =
    "Will not write a WAV to a terminal: redirect standard output or pipe it into a player";

}  // namespace kvetro
