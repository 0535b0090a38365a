#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <limits>
#include <utility>

#include "app/CaptionFit.h"
#include "app/DefaultHandler.h"
#include "app/FileDialog.h"
#include "app/Form1.h"
#include "app/MessageBoxes.h"
#include "app/SpinEdit.h"
#include "io/StreamErrors.h"
#include "tests/app/ShownBoxes.h"

using namespace kvetro;

namespace {

// The controls directly inside Parent (not the dialogs, which are windows).
QList<QWidget*> ControlsIn(const QWidget& Parent) {
  QList<QWidget*> Controls;
  for (QWidget* Child : Parent.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (!Child->isWindow() && !Child->objectName().isEmpty()) {
      Controls << Child;
    }
  }
  return Controls;
}

// The form below the menu bar, as it was drawn.
const QWidget& Client(const TForm1& Form) {
  return *Form.findChild<QWidget*>("ClientArea");
}

// The form and its group boxes: every control stands in one of them.
QList<const QWidget*> Parents(const TForm1& Form) {
  QList<const QWidget*> Parents{&Client(Form)};
  for (const QGroupBox* Box : Form.findChildren<QGroupBox*>()) {
    Parents << Box;
  }
  return Parents;
}

// What a person reads off a control: its caption, its title or, for a box,
// its number (here after the name the box keeps).
QString TextOf(const QWidget& Control) {
  if (const auto* Label = qobject_cast<const QLabel*>(&Control)) {
    return Label->text();
  }
  if (const auto* Box = qobject_cast<const QGroupBox*>(&Control)) {
    return Box->title();
  }
  if (const auto* Button = qobject_cast<const QPushButton*>(&Control)) {
    return Button->text();
  }
  return Control.objectName() + u'=' + Control.findChild<QLineEdit*>()->text();
}

// The window as it is read: rows from top to bottom, where controls whose
// heights overlap share a row, each row from left to right; a group box is
// its title, then its own rows.
QList<QStringList> Reading(const QWidget& Parent) {
  QList<QWidget*> Controls = ControlsIn(Parent);
  const auto Above = [](const QWidget* A, const QWidget* B) { return A->y() < B->y(); };
  const auto LeftOf = [](const QWidget* A, const QWidget* B) { return A->x() < B->x(); };
  std::sort(Controls.begin(), Controls.end(), Above);
  QList<QStringList> Rows;
  for (auto Row = Controls.begin(); Row != Controls.end();) {
    auto End = Row + 1;
    for (int Bottom = (*Row)->geometry().bottom(); End != Controls.end() && (*End)->y() <= Bottom;
         ++End) {
      Bottom = std::max(Bottom, (*End)->geometry().bottom());
    }
    std::sort(Row, End, LeftOf);
    Rows.append(QStringList());
    for (; Row != End; ++Row) {
      Rows.back() << TextOf(**Row);
    }
    if (const auto* Box = qobject_cast<const QGroupBox*>(*(End - 1))) {
      Rows << Reading(*Box);
    }
  }
  return Rows;
}

QString FocusedName() {
  for (QWidget* Widget = QApplication::focusWidget(); Widget != nullptr;
       Widget = Widget->parentWidget()) {
    if (!Widget->objectName().isEmpty() && !Widget->objectName().startsWith(u"qt_")) {
      return Widget->objectName();
    }
  }
  return QString();
}

}  // namespace

class Form1LayoutTest : public QObject {
  Q_OBJECT

 private slots:
  // Two group boxes, the start button and a footer line, one under the
  // other; in the boxes each label stands left of its box, and "LO" and "HI"
  // head the columns of the pulse timings.
  void CaptionsAndValuesReadInTheirOrder() {
    TForm1 Form;
    const QString Footer = TextOf(*Form.findChild<QLabel*>("Label10"));
    QVERIFY(!Footer.isEmpty() && !Footer.contains(u'\n'));
    QCOMPARE(Reading(Client(Form)), (QList<QStringList>{
                                        {"Časování log. úrovní [v samplech při 44100 Hz]"},
                                        {"LO", "HI"},
                                        {"Log. 0", "SpinEdit1=3", "+", "SpinEdit2=1"},
                                        {"Log. 1", "SpinEdit3=3", "+", "SpinEdit4=2"},
                                        {"Ostatní parametry"},
                                        {"Konstanta v monitoru [0A4B]", "SpinEdit5=1"},
                                        {"LGAP zavadec", "SpinEdit6=5000"},
                                        {"LGAP telo", "SpinEdit7=5000"},
                                        {"Spustit konverzi"},
                                        {Footer},
                                    }));
    for (const QLabel* Heading : Form.findChildren<QLabel*>()) {
      const QStringList Column = Heading->text() == u"LO"   ? QStringList{"SpinEdit1", "SpinEdit3"}
                                 : Heading->text() == u"HI" ? QStringList{"SpinEdit2", "SpinEdit4"}
                                                            : QStringList();
      for (const QString& Name : Column) {
        const QRect Box = Form.findChild<QWidget*>(Name)->geometry();
        QVERIFY(Box.left() <= Heading->geometry().center().x() &&
                Heading->geometry().center().x() <= Box.right());
      }
    }
  }

