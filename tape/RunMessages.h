#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "tape/ConversionSettings.h"
#include "tape/MzfTape.h"
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

// An input file of a tape that is far too large, named as the user gave it.
inline std::string InputTooLargeText(const std::string& FileName) {
  return FileName + ": a tape file must be smaller than " +
         std::to_string(TMzfTape::MaxInputSize / (1024 * 1024)) + " MB";
}

// The fast loader loads one program and starts it; the machine's own layout
// loads file after file, as the programs ask for them.
inline std::string SeveralFilesText(std::size_t Files) {
  return "The fast loader takes one program, and the input holds " + std::to_string(Files) +
         " files: --standard writes them all, one after the other, in the machine's own layout";
}

// Said with the name as the user gave it: "game.wav is a WAV file, ...".
inline std::string WaveInputText(const std::string& FileName) {
  return FileName + " is a WAV file, not an MZF tape image";
}

// "0x0A4B": Value in Digits upper-case hexadecimal digits, as the machine's
// manuals write addresses and bytes.
inline std::string HexText(unsigned Value, int Digits) {
  char Text[16];
  std::snprintf(Text, sizeof Text, "0x%0*X", Digits, Value);
  return Text;
}

inline std::string PulseText(std::int32_t Lo, std::int32_t Hi) {
  return std::to_string(Lo) + " + " + std::to_string(Hi) + " samples";
}

// A refusal: the machine tells a 0 from a 1 by the pulse alone.
inline std::string IdenticalPulsesText(const PulseTiming& Timing) {
  return "Log. 0 and log. 1 pulses are the same (" + PulseText(Timing.Log0Lo, Timing.Log0Hi) +
         "): no machine can tell the bits apart";
}

inline std::string SampleRateText(std::int32_t Rate) {
  return "Sample rate " + std::to_string(Rate) + " Hz is outside " +
         std::to_string(SampleRateRange.Min) + " to " + std::to_string(SampleRateRange.Max) + " Hz";
}

// A refusal: at Rate, whole samples make the two pulses the same. Collapsed
// names the halves that fell together; Fastest is the quickest timing that
// stays apart at that rate.
inline std::string CollapsedPulsesText(std::int32_t Rate, const std::string& Collapsed,
                                       const PulseTiming& Timing, const PulseTiming& AtRate,
                                       const PulseTiming& Fastest) {
  const std::string Hz = std::to_string(Rate) + " Hz";
  return "At " + Hz + " " + Collapsed + ": the short pulse " +
         PulseText(Timing.Log0Lo, Timing.Log0Hi) + " and the long pulse " +
         PulseText(Timing.Log1Lo, Timing.Log1Hi) + " are both " +
         PulseText(AtRate.Log0Lo, AtRate.Log0Hi) +
         " there, and no machine can tell the bits apart. The fastest timing that stays distinct "
         "at " +
         Hz + " is --zero " + std::to_string(Fastest.Log0Lo) + "," +
         std::to_string(Fastest.Log0Hi) + " --one " + std::to_string(Fastest.Log1Lo) + "," +
         std::to_string(Fastest.Log1Hi);
}

// Warnings: the run goes on after them.
inline std::string LongPulseNotLongerText(const PulseTiming& Timing) {
  return "Log. 1 pulse (" + PulseText(Timing.Log1Lo, Timing.Log1Hi) +
         ") is not longer than log. 0 pulse (" + PulseText(Timing.Log0Lo, Timing.Log0Hi) +
         "); the body may not load";
}

inline std::string LeftOverText(const std::string& FileName, std::size_t Bytes) {
  return FileName + " ends with " + std::to_string(Bytes) + (Bytes == 1 ? " byte" : " bytes") +
         " behind its last file, too few for a header: not sent";
}

inline std::string MissingBodyText(std::int64_t BodySize, std::int64_t Missing) {
  return "Body size " + std::to_string(BodySize) +
         " runs past the end of the file: " + std::to_string(Missing) +
         (Missing == 1 ? " byte" : " bytes") + " missing, sent as zeros";
}

}  // namespace kvetro
