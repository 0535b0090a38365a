#pragma once

#include <QFileDialog>
#include <QString>
#include <QStringList>
#include <deque>
#include <optional>

namespace kvetro {

// A file dialog that answers with the files chosen, or with nothing when the
// user cancels. Tests (and only they) queue answers: each queued answer is
// used once in place of showing the dialog.
class TFileDialog : public QFileDialog {
  Q_OBJECT

 public:
  explicit TFileDialog(QWidget* Parent = nullptr);

  // The first file chosen.
  std::optional<QString> Choose();
  // Every file chosen, in the order the dialog gives them: the order in
  // which they were picked, or typed into its name line.
  std::optional<QStringList> ChooseFiles();

  void QueueAnswer(std::optional<QString> Answer) {
    FAnswers.push_back(Answer ? std::optional(QStringList{*Answer}) : std::nullopt);
  }
  void QueueAnswer(const QStringList& Files) { FAnswers.emplace_back(Files); }
  std::size_t QueuedAnswers() const { return FAnswers.size(); }

 private:
  std::deque<std::optional<QStringList>> FAnswers;
};

}  // namespace kvetro
