#include "app/MessageBoxes.h"

namespace kvetro {

void TMessageBoxes::Show(QMessageBox::Icon Icon, const QString& Text) {
  FShown.push_back(TShownBox{Icon, FTitle, Text});
  if (FQueuedAnswers > 0) {
    --FQueuedAnswers;
    return;
  }
  // Without a parent the dialog centres itself on the screen; exec() makes it
  // application modal.
  QMessageBox Box(Icon, FTitle, Text, QMessageBox::Ok);
  Box.setDefaultButton(QMessageBox::Ok);
  Box.exec();
}

}  // namespace kvetro
