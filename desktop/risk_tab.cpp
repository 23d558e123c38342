// The layout of the "Анализ риска" tab: where each of its controls sits, its progress bar, its two
// pictures and the timer that watches a long run. What the tab shows and does is the model's.
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <memory>

#include "desktop/main_window.h"
#include "desktop/risk_charts.h"

namespace tiramon::desktop {
namespace {

// The tab's captions sit a little lower than the boxes beside them, in rows this high.
constexpr int kCaptionHeight = 20;
constexpr int kRowStep = 28;
// A label width for the binder that leaves the label's size to the grid it sits in: neither fixed
// nor fitted to its text, so a new figure never pulls it out of its cell.
constexpr int kSizedByGrid = -1;

}  // namespace

void MainWindow::BuildRiskTab(QWidget* page) {
  TForm1& m = *model_;
  BuildRiskInputs(page);
  BuildRiskSummary(page);
  auto* fan = new FanChart(page);
  fan->setGeometry(340, 6, 584, 330);
  auto* histogram = new HistogramChart(page);
  histogram->setGeometry(340, 344, 584, 290);
  auto shownRevision = std::make_shared<int>(0);
  renderers_.push_back([&m, fan, histogram, shownRevision] {
    const RiskPictures& pictures = m.RiskCharts;
    if (pictures.revision == *shownRevision) return;
    *shownRevision = pictures.revision;
    fan->SetBand(pictures.band, pictures.bandTrades, pictures.ruinLevel);
    histogram->SetHistogram(pictures.histogram, pictures.series);
  });

  Timer(page, "Timer_Risk", m.Timer_Risk);

  // A refusal names a box; the keyboard goes there, as it does each time it is asked to.
  auto shownRequests = std::make_shared<int>(m.Focus.requests);
  renderers_.push_back([&m, page, shownRequests] {
    if (m.Focus.requests == *shownRequests) return;
    *shownRequests = m.Focus.requests;
    if (auto* target = page->findChild<QWidget*>(QString::fromStdString(m.Focus.control))) {
      target->setFocus();
    }
  });
}

void MainWindow::BuildRiskInputs(QWidget* page) {
  TForm1& m = *model_;
  QGroupBox* box = Group(page, "RiskInputsBox", m.RiskInputsBox, 10, 6, 320, 352);
  int y = 24;
  const auto caption = [&](const char* name, const TLabel& label, int x, int w) {
    Label(box, name, label, x, y + 3, w)->setGeometry(x, y + 3, w, kCaptionHeight);
  };
  const auto row = [&](const char* labelName, const TLabel& label, const char* editName,
                       TEdit& edit, const char* unitName, const TLabel* unit) {
    caption(labelName, label, 12, 180);
    Edit(box, editName, edit, 196, y, 90);
    if (unit) caption(unitName, *unit, 292, 24);
    y += kRowStep;
  };
  row("Label_RiskDeposit", m.Label_RiskDeposit, "RiskDeposit", m.RiskDeposit,
      "Label_RiskDepositUnit", &m.Label_RiskDepositUnit);
  row("Label_RiskTrades", m.Label_RiskTrades, "RiskTrades", m.RiskTrades, nullptr, nullptr);
  caption("Label_RiskMode", m.Label_RiskMode, 12, 40);
  Radio(box, "RiskPercentMode", m.RiskPercentMode, 56, y, 134);
  Radio(box, "RiskMoneyMode", m.RiskMoneyMode, 196, y, 110);
  y += kRowStep;
  row("Label_RiskAmount", m.Label_RiskAmount, "RiskAmount", m.RiskAmount, "RiskAmountUnit",
      &m.RiskAmountUnit);
  row("Label_RiskRatio", m.Label_RiskRatio, "RiskRatio", m.RiskRatio, nullptr, nullptr);
  row("Label_RiskWinShare", m.Label_RiskWinShare, "RiskWinShare", m.RiskWinShare,
      "Label_RiskWinShareUnit", &m.Label_RiskWinShareUnit);
  row("Label_RiskRuin", m.Label_RiskRuin, "RiskRuin", m.RiskRuin, "Label_RiskRuinUnit",
      &m.Label_RiskRuinUnit);
  row("Label_RiskSeries", m.Label_RiskSeries, "RiskSeries", m.RiskSeries, nullptr, nullptr);
  row("Label_RiskSeed", m.Label_RiskSeed, "RiskSeed", m.RiskSeed, nullptr, nullptr);

  Button(box, "RiskFromAssistant", m.RiskFromAssistant, 12, y + 4, 140, 30);
  Button(box, "RiskCalculate", m.RiskCalculate, 166, y + 4, 140, 30);
  y += 40;
  auto* progress = new QProgressBar(box);
  progress->setObjectName("RiskProgress");
  progress->setGeometry(12, y, 190, 24);
  renderers_.push_back([&m, progress] {
    const TProgressBar& bar = m.RiskProgress;
    if (progress->maximum() != bar.max) progress->setRange(0, bar.max);
    if (progress->value() != bar.position) progress->setValue(bar.position);
    if (progress->isVisibleTo(progress->parentWidget()) != bar.visible) {
      progress->setVisible(bar.visible);
    }
  });
  Button(box, "RiskCancel", m.RiskCancel, 210, y, 96, 26);
  // In the progress bar's place when no run goes on.
  QLabel* status = Label(box, "RiskStatus", m.RiskStatus, 12, y - 2, 296);
  status->setWordWrap(true);
  status->setGeometry(12, y - 2, 296, 32);
}

void MainWindow::BuildRiskSummary(QWidget* page) {
  TForm1& m = *model_;
  QGroupBox* box = Group(page, "RiskSummaryBox", m.RiskSummaryBox, 10, 364, 320, 270);
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(12, 20, 12, 8);
  grid->setVerticalSpacing(1);
  struct Figure {
    const char* captionName;
    const TLabel& caption;
    const char* valueName;
    const TLabel& value;
  };
  const Figure figures[] = {
      {"Label_RiskRuinProbability", m.Label_RiskRuinProbability, "RiskRuinProbability",
       m.RiskRuinProbability},
      {"Label_RiskFinalP05", m.Label_RiskFinalP05, "RiskFinalP05", m.RiskFinalP05},
      {"Label_RiskFinalP25", m.Label_RiskFinalP25, "RiskFinalP25", m.RiskFinalP25},
      {"Label_RiskFinalMedian", m.Label_RiskFinalMedian, "RiskFinalMedian", m.RiskFinalMedian},
      {"Label_RiskFinalP75", m.Label_RiskFinalP75, "RiskFinalP75", m.RiskFinalP75},
      {"Label_RiskFinalP95", m.Label_RiskFinalP95, "RiskFinalP95", m.RiskFinalP95},
      {"Label_RiskDrawdownMedian", m.Label_RiskDrawdownMedian, "RiskDrawdownMedian",
       m.RiskDrawdownMedian},
      {"Label_RiskDrawdownP95", m.Label_RiskDrawdownP95, "RiskDrawdownP95", m.RiskDrawdownP95},
      {"Label_RiskLosingRunMedian", m.Label_RiskLosingRunMedian, "RiskLosingRunMedian",
       m.RiskLosingRunMedian},
      {"Label_RiskLosingRunP95", m.Label_RiskLosingRunP95, "RiskLosingRunP95", m.RiskLosingRunP95},
      {"Label_RiskExpectancy", m.Label_RiskExpectancy, "RiskExpectancy", m.RiskExpectancy},
  };
  int row = 0;
  for (const Figure& figure : figures) {
    grid->addWidget(Label(box, figure.captionName, figure.caption, 0, 0, kSizedByGrid), row, 0);
    QLabel* value = Label(box, figure.valueName, figure.value, 0, 0, kSizedByGrid, kBold);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(value, row, 1);
    ++row;
  }
}

}  // namespace tiramon::desktop
