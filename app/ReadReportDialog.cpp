#include "app/ReadReportDialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QVBoxLayout>

#include "app/ReadFileSaving.h"
#include "app/ReadWindowPicture.h"
#include "reader/ReportText.h"
#include "tape/MzfName.h"

namespace kvetro {

namespace {

// The blocks of a file, each with its name in the window's language.
struct TCzechBlock {
  const char* Name;
  const std::optional<TBlockReport>& Block;
};

std::vector<TCzechBlock> BlocksOf(const TFileReport& File) {
  if (File.FastLoader) {
    return {
        {"hlavička zavaděče", File.Header}, {"tělo zavaděče", File.Body}, {"tělo", File.FastBody}};
  }
  return {{"hlavička", File.Header}, {"tělo", File.Body}};
}

// "Soubor 1 „GAME“, tělo v 0:06.8: okno čtení 22.7 až 45.4 µs (22.7 µs)".
QString Caption(int Number, const TFileReport& File, const TCzechBlock& Named) {
  const TBlockReport& Block = *Named.Block;
  QString Text = QString::fromUtf8("Soubor %1 „%2“, %3 v %4: ")
                     .arg(Number)
                     .arg(QString::fromStdString(NameText(File.Name)))
                     .arg(QString::fromUtf8(Named.Name))
                     .arg(QString::fromStdString(RecordingTime(Block.StartSeconds)));
  if (!Block.Window) {
    return Text + QString::fromUtf8("blok se nepřečetl");
  }
  const TReadWindow& Window = *Block.Window;
  if (!Window.IsOpen()) {
    return Text + QString::fromUtf8("okno čtení zavřené (krátké pulzy až %1 µs, dlouhé od %2 µs)")
                      .arg(Window.FromUs, 0, 'f', 1)
                      .arg(Window.ToUs, 0, 'f', 1);
  }
  return Text + QString::fromUtf8("okno čtení %1 až %2 µs (%3 µs)")
                    .arg(Window.FromUs, 0, 'f', 1)
                    .arg(Window.ToUs, 0, 'f', 1)
                    .arg(Window.WidthUs(), 0, 'f', 1);
}

}  // namespace

TReadReportDialog::TReadReportDialog(const TTapeReport& Report, TFileDialog& FolderDialog,
                                     TMessageBoxes& Boxes, QWidget* Parent)
    : QDialog(Parent), FReport(Report), FFolderDialog(FolderDialog), FBoxes(Boxes) {
  setObjectName(QStringLiteral("ReadReportDialog"));
  setWindowTitle(QString::fromUtf8("Nahrávka ") +
                 QFileInfo(QString::fromStdString(Report.RecordingName)).fileName());
  setSizeGripEnabled(true);

  FText = new QPlainTextEdit(QString::fromStdString(ReportText(Report)), this);
  FText->setObjectName(QStringLiteral("ReportText"));
  FText->setReadOnly(true);
  FText->setLineWrapMode(QPlainTextEdit::NoWrap);
  FText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

  auto* Pictures = new QScrollArea(this);
  Pictures->setObjectName(QStringLiteral("Pictures"));
  Pictures->setWidgetResizable(true);
  Pictures->setWidget(MakePictures());

  auto* Parts = new QSplitter(Qt::Vertical, this);
  Parts->addWidget(FText);
  Parts->addWidget(Pictures);

  auto* Buttons = new QDialogButtonBox(this);
  FSave = Buttons->addButton(QString::fromUtf8("&Uložit soubory…"), QDialogButtonBox::ActionRole);
  FSave->setObjectName(QStringLiteral("SaveFiles"));
  FSave->setEnabled(!Report.Files.empty());
  QPushButton* Close =
      Buttons->addButton(QString::fromUtf8("&Zavřít"), QDialogButtonBox::RejectRole);
  connect(FSave, &QPushButton::clicked, this,
          [this] { SaveReadFiles(FReport.Files, FFolderDialog, FBoxes); });
  connect(Close, &QPushButton::clicked, this, &QDialog::reject);

  auto* Layout = new QVBoxLayout(this);
  Layout->addWidget(Parts, 1);
  Layout->addWidget(Buttons);
  resize(760, 660);
}

QString TReadReportDialog::Text() const {
  return FText->toPlainText();
}

QWidget* TReadReportDialog::MakePictures() const {
  auto* Pictures = new QWidget;
  auto* Column = new QVBoxLayout(Pictures);
  int Number = 0;
  for (const TFileReport& File : FReport.Files) {
    ++Number;
    for (const TCzechBlock& Named : BlocksOf(File)) {
      if (!Named.Block) {
        continue;
      }
      auto* Label = new QLabel(Caption(Number, File, Named), Pictures);
      Label->setTextInteractionFlags(Qt::TextSelectableByMouse);
      Column->addWidget(Label);
      Column->addWidget(new TReadWindowPicture(*Named.Block, Pictures));
    }
  }
  if (Number == 0) {
    Column->addWidget(new QLabel(QString::fromUtf8("Žádný soubor, nic k zobrazení."), Pictures));
  }
  Column->addStretch(1);
  return Pictures;
}

}  // namespace kvetro