  // What the run reads and writes through the window is what the boxes
  // show, each box within its range.
  void EachBoxIsTheSettingBesideItsLabelWithItsRange() {
    TForm1 Form;
    constexpr std::int32_t Least = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t Most = std::numeric_limits<std::int32_t>::max();
    const struct {
      const char* Name;
      std::int32_t Min, Max;
      std::function<std::int32_t()> Read;
    } Boxes[] = {
        {"SpinEdit1", 1, 128, [&] { return Form.ReadTiming(TimingBox::Log0Lo); }},
        {"SpinEdit2", 1, 128, [&] { return Form.ReadTiming(TimingBox::Log0Hi); }},
        {"SpinEdit3", 1, 128, [&] { return Form.ReadTiming(TimingBox::Log1Lo); }},
        {"SpinEdit4", 1, 128, [&] { return Form.ReadTiming(TimingBox::Log1Hi); }},
        {"SpinEdit5", 1, 255, [&] { return Form.MonitorConstant(); }},
        {"SpinEdit6", Least, Most, [&] { return Form.LoaderGap(); }},
        {"SpinEdit7", Least, Most, [&] { return Form.BodyGap(); }},
    };
    for (const auto& Box : Boxes) {
      auto* Edit = Form.findChild<TSpinEdit*>(Box.Name);
      for (const auto& [Written, Read] :
           {std::pair(Least, Box.Min), std::pair(Most, Box.Max), std::pair(77, 77)}) {
        Edit->SetValue(Written);
        QCOMPARE(Box.Read(), Read);
      }
    }
    Form.WriteTiming(TimingBox::Log1Lo, 44);
    QCOMPARE(Form.findChild<TSpinEdit*>("SpinEdit3")->Value(), 44);
    QVERIFY(Form.findChild<QPushButton*>("Button1")->isEnabled());
  }

  // The form keeps its client area of 308 x 349 below the bar; the window is
  // as much taller as the bar is high. Every item has its key in its menu.
  void TheMenuBarStandsAboveTheFormWithEveryItem() {
    TForm1 Form;
    const auto* Bar = Form.findChild<QMenuBar*>();
    QVERIFY(Bar->height() > 0);
    QCOMPARE(Bar->geometry(), QRect(0, 0, 308, Bar->height()));
    QCOMPARE(Client(Form).geometry(), QRect(0, Bar->height(), 308, 349));
    QCOMPARE(Form.size(), QSize(308, 349 + Bar->height()));
    QStringList Items;
    for (const QAction* Menu : Bar->actions()) {
      Items << Menu->text();
      QString Keys;
      for (const QAction* Item : Menu->menu()->actions()) {
        if (Item->isSeparator()) {
          continue;
        }
        const QString Shortcut = Item->shortcut().toString();
        Items << QStringLiteral("  ") + Item->text() + (Item->isChecked() ? " (x)" : "") +
                     (Shortcut.isEmpty() ? "" : " " + Shortcut);
        Keys += Item->text().at(Item->text().indexOf(u'&') + 1).toLower();
      }
      QCOMPARE(QSet<QChar>(Keys.begin(), Keys.end()).size(), Keys.size());
    }
    QCOMPARE(Items, (QStringList{
                        "&Soubor",
                        "  &Převést MZF… Ctrl+O",
                        "  Přečíst &nahrávku… Ctrl+R",
                        "  &Konec Ctrl+Q",
                        "&Páska",
                        "  &Rychlý zavaděč (MZ-700) (x)",
                        "  &Formát stroje (všechny MZ)",
                        "  Formát stroje &bez kopií",
                        "  &44100 Hz (x)",
                        "  4&8000 Hz (telefony, zvukové karty USB)",
                        "  &22050 Hz",
                        "  &Obrácená polarita",
                        "&Nápověda",
                        "  &O programu",
                    }));
    Form.MessageBoxes().QueueAnswer();
    Bar->findChild<QAction*>("AboutAction")->trigger();
    const QString About = Form.MessageBoxes().Shown().back().Text;
    QVERIFY(About.startsWith(QStringLiteral("Kvetro " KVETRO_VERSION "\n")));
    QVERIFY(About.contains(QStringLiteral("Licence MIT")) && About.contains(u"kvetro.html"));
  }

