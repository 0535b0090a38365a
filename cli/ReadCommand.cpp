#include "cli/ReadCommand.h"

#include <cstdio>
#include <iostream>
#include <string>

#include "cli/CliApplication.h"
#include "cli/MzfKeeper.h"
#include "cli/MztKeeper.h"
#include "cli/StreamedRead.h"
#include "io/PlatformFile.h"
#include "io/PlatformInputFile.h"
#include "io/PlatformInputStream.h"
#include "reader/ReportText.h"
#include "reader/TapeReader.h"
#include "wave/FileStream.h"

namespace kvetro {

int RunReadCommand(const TReadSettings& Settings, std::ostream& Out, std::ostream& Errors) {
  if (IsStreamName(Settings.RecordingName)) {
    // The updating line only where a person watches it.
    const bool Progress = &Errors == &std::cerr && IsTerminal(stderr);
    return RunStreamedRead(Settings, Out, Errors, Progress);
  }
  TFileStream Recording(OpenInputFile(Settings.RecordingName));
  const TTapeReport Report = ReadTape(Recording, Settings.RecordingName, Settings.Options);
  Out << ReportText(Report) << std::flush;
  if (Report.Files.empty()) {
    // The report has said so, with what to try.
    return ExitFailed;
  }
  TMzfKeeper Keeper(Settings, Out, Errors);
  for (const TFileReport& File : Report.Files) {
    Keeper.Keep(File);
  }
  const bool MztKept = Settings.MztName.empty() || KeepMzt(Settings, Report.Files, Out, Errors);
  return Keeper.AllWritten() && MztKept ? ExitWritten : ExitFailed;
}

}  // namespace kvetro
