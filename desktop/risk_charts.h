// The two pictures of the risk analysis, painted by hand: the fan of deposits over the trade
// number and the histogram of final deposits, each with its axes, values and units.
#pragma once

#include <QWidget>
#include <array>
#include <vector>

#include "app/risk_analysis.h"

namespace tiramon::desktop {

class FanChart : public QWidget {
 public:
  explicit FanChart(QWidget* parent = nullptr);
  // One band row per trade number in trades, ascending from 0.
  void SetBand(std::vector<std::array<double, 5>> band, std::vector<int> trades, double ruinLevel);
  void Clear();

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  std::vector<std::array<double, 5>> band_;
  std::vector<int> trades_;
  double ruinLevel_ = 0;
};

class HistogramChart : public QWidget {
 public:
  explicit HistogramChart(QWidget* parent = nullptr);
  void SetHistogram(DepositHistogram histogram, int series);
  void Clear();

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  DepositHistogram histogram_;
  int series_ = 0;
};

}  // namespace tiramon::desktop
