#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QMimeData;

namespace kvetro {

// The tape files handed to the window from outside, by the command line (a
// file manager's double-click) or by a drop, for the next press of the start
// button: that press takes them instead of asking in the open dialog, and
// the save dialog then suggests the first one's name with .wav in the same
// folder. One press uses them; later presses ask as usual.
class TPendingInput {
 public:
  // Wait for the next press; a later call replaces them.
  void Set(const QStringList& Paths);

  // The start of a run: answers the waiting files and keeps them for the
  // save dialog's suggestion. With none waiting, answers nothing and forgets
  // any earlier ones, so that a suggestion never outlives its run.
  std::optional<QStringList> TakeInput();

  // The WAV name for the files that this run took; answered once.
  std::optional<QString> TakeOutputSuggestion();

  // The local files of a drag or a drop, if that is what it holds: one .wav
  // file, or one or more tape images (.mzf, .m12, .mzt) in the order given.
  static std::optional<QStringList> DroppedFiles(const QMimeData& Data);

 private:
  std::optional<QStringList> FWaiting;
  std::optional<QStringList> FTaken;
};

}  // namespace kvetro
