// The quote table and the status panel as a user sees them, and the assistant following a pick
// from the table.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <algorithm>
#include <vector>

#include "desktop/quote_table_model.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/table_view.h"

namespace tiramon::desktop {
namespace {

int RowOf(QTableView* table, const QString& pair) {
  for (int row = 0; row < RowCount(table); ++row) {
    if (CellText(table, row, 0) == pair) return row;
  }
  ADD_FAILURE() << "no row " << pair.toStdString();
  return 0;
}

QString Painted(QWidget* panel) {
  panel->grab();  // paints it
  return panel->property("paintedText").toString();
}

QColor TextColour(QWidget* widget) { return widget->palette().color(QPalette::WindowText); }

TEST_F(GuiTest, TableRowsAreColouredByTheirRelationToTheDollar) {
  WriteCache(SamplePage());
  Open();
  auto* table = Find<QTableView>("ListView1");
  struct Case {
    const char* pair;
    QColor colour;  // invalid: the list's normal colour
  };
  for (const Case& c : {Case{"EUR/USD", QColor(0, 128, 0)}, Case{"GBP/USD", QColor(0, 128, 0)},
                        Case{"USD/JPY", QColor(0, 0, 255)}, Case{"USD/CHF", QColor(0, 0, 255)},
                        Case{"EUR/GBP", QColor()}}) {
    SCOPED_TRACE(c.pair);
    const int row = RowOf(table, c.pair);
    for (int column : {0, 3, 10}) {
      const QBrush brush = CellForeground(table, row, column);
      if (c.colour.isValid()) {
        EXPECT_EQ(brush.color(), c.colour);
      } else {
        EXPECT_EQ(brush.style(), Qt::NoBrush);
      }
    }
  }
  EXPECT_EQ(CellText(table, RowOf(table, "EUR/USD"), 1), "1.12340");
  EXPECT_EQ(CellText(table, RowOf(table, "EUR/USD"), 5), "224.68 (0.4)");
}

TEST_F(GuiTest, StatusPanelShowsUnavailableUntilLiveQuotesArrive) {
  WriteCache(SamplePage());
  MainWindow& window = Open();
  QWidget* panel = Find<QWidget>("StatusBar1Panel0");
  EXPECT_EQ(Painted(panel), "Котировки валют недоступны");
  EXPECT_EQ(panel->property("paintedImage").toInt(), 1);
  window.model().QuotesAvailable = true;
  EXPECT_EQ(Painted(panel), "Котировки валют доступны");
  EXPECT_EQ(panel->property("paintedImage").toInt(), 0);
}

TEST_F(GuiTest, TheStatusPanelRepaintsItselfWhenARenderChangesWhatItShows) {
  WriteCache(SamplePage());
  MainWindow& window = Open();
  QWidget* panel = Find<QWidget>("StatusBar1Panel0");
  ASSERT_TRUE(QTest::qWaitFor([panel] { return panel->property("paintedImage") == 1; }));
  window.model().QuotesAvailable = true;
  window.Render();
  // No grab here: the render itself must have asked for the repaint. Without it the panel would
  // wait for the next relayout of the status bar, many seconds away.
  EXPECT_TRUE(QTest::qWaitFor(
      [panel] { return panel->property("paintedText") == "Котировки валют доступны"; }, 3000));
  EXPECT_EQ(panel->property("paintedImage").toInt(), 0);
}

TEST_F(GuiTest, PickingARowAndSellingUpdatesTheAssistant) {
  WriteCache(SamplePage());
  Open();
  auto* table = Find<QTableView>("ListView1");
  Find<QTabWidget>("PageControl1")->setCurrentIndex(1);
  const int row = RowOf(table, "GBP/USD");
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                    table->visualRect(CellIndex(table, row, 0)).center());
  EXPECT_EQ(Find<QLabel>("Label_Valuta")->text(), "GBP/USD");
  EXPECT_EQ(Find<QRadioButton>("RadioButton_Buy")->text(), "Покупка (ask): 1.30540");
  EXPECT_EQ(Find<QRadioButton>("RadioButton_sell")->text(), "Продажа (bid): 1.30510");
  // Bought at the ask 1.3054: margin 130540 × 0.1 ÷ 500 = 26.108, to the cent; stop 0.0015
  // below, take 0.005 above.
  EXPECT_EQ(Find<QLabel>("Zalog")->text(), "26.11");
  EXPECT_EQ(Find<QLineEdit>("Edit_Loss")->text(), "1.30390");
  EXPECT_EQ(Find<QLineEdit>("Edit_Teik")->text(), "1.31040");
  EXPECT_EQ(Find<QLabel>("Soot")->text(), "3.3");
  EXPECT_EQ(TextColour(Find<QLabel>("Label34")), QColor(0, 128, 0));

