#include "app/ReadWindowPicture.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace kvetro {

namespace {

constexpr int kLeft = 44;
constexpr int kRight = 12;
constexpr int kTop = 8;
constexpr int kBottom = 30;
// Bars narrower than this are gathered, several bins to a bar.
constexpr int kNarrowestBar = 3;
constexpr double kBinUs = THighTimeHistogram::BinUs;

// The first and the last bin that hold pulses, as an interval of µs.
bool FilledSpan(const std::vector<std::uint32_t>& Counts, double& From, double& To) {
  const auto First = std::find_if(Counts.begin(), Counts.end(), [](auto C) { return C > 0; });
  if (First == Counts.end()) {
    return false;
  }
  const auto Last = std::find_if(Counts.rbegin(), Counts.rend(), [](auto C) { return C > 0; });
  From = std::min(From, static_cast<double>(First - Counts.begin()) * kBinUs);
  To = std::max(To, static_cast<double>(Counts.rend() - Last) * kBinUs);
  return true;
}

// A step between the axis' labels of 1, 2 or 5 times a power of ten, so that
// some five to ten labels fit.
double LabelStep(double Span) {
  const double Power = std::pow(10.0, std::floor(std::log10(Span / 5)));
  for (const double Factor : {1.0, 2.0, 5.0}) {
    if (Span / (Factor * Power) <= 10) {
      return Factor * Power;
    }
  }
  return 10 * Power;
}

}  // namespace

TReadWindowPicture::TReadWindowPicture(const TBlockReport& Block, QWidget* Parent)
    : QWidget(Parent), FHistogram(Block.Histogram), FWindow(Block.Window) {
  double From = 1e9;
  double To = -1e9;
  const bool AnyShort = FilledSpan(FHistogram.Short, From, To);
  const bool AnyLong = FilledSpan(FHistogram.Long, From, To);
  if (FWindow) {
    From = std::min({From, FWindow->FromUs, FWindow->ToUs});
    To = std::max({To, FWindow->FromUs, FWindow->ToUs});
  }
  if (AnyShort || AnyLong || FWindow) {
    // Room beside the outermost bars, as the eye wants it.
    const double Margin = std::max((To - From) * 0.08, kBinUs);
    FFromUs = std::max(0.0, From - Margin);
    FToUs = To + Margin;
  }
  setMinimumSize(320, 140);
}

QSize TReadWindowPicture::sizeHint() const {
  return {640, 170};
}

QRect TReadWindowPicture::PlotArea() const {
  const QSize Size = size().isEmpty() ? sizeHint() : size();
  return {kLeft, kTop, Size.width() - kLeft - kRight, Size.height() - kTop - kBottom};
}

int TReadWindowPicture::XOf(double Us) const {
  const QRect Plot = PlotArea();
  return Plot.left() +
         static_cast<int>(std::lround((Us - FFromUs) / (FToUs - FFromUs) * Plot.width()));
}

// Logarithmic, so that the few pulses at a window's edge show beside the
// thousands in its middle: one pulse stands a little above the axis.
int TReadWindowPicture::YOf(double Pulses, double MostPulses) const {
  const QRect Plot = PlotArea();
  const double Share = std::log10(1 + Pulses) / std::log10(1 + MostPulses);
  return Plot.bottom() - static_cast<int>(std::lround(Share * (Plot.height() - 1)));
}

std::vector<TReadWindowPicture::TBar> TReadWindowPicture::Bars(
    const std::vector<std::uint32_t>& Counts) const {
  const double BinPixels = PlotArea().width() * kBinUs / (FToUs - FFromUs);
  const auto Gathered =
      static_cast<std::size_t>(std::max(1.0, std::ceil(kNarrowestBar / BinPixels)));
  std::vector<TBar> Found;
  for (std::size_t First = 0; First < Counts.size(); First += Gathered) {
    const std::size_t End = std::min(Counts.size(), First + Gathered);
    std::uint64_t Pulses = 0;
    for (std::size_t Bin = First; Bin < End; ++Bin) {
      Pulses += Counts[Bin];
    }
    if (Pulses > 0) {
      Found.push_back(
          {static_cast<double>(First) * kBinUs, static_cast<double>(End) * kBinUs, Pulses});
    }
  }
  return Found;
}

void TReadWindowPicture::paintEvent(QPaintEvent* /*Event*/) {
  const std::vector<TBar> Short = Bars(FHistogram.Short);
  const std::vector<TBar> Long = Bars(FHistogram.Long);
  double MostPulses = 1;
  for (const auto* Drawn : {&Short, &Long}) {
    for (const TBar& Bar : *Drawn) {
      MostPulses = std::max(MostPulses, static_cast<double>(Bar.Pulses));
    }
  }
  QPainter Painter(this);
  Painter.fillRect(rect(), Qt::white);
  Painter.setClipRect(PlotArea().adjusted(0, 0, 1, 1));
  DrawWindow(Painter, false);
  DrawBars(Painter, Short, ShortColour, MostPulses);
  DrawBars(Painter, Long, LongColour, MostPulses);
  DrawWindow(Painter, true);
  Painter.setClipping(false);
  DrawAxis(Painter, MostPulses);
  DrawLegend(Painter);
}

