#include "app/FileDialog.h"

#include <QStringList>

namespace kvetro {

TFileDialog::TFileDialog(QWidget* Parent) : QFileDialog(Parent) {}

std::optional<QString> TFileDialog::Choose() {
  if (!FAnswers.empty()) {
    std::optional<QString> Answer = std::move(FAnswers.front());
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
