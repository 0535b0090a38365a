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

// The ways to step a box: the arrow keys (with Ctrl, too), a page key, and
// clicks on its arrow buttons.
enum class TInput { Up, Down, CtrlUp, PageUp, ClickUp, ClickDown };

void Press(TSpinEdit& Edit, TInput Input) {
  switch (Input) {
    case TInput::Up:
      return QTest::keyClick(&Edit, Qt::Key_Up);
    case TInput::Down:
      return QTest::keyClick(&Edit, Qt::Key_Down);
    case TInput::CtrlUp:
      return QTest::keyClick(&Edit, Qt::Key_Up, Qt::ControlModifier);
    case TInput::PageUp:
      return QTest::keyClick(&Edit, Qt::Key_PageUp);
    case TInput::ClickUp:
      return QTest::mouseClick(&Edit, Qt::LeftButton, {}, ArrowCentre(Edit, QStyle::SC_SpinBoxUp));
    case TInput::ClickDown:
      break;
  }
  QTest::mouseClick(&Edit, Qt::LeftButton, {}, ArrowCentre(Edit, QStyle::SC_SpinBoxDown));
}

constexpr std::int32_t kLeast = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMost = std::numeric_limits<std::int32_t>::max();

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
        {"-2147483648", kLeast, kLeast},
        // Digits too large for 32 bits: the nearest end of the range.
        {"2147483648", 128, kMost},
        {"99999999999", 128, kMost},
        {"-99999999999", 1, kLeast},
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
    QVERIFY(!Host.Unbounded->HasBounds());
    const struct {
      bool Unbounded;
      std::int32_t Value;
      const char* Shown;
    } Cases[] = {
        {false, 200, "128"}, {false, 0, "1"},        {false, -50, "1"},           {false, 77, "77"},
        {true, 0, "0"},      {true, -1234, "-1234"}, {true, kMost, "2147483647"},
    };
    for (const auto& Case : Cases) {
      TSpinEdit& Edit = Case.Unbounded ? *Host.Unbounded : *Host.Bounded;
      Edit.SetValue(Case.Value);
      QCOMPARE(TextOf(Edit), QString::fromLatin1(Case.Shown));
    }
    // Equal bounds other than zero are no bounds either.
    Host.Unbounded->SetRange(5, 5);
    Host.Unbounded->SetValue(9);
    QCOMPARE(TextOf(*Host.Unbounded), QStringLiteral("9"));
  }

  // Not while typing: when the focus goes, by the keyboard or the mouse.
  void LeavingTheBoxClampsWhatWasTyped() {
    THost Host;
    QVERIFY(Host.Active);
    const struct {
      bool Unbounded;
      const char* Typed;
      Qt::FocusReason Leaving;
      const char* Shown;
      std::int32_t Value;
    } Cases[] = {
        {false, "200", Qt::TabFocusReason, "128", 128},
        {false, "0", Qt::TabFocusReason, "1", 1},
        {false, "-5", Qt::MouseFocusReason, "1", 1},
        // Digits beyond 32 bits show as what they read as, in both kinds of box.
        {false, "99999999999", Qt::TabFocusReason, "128", 128},
        {true, "99999999999", Qt::TabFocusReason, "2147483647", kMost},
        // In range, or not a number at all (which reads as the minimum): kept.
        {false, "064", Qt::TabFocusReason, "064", 64},
        {false, "+-", Qt::TabFocusReason, "+-", 1},
        // The unbounded box takes zero and negative values as typed.
        {true, "0", Qt::TabFocusReason, "0", 0},
        {true, "-250", Qt::TabFocusReason, "-250", -250},
    };
    for (const auto& Case : Cases) {
      TSpinEdit& Edit = Case.Unbounded ? *Host.Unbounded : *Host.Bounded;
      Type(Edit, QString::fromLatin1(Case.Typed));
      QCOMPARE(TextOf(Edit), QString::fromLatin1(Case.Typed));
      Host.Elsewhere->setFocus(Case.Leaving);
      QCOMPARE(TextOf(Edit), QString::fromLatin1(Case.Shown));
      QCOMPARE(Edit.Value(), Case.Value);
    }
  }

  // A step reads the value, adds or takes 1 and writes it, so the result is
  // clamped; without bounds the steps go through zero and stop at the
  // 32-bit ends.
  void ArrowsStepByOneThroughReadAddWrite() {
    THost Host;
    QVERIFY(Host.Active);
    QVERIFY(ArrowCentre(*Host.Bounded, QStyle::SC_SpinBoxUp) !=
            ArrowCentre(*Host.Bounded, QStyle::SC_SpinBoxDown));
    const struct {
      bool Unbounded;
      const char* Start;
      TInput Input;
      const char* Shown;
    } Cases[] = {
        {false, "3", TInput::Up, "4"},
        {false, "3", TInput::Down, "2"},
        {false, "3", TInput::CtrlUp, "4"},  // Ctrl does not make a step larger
        {false, "3", TInput::PageUp, "3"},  // page keys do not step
        {false, "1", TInput::Down, "1"},
        {false, "128", TInput::Up, "128"},
        {false, "300", TInput::Down, "128"},
        {false, "abc", TInput::Up, "2"},  // no number reads as the minimum
        {false, "3", TInput::ClickUp, "4"},
        {false, "3", TInput::ClickDown, "2"},
        {false, "128", TInput::ClickUp, "128"},
        {false, "0", TInput::ClickDown, "1"},
        {true, "0", TInput::Down, "-1"},
        {true, "2147483647", TInput::Up, "2147483647"},
        {true, "-2147483648", TInput::Down, "-2147483648"},
    };
    for (const auto& Case : Cases) {
      TSpinEdit& Edit = Case.Unbounded ? *Host.Unbounded : *Host.Bounded;
      Edit.setFocus(Qt::TabFocusReason);
      SetText(Edit, QString::fromLatin1(Case.Start));
      Press(Edit, Case.Input);
      QCOMPARE(TextOf(Edit), QString::fromLatin1(Case.Shown));
    }
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
