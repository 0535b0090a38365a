#pragma once

#include <ostream>

#include "cli/ReadSettings.h"

namespace kvetro {

// `kvetro-cli read`: reads the recording as a stream (never whole), prints
// the core's report to Out, then writes each file read whole as NAME.mzf in
// the chosen folder (cli/MzfKeeper.h) and says so, one line each. Standard
// input ("-"), a named pipe or a device is read as it comes instead
// (cli/StreamedRead.h). What is not written (a file
// not read whole, a name that is taken) is said on Errors, the other files
// are still written. Answers the exit status: ExitWritten when every file
// found was written whole (or would be, with a dry run), else ExitFailed.
// Raises the reader's and the platform's failures (a recording that is no
// readable WAV, a folder, a missing file) before anything is written.
int RunReadCommand(const TReadSettings& Settings, std::ostream& Out, std::ostream& Errors);

}  // namespace kvetro
