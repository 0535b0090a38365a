// Start-up to a shown window, as a whole process: the same steps as the
// program's own start (application object, main window, show), then the
// process ends as soon as the window has painted itself once. scripts/bench
// times the process from outside; the window itself has no way to be told to
// quit, and gets none.
#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include "app/Application.h"
#include "app/Form1.h"

namespace {

// Ends the event loop after the first paint of the watched window.
class TFirstPaint : public QObject {
 public:
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    if (Event->type() == QEvent::Paint && !FSeen) {
      FSeen = true;
      QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
    return QObject::eventFilter(Watched, Event);
  }

 private:
  bool FSeen = false;
};

}  // namespace

int main(int /*ArgumentCount*/, char* Arguments[]) {
  // Only the program path reaches Qt, as in the program's own start.
  int ArgumentCount = 1;
  char* QtArguments[] = {Arguments[0], nullptr};
  QApplication Application(ArgumentCount, QtArguments);
  QApplication::setApplicationName(QString::fromUtf8(kvetro::ApplicationTitle));

  kvetro::TForm1 Form1;
  TFirstPaint Watcher;
  Form1.installEventFilter(&Watcher);
  Form1.show();
  // Should nothing ever paint, the measurement ends anyway, visibly slow.
  QTimer::singleShot(10000, &Application, &QCoreApplication::quit);
  return QApplication::exec();
}
