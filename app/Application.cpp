#include "app/Application.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "app/Form1.h"

namespace kvetro {

int RunApplication(int ArgumentCount, char* Arguments[]) {
  if (ArgumentCount > 2) {
    std::fputs(ApplicationUsage, stderr);
    return 2;
  }
  // Only the program path reaches Qt, so that no argument changes anything.
  char FallbackPath[] = "kvetro";
  int QtArgumentCount = 1;
  char* QtArguments[] = {ArgumentCount > 0 ? Arguments[0] : FallbackPath, nullptr};
  QApplication Application(QtArgumentCount, QtArguments);
  QApplication::setApplicationName(QString::fromUtf8(ApplicationTitle));

  TForm1 Form1;
  if (ArgumentCount == 2) {
    // Made absolute now: the save dialog suggests a name in the file's folder.
    Form1.OpenWith(QFileInfo(QFile::decodeName(Arguments[1])).absoluteFilePath());
  }
  Form1.show();
  return QApplication::exec();
}

}  // namespace kvetro
