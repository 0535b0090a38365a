#include <QLineEdit>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QTest>
#include <QWidget>
#include <limits>
#include <memory>

#include "app/SpinEdit.h"

using kvetro::TSpinEdit;

namespace {

// A window with a bounded box, an unbounded one and a plain line edit to move
// the focus to.
struct THost {
  QWidget Window;
  TSpinEdit* Bounded = new TSpinEdit(&Window);
  TSpinEdit* Unbounded = new TSpinEdit(&Window);
  QLineEdit* Elsewhere = new QLineEdit(&Window);

  THost() {
    Bounded->setGeometry(10, 10, 49, 22);
    Bounded->SetRange(1, 128);
    Bounded->SetValue(3);
    Unbounded->setGeometry(10, 40, 73, 22);
    Unbounded->SetRange(0, 0);
    Unbounded->SetValue(5000);
    Elsewhere->setGeometry(10, 70, 80, 22);
    Window.resize(200, 100);
    Window.show();
    Window.activateWindow();
    // Focus events reach a window only while it is the active one.
    Active = QTest::qWaitForWindowActive(&Window);
  }
  bool Active = false;
};

QString TextOf(const TSpinEdit& Edit) {
  return Edit.findChild<QLineEdit*>()->text();
}

void SetText(TSpinEdit& Edit, const QString& Text) {
  Edit.findChild<QLineEdit*>()->setText(Text);
}

// Replaces the box's text by typing, as a user does after tabbing in.
void Type(TSpinEdit& Edit, const QString& Keys) {
  Edit.setFocus(Qt::TabFocusReason);
  QTest::keyClicks(&Edit, Keys);
}

QPoint ArrowCentre(TSpinEdit& Edit, QStyle::SubControl Arrow) {
  QStyleOptionSpinBox Option;
  Option.initFrom(&Edit);
  Option.subControls = QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown;
  Option.frame = true;
  Option.buttonSymbols = QAbstractSpinBox::UpDownArrows;
  Option.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
  return Edit.style()->subControlRect(QStyle::CC_SpinBox, &Option, Arrow, &Edit).center();
}

}  // namespace

class SpinEditTest : public QObject {
  Q_OBJECT

 private slots:
  void ReadingParsesStrictDecimalsAndFallsBackToTheMinimum() {
    THost Host;
    QVERIFY(Host.Active);
    struct TCase {
      const char* Text;
      std::int32_t Bounded;
      std::int32_t Unbounded;
    };
    const TCase Cases[] = {
        {"42", 42, 42},
        {"+7", 7, 7},
        {"-3", -3, -3},  // reading never clamps
        {"200", 200, 200},
        {"", 1, 0},
        {"abc", 1, 0},
        {"12x", 1, 0},
        {" 5", 1, 0},
        {"1.5", 1, 0},
        {"+", 1, 0},
        {"-", 1, 0},
        {"2147483647", 2147483647, 2147483647},
        {"-2147483648", std::numeric_limits<std::int32_t>::min(),
         std::numeric_limits<std::int32_t>::min()},
        // Digits too large for 32 bits: the nearest end of the range.
        {"2147483648", 128, 2147483647},
        {"99999999999", 128, 2147483647},
        {"-99999999999", 1, std::numeric_limits<std::int32_t>::min()},
        {"+000000000000000000000000000007", 7, 7},
    };
    for (const TCase& Case : Cases) {
      SetText(*Host.Bounded, QString::fromLatin1(Case.Text));
      SetText(*Host.Unbounded, QString::fromLatin1(Case.Text));
      QCOMPARE(Host.Bounded->Value(), Case.Bounded);
      QCOMPARE(Host.Unbounded->Value(), Case.Unbounded);
      // Reading leaves the text as it was.
      QCOMPARE(TextOf(*Host.Bounded), QString::fromLatin1(Case.Text));
    }
  }

