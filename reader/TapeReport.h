#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "wave/WaveFormat.h"

namespace kvetro {

// What reading a recording found, as plain data: the command line and the
// page print it (reader/ReportText.h), the tests read it. Times are seconds
// from the start of the recording; pulse figures are microseconds.

// One kind of time of one kind of pulse, over the pulses of a block.
struct TTimeFigures {
  std::int64_t Count = 0;
  double MeanUs = 0;
  double SpreadUs = 0;  // the standard deviation
  double MinUs = 0;
  double MaxUs = 0;
};

// The HIGH time after a pulse's rising edge, which carries the bit, and the
// LOW time that leads into that edge.
struct TPulseFigures {
  TTimeFigures High;
  TTimeFigures Low;
};

// The read points that read every pulse of a block right: above the longest
// HIGH of its short pulses, below the shortest HIGH of its long ones.
struct TReadWindow {
  double FromUs = 0;
  double ToUs = 0;

  bool IsOpen() const { return ToUs > FromUs; }
  double WidthUs() const { return IsOpen() ? ToUs - FromUs : 0; }
};

// How many of a block's pulses had each HIGH time, for a picture of its read
// window: Short[I] and Long[I] count the pulses read as that kind whose HIGH
// lasted from I * BinUs to (I + 1) * BinUs; the last bin also holds any
// longer. Fine enough for the slowest rate's samples to be told apart, and
// for a front end to gather bins as it draws.
struct THighTimeHistogram {
  static constexpr double BinUs = 2;
  static constexpr std::size_t MostBins = 2048;
  std::vector<std::uint32_t> Short;
  std::vector<std::uint32_t> Long;
};

// A pulse around the place where a block went wrong, as its reading took
// it.
struct TSpotPulse {
  double StartSeconds = 0;  // its rising edge
  float HighUs = 0;
  bool Long = false;    // read as a long pulse: a one bit, or a byte's start
  bool Damage = false;  // timed or sized as no pulse of the block is
};

// Where a block that failed, or was read from its copy or repaired, went
// wrong first, for a picture of it: the pulses around the first byte its
// reading lost (or, when every byte was read and only the checksum is
// wrong, or a pulse lay near the read point, the byte whose pulses lay
// nearest it), and the recording's samples under them.
struct TBadSpot {
  // The byte, from 0; the checksum's bytes are Length and Length + 1.
  std::int32_t Byte = 0;
  bool Copy = false;       // of the block's copy, not of the first block
  double ReadPointUs = 0;  // the read point the reading began with
  std::vector<TSpotPulse> Pulses;
  // The index in Pulses of the byte's start pulse; Pulses.size() when the
  // block's pulses end before it.
  std::int32_t BytePulse = 0;
  // The stretch of the recording under the pulses, in samples from its
  // start, and the samples of the channel read, in -1..1 as they lie in the
  // recording; empty where the reader no longer had them (a stream).
  std::int64_t FirstSample = 0;
  std::int32_t SampleCount = 0;
  std::vector<float> Samples;
};

enum class TBlockSource {
  First,    // the first block read right
  Copy,     // the first failed or is not in the recording, its copy read right
  Merged,   // neither read right alone: byte by byte from both, the checksum right
  Neither,  // not known to be right: BadBytes and Conflicts say where
};

// Bytes First to Last of a block, and where they lie in the recording.
struct TByteRange {
  std::int32_t First = 0;
  std::int32_t Last = 0;
  double FromSeconds = 0;
  double ToSeconds = 0;
};

struct TBlockReport {
  TBlockSource Source = TBlockSource::Neither;
  // The first block was in the recording; when not, the recording starts
  // inside it or its tape mark was lost, and only its copy was read.
  bool FirstFound = true;
  bool CopyFound = false;
  double StartSeconds = 0;    // where the block's tape mark, or its copy's gap, starts
  std::int32_t Length = 0;    // data bytes, the checksum not counted
  std::int32_t Rate = 44100;  // of the recording, to tell sample numbers
  // Neither: the bytes (the checksum's as Length and Length + 1) that no
  // reading framed, in ranges; empty when all were read and only the
  // checksum says that one is wrong.
  std::vector<TByteRange> BadBytes;
  // Block and copy read the same bytes differently, each as sure as the
  // other (Neither), or both read right but differ and the one whose pulses
  // lay clearly farther from the read point was taken (ConflictSettled).
  std::vector<TByteRange> Conflicts;
  bool ConflictSettled = false;
  // Merged: the bytes taken from the copy, and those the copy lacked,
  // taken from the first block.
  std::vector<TByteRange> Repaired;
  std::vector<TByteRange> RepairedFromFirst;
  // Neither: the block was read alone (no copy to compare it with) and its
  // checksum holds, but this many of its pulses lay so near the read point
  // that errors cancelling in the checksum cannot be ruled out.
  std::int32_t NearPulses = 0;
  // Pulses of the used reading that a dropout or a burst made, left out of
  // the figures below, and where the first of them lies.
  std::int32_t LostPulses = 0;
  double LostSeconds = 0;
  // The pulses of the block that was used, from its tape mark to its
  // checksum, damage left out.
  TPulseFigures Short;
  TPulseFigures Long;
  THighTimeHistogram Histogram;
  // None for a block that failed.
  std::optional<TReadWindow> Window;
  // The window if the recording were turned upside down: the machine would
  // then time the LOW halves.
  TReadWindow OtherPolarityWindow;
  // Where the first reading went wrong (or the copy, when the first is not
  // in the recording), for a block whose first reading was not taken as it
  // is: read from its copy, repaired, or failed.
  std::optional<TBadSpot> BadSpot;
};

struct TFileReport {
  double StartSeconds = 0;  // where the header's tape mark starts
  std::uint8_t Type = 0;
  // The header's file name as the machine's character codes, up to the
  // 0x0D that ends it (at most 17 bytes).
  std::vector<std::uint8_t> Name;
  std::uint16_t Size = 0;
  std::uint16_t LoadAddress = 0;
  std::uint16_t ExecAddress = 0;
  // Missing when the recording starts after the header (and its copy): the
  // MZF file's header is then made up, named after the recording, with the
  // body's length and no addresses.
  std::optional<TBlockReport> Header;
  std::optional<TBlockReport> Body;  // missing when the recording ends before it
  // Kvetro's own output: the header and Body above are the loader file's;
  // this is the user's body at the fast timing, and Size, LoadAddress and
  // ExecAddress come from the loader's parameter block.
  bool FastLoader = false;
  std::uint8_t MonitorConstant = 0;
  std::optional<TBlockReport> FastBody;
  // The MZF file rebuilt: the header, then the body. Whole when every block
  // it is made of was read right; otherwise what was read, for inspection.
  std::vector<std::uint8_t> Mzf;
  bool Whole = false;
};

// What was survived, for the front ends to mention.
struct TReadProblem {
  enum class TKind {
    Clipping,     // Count samples at full scale
    UnreadBlock,  // a block whose length nothing told, Count pulses long
  };
  TKind Kind = TKind::Clipping;
  double AtSeconds = 0;
  std::int64_t Count = 0;
};

struct TTapeReport {
  std::string RecordingName;
  TWaveFormat Format;
  std::int32_t Channel = 1;  // the channel read, counted from 1
  // Read as a stream: the channel was not chosen by strength.
  bool Streamed = false;
  bool Inverted = false;  // the falling edges started the pulses
  bool PolarityFixed = false;
  // When both were tried: what the other polarity read.
  enum class TOtherPolarity { NotTried, ReadsNothing, ReadsLess, ReadsToo };
  TOtherPolarity OtherPolarity = TOtherPolarity::NotTried;
  double DurationSeconds = 0;
  std::vector<TFileReport> Files;
  std::vector<TReadProblem> Problems;

  bool AllWhole() const {
    for (const TFileReport& File : Files) {
      if (!File.Whole) {
        return false;
      }
    }
    return !Files.empty();
  }
};

}  // namespace kvetro
