#include "app/SpinEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <algorithm>
#include <limits>

namespace kvetro {

namespace {
// What a box holds: a 32-bit value. A box without bounds takes all of it.
constexpr std::int64_t kLowest = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kHighest = std::numeric_limits<std::int32_t>::max();
}  // namespace

TSpinEdit::TSpinEdit(QWidget* Parent) : QAbstractSpinBox(Parent) {
  lineEdit()->setText(QStringLiteral("0"));
}

void TSpinEdit::SetRange(std::int32_t MinValue, std::int32_t MaxValue) {
  FMinValue = MinValue;
  FMaxValue = MaxValue;
}

TSpinEdit::TParsed TSpinEdit::ParseDecimal(const QString& Text, std::int32_t& Result) {
  qsizetype Index = 0;
  bool Negative = false;
  if (Index < Text.size() && (Text[Index] == u'+' || Text[Index] == u'-')) {
    Negative = Text[Index] == u'-';
    ++Index;
  }
  if (Index == Text.size()) {
    return TParsed::NotANumber;
  }
  // Accumulated as a negative number so that the most negative value fits;
  // once past 32 bits it stays just past, however many digits follow.
  std::int64_t Accumulated = 0;
  for (; Index < Text.size(); ++Index) {
    const char16_t Digit = Text[Index].unicode();
    if (Digit < u'0' || Digit > u'9') {
      return TParsed::NotANumber;
    }
    Accumulated = std::max(Accumulated * 10 - (Digit - u'0'), kLowest - 1);
  }
  const std::int64_t Number = Negative ? Accumulated : -Accumulated;
  Result = static_cast<std::int32_t>(std::clamp<std::int64_t>(Number, kLowest, kHighest));
  return Result == Number ? TParsed::Number : TParsed::Beyond32Bits;
}

std::int32_t TSpinEdit::Value() const {
  std::int32_t Parsed = 0;
  switch (ParseDecimal(lineEdit()->text(), Parsed)) {
    case TParsed::Number:
      return Parsed;
    case TParsed::Beyond32Bits:
      return Clamped(Parsed);
    case TParsed::NotANumber:
      break;
  }
  return FMinValue;
}

std::int32_t TSpinEdit::Clamped(std::int64_t Candidate) const {
  std::int64_t Low = kLowest;
  std::int64_t High = kHighest;
  if (HasBounds()) {
    Low = std::min(FMinValue, FMaxValue);
    High = std::max(FMinValue, FMaxValue);
  }
  return static_cast<std::int32_t>(std::clamp(Candidate, Low, High));
}

void TSpinEdit::SetValue(std::int32_t NewValue) {
  lineEdit()->setText(QString::number(Clamped(NewValue)));
}

void TSpinEdit::stepBy(int Steps) {
  if (Steps == 0) {
    return;
  }
  // One unit whatever the caller asks for (the toolkit multiplies by ten
  // while Ctrl is held); computed wide so that the ends of an unbounded box
  // stay put instead of wrapping.
  const std::int64_t Next = std::int64_t{Value()} + (Steps > 0 ? 1 : -1);
  SetValue(Clamped(Next));
  lineEdit()->selectAll();
}

// Both arrows stay enabled at the bounds: a step is a read and a clamped
// write, so it also repairs a value that was typed out of range.
QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const {
  return StepUpEnabled | StepDownEnabled;
}

bool TSpinEdit::IsTypingAccepted(const QKeyEvent& Event) const {
  const QString Text = Event.text();
  if (Text.isEmpty()) {
    return true;  // cursor movement, Delete, modifiers: no character typed
  }
  if (Text == QLocale().decimalPoint()) {
    return true;
  }
  for (const QChar Char : Text) {
    const char16_t Code = Char.unicode();
    const bool Control = Code < 0x20 || Code == 0x7F;
    const bool Digit = Code >= u'0' && Code <= u'9';
    if (!Control && !Digit && Code != u'+' && Code != u'-') {
      return false;
    }
  }
  return true;
}

void TSpinEdit::Refuse(QKeyEvent& Event) {
  Event.accept();
  QApplication::beep();
  emit KeyRefused();
}

void TSpinEdit::keyPressEvent(QKeyEvent* Event) {
  const Qt::KeyboardModifiers Modifiers = Event->modifiers();
  switch (Event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
      stepBy(Event->key() == Qt::Key_Up ? 1 : -1);
      Event->accept();
      return;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      Event->ignore();  // no page steps: the arrows move by one only
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Refuse(*Event);
      return;
    default:
      break;
  }
  // Ctrl combinations are shortcuts (copy, paste, select all), not typing.
  const bool Shortcut = (Modifiers & Qt::ControlModifier) && !(Modifiers & Qt::AltModifier);
  if (!Shortcut && !IsTypingAccepted(*Event)) {
    Refuse(*Event);
    return;
  }
  QAbstractSpinBox::keyPressEvent(Event);
}

void TSpinEdit::focusInEvent(QFocusEvent* Event) {
  QAbstractSpinBox::focusInEvent(Event);
  // A left click places the cursor where the user clicked; any other way in
  // (Tab, a shortcut, the window coming back) selects the whole value so
  // that typing replaces it.
  const bool LeftClick =
      Event->reason() == Qt::MouseFocusReason && (QGuiApplication::mouseButtons() & Qt::LeftButton);
  if (!LeftClick) {
    lineEdit()->selectAll();
  }
}

void TSpinEdit::focusOutEvent(QFocusEvent* Event) {
  // Out of range, or digits beyond 32 bits: the box shows what it reads as.
  std::int32_t Parsed = 0;
  const std::int32_t Current = Value();
  if (Clamped(Current) != Current ||
      ParseDecimal(lineEdit()->text(), Parsed) == TParsed::Beyond32Bits) {
    SetValue(Current);
  }
  QAbstractSpinBox::focusOutEvent(Event);
}

}  // namespace kvetro
