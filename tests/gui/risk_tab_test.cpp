// The risk-analysis tab as a user drives it: what needs the window itself. The tab is there and
// its widgets reach the model's handlers, a long run shows its progress without freezing the
// window and can be cancelled. Its figures, refusals and defaults are the model's, tested in
// tests/risk_form_test.cpp.
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>

#include "tests/gui/gui_fixture.h"
#include "tests/gui/person.h"

namespace tiramon::desktop {
namespace {

void OpenRiskTab(QTabWidget* tabs) {
  person::Click(tabs->tabBar(), tabs->tabBar()->tabRect(6).center());
}

// Clicks into the box, selects what is there and types over it, as a user would.
void TypeOver(QLineEdit* box, const QString& text) {
  person::Click(box);
  ASSERT_TRUE(box->hasFocus());
  person::Key(Qt::Key_A, Qt::ControlModifier);
  person::Type(text);
}

TEST_F(GuiTest, RiskTabSendsWhatTheUserDoesToTheModel) {
  WriteCache(SamplePage());
  MainWindow& window = Open();
  auto* tabs = Find<QTabWidget>("PageControl1");
  ASSERT_EQ(tabs->count(), 8);  // the book's tab follows it
  EXPECT_EQ(tabs->tabText(6), "Анализ риска");
  EXPECT_EQ(tabs->currentIndex(), 0);
  OpenRiskTab(tabs);
  ASSERT_EQ(tabs->currentIndex(), 6);
  EXPECT_EQ(window.model().PageControl1.activePageIndex, 6);
  EXPECT_EQ(Find<QLineEdit>("RiskSeries")->text(), "10000");
  auto* median = Find<QLabel>("RiskFinalMedian");
  EXPECT_EQ(median->text(), "—");

  person::Click(Find<QPushButton>("RiskCalculate"));
  EXPECT_EQ(median->text().toStdString(), window.model().RiskFinalMedian.caption);
  EXPECT_EQ(Find<QLabel>("RiskExpectancy")->text(), "5.00 $");
  EXPECT_TRUE(errors_.empty()) << errors_.front();

  const QString folder = qEnvironmentVariable("TIRAMON_SCREENSHOT_DIR");
  if (!folder.isEmpty()) {
    QDir().mkpath(folder);
    EXPECT_TRUE(window.grab().save(folder + "/risk_tab.png"));
  }

  // Typed text reaches the model, a decimal comma included.
  TypeOver(Find<QLineEdit>("RiskSeries"), "2000");
  EXPECT_EQ(Find<QLineEdit>("RiskSeries")->text(), "2000");
  TypeOver(Find<QLineEdit>("RiskAmount"), "12,5");
  EXPECT_EQ(window.model().RiskAmount.text, "12,5");
  person::Click(Find<QPushButton>("RiskCalculate"));
  EXPECT_TRUE(Find<QLabel>("RiskStatus")->text().startsWith("2000 серий × 100 сделок"));
  EXPECT_EQ(Find<QLabel>("RiskExpectancy")->text(), "12.50 $");

  // The mode buttons, clicked on their round mark, change the unit beside the risk.
  auto* unit = Find<QLabel>("RiskAmountUnit");
  person::Click(Find<QRadioButton>("RiskMoneyMode"), QPoint(8, 12));
  EXPECT_EQ(unit->text(), "$");
  person::Click(Find<QRadioButton>("RiskPercentMode"), QPoint(8, 12));
  EXPECT_EQ(unit->text(), "%");

  // A refusal reaches the error box, and the keyboard goes to the box it names.
  auto* winShare = Find<QLineEdit>("RiskWinShare");
  TypeOver(winShare, "4o");
  person::Click(Find<QPushButton>("RiskCalculate"));
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0], "Поле «Прибыльных сделок»: «4o» — не число.");
  EXPECT_TRUE(winShare->hasFocus());
}

TEST_F(GuiTest, RiskTabTakesTheAssistantTrade) {
  WriteCache(SamplePage());
  MainWindow& window = Open();
  ASSERT_TRUE(errors_.empty()) << errors_.front();
  OpenRiskTab(Find<QTabWidget>("PageControl1"));
  person::Click(Find<QPushButton>("RiskFromAssistant"));
  ASSERT_TRUE(errors_.empty()) << errors_.front();
  // The assistant's own texts after the first show, taken through the window.
  const TForm1& m = window.model();
  const double expected = std::stod(m.ComboBox_los.text) * std::stod(m.Punkt.caption) /
                          std::stod(m.Edit_Deposit.text) * 100;
  EXPECT_NEAR(Find<QLineEdit>("RiskAmount")->text().toDouble(), expected, expected * 1e-3);
  EXPECT_EQ(Find<QLineEdit>("RiskRatio")->text(), "3.333");  // 500 ÷ 150

  // A stop the assistant cannot use, typed there as a person types it, is what the risk tab
  // says it cannot take.
  auto* tabs = Find<QTabWidget>("PageControl1");
  tabs->setCurrentIndex(2);
  person::Prepare(Find<QComboBox>("ComboBox_los"), "15o", 3);
  OpenRiskTab(tabs);
  person::Click(Find<QPushButton>("RiskFromAssistant"));
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0], "Помощник: Стоп лосс: «15o» — не число. Введите число, например 150.");
}

TEST_F(GuiTest, RiskTabLargestRunShowsProgressAndCancels) {
  Open();
  OpenRiskTab(Find<QTabWidget>("PageControl1"));
  TypeOver(Find<QLineEdit>("RiskSeries"), "100000");
  TypeOver(Find<QLineEdit>("RiskTrades"), "10000");
  person::Click(Find<QPushButton>("RiskCalculate"));
  auto* progress = Find<QProgressBar>("RiskProgress");
  auto* cancel = Find<QPushButton>("RiskCancel");
  EXPECT_TRUE(progress->isVisible());
  EXPECT_TRUE(cancel->isVisible());
  EXPECT_FALSE(Find<QPushButton>("RiskCalculate")->isEnabled());

  // The event loop keeps turning while the worker runs: timer ticks arrive without long gaps.
  // The run takes many seconds, so a second's gap is a freeze and not a busy machine.
  QElapsedTimer clock;
  clock.start();
  qint64 last = 0, longestGap = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    longestGap = std::max(longestGap, clock.elapsed() - last);
    last = clock.elapsed();
  });
  tick.start(20);
  ASSERT_TRUE(QTest::qWaitFor([&] { return progress->value() > 0; }, 10000));
  QTest::qWait(200);
  tick.stop();
  EXPECT_LT(longestGap, 1000);

  person::Click(cancel);
  auto* status = Find<QLabel>("RiskStatus");
  ASSERT_TRUE(QTest::qWaitFor([&] { return status->text() == "Расчёт отменён."; }, 5000));
  EXPECT_FALSE(progress->isVisible());
  EXPECT_TRUE(Find<QPushButton>("RiskCalculate")->isEnabled());
  EXPECT_EQ(Find<QLabel>("RiskFinalMedian")->text(), "—");
}

}  // namespace
}  // namespace tiramon::desktop
