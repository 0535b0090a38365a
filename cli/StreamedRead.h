#pragma once

#include <ostream>

#include "cli/ReadSettings.h"

namespace kvetro {

// `kvetro-cli read` of a recording that comes as a stream (standard input,
// a named pipe, a device): the report is printed as the reading goes, each
// file written the moment it is read whole, output flushed; the end of the
// stream or Ctrl+C ends the reading as the end of a file does, and the files
// not read whole are reported then. With Progress, Errors shows one line
// that keeps being rewritten: the time read, the level and the files so
// far. Answers the exit status as RunReadCommand does.
int RunStreamedRead(const TReadSettings& Settings, std::ostream& Out, std::ostream& Errors,
                    bool Progress);

}  // namespace kvetro
