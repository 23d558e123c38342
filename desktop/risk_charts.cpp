#include "desktop/risk_charts.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "app/risk_chart_words.h"
#include "desktop/layout.h"

namespace tiramon::desktop {
namespace {

constexpr int kLeft = 70;
constexpr int kRight = 14;
constexpr int kTop = 26;
constexpr int kBottom = 40;

// One axis: a value range on a linear or logarithmic scale, mapped onto a pixel range.
struct Axis {
  double low = 0;
  double high = 1;
  bool log = false;

  double Scaled(double v) const { return log ? std::log10(std::max(v, low)) : v; }
  double Map(double v, double pixelLow, double pixelHigh) const {
    const double a = Scaled(low);
    const double b = Scaled(high);
    const double share = b > a ? (Scaled(v) - a) / (b - a) : 0.5;
    return pixelLow + std::clamp(share, -0.05, 1.05) * (pixelHigh - pixelLow);
  }

  // About five round values inside the range: 1, 2 or 5 times a power of ten apart, or whole
  // decades on a logarithmic scale.
  std::vector<double> Ticks() const {
    std::vector<double> ticks;
    if (log) {
      const int first = static_cast<int>(std::ceil(std::log10(low) - 1e-9));
      const int last = static_cast<int>(std::floor(std::log10(high) + 1e-9));
      const int step = std::max(1, (last - first) / 6 + 1);
      for (int e = first; e <= last; e += step) ticks.push_back(std::pow(10.0, e));
      return ticks;
    }
    const double range = high - low;
    if (!(range > 0)) return {low};
    const double raw = range / 5;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = magnitude;
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
      step = m * magnitude;
      if (step >= raw) break;
    }
    for (double v = std::ceil(low / step) * step; v <= high + step * 1e-9; v += step)
      ticks.push_back(std::abs(v) < step * 1e-9 ? 0 : v);
    return ticks;
  }
};

Axis MakeAxis(double low, double high) {
  Axis axis;
  axis.log = RiskLogScale(low, high);
  if (!axis.log && high - low < 1e-12 * std::max(1.0, std::abs(high))) {
    // A flat picture still needs a range to draw in.
    low -= std::max(1.0, std::abs(low) * 0.1);
    high += std::max(1.0, std::abs(high) * 0.1);
  }
  axis.low = low;
  axis.high = high;
  return axis;
}

// The numbers along an axis are part of the picture, sized to its ticks.
QString TickText(double v) {
  if (v == 0) return "0";
  const double a = std::abs(v);
  if (a >= 1e6 || a < 1e-3) return QString::number(v, 'g', 3);  // painting: tick numbers
  return QString::number(v, 'g', 7);                            // painting: tick numbers
}

void DrawFrame(QPainter& p, const QRect& plot, const Axis& x, const Axis& y, const QString& xTitle,
               const QString& yTitle, bool xTicksAreInteger) {
  p.setPen(QColor(225, 225, 225));
  for (double v : y.Ticks()) {
    const double py = y.Map(v, plot.bottom(), plot.top());
    p.drawLine(QPointF(plot.left(), py), QPointF(plot.right(), py));
  }
  p.setPen(Qt::black);
  p.drawLine(plot.bottomLeft(), plot.bottomRight());
  p.drawLine(plot.bottomLeft(), plot.topLeft());
  const QFontMetrics metrics(p.font());
  for (double v : y.Ticks()) {
    const double py = y.Map(v, plot.bottom(), plot.top());
    p.drawLine(QPointF(plot.left() - 4, py), QPointF(plot.left(), py));
    const QString text = TickText(v);
    p.drawText(
        QPointF(plot.left() - 7 - metrics.horizontalAdvance(text), py + metrics.ascent() / 2.5),
        text);
  }
  for (double v : x.Ticks()) {
    if (xTicksAreInteger && v != std::floor(v)) continue;
    const double px = x.Map(v, plot.left(), plot.right());
    p.drawLine(QPointF(px, plot.bottom()), QPointF(px, plot.bottom() + 4));
    const QString text = TickText(v);
    p.drawText(
        QPointF(px - metrics.horizontalAdvance(text) / 2.0, plot.bottom() + 6 + metrics.ascent()),
        text);
  }
  p.drawText(QRect(plot.left(), plot.bottom() + 20, plot.width(), 18), Qt::AlignCenter, xTitle);
  p.save();
  p.translate(14, plot.center().y());
  p.rotate(-90);
  p.drawText(QRect(-plot.height() / 2, -10, plot.height(), 18), Qt::AlignCenter, yTitle);
  p.restore();
}

void DrawEmpty(QWidget* widget, const QString& title) {
  QPainter p(widget);
  p.fillRect(widget->rect(), Qt::white);
  p.setPen(Qt::black);
  p.drawRect(widget->rect().adjusted(0, 0, -1, -1));
  p.drawText(QRect(0, 4, widget->width(), 20), Qt::AlignCenter, title);
  p.setPen(Qt::gray);
  p.drawText(widget->rect(), Qt::AlignCenter, Q(chart_words::kEmpty));
}

}  // namespace

FanChart::FanChart(QWidget* parent) : QWidget(parent) { setObjectName("RiskFanChart"); }

void FanChart::SetBand(std::vector<std::array<double, 5>> band, std::vector<int> trades,
                       double ruinLevel) {
  band_ = std::move(band);
  trades_ = std::move(trades);
  ruinLevel_ = ruinLevel;
  update();
}

void FanChart::Clear() {
  band_.clear();
  trades_.clear();
  update();
}

