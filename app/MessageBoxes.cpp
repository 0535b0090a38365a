#include "app/MessageBoxes.h"

namespace kvetro {

QMessageBox::StandardButton TMessageBoxes::Show(QMessageBox::Icon Icon, const QString& Text,
                                                QMessageBox::StandardButtons Buttons,
                                                QMessageBox::StandardButton Default) {
  FShown.push_back(TShownBox{Icon, FTitle, Text});
  if (!FAnswers.empty()) {
    const bool Yes = FAnswers.front();
    FAnswers.pop_front();
    return Buttons.testFlag(QMessageBox::Ok) ? QMessageBox::Ok
           : Yes                             ? QMessageBox::Yes
                                             : QMessageBox::No;
  }
  // Without a parent the dialog centres itself on the screen; exec() makes it
  // application modal.
  QMessageBox Box(Icon, FTitle, Text, Buttons);
  Box.setDefaultButton(Default);
  return static_cast<QMessageBox::StandardButton>(Box.exec());
}

bool TMessageBoxes::Ask(const QString& Text) {
  return Show(QMessageBox::Question, Text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
         QMessageBox::Yes;
}

}  // namespace kvetro
