#pragma once

#include <QColor>
#include <QWidget>
#include <optional>

#include "reader/TapeReport.h"

namespace kvetro {

// The picture of one block's read window: the HIGH times of its short pulses
// (bit 0) and of its long pulses (bit 1) as a histogram over a logarithmic
// count, the read window between them shaded and its edges drawn. A window
// that is shut (the pulses overlap) is shaded in red between the edges; a
// block that failed has no window to draw.
class TReadWindowPicture : public QWidget {
  Q_OBJECT

 public:
  static constexpr QColor ShortColour{0x1f, 0x4e, 0x79};
  static constexpr QColor LongColour{0xc0, 0x39, 0x2b};
  static constexpr QColor WindowColour{0x2e, 0x8b, 0x57};

  TReadWindowPicture(const TBlockReport& Block, QWidget* Parent = nullptr);

  QSize sizeHint() const override;
  // Where a HIGH time of Us lies across the widget.
  int XOf(double Us) const;
  // The area of the bars: the x axis at its bottom.
  QRect PlotArea() const;

 protected:
  void paintEvent(QPaintEvent* Event) override;

 private:
  // One bar: the pulses whose HIGH lasted from FromUs to ToUs.
  struct TBar {
    double FromUs = 0;
    double ToUs = 0;
    std::uint64_t Pulses = 0;
  };
  // The bins gathered into bars no narrower than a few pixels at the
  // widget's width.
  std::vector<TBar> Bars(const std::vector<std::uint32_t>& Counts) const;
  void DrawBars(QPainter& Painter, const std::vector<TBar>& Bars, const QColor& Colour,
                double MostPulses) const;
  // The window's shade under the bars, or its edges over them.
  void DrawWindow(QPainter& Painter, bool Edges) const;
  void DrawAxis(QPainter& Painter, double MostPulses) const;
  // Which colour is which, and how many pulses each kind has.
  void DrawLegend(QPainter& Painter) const;
  int YOf(double Pulses, double MostPulses) const;

  THighTimeHistogram FHistogram;
  std::optional<TReadWindow> FWindow;
  // The times shown, in µs.
  double FFromUs = 0;
  double FToUs = 1;
};

}  // namespace kvetro