void FanChart::paintEvent(QPaintEvent*) {
  const QString title = Q(chart_words::kFanTitle);
  if (band_.empty() || trades_.size() != band_.size()) return DrawEmpty(this, title);
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), Qt::white);
  p.drawText(QRect(0, 4, width(), 20), Qt::AlignCenter, title);
  const QRect plot(kLeft, kTop, width() - kLeft - kRight, height() - kTop - kBottom);

  double low = band_.front()[0];
  double high = band_.front()[4];
  for (const auto& row : band_) {
    low = std::min(low, row[0]);
    high = std::max(high, row[4]);
  }
  if (ruinLevel_ > 0) {
    low = std::min(low, ruinLevel_);
    high = std::max(high, ruinLevel_);
  }
  const Axis y = MakeAxis(low, high);
  const Axis x{0, static_cast<double>(trades_.back()), false};
  DrawFrame(p, plot, x, y, Q(chart_words::kTradeAxis), Q(chart_words::DepositAxis(y.log)), true);

  const auto point = [&](std::size_t t, int k) {
    return QPointF(x.Map(static_cast<double>(trades_[t]), plot.left(), plot.right()),
                   y.Map(band_[t][static_cast<std::size_t>(k)], plot.bottom(), plot.top()));
  };
  const auto area = [&](int lowIndex, int highIndex) {
    QPolygonF polygon;
    for (std::size_t t = 0; t < band_.size(); ++t) polygon << point(t, lowIndex);
    for (std::size_t t = band_.size(); t-- > 0;) polygon << point(t, highIndex);
    return polygon;
  };
  p.setClipRect(plot.adjusted(0, -2, 2, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(190, 215, 245));
  p.drawPolygon(area(0, 4));
  p.setBrush(QColor(120, 165, 225));
  p.drawPolygon(area(1, 3));
  QPolygonF median;
  for (std::size_t t = 0; t < band_.size(); ++t) median << point(t, 2);
  p.setPen(QPen(QColor(10, 40, 140), 2));
  p.setBrush(Qt::NoBrush);
  p.drawPolyline(median);
  if (ruinLevel_ > 0 || !y.log) {
    const double py = y.Map(ruinLevel_, plot.bottom(), plot.top());
    p.setPen(QPen(QColor(200, 0, 0), 1.5, Qt::DashLine));
    p.drawLine(QPointF(plot.left(), py), QPointF(plot.right(), py));
    p.drawText(QPointF(plot.left() + 6, py - 4),
               Q(chart_words::RuinLine(TickText(ruinLevel_).toStdString())));
  }
  p.setClipping(false);
  // Legend.
  const int lx = plot.left() + 8;
  const int ly = plot.top() + 6;
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(190, 215, 245));
  p.drawRect(lx, ly, 14, 10);
  p.setBrush(QColor(120, 165, 225));
  p.drawRect(lx, ly + 16, 14, 10);
  p.setPen(QPen(QColor(10, 40, 140), 2));
  p.drawLine(lx, ly + 37, lx + 14, ly + 37);
  p.setPen(Qt::black);
  p.drawText(lx + 20, ly + 10, Q(chart_words::kWideBand));
  p.drawText(lx + 20, ly + 26, Q(chart_words::kNarrowBand));
  p.drawText(lx + 20, ly + 42, Q(chart_words::kMedian));
}

HistogramChart::HistogramChart(QWidget* parent) : QWidget(parent) {
  setObjectName("RiskHistogram");
}

void HistogramChart::SetHistogram(DepositHistogram histogram, int series) {
  histogram_ = std::move(histogram);
  series_ = series;
  update();
}

void HistogramChart::Clear() {
  histogram_ = {};
  update();
}

void HistogramChart::paintEvent(QPaintEvent*) {
  if (histogram_.counts.empty()) return DrawEmpty(this, Q(chart_words::kHistogramTitle));
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  p.drawText(QRect(0, 4, width(), 20), Qt::AlignCenter, Q(chart_words::HistogramTitle(series_)));
  const QRect plot(kLeft, kTop, width() - kLeft - kRight, height() - kTop - kBottom);
  const int most = *std::max_element(histogram_.counts.begin(), histogram_.counts.end());
  Axis x = MakeAxis(histogram_.low, histogram_.high);
  x.log = histogram_.logScale;
  const Axis y{0, static_cast<double>(most) * 1.05, false};
  DrawFrame(p, plot, x, y, Q(chart_words::FinalDepositAxis(x.log)), Q(chart_words::kSeriesAxis),
            false);
  const std::size_t bins = histogram_.counts.size();
  // Bin edges are equal steps of the scale the bins were counted on.
  const auto edge = [&](std::size_t i) {
    const double share = static_cast<double>(i) / static_cast<double>(bins);
    if (histogram_.logScale) {
      const double a = std::log10(histogram_.low);
      return std::pow(10.0, a + share * (std::log10(histogram_.high) - a));
    }
    return histogram_.low + share * (histogram_.high - histogram_.low);
  };
  p.setPen(QColor(60, 90, 150));
  p.setBrush(QColor(120, 165, 225));
  for (std::size_t i = 0; i < bins; ++i) {
    if (histogram_.counts[i] == 0) continue;
    const double top = y.Map(histogram_.counts[i], plot.bottom(), plot.top());
    double left = x.Map(edge(i), plot.left(), plot.right());
    double right = x.Map(edge(i + 1), plot.left(), plot.right());
    if (right - left < 2) {
      // Every series ended on the same deposit: one bar at that value.
      left -= 6;
      right += 6;
    }
    p.drawRect(QRectF(left, top, right - left, plot.bottom() - top));
  }
}

}  // namespace tiramon::desktop
