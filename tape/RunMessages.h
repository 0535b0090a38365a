#pragma once

#include <cstdint>
#include <string>

#include "tape/PulseTiming.h"

namespace kvetro {

// The conversion run's own messages, the same in the window and on the
// command line. Refusals are shown with an OK button and end the run; the
// command line's --info reports the same refusals without running.
inline constexpr const char* FileTooLargeText = "File must be smaller than 64KB";
inline constexpr const char* BodySizeZeroText = "Body size in the file header is 0";
inline constexpr const char* NegativeGapText = "Gap length must not be negative";
inline constexpr const char* OutputTooLargeText = "Output would be larger than 2 GB";
inline constexpr const char* SameFileText = "Output file must not be the input file";

// Said with the name as the user gave it: "game.wav is a WAV file, ...".
inline std::string WaveInputText(const std::string& FileName) {
  return FileName + " is a WAV file, not an MZF tape image";
}

inline std::string PulseText(std::int32_t Lo, std::int32_t Hi) {
  return std::to_string(Lo) + " + " + std::to_string(Hi) + " samples";
}

// A refusal: the machine tells a 0 from a 1 by the pulse alone.
inline std::string IdenticalPulsesText(const PulseTiming& Timing) {
  return "Log. 0 and log. 1 pulses are the same (" + PulseText(Timing.Log0Lo, Timing.Log0Hi) +
         "): no machine can tell the bits apart";
}

// Warnings: the run goes on after them.
inline std::string LongPulseNotLongerText(const PulseTiming& Timing) {
  return "Log. 1 pulse (" + PulseText(Timing.Log1Lo, Timing.Log1Hi) +
         ") is not longer than log. 0 pulse (" + PulseText(Timing.Log0Lo, Timing.Log0Hi) +
         "); the body may not load";
}

inline std::string MissingBodyText(std::int64_t BodySize, std::int64_t Missing) {
  return "Body size " + std::to_string(BodySize) +
         " runs past the end of the file: " + std::to_string(Missing) +
         (Missing == 1 ? " byte" : " bytes") + " missing, sent as zeros";
}

}  // namespace kvetro
