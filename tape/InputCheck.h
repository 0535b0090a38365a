#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tape/ConversionSettings.h"
#include "tape/MzfImage.h"
#include "tape/MzfTape.h"

namespace kvetro {

// What a loaded file gives away before it is converted. The window, the
// command line and the page all take their refusal and warning from here.

// A RIFF/WAVE file, told by its first bytes: a recording, most likely given
// in the place of the tape image (the two file names swapped). A load
// refuses it.
bool IsWaveFile(const std::uint8_t* Data, std::size_t Length);

// What in the header does not look like an MZF tape image's, as one warning
// that names each doubt; nothing when the header looks right. The run goes
// on after it: an odd header may still be what the user wants sent.
std::optional<std::string> HeaderWarning(const TMzfImage& Image);

// Why the tape cannot be converted in the given layout: several files for
// the fast loader, a file of 64 KiB or more, a body size of 0 (no block for
// a loader to read); the first found, said of its file.
std::optional<std::string> TapeRefusal(const TMzfTape& Tape, TTapeLayoutChoice Layout);

// The warnings of a tape that is not refused, file by file, each said of its
// file: the header's doubts; and for a conversion also a body that runs past
// the end of the file (sent as zeros) and left-over bytes (not sent).
enum class TWarningsFor { Description, Conversion };
std::vector<std::string> TapeWarnings(const TMzfTape& Tape, TWarningsFor Purpose);

}  // namespace kvetro
