#pragma once

#include <string>
#include <vector>

#include "reader/TapeReport.h"

namespace kvetro {

// The names of the files of one read, without their extension, one for each
// file of the report in its order: the header's name made safe
// (reader/SafeFileName.h), numbered -2, -3... where an earlier file of the
// read has it (reader/UniqueNames.h). A file that was not read whole takes
// its name too, so that the names of the others do not depend on whether it
// is written.
std::vector<std::string> ReadFileNames(const std::vector<TFileReport>& Files);

}  // namespace kvetro
