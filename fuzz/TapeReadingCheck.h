#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kvetro {

// Reads arbitrary bytes as a recording of tapes and answers what went wrong;
// an empty answer means that the reader refused the recording with an
// EWaveFormatError naming it ("Cannot read fuzz.wav: ..."), or that its
// report holds together: the channel read exists, every block read right
// has no bad byte and every other one has its first bad byte inside the
// block, a file read whole is its header and as many body bytes as the
// header says, the windows are finite, and the report's text ends a line.
//
// The first byte says how the rest is taken: a WAV file as it is; one pulse
// per byte (LO (byte & 15) + 1 samples, HI (byte >> 4) + 1) in an 8-bit
// wave, which lets the fuzzer build tape marks and bytes; or samples in a
// format that the second byte picks. The second byte also picks the
// polarity and the channel.
std::string CheckTapeReading(const std::uint8_t* Data, std::size_t Size);

// The WAV that an input of at least two bytes stands for.
std::vector<std::uint8_t> TapeReadingRecording(const std::uint8_t* Data, std::size_t Size);

// The input that gives the pulses, one byte each, in an 8-bit wave.
std::vector<std::uint8_t> TapeReadingPulseInput(const std::vector<std::uint8_t>& Pulses);

}  // namespace kvetro
