#pragma once

#include <QFileDialog>
#include <QString>
#include <deque>
#include <optional>

namespace kvetro {

// A file dialog that answers with one file name, or with nothing when the
// user cancels. Tests (and only they) queue answers: each queued answer is
// used once in place of showing the dialog.
class TFileDialog : public QFileDialog {
  Q_OBJECT

 public:
  explicit TFileDialog(QWidget* Parent = nullptr);

  std::optional<QString> Choose();

  void QueueAnswer(std::optional<QString> Answer) { FAnswers.push_back(std::move(Answer)); }
  std::size_t QueuedAnswers() const { return FAnswers.size(); }

 private:
  std::deque<std::optional<QString>> FAnswers;
};

}  // namespace kvetro
