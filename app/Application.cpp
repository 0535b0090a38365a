#include "app/Application.h"

#include <QApplication>

#include "app/Form1.h"

namespace kvetro {

int RunApplication(char* ProgramPath) {
  // Only the program path reaches Qt, so that no argument changes anything.
  int ArgumentCount = 1;
  char* Arguments[] = {ProgramPath, nullptr};
  QApplication Application(ArgumentCount, Arguments);
  QApplication::setApplicationName(QString::fromUtf8(ApplicationTitle));

  TForm1 Form1;
  Form1.show();
  return QApplication::exec();
}

}  // namespace kvetro
