#pragma once

#include <ostream>
#include <vector>

#include "cli/ReadSettings.h"
#include "reader/TapeReport.h"

namespace kvetro {

// `kvetro-cli read --mzt`, once the read is over: writes every file read
// whole into the one MZT file (reader/ReadMzt.h), whole or not at all, and
// says so on Out. Names on Errors each file left out, and why the MZT is not
// written when it is not (no file read whole, the recording's own name, a
// name that is taken without --force, a failure). Answers whether the MZT
// holds every file of the read (or would, with a dry run).
bool KeepMzt(const TReadSettings& Settings, const std::vector<TFileReport>& Files,
             std::ostream& Out, std::ostream& Errors);

}  // namespace kvetro
