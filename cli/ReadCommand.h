#pragma once

#include <ostream>

#include "cli/ReadSettings.h"

namespace kvetro {

// `kvetro-cli read`: reads the recording as a stream (never whole), prints
// the core's report to Out, then writes each file read whole as NAME.mzf in
// the chosen folder and says so, one line each. What is not written (a file
// not read whole, a name that is taken) is said on Errors, the other files
// are still written. Answers the exit status: ExitWritten when every file
// found was written whole (or would be, with a dry run), else ExitFailed.
// Raises the reader's and the platform's failures (a recording that is no
// readable WAV, a folder, a FIFO, a missing file) before anything is written.
int RunReadCommand(const TReadSettings& Settings, std::ostream& Out, std::ostream& Errors);

}  // namespace kvetro