  void WritingClampsToTheRangeUnlessMinimumEqualsMaximum() {
    THost Host;
    QVERIFY(Host.Active);
    Host.Bounded->SetValue(200);
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("128"));
    Host.Bounded->SetValue(0);
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("1"));
    Host.Bounded->SetValue(-50);
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("1"));
    Host.Bounded->SetValue(77);
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("77"));

    QVERIFY(!Host.Unbounded->HasBounds());
    Host.Unbounded->SetValue(0);
    QCOMPARE(TextOf(*Host.Unbounded), QStringLiteral("0"));
    Host.Unbounded->SetValue(-1234);
    QCOMPARE(TextOf(*Host.Unbounded), QStringLiteral("-1234"));
    Host.Unbounded->SetValue(std::numeric_limits<std::int32_t>::max());
    QCOMPARE(TextOf(*Host.Unbounded), QStringLiteral("2147483647"));

    // Equal bounds other than zero are no bounds either.
    Host.Unbounded->SetRange(5, 5);
    Host.Unbounded->SetValue(9);
    QCOMPARE(TextOf(*Host.Unbounded), QStringLiteral("9"));
  }

  void LeavingTheBoxClampsWhatWasTyped() {
    THost Host;
    QVERIFY(Host.Active);
    Type(*Host.Bounded, QStringLiteral("200"));
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("200"));  // not while typing
    Host.Elsewhere->setFocus(Qt::TabFocusReason);
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("128"));

    Type(*Host.Bounded, QStringLiteral("0"));
    Host.Elsewhere->setFocus(Qt::TabFocusReason);
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("1"));

    Type(*Host.Bounded, QStringLiteral("-5"));
    Host.Elsewhere->setFocus(Qt::MouseFocusReason);
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("1"));

    // Digits beyond 32 bits show as what they read as, in both kinds of box.
    Type(*Host.Bounded, QStringLiteral("99999999999"));
    Host.Elsewhere->setFocus(Qt::TabFocusReason);
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("128"));
    Type(*Host.Unbounded, QStringLiteral("99999999999"));
    Host.Elsewhere->setFocus(Qt::TabFocusReason);
    QCOMPARE(TextOf(*Host.Unbounded), QStringLiteral("2147483647"));

    // In range, or not a number at all (which reads as the minimum): kept.
    Type(*Host.Bounded, QStringLiteral("064"));
    Host.Elsewhere->setFocus(Qt::TabFocusReason);
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("064"));
    Type(*Host.Bounded, QStringLiteral("+-"));
    Host.Elsewhere->setFocus(Qt::TabFocusReason);
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("+-"));
    QCOMPARE(Host.Bounded->Value(), 1);

    // The unbounded box takes zero and negative values as typed.
    Type(*Host.Unbounded, QStringLiteral("0"));
    Host.Elsewhere->setFocus(Qt::TabFocusReason);
    QCOMPARE(TextOf(*Host.Unbounded), QStringLiteral("0"));
    QCOMPARE(Host.Unbounded->Value(), 0);
    Type(*Host.Unbounded, QStringLiteral("-250"));
    Host.Elsewhere->setFocus(Qt::TabFocusReason);
    QCOMPARE(TextOf(*Host.Unbounded), QStringLiteral("-250"));
    QCOMPARE(Host.Unbounded->Value(), -250);
  }

  void ArrowKeysStepByOneThroughReadAddWrite() {
    THost Host;
    QVERIFY(Host.Active);
    Host.Bounded->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Host.Bounded, Qt::Key_Up);
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("4"));
    QTest::keyClick(Host.Bounded, Qt::Key_Down);
    QTest::keyClick(Host.Bounded, Qt::Key_Down);
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("2"));
    // Ctrl does not make a step larger.
    QTest::keyClick(Host.Bounded, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("3"));
    // Page keys do not step.
    QTest::keyClick(Host.Bounded, Qt::Key_PageUp);
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("3"));

    // At and beyond the bounds the write clamps.
    Host.Bounded->SetValue(1);
    QTest::keyClick(Host.Bounded, Qt::Key_Down);
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("1"));
    Host.Bounded->SetValue(128);
    QTest::keyClick(Host.Bounded, Qt::Key_Up);
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("128"));
    SetText(*Host.Bounded, QStringLiteral("300"));
    QTest::keyClick(Host.Bounded, Qt::Key_Down);
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("128"));
    // Text that is no number reads as the minimum, so Up gives minimum + 1.
    SetText(*Host.Bounded, QStringLiteral("abc"));
    QTest::keyClick(Host.Bounded, Qt::Key_Up);
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("2"));

    // Without bounds the steps go through zero, and stop at the 32-bit ends.
    Host.Unbounded->setFocus(Qt::TabFocusReason);
    Host.Unbounded->SetValue(1);
    QTest::keyClick(Host.Unbounded, Qt::Key_Down);
    QTest::keyClick(Host.Unbounded, Qt::Key_Down);
    QCOMPARE(TextOf(*Host.Unbounded), QStringLiteral("-1"));
    Host.Unbounded->SetValue(std::numeric_limits<std::int32_t>::max());
    QTest::keyClick(Host.Unbounded, Qt::Key_Up);
    QCOMPARE(TextOf(*Host.Unbounded), QStringLiteral("2147483647"));
    Host.Unbounded->SetValue(std::numeric_limits<std::int32_t>::min());
    QTest::keyClick(Host.Unbounded, Qt::Key_Down);
    QCOMPARE(TextOf(*Host.Unbounded), QStringLiteral("-2147483648"));
  }

  void ArrowButtonsStepAndClamp() {
    THost Host;
    QVERIFY(Host.Active);
    const QPoint Up = ArrowCentre(*Host.Bounded, QStyle::SC_SpinBoxUp);
    const QPoint Down = ArrowCentre(*Host.Bounded, QStyle::SC_SpinBoxDown);
    QVERIFY(Up != Down);
    QTest::mouseClick(Host.Bounded, Qt::LeftButton, {}, Up);
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("4"));
    QTest::mouseClick(Host.Bounded, Qt::LeftButton, {}, Down);
    QTest::mouseClick(Host.Bounded, Qt::LeftButton, {}, Down);
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("2"));
    Host.Bounded->SetValue(128);
    QTest::mouseClick(Host.Bounded, Qt::LeftButton, {}, Up);
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("128"));
    SetText(*Host.Bounded, QStringLiteral("0"));
    QTest::mouseClick(Host.Bounded, Qt::LeftButton, {}, Down);
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("1"));
  }

  void TypingTakesDigitsSignsAndTheDecimalSeparatorOnly() {
    THost Host;
    QVERIFY(Host.Active);
    QSignalSpy Refused(Host.Bounded, &TSpinEdit::KeyRefused);
    Type(*Host.Bounded, QStringLiteral("12"));
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("12"));
    QCOMPARE(Refused.count(), 0);

    // Refused, each with a beep: letters, space, other punctuation, Enter.
    QTest::keyClicks(Host.Bounded, QStringLiteral("a Z,x*"));
    QTest::keyClick(Host.Bounded, Qt::Key_Return);
    QTest::keyClick(Host.Bounded, Qt::Key_Enter);
    QTest::keyClick(Host.Bounded, Qt::Key_A, Qt::AltModifier);
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("12"));
    QCOMPARE(Refused.count(), 9);

    // Taken: signs, the C locale's decimal point, digits, control keys.
    QTest::keyClicks(Host.Bounded, QStringLiteral("+-.9"));
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("12+-.9"));
    QTest::keyClick(Host.Bounded, Qt::Key_Backspace);
    QTest::keyClick(Host.Bounded, Qt::Key_Home);
    QTest::keyClick(Host.Bounded, Qt::Key_Delete);
    QCOMPARE(TextOf(*Host.Bounded), QStringLiteral("2+-."));
    QCOMPARE(Refused.count(), 9);
    QCOMPARE(Host.Bounded->Value(), 1);  // typed, but no number
  }

  void FocusSelectsTheWholeTextUnlessByLeftClick() {
    THost Host;
    QVERIFY(Host.Active);
    QLineEdit* Line = Host.Bounded->findChild<QLineEdit*>();
    Host.Bounded->SetValue(123);
    Host.Elsewhere->setFocus(Qt::TabFocusReason);

    Host.Bounded->setFocus(Qt::TabFocusReason);
    QCOMPARE(Line->selectedText(), QStringLiteral("123"));
    Host.Elsewhere->setFocus(Qt::TabFocusReason);
    QVERIFY(!Host.Bounded->hasFocus());

    Host.Bounded->setFocus(Qt::OtherFocusReason);
    QCOMPARE(Line->selectedText(), QStringLiteral("123"));
    Host.Elsewhere->setFocus(Qt::TabFocusReason);

    // A left click puts the cursor where it lands and selects nothing.
    QTest::mouseClick(Line, Qt::LeftButton, {}, QPoint(4, Line->height() / 2));
    QVERIFY(Host.Bounded->hasFocus());
    QCOMPARE(Line->selectedText(), QString());
  }
};

QTEST_MAIN(SpinEditTest)
#include "SpinEditTest.moc"