  Find<QTabWidget>("PageControl1")->setCurrentIndex(2);
  auto* sell = Find<QRadioButton>("RadioButton_sell");
  QTest::mouseClick(sell, Qt::LeftButton, {}, QPoint(8, sell->height() / 2));  // on its mark
  EXPECT_TRUE(sell->isChecked());
  EXPECT_EQ(TextColour(sell), QColor(0, 0, 255));
  EXPECT_EQ(TextColour(Find<QRadioButton>("RadioButton_Buy")), QColor(0, 0, 0));
  // Sold at the bid 1.3051: stop 0.0015 above, take 0.005 below.
  EXPECT_EQ(Find<QLabel>("Zalog")->text(), "26.1");  // 26.102
  EXPECT_EQ(Find<QLineEdit>("Edit_Loss")->text(), "1.30660");
  EXPECT_EQ(Find<QLineEdit>("Edit_Teik")->text(), "1.30010");
}

TEST_F(GuiTest, DoubleClickBringsTheAssistantToTheFront) {
  WriteCache(SamplePage());
  Open();
  auto* tabs = Find<QTabWidget>("PageControl1");
  tabs->setCurrentIndex(1);
  auto* table = Find<QTableView>("ListView1");
  const QPoint where = table->visualRect(CellIndex(table, RowOf(table, "USD/JPY"), 0)).center();
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, where);
  QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, where);
  EXPECT_EQ(tabs->currentIndex(), 2);
  EXPECT_EQ(Find<QLabel>("Label_Valuta")->text(), "USD/JPY");
}

TEST_F(GuiTest, TypingADepositRecalculatesOnEveryKeystroke) {
  WriteCache(SamplePage());
  Open();
  auto* deposit = Find<QLineEdit>("Edit_Deposit");
  auto* loss = Find<QLabel>("Label_Loss");
  deposit->setFocus();
  deposit->selectAll();
  QTest::keyClick(deposit, Qt::Key_Backspace);
  QTest::keyClick(deposit, Qt::Key_2);
  EXPECT_EQ(loss->text(), "15$ или 750%");
  QTest::keyClick(deposit, Qt::Key_0);
  EXPECT_EQ(loss->text(), "15$ или 75%");
  QTest::keyClick(deposit, Qt::Key_0);
  EXPECT_EQ(loss->text(), "15$ или 7.5%");
}

// The share-out of the window among the columns: each gets its widest text and its caption on
// two lines at least; spare room first keeps the captions that need least on one line, then is
// shared evenly; what cannot fit keeps every need and scrolls.
TEST(QuoteColumnWidthsTest, SharesTheWindowWithoutCuttingAnything) {
  struct Case {
    const char* what;
    std::vector<QuoteColumnNeeds> needs;  // content, one-line caption, two-line caption
    int available;
    std::vector<int> widths;
  };
  const Case cases[] = {
      {"room for everything on one line, the rest shared: 60 + 70 = 130, (150 - 130) / 2 = 10",
       {{50, 60, 40}, {30, 70, 45}},
       150,
       {70, 80}},
      {"room to unwrap the cheaper caption only: 50 + 45 = 95, +10 fits in 110, +25 does not; "
       "the 5 left over give 2 each",
       {{50, 60, 40}, {30, 70, 45}},
       110,
       {62, 47}},
      {"no room even wrapped: the needs stand and the table scrolls",
       {{50, 60, 40}, {30, 70, 45}},
       80,
       {50, 45}},
      {"a figure wider than its caption sets the width, which the caption fits",
       {{90, 60, 40}},
       100,
       {100}},
      {"a caption without a space cannot wrap", {{20, 50, 50}}, 40, {50}},
      {"no columns", {}, 100, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(QuoteColumnWidths(c.needs, c.available), c.widths);
  }
}

TEST(QuoteColumnWidthsTest, TwoLineWidthBreaksAtTheBestSpace) {
  const QFont font;
  const QFontMetricsF metrics(font);
  const double lot = metrics.horizontalAdvance("0.1 лот");
  const double rest = metrics.horizontalAdvance("(без плеча)");
  const double first = metrics.horizontalAdvance("0.1");
  const double tail = metrics.horizontalAdvance("лот (без плеча)");
  EXPECT_DOUBLE_EQ(TwoLineWidth(metrics, "0.1 лот (без плеча)"),
                   std::min(std::max(lot, rest), std::max(first, tail)));
  EXPECT_DOUBLE_EQ(TwoLineWidth(metrics, "Валюта"), metrics.horizontalAdvance("Валюта"));
}

}  // namespace
}  // namespace tiramon::desktop
