// The risk-analysis tab as a user drives it: click the tab, type into the focused box, press the
// buttons; the figures appear, the long run can be cancelled and the window keeps answering.
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <cmath>

#include "tests/gui/gui_fixture.h"

namespace tiramon::desktop {
namespace {

void ClickTab(QTabWidget* tabs, int index) {
  QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(index).center());
}

// Clicks into the box, selects what is there and types over it, all through the focused widget.
void TypeInto(QLineEdit* edit, const char* text) {
  QTest::mouseClick(edit, Qt::LeftButton);
  ASSERT_TRUE(edit->hasFocus());
  QWidget* focused = QApplication::focusWidget();
  QTest::keyClick(focused, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(focused, text);
}

double MoneyValue(const QString& text) {
  QString number = text;
  number.remove(" $");
  return number.toDouble();
}

TEST_F(GuiTest, RiskTabCalculatesTheDefaultsAndTypedInputs) {
  WriteCache(SamplePage());
  MainWindow& window = Open();
  auto* tabs = Find<QTabWidget>("PageControl1");
  ASSERT_EQ(tabs->count(), 7);
  EXPECT_EQ(tabs->tabText(6), "Анализ риска");
  EXPECT_EQ(tabs->currentIndex(), 0);
  ClickTab(tabs, 6);
  ASSERT_EQ(tabs->currentIndex(), 6);
  EXPECT_EQ(window.model().PageControl1.activePageIndex, 6);
  EXPECT_EQ(Find<QLineEdit>("RiskSeries")->text(), "10000");
  EXPECT_EQ(Find<QLineEdit>("RiskWinShare")->text(), "40");
  auto* median = Find<QLabel>("RiskFinalMedian");
  EXPECT_EQ(median->text(), "—");

  QTest::mouseClick(Find<QPushButton>("RiskCalculate"), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return median->text() != "—"; }, 5000));
  // 40 % of trades win 4 × 5 % of the deposit, 60 % lose 5 %: 0.4·20 − 0.6·5 = $5 at $100.
  EXPECT_EQ(Find<QLabel>("RiskExpectancy")->text(), "5.00 $");
  // Every series ends on 100 · 1.2^w · 0.95^(100−w) for its w wins; shown to the dollar.
  const double medianValue = MoneyValue(median->text());
  bool onLattice = false;
  for (int w = 0; w <= 100; ++w)
    onLattice = onLattice ||
                std::abs(100 * std::pow(1.2, w) * std::pow(0.95, 100 - w) - medianValue) <= 0.5;
  EXPECT_TRUE(onLattice) << median->text().toStdString();
  EXPECT_TRUE(Find<QLabel>("RiskRuinProbability")->text().endsWith(" %"));
  EXPECT_TRUE(errors_.empty()) << errors_.front();

  const QString folder = qEnvironmentVariable("TIRAMON_SCREENSHOT_DIR");
  if (!folder.isEmpty()) {
    QDir().mkpath(folder);
    EXPECT_TRUE(window.grab().save(folder + "/risk_tab.png"));
  }

  TypeInto(Find<QLineEdit>("RiskSeries"), "2000");
  EXPECT_EQ(Find<QLineEdit>("RiskSeries")->text(), "2000");
  TypeInto(Find<QLineEdit>("RiskAmount"), "12,5");
  QTest::mouseClick(Find<QPushButton>("RiskCalculate"), Qt::LeftButton);
  auto* status = Find<QLabel>("RiskStatus");
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return status->text().startsWith("2000 серий × 100 сделок"); }, 5000));
  // 0.4 · 4 · 12.5 − 0.6 · 12.5 = 12.5.
  EXPECT_EQ(Find<QLabel>("RiskExpectancy")->text(), "12.50 $");

  TypeInto(Find<QLineEdit>("RiskWinShare"), "4o");
  QTest::mouseClick(Find<QPushButton>("RiskCalculate"), Qt::LeftButton);
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0], "Поле «Прибыльных сделок»: «4o» — не число.");
}

TEST_F(GuiTest, RiskTabTakesTheAssistantTrade) {
  WriteCache(SamplePage());
  MainWindow& window = Open();
  ASSERT_TRUE(errors_.empty()) << errors_.front();
  auto* tabs = Find<QTabWidget>("PageControl1");
  ClickTab(tabs, 6);
  QTest::mouseClick(Find<QPushButton>("RiskFromAssistant"), Qt::LeftButton);
  const TForm1& m = window.model();
  const double expected = std::stod(m.ComboBox_los.text) * std::stod(m.Punkt.caption) /
                          std::stod(m.Edit_Deposit.text) * 100;
  ASSERT_TRUE(errors_.empty()) << errors_.front();
  EXPECT_NEAR(Find<QLineEdit>("RiskAmount")->text().toDouble(), expected, expected * 1e-3);
  EXPECT_EQ(Find<QLineEdit>("RiskRatio")->text(), "3.333");  // 500 ÷ 150

  window.model().ComboBox_los.text = "15o";
  QTest::mouseClick(Find<QPushButton>("RiskFromAssistant"), Qt::LeftButton);
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0], "Помощник: стоп-лосс «15o» — не число.");
}

TEST_F(GuiTest, RiskTabLargestRunShowsProgressAndCancels) {
  Open();
  ClickTab(Find<QTabWidget>("PageControl1"), 6);
  TypeInto(Find<QLineEdit>("RiskSeries"), "100000");
  TypeInto(Find<QLineEdit>("RiskTrades"), "10000");
  QTest::mouseClick(Find<QPushButton>("RiskCalculate"), Qt::LeftButton);
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

  QTest::mouseClick(cancel, Qt::LeftButton);
  auto* status = Find<QLabel>("RiskStatus");
  ASSERT_TRUE(QTest::qWaitFor([&] { return status->text() == "Расчёт отменён."; }, 5000));
  EXPECT_FALSE(progress->isVisible());
  EXPECT_TRUE(Find<QPushButton>("RiskCalculate")->isEnabled());
  EXPECT_EQ(Find<QLabel>("RiskFinalMedian")->text(), "—");
}

}  // namespace
}  // namespace tiramon::desktop