  void TheWindowIsFixedCentredAndTitled() {
    TForm1 Form;
    const QSize Size(308, 349 + Form.findChild<QMenuBar*>()->height());
    QCOMPARE(Form.windowTitle(), QStringLiteral("Kvetro ver. 0.1 alpha"));
    QCOMPARE(Form.size(), Size);
    QCOMPARE(Form.minimumSize(), Size);
    QCOMPARE(Form.maximumSize(), Size);
    const Qt::WindowFlags Flags = Form.windowFlags();
    QVERIFY(Flags.testFlag(Qt::Window));
    QVERIFY(Flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(Flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!Flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(Form.autoFillBackground());
    QCOMPARE(Form.palette().color(QPalette::Window), Form.palette().color(QPalette::Button));

    const QPoint ScreenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY((Form.geometry().center() - ScreenCentre).manhattanLength() <= 1);
    Form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Form));
    QVERIFY((Form.frameGeometry().center() - ScreenCentre).manhattanLength() <= 1);
    QCOMPARE(Form.size(), Size);
  }

  // Each control lies inside its parent and apart from the others, asks for
  // its font by name, and its caption fits.
  void EveryControlStandsApartAndItsCaptionFits() {
    TForm1 Form;
    QList<QWidget*> Controls;
    for (const QWidget* Parent : Parents(Form)) {
      const QList<QWidget*> Siblings = ControlsIn(*Parent);
      for (const QWidget* Control : Siblings) {
        QVERIFY2(Parent->rect().contains(Control->geometry()), qPrintable(Control->objectName()));
        for (const QWidget* Other : Siblings) {
          QVERIFY2(Control == Other || !Control->geometry().intersects(Other->geometry()),
                   qPrintable(Control->objectName() + u' ' + Other->objectName()));
        }
      }
      Controls << Siblings;
    }
    for (const QWidget* Widget : Controls) {
      const QFont Font = Widget->font();
      const QByteArray Name = Widget->objectName().toLatin1();
      const bool Footer = Widget->objectName() == u"Label10";
      const bool Title = qobject_cast<const QGroupBox*>(Widget) != nullptr;
      QCOMPARE(Font.family(),
               Footer ? QStringLiteral("MS Serif") : QStringLiteral("MS Sans Serif"));
      QCOMPARE(Font.bold(), Title);
      QVERIFY2(Font.pixelSize() <= (Footer ? 9 : 11), Name);
      QVERIFY2(Font.pixelSize() >= TCaptionFit::SmallestPixelSize, Name);

      if (const auto* Label = qobject_cast<const QLabel*>(Widget)) {
        const QFontMetrics Metrics(Font);
        QVERIFY2(Metrics.horizontalAdvance(Label->text()) <= Widget->width(), Name);
        QVERIFY2(Metrics.height() <= Widget->height(), Name);
      } else if (Title || qobject_cast<const QPushButton*>(Widget) != nullptr) {
        QVERIFY2(TCaptionFit::Fits(*Widget), Name);
      }
    }
    // Text of one kind has one size.
    const int LabelSize = Form.findChild<QLabel*>("Label7")->font().pixelSize();
    for (const char* Name :
         {"Label1", "Label2", "Label5", "Label6", "Label8", "Label9", "Button1"}) {
      QCOMPARE(Form.findChild<QWidget*>(Name)->font().pixelSize(), LabelSize);
    }
    QCOMPARE(Form.findChild<QWidget*>("GroupBox1")->font().pixelSize(),
             Form.findChild<QWidget*>("GroupBox2")->font().pixelSize());
  }

