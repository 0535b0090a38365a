#pragma once

#include <string>

#include "tape/MzfInfo.h"

namespace kvetro {

// The lines kvetro-cli --info prints and the page shows: the header's
// fields, the body in the file, and when a conversion is planned each tape
// file's playing time (with its timing when the layout or the rate is not
// the window's), the total and the WAV's size.
std::string MzfInfoText(const TMzfInfo& Info);

// The same for a tape: for one file exactly MzfInfoText's lines; for
// several, each file's fields and playing time under its label, then the
// layout and timing they share, the total and the WAV's size.
std::string TapeInfoText(const TTapeInfo& Info);

}  // namespace kvetro
