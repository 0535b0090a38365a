#pragma once

#include <QMessageBox>
#include <QString>
#include <deque>
#include <vector>

namespace kvetro {

// One box as it was put in front of the user.
struct TShownBox {
  QMessageBox::Icon Icon = QMessageBox::NoIcon;
  QString Title;
  QString Text;
};

// The window's modal message boxes: one OK button (a question: Yes and No),
// the application's title, centred on the screen. Every box is recorded;
// tests queue answers so that a box is answered without being shown.
class TMessageBoxes {
 public:
  explicit TMessageBoxes(QString Title) : FTitle(std::move(Title)) {}

  // A plain message, no icon.
  void ShowMessage(const QString& Text) { Show(QMessageBox::NoIcon, Text); }
  // Something the user should know while the work goes on: warning icon.
  void ShowWarning(const QString& Text) { Show(QMessageBox::Warning, Text); }
  // A failure that ended what the user started: stop icon.
  void ShowStop(const QString& Text) { Show(QMessageBox::Critical, Text); }
  // A choice the user makes: true for Yes. No is the default button.
  bool Ask(const QString& Text);

  const QString& Title() const { return FTitle; }

  // The next box is answered instead of being shown: OK, or for a question
  // Yes (true) or No.
  void QueueAnswer(bool Yes = true) { FAnswers.push_back(Yes); }
  int QueuedAnswers() const { return static_cast<int>(FAnswers.size()); }
  const std::vector<TShownBox>& Shown() const { return FShown; }

 private:
  // The answer: the button pressed.
  QMessageBox::StandardButton Show(QMessageBox::Icon Icon, const QString& Text,
                                   QMessageBox::StandardButtons Buttons = QMessageBox::Ok,
                                   QMessageBox::StandardButton Default = QMessageBox::Ok);

  QString FTitle;
  std::deque<bool> FAnswers;
  std::vector<TShownBox> FShown;
};

}  // namespace kvetro
