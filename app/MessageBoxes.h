#pragma once

#include <QMessageBox>
#include <QString>
#include <vector>

namespace kvetro {

// One box as it was put in front of the user.
struct TShownBox {
  QMessageBox::Icon Icon = QMessageBox::NoIcon;
  QString Title;
  QString Text;
};

// The window's modal message boxes: one OK button, the application's title,
// centred on the screen. Every box is recorded; tests queue answers so that a
// box is acknowledged without being shown.
class TMessageBoxes {
 public:
  explicit TMessageBoxes(QString Title) : FTitle(std::move(Title)) {}

  // A plain message, no icon.
  void ShowMessage(const QString& Text) { Show(QMessageBox::NoIcon, Text); }
  // Something the user should know while the work goes on: warning icon.
  void ShowWarning(const QString& Text) { Show(QMessageBox::Warning, Text); }
  // A failure that ended what the user started: stop icon.
  void ShowStop(const QString& Text) { Show(QMessageBox::Critical, Text); }

  const QString& Title() const { return FTitle; }

  // The next box is answered with OK instead of being shown.
  void QueueAnswer() { ++FQueuedAnswers; }
  int QueuedAnswers() const { return FQueuedAnswers; }
  const std::vector<TShownBox>& Shown() const { return FShown; }

 private:
  void Show(QMessageBox::Icon Icon, const QString& Text);

  QString FTitle;
  int FQueuedAnswers = 0;
  std::vector<TShownBox> FShown;
};

}  // namespace kvetro
