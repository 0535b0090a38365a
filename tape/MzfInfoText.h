#pragma once

#include <string>

#include "tape/MzfInfo.h"

namespace kvetro {

// The lines kvetro-cli --info prints and the page shows: the header's
// fields, the body in the file, and when a conversion is planned each tape
// file's playing time (with its timing when the layout or the rate is not
// the window's), the total and the WAV's size.
std::string MzfInfoText(const TMzfInfo& Info);

}  // namespace kvetro
