#pragma once

#include <QAbstractSpinBox>
#include <QString>
#include <cstdint>

namespace kvetro {

// An integer box with arrows, as the window's settings use it. The text is
// the value: it is parsed whenever the value is read, so whatever the user
// typed (or pasted) is what a conversion gets. Reading does not clamp;
// writing does, and so does leaving the box. A box whose minimum equals its
// maximum has no bounds at all.
class TSpinEdit : public QAbstractSpinBox {
  Q_OBJECT

 public:
  explicit TSpinEdit(QWidget* Parent = nullptr);

  void SetRange(std::int32_t MinValue, std::int32_t MaxValue);
  std::int32_t MinValue() const { return FMinValue; }
  std::int32_t MaxValue() const { return FMaxValue; }
  bool HasBounds() const { return FMinValue != FMaxValue; }

  // The text as a decimal integer; empty or other text reads as the minimum,
  // digits too large for 32 bits as the nearest end of the range (the
  // 32-bit ends in a box without bounds).
  std::int32_t Value() const;
  // Writes the value, clamped to the range, as decimal text.
  void SetValue(std::int32_t NewValue);

  // The value clamped to the range (unchanged when the box has no bounds).
  std::int32_t Clamped(std::int64_t Candidate) const;
  // A strict decimal integer: optional sign, then digits. Beyond32Bits
  // leaves the 32-bit end on the number's side in Result.
  enum class TParsed { NotANumber, Number, Beyond32Bits };
  static TParsed ParseDecimal(const QString& Text, std::int32_t& Result);

  // Arrows, wheel and keys step by one through a read, an add and a write.
  void stepBy(int Steps) override;

 signals:
  // A key that the box does not take; the user also hears a beep.
  void KeyRefused();

 protected:
  StepEnabled stepEnabled() const override;
  void keyPressEvent(QKeyEvent* Event) override;
  void focusInEvent(QFocusEvent* Event) override;
  void focusOutEvent(QFocusEvent* Event) override;

 private:
  bool IsTypingAccepted(const QKeyEvent& Event) const;
  void Refuse(QKeyEvent& Event);

  std::int32_t FMinValue = 0;
  std::int32_t FMaxValue = 0;
};

}  // namespace kvetro
