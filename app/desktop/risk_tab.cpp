#include "app/desktop/risk_tab.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <cmath>
#include <stdexcept>
#include <tuple>

#include "app/assistant_trade.h"
#include "app/desktop/error_box.h"
#include "app/desktop/risk_charts.h"

namespace tiramon::desktop {
namespace {

// Series × trades up to which a run stays on the event thread: well under the 0.2 s a user
// notices even on a busy machine; anything longer goes to the worker with a progress bar.
constexpr double kInlineWork = 2e6;
constexpr int kRowHeight = 24;
constexpr int kHistogramBins = 40;

QString Money(double v) {
  if (std::abs(v) < 1000) return QLocale::c().toString(v, 'f', 2) + " $";
  if (std::abs(v) < 1e9) return QLocale::c().toString(v, 'f', 0) + " $";
  return QString::number(v, 'g', 4) + " $";
}

QString Percent(double share) { return QLocale::c().toString(share * 100, 'f', 1) + " %"; }

QString Plain(double v) { return QString::number(v, 'g', 6); }

// "12,5" is read as 12.5: the decimal comma is what many users type.
std::optional<double> ReadNumber(const QString& text) {
  QString t = text.trimmed();
  t.replace(',', '.');
  bool ok = false;
  const double v = QLocale::c().toDouble(t, &ok);
  if (!ok || !std::isfinite(v)) return std::nullopt;
  return v;
}

}  // namespace

RiskTab::RiskTab(TForm1& model, QWidget* parent) : QWidget(parent), model_(model) {
  BuildInputs();
  BuildSummary();
  fan_ = new FanChart(this);
  fan_->setGeometry(340, 6, 584, 330);
  histogram_ = new HistogramChart(this);
  histogram_->setGeometry(340, 344, 584, 290);
  progressPoll_.setInterval(100);
  connect(&progressPoll_, &QTimer::timeout, this,
          [this] { progress_->setValue(static_cast<int>(progressShare_.load() * 1000)); });
}

RiskTab::~RiskTab() {
  cancelRequested_ = true;
  if (worker_.joinable()) worker_.join();
}

void RiskTab::BuildInputs() {
  auto* box = new QGroupBox("Параметры", this);
  box->setObjectName("RiskInputs");
  box->setGeometry(10, 6, 320, 352);
  int y = 24;
  const auto row = [&](const char* name, const char* caption, const char* text, const char* unit) {
    auto* label = new QLabel(caption, box);
    label->setGeometry(12, y + 3, 180, 20);
    auto* edit = new QLineEdit(text, box);
    edit->setObjectName(name);
    edit->setGeometry(196, y, 90, kRowHeight);
    QLabel* unitLabel = nullptr;
    if (unit) {
      unitLabel = new QLabel(unit, box);
      unitLabel->setGeometry(292, y + 3, 24, 20);
    }
    y += 28;
    return std::pair{edit, unitLabel};
  };
  const RiskInputs defaults;
  deposit_ = row("RiskDeposit", "Начальный депозит:", "100", "$").first;
  trades_ = row("RiskTrades", "Сделок в серии:", "100", nullptr).first;
  auto* mode = new QLabel("Риск:", box);
  mode->setGeometry(12, y + 3, 40, 20);
  percentMode_ = new QRadioButton("в % от депозита", box);
  percentMode_->setObjectName("RiskPercentMode");
  percentMode_->setGeometry(56, y, 134, kRowHeight);
  percentMode_->setChecked(defaults.percentRisk);
  moneyMode_ = new QRadioButton("в $", box);
  moneyMode_->setObjectName("RiskMoneyMode");
  moneyMode_->setGeometry(196, y, 110, kRowHeight);
  moneyMode_->setChecked(!defaults.percentRisk);
  y += 28;
  std::tie(risk_, riskUnit_) = row("RiskAmount", "Риск на сделку:", "5", "%");
  connect(percentMode_, &QRadioButton::toggled, this,
          [this](bool percent) { riskUnit_->setText(percent ? "%" : "$"); });
  ratio_ = row("RiskRatio", "Прибыль / риск:", "4", nullptr).first;
  winShare_ = row("RiskWinShare", "Прибыльных сделок:", "40", "%").first;
  ruin_ = row("RiskRuin", "Разорение при просадке:", "50", "%").first;
  series_ = row("RiskSeries", "Число серий:", "10000", nullptr).first;
  seed_ = row("RiskSeed", "Зерно генератора:", "1", nullptr).first;

  fromAssistant_ = new QPushButton("Из помощника", box);
  fromAssistant_->setObjectName("RiskFromAssistant");
  fromAssistant_->setToolTip(
      "Риск = убыток по стоп-лоссу в % от депозита помощника, прибыль/риск = тейк-профит ÷ "
      "стоп-лосс");
  fromAssistant_->setGeometry(12, y + 4, 140, 30);
  connect(fromAssistant_, &QPushButton::clicked, this, [this] { FromAssistant(); });
  calculate_ = new QPushButton("Рассчитать", box);
  calculate_->setObjectName("RiskCalculate");
  calculate_->setGeometry(166, y + 4, 140, 30);
  connect(calculate_, &QPushButton::clicked, this, [this] { Calculate(); });
  y += 40;
  progress_ = new QProgressBar(box);
  progress_->setObjectName("RiskProgress");
  progress_->setRange(0, 1000);
  progress_->setGeometry(12, y, 190, 24);
  progress_->setVisible(false);
  cancel_ = new QPushButton("Отмена", box);
  cancel_->setObjectName("RiskCancel");
  cancel_->setGeometry(210, y, 96, 26);
  cancel_->setVisible(false);
  connect(cancel_, &QPushButton::clicked, this, [this] { cancelRequested_ = true; });
  // Where the progress bar shows while a run goes on: what was computed, or why not.
  status_ = new QLabel(box);
  status_->setObjectName("RiskStatus");
  status_->setWordWrap(true);
  status_->setGeometry(12, y - 2, 296, 32);
}

void RiskTab::BuildSummary() {
  auto* box = new QGroupBox("Итоги", this);
  box->setObjectName("RiskSummary");
  box->setGeometry(10, 364, 320, 270);
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(12, 20, 12, 8);
  grid->setVerticalSpacing(1);
  figures_ = {
      {"RiskRuinProbability", "Вероятность разорения:", nullptr},
      {"RiskFinalP05", "Итоговый депозит, 5 %:", nullptr},
      {"RiskFinalP25", "Итоговый депозит, 25 %:", nullptr},
      {"RiskFinalMedian", "Итоговый депозит, медиана:", nullptr},
      {"RiskFinalP75", "Итоговый депозит, 75 %:", nullptr},
      {"RiskFinalP95", "Итоговый депозит, 95 %:", nullptr},
      {"RiskDrawdownMedian", "Макс. просадка, медиана:", nullptr},
      {"RiskDrawdownP95", "Макс. просадка, 95 %:", nullptr},
      {"RiskLosingRunMedian", "Убытков подряд, медиана:", nullptr},
      {"RiskLosingRunP95", "Убытков подряд, 95 %:", nullptr},
      {"RiskExpectancy", "Ожидание на сделку:", nullptr},
  };
  int row = 0;
  for (Figure& figure : figures_) {
    grid->addWidget(new QLabel(figure.caption, box), row, 0);
    figure.value = new QLabel("—", box);
    figure.value->setObjectName(figure.name);
    QFont bold = figure.value->font();
    bold.setBold(true);
    figure.value->setFont(bold);
    figure.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(figure.value, row, 1);
    ++row;
  }
}

void RiskTab::FromAssistant() {
  try {
    const AssistantTrade trade = ReadAssistantTrade(model_);
    percentMode_->setChecked(true);
    risk_->setText(QString::number(trade.riskPercent, 'g', 4));
    ratio_->setText(QString::number(trade.rewardToRisk, 'g', 4));
    status_->setText("Риск и прибыль/риск взяты из помощника.");
  } catch (const std::exception& error) {
    ShowErrorBox(this, error.what());
  }
}

std::optional<RiskInputs> RiskTab::ReadInputs() {
  RiskInputs in;
  struct Field {
    QLineEdit* edit;
    const char* caption;
    double* target;
    double scale;
  };
  double trades = 0, series = 0, seed = 0;
  const Field fields[] = {
      {deposit_, "Начальный депозит", &in.deposit, 1},
      {trades_, "Сделок в серии", &trades, 1},
      {risk_, "Риск на сделку", &in.risk, 1},
      {ratio_, "Прибыль / риск", &in.rewardToRisk, 1},
      {winShare_, "Прибыльных сделок", &in.winShare, 0.01},
      {ruin_, "Разорение", &in.ruinDrawdown, 0.01},
      {series_, "Число серий", &series, 1},
      {seed_, "Зерно генератора", &seed, 1},
  };
  for (const Field& field : fields) {
    const std::optional<double> v = ReadNumber(field.edit->text());
    if (!v) {
      ShowErrorBox(this, QString("Поле «%1»: «%2» — не число")
                             .arg(field.caption, field.edit->text())
                             .toStdString());
      field.edit->setFocus();
      return std::nullopt;
    }
    *field.target = *v * field.scale;
  }
  const struct {
    double value;
    QLineEdit* edit;
    const char* caption;
  } counts[] = {{trades, trades_, "Сделок в серии"},
                {series, series_, "Число серий"},
                {seed, seed_, "Зерно генератора"}};
  for (const auto& count : counts) {
    if (count.value != std::floor(count.value) || count.value < 0 || count.value > 1e15) {
      ShowErrorBox(
          this,
          QString("Поле «%1»: нужно целое число не меньше нуля").arg(count.caption).toStdString());
      count.edit->setFocus();
      return std::nullopt;
    }
  }
  // Out-of-range counts are clamped just past the limit so the analysis refuses them by name.
  in.trades = static_cast<int>(std::min(trades, kMaxRiskTrades + 1.0));
  in.series = static_cast<int>(std::min(series, kMaxRiskSeries + 1.0));
  in.seed = static_cast<std::uint64_t>(seed);
  in.percentRisk = percentMode_->isChecked();
  return in;
}

void RiskTab::Calculate() {
  if (running()) return;
  const std::optional<RiskInputs> in = ReadInputs();
  if (!in) return;
  running_ = *in;
  cancelRequested_ = false;
  progressShare_ = 0;
  if (static_cast<double>(in->series) * in->trades <= kInlineWork) {
    try {
      const std::optional<RiskResult> result = RunRiskAnalysis(*in, {});
      if (result) Show(*result, *in);
    } catch (const std::exception& error) {
      ShowErrorBox(this, error.what());
    }
    return;
  }
  SetRunning(true);
  const RiskInputs inputs = *in;
  worker_ = std::thread([this, inputs] {
    auto result = std::make_shared<std::optional<RiskResult>>();
    QString error;
    try {
      *result = RunRiskAnalysis(inputs, {.cancel = &cancelRequested_, .progress = &progressShare_});
    } catch (const std::exception& e) {
      error = QString::fromUtf8(e.what());
    }
    // Back on the event thread; dropped unread if the tab is gone by then.
    QMetaObject::invokeMethod(
        this, [this, result, error] { Finished(result, error); }, Qt::QueuedConnection);
  });
}

void RiskTab::Finished(const std::shared_ptr<std::optional<RiskResult>>& result,
                       const QString& error) {
  if (worker_.joinable()) worker_.join();
  SetRunning(false);
  if (!error.isEmpty()) {
    ShowErrorBox(this, error.toStdString());
  } else if (!*result) {
    status_->setText("Расчёт отменён.");
  } else {
    Show(**result, running_);
  }
}

void RiskTab::SetRunning(bool running) {
  calculate_->setEnabled(!running);
  fromAssistant_->setEnabled(!running);
  progress_->setValue(0);
  progress_->setVisible(running);
  cancel_->setVisible(running);
  status_->setVisible(!running);
  if (running) {
    progressPoll_.start();
  } else {
    progressPoll_.stop();
  }
}

void RiskTab::Show(const RiskResult& result, const RiskInputs& in) {
  const RiskSummary& s = result.summary;
  const QString values[] = {
      Percent(s.ruinProbability),
      Money(s.finalP05),
      Money(s.finalP25),
      Money(s.finalMedian),
      Money(s.finalP75),
      Money(s.finalP95),
      Percent(s.maxDrawdownMedian),
      Percent(s.maxDrawdownP95),
      QString::number(s.longestLosingMedian),
      QString::number(s.longestLosingP95),
      Money(s.expectancyPerTrade),
  };
  for (std::size_t i = 0; i < figures_.size(); ++i) figures_[i].value->setText(values[i]);
  status_->setText(QString("%1 серий × %2 сделок, разорение: депозит ≤ %3 $")
                       .arg(in.series)
                       .arg(in.trades)
                       .arg(Plain(in.deposit * (1 - in.ruinDrawdown))));
  fan_->SetBand(s.band, in.deposit * (1 - in.ruinDrawdown));
  histogram_->SetHistogram(HistogramOfDeposits(result.finalDeposits, kHistogramBins), in.series);
}

}  // namespace tiramon::desktop
