#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kvetro::expected {

// What the converter must write, told from the format of a cassette tape file
// and the RIFF layout alone: the order of gaps, tape marks and blocks, the
// framing of bytes and the checksums are written out here again, so that the
// encoder, the renderer and the totals are each held to a description that
// is not their own.

using TBytes = std::vector<std::uint8_t>;

struct Timing {
  int Log0Lo, Log0Hi, Log1Lo, Log1Hi;
};
inline constexpr Timing kStandardTiming{9, 11, 18, 19};

// A tape signal as its pulses, one character each: '1' for a long pulse,
// '0' for a short one.
std::string Repeat(char Pulse, int Count);  // no pulses for a count below 1
// A start pulse '1', then bits 7 down to 0.
std::string Framed(std::uint8_t Byte);
// The framed bytes, then the count of their one bits, high byte first.
std::string Block(const TBytes& Bytes);

// The whole tape file: lead gap, tape mark, header, then what BodyTapeFile
// sends.
std::string FullTapeFile(const TBytes& Header, const TBytes& Body, int LeadGap, int BodyGap);
// What follows a header: gap, tape mark, body, end pulses.
std::string BodyTapeFile(const TBytes& Body, int BodyGap);

// Each pulse as LO samples (0x30), then HI samples (0xD0); a count below 1
// gives no samples. Inverted swaps the two values.
TBytes Samples(const std::string& Pulses, const Timing& T, bool Inverted = false);

// Byte Position of File, or 0 where the file does not reach.
std::uint8_t FileByte(const TBytes& File, std::size_t Position);
// Count bytes of File from Start, zeros past its end.
TBytes Slice(const TBytes& File, std::size_t Start, std::size_t Count);

// Header (128 bytes) and body (90 bytes) of the loader tape file for File.
TBytes LoaderHeader(const TBytes& File);
TBytes LoaderBody(const TBytes& File, int MonitorConstant);
// The user's body: as many bytes from position 128 as the header says.
TBytes UserBody(const TBytes& File);

// The machine's own tape file, as its SAVE writes it: 22000 short pulses, a
// tape mark of 40 long and 40 short, one long, the header block, one long;
// with copies then 256 short, the header block again, one long. Then 11000
// short, 20 long and 20 short, one long, the body block, one long; with
// copies 256 short, the body block again, one long.
std::string StandardTapeFile(const TBytes& Header, const TBytes& Body, bool Copies);

// Each half of T, counted at 44100 Hz, as the nearest whole number of
// samples at Rate (halfway up), never below one.
Timing AtRate(const Timing& T, int Rate);

// The 46-byte header of an 8-bit mono PCM wave at Rate followed by Data.
TBytes WaveFile(const TBytes& Data, int Rate = 44100);

enum class Layout { FastLoader, Standard, StandardNoCopies };

struct Conversion {
  Timing User{3, 1, 3, 2};
  int MonitorConstant = 1;
  int LoaderGap = 5000;
  int BodyGap = 5000;
  bool Inverted = false;
  Layout Tape = Layout::FastLoader;
  int Rate = 44100;
};
// The complete output file for converting File: with the fast loader, the
// loader tape file at the standard timing, then the user's body at the
// user's; in the machine's own layout the user's header and body at the
// user's timing. Timings at C.Rate.
TBytes ConvertedFile(const TBytes& File, const Conversion& C);
// The output for a tape of several files in the machine's own layout: each
// file's tape file as its SAVE writes it, one after the other.
TBytes ConvertedTape(const std::vector<TBytes>& Files, const Conversion& C);

}  // namespace kvetro::expected
