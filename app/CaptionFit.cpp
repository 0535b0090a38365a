#include "app/CaptionFit.h"

#include <QFont>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <algorithm>

namespace kvetro {

QSize TCaptionFit::Needed(const QWidget& Control) {
  if (const auto* Label = qobject_cast<const QLabel*>(&Control)) {
    // The text's own extent: a label draws nothing around it.
    const QFontMetrics Metrics(Label->font());
    return QSize(Metrics.horizontalAdvance(Label->text()), Metrics.height());
  }
  if (qobject_cast<const QGroupBox*>(&Control) != nullptr) {
    // The title with the frame's margins; the height is the children's.
    return QSize(Control.minimumSizeHint().width(), 0);
  }
  // A button: text plus the style's bevel. Only the width matters, the
  // height of a button is always enough for one line.
  return QSize(Control.sizeHint().width(), 0);
}

bool TCaptionFit::Fits(const QWidget& Control) {
  const QSize Size = Needed(Control);
  return Size.width() <= Control.width() && Size.height() <= Control.height();
}

void TCaptionFit::SetPixelSize(QWidget& Control, int PixelSize) {
  QFont Font = Control.font();
  Font.setPixelSize(PixelSize);
  Control.setFont(Font);
}

void TCaptionFit::Apply(QWidget& Control) {
  ApplyCommon({&Control});
}

void TCaptionFit::ApplyCommon(std::initializer_list<QWidget*> Controls) {
  int PixelSize = 0;
  for (QWidget* Control : Controls) {
    PixelSize = std::max(PixelSize, Control->font().pixelSize());
  }
  for (; PixelSize > SmallestPixelSize; --PixelSize) {
    bool AllFit = true;
    for (QWidget* Control : Controls) {
      SetPixelSize(*Control, PixelSize);
      AllFit = AllFit && Fits(*Control);
    }
    if (AllFit) {
      return;
    }
  }
  for (QWidget* Control : Controls) {
    SetPixelSize(*Control, SmallestPixelSize);
  }
}

}  // namespace kvetro
