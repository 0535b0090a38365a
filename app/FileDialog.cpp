#include "app/FileDialog.h"

namespace kvetro {

TFileDialog::TFileDialog(QWidget* Parent) : QFileDialog(Parent) {}

std::optional<QString> TFileDialog::Choose() {
  const std::optional<QStringList> Files = ChooseFiles();
  if (!Files) {
    return std::nullopt;
  }
  return Files->front();
}

std::optional<QStringList> TFileDialog::ChooseFiles() {
  if (!FAnswers.empty()) {
    // Built from the front element in place: g++ 12 at -O3 wrongly warns
    // that a moved-from optional may be used uninitialised.
    if (!FAnswers.front().has_value() || FAnswers.front()->isEmpty()) {
      FAnswers.pop_front();
      return std::nullopt;
    }
    QStringList Answer = *FAnswers.front();
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
  return Files;
}

}  // namespace kvetro
