// Draws the real main window into a PNG, for the documentation. Meant for an
// offscreen or virtual display: QT_QPA_PLATFORM=offscreen kvetro-screenshot out.png
#include <QApplication>
#include <QPixmap>
#include <cstdio>

#include "app/Form1.h"

int main(int ArgumentCount, char* Arguments[]) {
  QApplication Application(ArgumentCount, Arguments);
  if (ArgumentCount != 2) {
    std::fprintf(stderr, "usage: kvetro-screenshot <file.png>\n");
    return 2;
  }
  kvetro::TForm1 Form1;
  Form1.show();
  QApplication::processEvents();
  if (!Form1.grab().save(QString::fromLocal8Bit(Arguments[1]), "PNG")) {
    std::fprintf(stderr, "kvetro-screenshot: cannot write %s\n", Arguments[1]);
    return 1;
  }
  return 0;
}
