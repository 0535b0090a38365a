#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "reader/TapeReader.h"
#include "tape/ConversionSettings.h"

namespace kvetro {

// What `kvetro-cli read` is asked to do with one recording.
struct TReadSettings {
  std::string RecordingName;
  std::string OutFolder;  // empty: the current folder
  // The MZT of every file read whole, in the order of the recording; empty
  // for none. --mzt without --out writes it alone: no MZF files.
  std::string MztName;
  bool WriteMzfFiles = true;
  bool DryRun = false;   // report, write nothing
  bool Force = false;    // replace files that exist
  bool KeepBad = false;  // write a file not read whole as NAME.bad.mzf
  TReadOptions Options;
};

// --channel: a WAV counts its channels in 16 bits.
inline constexpr TSettingRange ChannelRange{1, std::numeric_limits<std::uint16_t>::max()};

}  // namespace kvetro