  void TabGoesFromTheButtonThroughTheBoxesInOrder() {
    TForm1 Form;
    Form.show();
    Form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&Form));
    Form.findChild<QWidget*>("Button1")->setFocus(Qt::OtherFocusReason);
    QStringList Visited{FocusedName()};
    for (int Step = 0; Step < 8; ++Step) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      Visited << FocusedName();
    }
    QCOMPARE(Visited, (QStringList{"Button1", "SpinEdit1", "SpinEdit2", "SpinEdit3", "SpinEdit4",
                                   "SpinEdit5", "SpinEdit6", "SpinEdit7", "Button1"}));
  }

  void FileDialogsCarryTheirFiltersExtensionsAndOptions() {
    TForm1 Form;
    TFileDialog& Open = Form.OpenDialog();
    TFileDialog& Save = Form.SaveDialog();
    QCOMPARE(Open.objectName(), QStringLiteral("OpenDialog1"));
    QCOMPARE(Open.nameFilters(), QStringList{"MZF files (*.mzf *.m12 *.mzt)"});
    QCOMPARE(Open.defaultSuffix(), QStringLiteral("mzf"));
    QCOMPARE(Open.acceptMode(), QFileDialog::AcceptOpen);

    QCOMPARE(Save.objectName(), QStringLiteral("SaveDialog1"));
    QCOMPARE(Save.nameFilters(), QStringList{"Wave files (*.wav)"});
    QCOMPARE(Save.defaultSuffix(), QStringLiteral("wav"));
    QCOMPARE(Save.acceptMode(), QFileDialog::AcceptSave);
    QVERIFY(!Save.testOption(QFileDialog::DontConfirmOverwrite));
    QVERIFY(!Save.testOption(QFileDialog::ReadOnly));
    QVERIFY(Save.isSizeGripEnabled());
  }

  void AFileDialogUsesAQueuedAnswerOnceThenShowsItself() {
    TForm1 Form;
    TFileDialog& Open = Form.OpenDialog();
    Open.QueueAnswer(QStringLiteral("/tmp/a.mzf"));
    Open.QueueAnswer(std::nullopt);
    QCOMPARE(Open.Choose(), std::optional<QString>(QStringLiteral("/tmp/a.mzf")));
    QCOMPARE(Open.Choose(), std::optional<QString>());
    QCOMPARE(Open.QueuedAnswers(), std::size_t{0});

    // Now the dialog itself: once accepted with a file, once cancelled.
    const QString Chosen = QDir::temp().absoluteFilePath(QStringLiteral("kvetro-chosen.mzf"));
    QTimer::singleShot(0, &Open, [&Open, Chosen] {
      QVERIFY(Open.isVisible());
      Open.selectFile(Chosen);
      static_cast<QDialog&>(Open).accept();  // the dialog's own accept, as its button does
    });
    QCOMPARE(Open.Choose(), std::optional<QString>(Chosen));
    QTimer::singleShot(0, &Open, [&Open] { Open.reject(); });
    QCOMPARE(Open.Choose(), std::optional<QString>());
  }

  void MessageBoxesHaveOneOkButtonTheTitleAndAreRecorded() {
    TMessageBoxes Boxes(QStringLiteral("Kvetro"));
    Boxes.QueueAnswer();
    Boxes.ShowMessage(QStringLiteral("File must be smaller than 64KB"));
    QCOMPARE(Boxes.QueuedAnswers(), 0);

    // Unanswered, the box really shows; it is inspected and closed from the
    // message loop that it runs.
    struct TSeen {
      QString Title, Text;
      QMessageBox::Icon Icon = QMessageBox::NoIcon;
      QMessageBox::StandardButtons Buttons;
      QPoint Centre;
    } Seen;
    QTimer::singleShot(0, [&Seen] {
      auto* Box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(Box != nullptr);
      Seen = {Box->windowTitle(), Box->text(), Box->icon(), Box->standardButtons(),
              Box->geometry().center()};
      QTest::keyClick(Box, Qt::Key_Return);
    });
    Boxes.ShowStop(QStringLiteral("Stream write error."));
    QCOMPARE(Seen.Title, QStringLiteral("Kvetro"));
    QCOMPARE(Seen.Text, QStringLiteral("Stream write error."));
    QCOMPARE(Seen.Icon, QMessageBox::Critical);
    QCOMPARE(Seen.Buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    const QPoint ScreenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY((Seen.Centre - ScreenCentre).manhattanLength() <= 2);

    QCOMPARE(test::ShownBoxes(Boxes), (QStringList{"plain Kvetro: File must be smaller than 64KB",
                                                   "stop Kvetro: Stream write error."}));
  }

  void TheDefaultHandlerAddsAFullStopAfterCharactersAboveIt() {
    struct TCase {
      const char* Message;
      const char* Shown;
    };
    const TCase Cases[] = {
        {"Stream write error", "Stream write error."},
        {"I/O error 7", "I/O error 7."},  // digits sort after "."
        {"Cannot create file /tmp/x.wav", "Cannot create file /tmp/x.wav."},
        {"Done.", "Done."},
        {"Stop!", "Stop!"},
        {"(none)", "(none)"},
        {"trailing space ", "trailing space "},
        {"dash-", "dash-"},     // "-" sorts before "."
        {"slash/", "slash/."},  // "/" sorts after "."
        {"", ""},
        {"Soubor nelze číst: ž", "Soubor nelze číst: ž."},
    };
    for (const TCase& Case : Cases) {
      QCOMPARE(TDefaultHandler::BoxText(Case.Message), QString::fromUtf8(Case.Shown));
    }

    TMessageBoxes Boxes(QStringLiteral("Kvetro"));
    TDefaultHandler Handler(Boxes);
    Boxes.QueueAnswer();
    Boxes.QueueAnswer();
    Handler.Handle(EWriteError());
    Handler.Handle(std::runtime_error("bad thing"));
    QCOMPARE(test::ShownBoxes(Boxes),
             (QStringList{"stop Kvetro: Stream write error.", "stop Kvetro: bad thing."}));
  }
};

QTEST_MAIN(Form1LayoutTest)
#include "Form1LayoutTest.moc"
