#include "app/PendingInput.h"

#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <initializer_list>
#include <utility>

namespace kvetro {

namespace {

bool EndsWithAny(const QString& Path, std::initializer_list<const char*> Extensions) {
  for (const char* Extension : Extensions) {
    if (Path.endsWith(QLatin1String(Extension), Qt::CaseInsensitive)) {
      return true;
    }
  }
  return false;
}

}  // namespace

void TPendingInput::Set(const QStringList& Paths) {
  FWaiting = Paths;
}

std::optional<QStringList> TPendingInput::TakeInput() {
  FTaken = std::exchange(FWaiting, std::nullopt);
  return FTaken;
}

std::optional<QString> TPendingInput::TakeOutputSuggestion() {
  const std::optional<QStringList> Input = std::exchange(FTaken, std::nullopt);
  if (!Input || Input->isEmpty()) {
    return std::nullopt;
  }
  const QFileInfo File(Input->front());
  return File.dir().filePath(File.completeBaseName() + QStringLiteral(".wav"));
}

std::optional<QStringList> TPendingInput::DroppedFiles(const QMimeData& Data) {
  const QList<QUrl> Urls = Data.urls();
  QStringList Paths;
  for (const QUrl& Url : Urls) {
    if (!Url.isLocalFile()) {
      return std::nullopt;
    }
    Paths << Url.toLocalFile();
  }
  if (Paths.isEmpty()) {
    return std::nullopt;
  }
  if (Paths.size() == 1 && EndsWithAny(Paths.front(), {".wav"})) {
    return Paths;
  }
  if (!std::all_of(Paths.begin(), Paths.end(), [](const QString& Path) {
        return EndsWithAny(Path, {".mzf", ".m12", ".mzt"});
      })) {
    return std::nullopt;
  }
  return Paths;
}

}  // namespace kvetro
