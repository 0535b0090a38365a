#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "tape/MzfImage.h"

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

}  // namespace kvetro
