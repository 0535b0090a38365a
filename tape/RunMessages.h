#pragma once

namespace kvetro {

// The conversion run's own messages: refusals shown with an OK button. The
// command line's --info reports the same refusals without running.
inline constexpr const char* FileTooLargeText = "File must be smaller than 64KB";
inline constexpr const char* LoadFailedText = "Error with loading file - please mail me";
inline constexpr const char* BodySizeZeroText = "Body size in the file header is 0";
inline constexpr const char* NegativeGapText = "Gap length must not be negative";
inline constexpr const char* OutputTooLargeText = "Output would be larger than 2 GB";
inline constexpr const char* SameFileText = "Output file must not be the input file";

}  // namespace kvetro
