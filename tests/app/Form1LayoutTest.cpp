#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <vector>

#include "app/CaptionFit.h"
#include "app/DefaultHandler.h"
#include "app/FileDialog.h"
#include "app/Form1.h"
#include "app/MessageBoxes.h"
#include "app/SpinEdit.h"
#include "io/StreamErrors.h"

using namespace kvetro;

namespace {

struct TComponent {
  const char* Name;
  const char* Parent;
  const char* Kind;
  QRect Geometry;
  const char* Caption;  // caption or value text
};

// The window's components in their order of creation.
const std::vector<TComponent>& Components() {
  static const std::vector<TComponent> Table = {
      {"OpenDialog1", "Form1", "kvetro::TFileDialog", {}, ""},
      {"SaveDialog1", "Form1", "kvetro::TFileDialog", {}, ""},
      {"Button1", "Form1", "QPushButton", {104, 296, 97, 25}, "Spustit konverzi"},
      {"GroupBox1",
       "Form1",
       "QGroupBox",
       {8, 8, 289, 129},
       "Časování log. úrovní [v samplech při 44100 Hz]"},
      {"Label1", "GroupBox1", "QLabel", {8, 56, 30, 13}, "Log. 0"},
      {"Label2", "GroupBox1", "QLabel", {8, 96, 30, 13}, "Log. 1"},
      {"SpinEdit1", "GroupBox1", "kvetro::TSpinEdit", {64, 48, 49, 22}, "3"},
      {"SpinEdit2", "GroupBox1", "kvetro::TSpinEdit", {192, 48, 49, 22}, "1"},
      {"SpinEdit3", "GroupBox1", "kvetro::TSpinEdit", {64, 88, 49, 22}, "3"},
      {"SpinEdit4", "GroupBox1", "kvetro::TSpinEdit", {192, 88, 49, 22}, "2"},
      {"Label3", "GroupBox1", "QLabel", {152, 56, 6, 13}, "+"},
      {"Label4", "GroupBox1", "QLabel", {152, 96, 6, 13}, "+"},
      {"Label5", "GroupBox1", "QLabel", {72, 24, 14, 13}, "LO"},
      {"Label6", "GroupBox1", "QLabel", {200, 24, 11, 13}, "HI"},
      {"GroupBox2", "Form1", "QGroupBox", {8, 144, 289, 137}, "Ostatní parametry"},
      {"Label7", "GroupBox2", "QLabel", {8, 32, 135, 13}, "Konstanta v monitoru [0A4B]"},
      {"SpinEdit5", "GroupBox2", "kvetro::TSpinEdit", {192, 24, 49, 22}, "1"},
      {"Label8", "GroupBox2", "QLabel", {16, 72, 72, 13}, "LGAP zavadec"},
      {"Label9", "GroupBox2", "QLabel", {16, 96, 48, 13}, "LGAP telo"},
      {"SpinEdit6", "GroupBox2", "kvetro::TSpinEdit", {168, 64, 73, 22}, "5000"},
      {"SpinEdit7", "GroupBox2", "kvetro::TSpinEdit", {168, 88, 73, 22}, "5000"},
      {"Label10", "Form1", "QLabel", {96, 336, 118, 11}, nullptr},
  };
  return Table;
}

QString CaptionOf(const QObject& Object) {
  if (const auto* Label = qobject_cast<const QLabel*>(&Object)) {
    return Label->text();
  }
  if (const auto* Box = qobject_cast<const QGroupBox*>(&Object)) {
    return Box->title();
  }
  if (const auto* Button = qobject_cast<const QPushButton*>(&Object)) {
    return Button->text();
  }
  if (const auto* Edit = qobject_cast<const TSpinEdit*>(&Object)) {
    return Edit->findChild<QLineEdit*>()->text();
  }
  return QString();
}

// The components in creation order: the window's children, and inside each
// group box its own children.
QStringList NamesInOrder(const QObject& Parent) {
  QStringList Names;
  for (const QObject* Child : Parent.children()) {
    if (Child->objectName().isEmpty() || Child->objectName().startsWith(u"qt_")) {
      continue;
    }
    Names << Child->objectName();
    if (qobject_cast<const QGroupBox*>(Child) != nullptr) {
      Names << NamesInOrder(*Child);
    }
  }
  return Names;
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
  void EveryComponentHasItsNameParentGeometryAndCaption() {
    TForm1 Form;
    QStringList Expected;
    for (const TComponent& Component : Components()) {
      Expected << QString::fromLatin1(Component.Name);
      auto* Object = Form.findChild<QObject*>(QString::fromLatin1(Component.Name));
      QVERIFY2(Object != nullptr, Component.Name);
      QCOMPARE(Object->parent()->objectName(), QString::fromLatin1(Component.Parent));
      QCOMPARE(QString::fromLatin1(Object->metaObject()->className()),
               QString::fromLatin1(Component.Kind));
      if (auto* Widget = qobject_cast<QWidget*>(Object); !Component.Geometry.isNull()) {
        QCOMPARE(Widget->geometry(), Component.Geometry);
      }
      if (Component.Caption != nullptr) {
        QCOMPARE(CaptionOf(*Object), QString::fromUtf8(Component.Caption));
      }
    }
    QCOMPARE(NamesInOrder(Form), Expected);
    // The footer is ours: one line, and not empty.
    const QString Footer = CaptionOf(*Form.findChild<QLabel*>("Label10"));
    QVERIFY(!Footer.isEmpty());
    QVERIFY(!Footer.contains(u'\n'));
  }

  void TheWindowIsFixedCentredAndTitled() {
    TForm1 Form;
    QCOMPARE(Form.windowTitle(), QStringLiteral("Kvetro ver. 0.1 alpha"));
    QCOMPARE(Form.size(), QSize(308, 349));
    QCOMPARE(Form.minimumSize(), QSize(308, 349));
    QCOMPARE(Form.maximumSize(), QSize(308, 349));
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
    QCOMPARE(Form.size(), QSize(308, 349));
  }

  void FontsAreAskedForByNameAndEveryCaptionFits() {
    TForm1 Form;
    for (const TComponent& Component : Components()) {
      auto* Widget = Form.findChild<QWidget*>(QString::fromLatin1(Component.Name));
      if (Component.Geometry.isNull()) {
        continue;  // the dialogs
      }
      const QFont Font = Widget->font();
      const bool Footer = Widget->objectName() == u"Label10";
      const bool Title = qobject_cast<QGroupBox*>(Widget) != nullptr;
      QCOMPARE(Font.family(),
               Footer ? QStringLiteral("MS Serif") : QStringLiteral("MS Sans Serif"));
      QCOMPARE(Font.bold(), Title);
      QVERIFY2(Font.pixelSize() <= (Footer ? 9 : 11), Component.Name);
      QVERIFY2(Font.pixelSize() >= TCaptionFit::SmallestPixelSize, Component.Name);

      if (const auto* Label = qobject_cast<QLabel*>(Widget)) {
        const QFontMetrics Metrics(Font);
        QVERIFY2(Metrics.horizontalAdvance(Label->text()) <= Widget->width(), Component.Name);
        QVERIFY2(Metrics.height() <= Widget->height(), Component.Name);
      } else if (Title || qobject_cast<QPushButton*>(Widget) != nullptr) {
        QVERIFY2(TCaptionFit::Fits(*Widget), Component.Name);
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

  void SpinBoxesStartWithTheirDefaultsAndRanges() {
    TForm1 Form;
    struct TRange {
      const char* Name;
      std::int32_t Value, Min, Max;
      bool Bounded;
    };
    const TRange Ranges[] = {
        {"SpinEdit1", 3, 1, 128, true},   {"SpinEdit2", 1, 1, 128, true},
        {"SpinEdit3", 3, 1, 128, true},   {"SpinEdit4", 2, 1, 128, true},
        {"SpinEdit5", 1, 1, 255, true},   {"SpinEdit6", 5000, 0, 0, false},
        {"SpinEdit7", 5000, 0, 0, false},
    };
    for (const TRange& Range : Ranges) {
      const auto* Edit = Form.findChild<TSpinEdit*>(Range.Name);
      QCOMPARE(Edit->Value(), Range.Value);
      QCOMPARE(Edit->MinValue(), Range.Min);
      QCOMPARE(Edit->MaxValue(), Range.Max);
      QCOMPARE(Edit->HasBounds(), Range.Bounded);
    }
    // What the conversion reads through the window.
    QCOMPARE(Form.ReadTiming(TimingBox::Log0Lo), 3);
    QCOMPARE(Form.ReadTiming(TimingBox::Log0Hi), 1);
    QCOMPARE(Form.ReadTiming(TimingBox::Log1Lo), 3);
    QCOMPARE(Form.ReadTiming(TimingBox::Log1Hi), 2);
    QCOMPARE(Form.MonitorConstant(), 1);
    QCOMPARE(Form.LoaderGap(), 5000);
    QCOMPARE(Form.BodyGap(), 5000);
    Form.WriteTiming(TimingBox::Log1Hi, 500);
    QCOMPARE(Form.findChild<TSpinEdit*>("SpinEdit4")->Value(), 128);
    QVERIFY(Form.findChild<QPushButton*>("Button1")->isEnabled());
  }

  void TypingIntoTheWindowsBoxesClampsOnLeaving() {
    TForm1 Form;
    Form.show();
    Form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&Form));
    auto* SpinEdit1 = Form.findChild<TSpinEdit*>("SpinEdit1");
    auto* SpinEdit6 = Form.findChild<TSpinEdit*>("SpinEdit6");
    auto* Button1 = Form.findChild<QPushButton*>("Button1");

    SpinEdit1->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(SpinEdit1, QStringLiteral("200"));
    Button1->setFocus(Qt::TabFocusReason);
    QCOMPARE(SpinEdit1->Value(), 128);
    SpinEdit1->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(SpinEdit1, QStringLiteral("0"));
    Button1->setFocus(Qt::TabFocusReason);
    QCOMPARE(SpinEdit1->Value(), 1);

    SpinEdit6->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(SpinEdit6, QStringLiteral("-40"));
    Button1->setFocus(Qt::TabFocusReason);
    QCOMPARE(SpinEdit6->Value(), -40);
    QCOMPARE(Form.LoaderGap(), -40);
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
    QCOMPARE(Open.nameFilters(), QStringList{"MZF files (*.mzf)"});
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

    QCOMPARE(Boxes.Shown().size(), std::size_t{2});
    QCOMPARE(Boxes.Shown()[0].Icon, QMessageBox::NoIcon);
    QCOMPARE(Boxes.Shown()[0].Title, QStringLiteral("Kvetro"));
    QCOMPARE(Boxes.Shown()[0].Text, QStringLiteral("File must be smaller than 64KB"));
    QCOMPARE(Boxes.Shown()[1].Icon, QMessageBox::Critical);
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
    QCOMPARE(Boxes.Shown().size(), std::size_t{2});
    QCOMPARE(Boxes.Shown()[0].Icon, QMessageBox::Critical);
    QCOMPARE(Boxes.Shown()[0].Title, QStringLiteral("Kvetro"));
    QCOMPARE(Boxes.Shown()[0].Text, QStringLiteral("Stream write error."));
    QCOMPARE(Boxes.Shown()[1].Text, QStringLiteral("bad thing."));
  }
};

QTEST_MAIN(Form1LayoutTest)
#include "Form1LayoutTest.moc"
