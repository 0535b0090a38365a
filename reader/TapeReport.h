#pragma once

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

enum class TBlockSource {
  First,    // the first block read right
  Copy,     // the first failed, its copy read right
  Neither,  // no block read right: FirstBadByte says where it went wrong
};

struct TBlockReport {
  TBlockSource Source = TBlockSource::Neither;
  bool CopyFound = false;
  double StartSeconds = 0;  // where the block's tape mark starts
  std::int32_t Length = 0;  // data bytes, the checksum not counted
  // Neither: the first byte not known to be right (Length when only the
  // checksum disagrees) and where it lies in the recording; -1 otherwise.
  std::int32_t FirstBadByte = -1;
  double FirstBadSeconds = 0;
  // The pulses of the block that was used (the first one for Neither), from
  // its tape mark to its checksum.
  TPulseFigures Short;
  TPulseFigures Long;
  TReadWindow Window;
  // The window if the recording were turned upside down: the machine would
  // then time the LOW halves.
  TReadWindow OtherPolarityWindow;
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
  TBlockReport Header;
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
    CopyUsed,           // a block was taken from its copy
    Clipping,           // Count samples at full scale
    BodyWithoutHeader,  // a body's tape mark with no header to give its length
  };
  TKind Kind = TKind::CopyUsed;
  double AtSeconds = 0;
  std::int64_t Count = 0;
};

struct TTapeReport {
  std::string RecordingName;
  TWaveFormat Format;
  std::int32_t Channel = 1;  // the channel read, counted from 1
  bool Inverted = false;     // the falling edges started the pulses
  bool PolarityFixed = false;
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
