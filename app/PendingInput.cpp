#include "app/PendingInput.h"

#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QMimeData>
#include <QUrl>
#include <utility>

namespace kvetro {

void TPendingInput::Set(const QString& MzfPath) {
  FWaiting = MzfPath;
}

std::optional<QString> TPendingInput::TakeInput() {
  FTaken = std::exchange(FWaiting, std::nullopt);
  return FTaken;
}

std::optional<QString> TPendingInput::TakeOutputSuggestion() {
  const std::optional<QString> Input = std::exchange(FTaken, std::nullopt);
  if (!Input) {
    return std::nullopt;
  }
  const QFileInfo File(*Input);
  return File.dir().filePath(File.completeBaseName() + QStringLiteral(".wav"));
}

std::optional<QString> TPendingInput::DroppedFile(const QMimeData& Data) {
  const QList<QUrl> Urls = Data.urls();
  if (Urls.size() != 1 || !Urls.front().isLocalFile()) {
    return std::nullopt;
  }
  const QString Path = Urls.front().toLocalFile();
  if (!Path.endsWith(QStringLiteral(".mzf"), Qt::CaseInsensitive) &&
      !Path.endsWith(QStringLiteral(".wav"), Qt::CaseInsensitive)) {
    return std::nullopt;
  }
  return Path;
}

}  // namespace kvetro
