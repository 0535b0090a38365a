// Draws the real main window into a PNG, for the documentation; given a
// recording too, reads it in the window and draws the report dialog that
// follows. Meant for an offscreen or virtual display:
//   QT_QPA_PLATFORM=offscreen kvetro-screenshot window.png [recording.wav report.png]
#include <QApplication>
#include <QPixmap>
#include <cstdio>

#include "app/Form1.h"
#include "app/ReadReportDialog.h"
#include "app/RecordingRead.h"

namespace {

bool Save(QWidget& Widget, const char* Name) {
  if (!Widget.grab().save(QString::fromLocal8Bit(Name), "PNG")) {
    std::fprintf(stderr, "kvetro-screenshot: cannot write %s\n", Name);
    return false;
  }
  return true;
}

}  // namespace

int main(int ArgumentCount, char* Arguments[]) {
  QApplication Application(ArgumentCount, Arguments);
  if (ArgumentCount != 2 && ArgumentCount != 4) {
    std::fprintf(stderr, "usage: kvetro-screenshot <window.png> [<recording.wav> <report.png>]\n");
    return 2;
  }
  kvetro::TForm1 Form1;
  Form1.show();
  QApplication::processEvents();
  if (!Save(Form1, Arguments[1])) {
    return 1;
  }
  if (ArgumentCount == 2) {
    return 0;
  }
  Form1.ReadRecording(QString::fromLocal8Bit(Arguments[2]));
  while (Form1.RecordingRead().Running()) {
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  QApplication::processEvents();
  auto* Report = Form1.findChild<kvetro::TReadReportDialog*>();
  if (Report == nullptr) {
    std::fprintf(stderr, "kvetro-screenshot: %s was not read\n", Arguments[2]);
    return 1;
  }
  // Tall enough for the report of one file and all of its pictures.
  Report->resize(760, 1040);
  QApplication::processEvents();
  return Save(*Report, Arguments[3]) ? 0 : 1;
}