void TReadWindowPicture::DrawLegend(QPainter& Painter) const {
  const auto Pulses = [](const std::vector<std::uint32_t>& Counts) {
    std::uint64_t Sum = 0;
    for (const std::uint32_t Count : Counts) {
      Sum += Count;
    }
    return QString::number(Sum);
  };
  const struct {
    QColor Colour;
    QString Text;
  } Lines[] = {
      {ShortColour, QString::fromUtf8("krátké pulzy, bit 0 (%1)").arg(Pulses(FHistogram.Short))},
      {LongColour, QString::fromUtf8("dlouhé pulzy, bit 1 (%1)").arg(Pulses(FHistogram.Long))},
  };
  const QFontMetrics Metrics(Painter.font());
  int Width = 0;
  for (const auto& Line : Lines) {
    Width = std::max(Width, Metrics.horizontalAdvance(Line.Text));
  }
  const int Box = Metrics.ascent();
  const QRect Plot = PlotArea();
  QRect Area(0, 0, Box + 4 + Width + 8, 2 * Metrics.height() + 6);
  Area.moveCenter(QPoint(Plot.center().x(), Plot.top() + 4 + Area.height() / 2));
  Painter.fillRect(Area, QColor(255, 255, 255, 220));
  int Y = Area.top() + 3;
  for (const auto& Line : Lines) {
    Painter.fillRect(Area.left() + 4, Y + (Metrics.height() - Box) / 2, Box, Box, Line.Colour);
    Painter.setPen(Qt::black);
    Painter.drawText(Area.left() + 4 + Box + 4, Y + Metrics.ascent(), Line.Text);
    Y += Metrics.height();
  }
}

void TReadWindowPicture::DrawWindow(QPainter& Painter, bool Edges) const {
  if (!FWindow) {
    return;
  }
  const QRect Plot = PlotArea();
  const int From = XOf(std::min(FWindow->FromUs, FWindow->ToUs));
  const int To = XOf(std::max(FWindow->FromUs, FWindow->ToUs));
  const QColor Edge = FWindow->IsOpen() ? WindowColour : LongColour;
  QColor Shade = Edge;
  Shade.setAlpha(46);
  if (!Edges) {
    Painter.fillRect(QRect(QPoint(From, Plot.top()), QPoint(To, Plot.bottom())), Shade);
    return;
  }
  // Over the bars: a bin of pulses may reach past an edge.
  Painter.setPen(QPen(Edge, 1, Qt::DashLine));
  Painter.drawLine(From, Plot.top(), From, Plot.bottom());
  Painter.drawLine(To, Plot.top(), To, Plot.bottom());
}

void TReadWindowPicture::DrawBars(QPainter& Painter, const std::vector<TBar>& Drawn,
                                  const QColor& Colour, double MostPulses) const {
  const int Bottom = PlotArea().bottom();
  for (const TBar& Bar : Drawn) {
    const int Left = XOf(Bar.FromUs);
    const int Right = std::max(Left + 1, XOf(Bar.ToUs));
    const int Top = YOf(static_cast<double>(Bar.Pulses), MostPulses);
    Painter.fillRect(QRect(QPoint(Left, Top), QPoint(Right - 1, Bottom)), Colour);
  }
}

void TReadWindowPicture::DrawAxis(QPainter& Painter, double MostPulses) const {
  const QRect Plot = PlotArea();
  Painter.setPen(QPen(Qt::black, 1));
  Painter.drawLine(Plot.bottomLeft(), Plot.bottomRight());
  Painter.drawLine(Plot.bottomLeft(), Plot.topLeft());
  QFont Small = font();
  Small.setPixelSize(10);
  Painter.setFont(Small);
  const QFontMetrics Metrics(Small);
  const double Step = LabelStep(FToUs - FFromUs);
  for (double Us = std::ceil(FFromUs / Step) * Step; Us <= FToUs; Us += Step) {
    const int X = XOf(Us);
    Painter.drawLine(X, Plot.bottom(), X, Plot.bottom() + 3);
    const QString Label = QString::number(Us, 'g', 6);
    Painter.drawText(X - Metrics.horizontalAdvance(Label) / 2, Plot.bottom() + 4 + Metrics.ascent(),
                     Label);
  }
  const QString Unit = QString::fromUtf8("µs");
  Painter.drawText(Plot.right() - Metrics.horizontalAdvance(Unit), height() - Metrics.descent(),
                   Unit);
  // 1, 10, 100... pulses up the side.
  for (double Pulses = 1; Pulses <= MostPulses; Pulses *= 10) {
    const int Y = YOf(Pulses, MostPulses);
    Painter.drawLine(Plot.left() - 3, Y, Plot.left(), Y);
    const QString Label = QString::number(Pulses, 'g', 9);
    Painter.drawText(Plot.left() - 5 - Metrics.horizontalAdvance(Label),
                     Y + Metrics.ascent() / 2 - 1, Label);
  }
}

}  // namespace kvetro
