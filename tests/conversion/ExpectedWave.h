#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kvetro::expected {

// What a conversion must write, derived straight from the signal table of a
// tape file and the RIFF layout, without the encoder or the signal totals.

struct Timing {
  int Log0Lo, Log0Hi, Log1Lo, Log1Hi;
};

// A tape signal as its pulses: true for a long (1) pulse, false for a short.
using PulseList = std::vector<bool>;

// The 75 code bytes of the loader, as listed for the target.
const std::vector<std::uint8_t>& LoaderCode();

// Byte Position of File, or 0 where the file does not reach.
std::uint8_t FileByte(const std::vector<std::uint8_t>& File, std::size_t Position);

// Header (128 bytes) and body (90 bytes) of the loader tape file for File.
std::vector<std::uint8_t> LoaderHeader(const std::vector<std::uint8_t>& File);
std::vector<std::uint8_t> LoaderBody(const std::vector<std::uint8_t>& File, int MonitorConstant);
// The user's body: Length bytes from position 128, zeros past the file.
std::vector<std::uint8_t> UserBody(const std::vector<std::uint8_t>& File);

// The whole tape file: lead gap, mark, header, body.
PulseList FullTapeFile(const std::vector<std::uint8_t>& Header,
                       const std::vector<std::uint8_t>& Body, int LeadGap, int BodyGap);
// What follows a header: gap, mark, body.
PulseList BodyTapeFile(const std::vector<std::uint8_t>& Body, int BodyGap);

std::vector<std::uint8_t> Samples(const PulseList& Pulses, const Timing& T, bool Inverted = false);

// The 46-byte header of a 44100 Hz 8-bit mono PCM wave followed by Data.
std::vector<std::uint8_t> WaveFile(const std::vector<std::uint8_t>& Data);

struct Conversion {
  Timing User{3, 1, 3, 2};
  int MonitorConstant = 1;
  int LoaderGap = 5000;
  int BodyGap = 5000;
  bool Inverted = false;
};
// The complete output file for converting File.
std::vector<std::uint8_t> ConvertedFile(const std::vector<std::uint8_t>& File, const Conversion& C);

}  // namespace kvetro::expected
