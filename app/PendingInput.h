#pragma once

#include <QString>
#include <optional>

class QMimeData;

namespace kvetro {

// An MZF file handed to the window from outside, by the command line (a file
// manager's double-click) or by a drop, for the next press of the start
// button: that press takes it instead of asking in the open dialog, and the
// save dialog then suggests the same name with .wav in the same folder. One
// press uses it; later presses ask as usual.
class TPendingInput {
 public:
  // Waits for the next press; a later call replaces the file.
  void Set(const QString& MzfPath);

  // The start of a run: answers the waiting file and keeps it for the save
  // dialog's suggestion. With none waiting, answers nothing and forgets any
  // earlier one, so that a suggestion never outlives its run.
  std::optional<QString> TakeInput();

  // The WAV name for the file that this run took; answered once.
  std::optional<QString> TakeOutputSuggestion();

  // The one local .mzf or .wav file of a drag or a drop, if that is what it
  // holds.
  static std::optional<QString> DroppedFile(const QMimeData& Data);

 private:
  std::optional<QString> FWaiting;
  std::optional<QString> FTaken;
};

}  // namespace kvetro
