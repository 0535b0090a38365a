#pragma once

#include <QDialog>

#include "app/FileDialog.h"
#include "app/MessageBoxes.h"
#include "reader/TapeReport.h"

class QPlainTextEdit;
class QPushButton;

namespace kvetro {

// What reading a recording found: the reader's report as kvetro-cli read
// prints it (monospaced, scrollable, to select and copy), under it the
// picture of each block's read window (app/ReadWindowPicture.h), and the
// button that saves the files read (app/ReadFileSaving.h). Not modal: the
// window stays usable beside it.
class TReadReportDialog : public QDialog {
  Q_OBJECT

 public:
  TReadReportDialog(const TTapeReport& Report, TFileDialog& FolderDialog, TMessageBoxes& Boxes,
                    QWidget* Parent);

  QString Text() const;
  QPushButton& SaveButton() const { return *FSave; }

 private:
  QWidget* MakePictures() const;

  TTapeReport FReport;
  TFileDialog& FFolderDialog;
  TMessageBoxes& FBoxes;
  QPlainTextEdit* FText = nullptr;
  QPushButton* FSave = nullptr;
};

}  // namespace kvetro
