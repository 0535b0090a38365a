#pragma once

#include <ostream>

#include "cli/ReadSettings.h"
#include "reader/ReadFileChoice.h"
#include "reader/TapeReport.h"

namespace kvetro {

// Keeps the files that `kvetro-cli read` finds, one at a time as they come,
// as reader/ReadFileChoice.h chooses (NAME.bad.mzf with --keep-bad), in the
// chosen folder (made when missing, with its parents, before the first file
// goes in); says on Out what it wrote and on Errors what it did not, and
// why. Out is flushed after each file. With --mzt alone it writes nothing,
// only counts the files read whole.
class TMzfKeeper {
 public:
  TMzfKeeper(const TReadSettings& Settings, std::ostream& Out, std::ostream& Errors)
      : FSettings(Settings), FOut(Out), FErrors(Errors), FChooser(Settings.KeepBad) {}

  void Keep(const TFileReport& File);
  // Every file kept so far was read whole and written (or would be).
  bool AllWritten() const { return FAllWritten; }

 private:
  bool FolderReady();

  const TReadSettings& FSettings;
  std::ostream& FOut;
  std::ostream& FErrors;
  TReadFileChooser FChooser;
  bool FAllWritten = true;
  bool FFolderMade = false;
};

}  // namespace kvetro
