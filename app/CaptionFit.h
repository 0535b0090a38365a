#pragma once

#include <QWidget>
#include <initializer_list>

namespace kvetro {

// The window's layout is fixed in pixels and was drawn for fonts that many
// systems lack. Where the fallback font is wider, captions get a smaller
// pixel size, one pixel at a time, until they fit; the geometry stays.
class TCaptionFit {
 public:
  static constexpr int SmallestPixelSize = 7;

  // Whether the caption of a label, button or group box fits its control.
  static bool Fits(const QWidget& Control);
  // Shrinks the control's font until Fits holds or the smallest size is hit.
  static void Apply(QWidget& Control);
  // The same for controls that should look alike: all of them end up with
  // the largest pixel size at which every one of them fits.
  static void ApplyCommon(std::initializer_list<QWidget*> Controls);

 private:
  static QSize Needed(const QWidget& Control);
  static void SetPixelSize(QWidget& Control, int PixelSize);
};

}  // namespace kvetro
