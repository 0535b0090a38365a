#include "app/ReadFileSaving.h"

#include <QFileInfo>
#include <QStringList>
#include <optional>

#include "io/Exception.h"
#include "reader/ReadFileChoice.h"

namespace kvetro {

namespace {

QString Lines(const QStringList& Names) {
  return Names.join(u'\n');
}

QString NameOf(const TReadFileChoice& Choice) {
  return QString::fromStdString(Choice.FileName);
}

// Asks whether the files not read whole are kept; answers the choices that
// follow.
std::vector<TReadFileChoice> Choose(const std::vector<TFileReport>& Files, TMessageBoxes& Boxes) {
  const std::vector<TReadFileChoice> Bad = ChooseReadFiles(Files, true);
  QStringList NotWhole;
  for (const TReadFileChoice& Choice : Bad) {
    if (!Choice.Whole) {
      NotWhole << NameOf(Choice);
    }
  }
  if (NotWhole.isEmpty()) {
    return Bad;
  }
  const bool KeepBad =
      Boxes.Ask(QString::fromUtf8(
                    "Tyto soubory se nepřečetly celé. Uložit i to, co se z nich přečetlo?\n\n") +
                Lines(NotWhole));
  return KeepBad ? Bad : ChooseReadFiles(Files, false);
}

}  // namespace

void SaveReadFiles(const std::vector<TFileReport>& Files, TFileDialog& FolderDialog,
                   TMessageBoxes& Boxes) {
  const std::optional<QString> Folder = FolderDialog.Choose();
  if (!Folder) {
    return;
  }
  const std::string Where = Folder->toStdString();
  const std::vector<TReadFileChoice> Choices = Choose(Files, Boxes);
  const auto PathOf = [&Where](const TReadFileChoice& Choice) {
    return PathInFolder(Where, Choice.FileName);
  };

  QStringList Taken;
  for (const TReadFileChoice& Choice : Choices) {
    if (Choice.Written && QFileInfo::exists(QString::fromStdString(PathOf(Choice)))) {
      Taken << NameOf(Choice);
    }
  }
  const bool Replace =
      Taken.isEmpty() ||
      Boxes.Ask(QString::fromUtf8("Složka už tyto soubory obsahuje. Nahradit je?\n\n") +
                Lines(Taken));

  QStringList Written;
  QStringList Kept;
  QStringList NotWritten;
  QStringList Failures;
  for (std::size_t I = 0; I < Choices.size(); ++I) {
    const TReadFileChoice& Choice = Choices[I];
    if (!Choice.Written) {
      NotWritten << NameOf(Choice);
    } else if (!Replace && Taken.contains(NameOf(Choice))) {
      Kept << NameOf(Choice);
    } else {
      try {
        WriteReadFile(PathOf(Choice), Files[I].Mzf);
        Written << NameOf(Choice);
      } catch (const Exception& Failure) {
        Failures << QString::fromStdString(Failure.Message());
      }
    }
  }

  QString Text = Written.isEmpty() ? QString::fromUtf8("Nic nebylo uloženo.")
                                   : QString::fromUtf8("Uloženo do složky ") + *Folder +
                                         QStringLiteral(":\n") + Lines(Written);
  if (!Kept.isEmpty()) {
    Text += QString::fromUtf8("\n\nPonecháno, jak bylo:\n") + Lines(Kept);
  }
  if (!NotWritten.isEmpty()) {
    Text += QString::fromUtf8("\n\nNeuloženo, nepřečetlo se celé:\n") + Lines(NotWritten);
  }
  if (!Failures.isEmpty()) {
    Text += QString::fromUtf8("\n\nNelze uložit:\n") + Lines(Failures);
  }
  if (Failures.isEmpty() && NotWritten.isEmpty() && Kept.isEmpty()) {
    Boxes.ShowMessage(Text);
  } else {
    Boxes.ShowWarning(Text);
  }
}

}  // namespace kvetro
