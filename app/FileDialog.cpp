#include "app/FileDialog.h"

#include <QStringList>

namespace kvetro {

TFileDialog::TFileDialog(QWidget* Parent) : QFileDialog(Parent) {}

std::optional<QString> TFileDialog::Choose() {
  if (!FAnswers.empty()) {
    // Built from the front element in place: g++ 12 at -O3 wrongly warns
    // that a moved-from optional<QString> may be used uninitialised.
    if (!FAnswers.front().has_value()) {
      FAnswers.pop_front();
      return std::nullopt;
    }
    QString Answer = *FAnswers.front();
    FAnswers.pop_front();
    return Answer;
  }
  if (exec() != QDialog::Accepted) {
    return std::nullopt;
  }
  const QStringList Files = selectedFiles();
  if (Files.isEmpty()) {
    return std::nullopt;
  }
  return Files.front();
}

}  // namespace kvetro
