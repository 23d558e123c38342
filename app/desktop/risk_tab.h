// The "Анализ риска" tab: the inputs of a risk analysis, its summary and two pictures of it. Long
// runs go to a worker thread with a progress bar and a cancel button, so the window never stalls.
#pragma once

#include <QTimer>
#include <QWidget>
#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "app/risk_analysis.h"
#include "app/unit1.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace tiramon::desktop {

inline constexpr const char* kRiskTabCaption = "Анализ риска";

class FanChart;
class HistogramChart;

class RiskTab : public QWidget {
 public:
  // Reads the assistant's trade from model when asked to.
  explicit RiskTab(TForm1& model, QWidget* parent = nullptr);
  ~RiskTab() override;

  bool running() const { return worker_.joinable(); }

 private:
  void BuildInputs();
  void BuildSummary();
  void FromAssistant();
  void Calculate();
  void Finished(const std::shared_ptr<std::optional<RiskResult>>& result, const QString& error);
  void Show(const RiskResult& result, const RiskInputs& in);
  void SetRunning(bool running);
  // Reads the edit boxes; an empty optional after the error box has named the bad field.
  std::optional<RiskInputs> ReadInputs();

  TForm1& model_;
  QLineEdit* deposit_ = nullptr;
  QLineEdit* trades_ = nullptr;
  QRadioButton* percentMode_ = nullptr;
  QRadioButton* moneyMode_ = nullptr;
  QLineEdit* risk_ = nullptr;
  QLabel* riskUnit_ = nullptr;
  QLineEdit* ratio_ = nullptr;
  QLineEdit* winShare_ = nullptr;
  QLineEdit* ruin_ = nullptr;
  QLineEdit* series_ = nullptr;
  QLineEdit* seed_ = nullptr;
  QPushButton* fromAssistant_ = nullptr;
  QPushButton* calculate_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* status_ = nullptr;
  struct Figure {
    const char* name;
    const char* caption;
    QLabel* value;
  };
  std::vector<Figure> figures_;
  FanChart* fan_ = nullptr;
  HistogramChart* histogram_ = nullptr;

  RiskInputs running_;
  std::thread worker_;
  std::atomic<bool> cancelRequested_{false};
  std::atomic<double> progressShare_{0};
  QTimer progressPoll_;
};

}  // namespace tiramon::desktop
