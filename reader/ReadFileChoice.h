#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "reader/ReadFileNames.h"
#include "reader/TapeReport.h"

namespace kvetro {

// What becomes of the files of one read, as kvetro-cli read and the window
// both keep them: a file read whole is written as NAME.mzf; one that was
// not is written only when the user asks for what was read, as NAME.bad.mzf,
// so that it is never taken for a good copy. NAME comes from
// reader/ReadFileNames.h, in the order of the files.
inline constexpr const char* MzfExtension = ".mzf";
inline constexpr const char* BadMzfExtension = ".bad.mzf";

struct TReadFileChoice {
  // The file's name in the folder: NAME.bad.mzf for a file not read whole
  // that is kept all the same, else NAME.mzf (also for one not written, so
  // that the user is told which file that is).
  std::string FileName;
  bool Whole = false;
  bool Written = false;  // read whole, or kept although it was not
};

class TReadFileChooser {
 public:
  explicit TReadFileChooser(bool KeepBad) : FKeepBad(KeepBad) {}

  // The next file of the read, as it comes.
  TReadFileChoice Next(const TFileReport& File);

 private:
  bool FKeepBad;
  TReadFileNamer FNames;
};

// The choices for all the files of a report, in its order.
std::vector<TReadFileChoice> ChooseReadFiles(const std::vector<TFileReport>& Files, bool KeepBad);

// Name in Folder, which may end in a separator; an empty Folder is the
// current one.
std::string PathInFolder(const std::string& Folder, const std::string& Name);

// Writes a file that was read, whole or not at all, as the WAVs are written:
// Path holds what it held before or the complete file. Raises the output's
// failures (io/StreamErrors.h) with Path and the reason.
void WriteReadFile(const std::string& Path, const std::vector<std::uint8_t>& Bytes);

}  // namespace kvetro
