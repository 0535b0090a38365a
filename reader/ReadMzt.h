#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "reader/TapeReport.h"

namespace kvetro {

// A read as one MZT file: the MZF files read whole, back to back in the
// order of the recording, as an archive keeps a cassette side. A file not
// read whole is left out, never sent on as if it were right.
struct TReadMzt {
  std::vector<std::uint8_t> Bytes;
  std::size_t Files = 0;  // read whole, and in Bytes
  // The files left out, as their places in the read (from 0).
  std::vector<std::size_t> LeftOut;
};

TReadMzt MztOfRead(const std::vector<TFileReport>& Files);

}  // namespace kvetro
