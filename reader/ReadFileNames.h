#pragma once

#include <string>
#include <vector>

#include "reader/TapeReport.h"
#include "reader/UniqueNames.h"

namespace kvetro {

// The names of the files of one read, without their extension, in the order
// the files come: the header's name made safe (reader/SafeFileName.h),
// numbered -2, -3... where an earlier file of the read has it
// (reader/UniqueNames.h). A file that was not read whole takes its name too,
// so that the names of the others do not depend on whether it is written.
class TReadFileNamer {
 public:
  std::string Next(const TFileReport& File);

 private:
  TUniqueNames FNames;
};

// The names of all the files of a report, in its order.
std::vector<std::string> ReadFileNames(const std::vector<TFileReport>& Files);

}  // namespace kvetro
