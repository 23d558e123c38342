// "Обновить котировки" against the real demo feed: live rows and the available mark, then the
// cached rows and the unavailable mark once the feed is gone.
#include <QDir>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <filesystem>

#include "tests/gui/gui_fixture.h"
#include "tests/gui/table_view.h"
#include "tests/support/feed_process.h"

namespace tiramon::desktop {
namespace {

QString Painted(QWidget* panel) {
  panel->grab();
  return panel->property("paintedText").toString();
}

TEST_F(GuiTest, RefreshUsesTheLiveFeedThenFallsBackToItsCache) {
  if (std::string(TIRAMON_QUOTE_FEED).empty()) GTEST_SKIP() << "quote_feed not built";
  auto feed =
      std::make_unique<testing::FeedProcess>(TIRAMON_QUOTE_FEED, std::vector<std::string>{});
  ASSERT_GT(feed->port(), 0);
  Environment environment = MakeEnvironment();
  environment.statusUrl = feed->Url("/down/news.txt");
  environment.quotesUrl = feed->Url("/quotes/streaming-forex-rates-%E2%80%93-majors");
  window_ = std::make_unique<MainWindow>(environment, TrayMode::Enabled);
  window_->show();
  ASSERT_TRUE(errors_.empty()) << errors_.front();

  auto* table = Find<QTableView>("ListView1");
  QWidget* panel = Find<QWidget>("StatusBar1Panel0");
  EXPECT_GE(RowCount(table), 20);
  EXPECT_EQ(Painted(panel), "Котировки валют доступны");
  EXPECT_TRUE(std::filesystem::exists(folder_ / "kotirovki.dat"));

  QTest::mouseClick(Find<QPushButton>("Button9"), Qt::LeftButton);
  ASSERT_TRUE(errors_.empty()) << errors_.front();
  const int liveRows = RowCount(table);
  QStringList pairs;
  for (int row = 0; row < liveRows; ++row) pairs << CellText(table, row, 0);

  feed.reset();  // the feed goes away
  QTest::mouseClick(Find<QPushButton>("Button9"), Qt::LeftButton);
  ASSERT_TRUE(errors_.empty()) << errors_.front();
  ASSERT_EQ(RowCount(table), liveRows);
  for (int row = 0; row < liveRows; ++row) EXPECT_EQ(CellText(table, row, 0), pairs[row]);
  EXPECT_EQ(Painted(panel), "Котировки валют недоступны");
}

// Every pair name, price and figure of a realistic page, and every caption, is shown whole in a
// table that fits the window: no cell is elided, and what is wider than the table scrolls. Both the
// demo feed's pairs and the 40 of the sample page, which has more exotic ones.
TEST_F(GuiTest, EveryCellOfARealisticPageIsReadableWithoutWideningAColumn) {
  if (std::string(TIRAMON_QUOTE_FEED).empty()) GTEST_SKIP() << "quote_feed not built";
  auto feed =
      std::make_unique<testing::FeedProcess>(TIRAMON_QUOTE_FEED, std::vector<std::string>{});
  ASSERT_GT(feed->port(), 0);
  for (const bool live : {true, false}) {
    SCOPED_TRACE(live ? "demo feed" : "sample page");
    Environment environment = MakeEnvironment();
    if (live) {
      environment.statusUrl = feed->Url("/down/news.txt");
      environment.quotesUrl = feed->Url("/quotes/streaming-forex-rates-%E2%80%93-majors");
    } else {
      WriteCache(SamplePage());
    }
    window_ = std::make_unique<MainWindow>(environment, TrayMode::Enabled);
    window_->show();
    ASSERT_TRUE(errors_.empty()) << errors_.front();
    Find<QTabWidget>("PageControl1")->setCurrentIndex(1);
    QApplication::processEvents();

    auto* table = Find<QTableView>("ListView1");
    ASSERT_GE(RowCount(table), 30);
    const QFontMetricsF metrics(table->font());
    // The style elides a text wider than the cell less its grid line and a margin either side.
    const int margin =
        table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1;
    const int grid = table->showGrid() ? 1 : 0;
    QHeaderView* header = table->horizontalHeader();
    for (int column = 0; column < table->model()->columnCount(); ++column) {
      SCOPED_TRACE(HeaderText(table, column).toStdString());
      const int width = table->columnWidth(column);
      EXPECT_LE(header->sectionSizeHint(column), width) << "caption cut";
      for (int row = 0; row < RowCount(table); ++row) {
        const QString text = CellText(table, row, column);
        EXPECT_LE(metrics.horizontalAdvance(text), width - grid - 2 * margin) << text.toStdString();
      }
    }
    // The table itself stays inside the window; columns wider than it together are reached by
    // scrolling, never by cutting a figure.
    EXPECT_LE(table->geometry().right(), window_->width());
    if (header->length() > table->viewport()->width()) {
      EXPECT_TRUE(table->horizontalScrollBar()->isVisible()) << "the last column cannot be reached";
    }

    const QString folder = qEnvironmentVariable("TIRAMON_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
      QDir().mkpath(folder);
      EXPECT_TRUE(window_->grab().save(folder + (live ? "/quotes_feed.png" : "/quotes_page.png")));
    }
  }
}

}  // namespace
}  // namespace tiramon::desktop
