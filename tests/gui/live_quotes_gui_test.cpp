// "Обновить котировки" against the real demo feed: live rows and the available mark, then the
// cached rows and the unavailable mark once the feed is gone.
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <filesystem>

#include "tests/gui/gui_fixture.h"
#include "tests/gui/person.h"
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

// Every caption and cell of the quote table shown whole, as the style draws them. A cell's text
// is cut when it is wider than the cell less its grid line and a margin on either side. A caption
// is laid out in the section less the header margin on either side, broken at its spaces: it
// must break into no more lines than the header has room for, and no word may stick out.
void ExpectNothingCut(QTableView* table) {
  const QFontMetricsF metrics(table->font());
  const int margin = table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1;
  const int grid = table->showGrid() ? 1 : 0;
  QHeaderView* header = table->horizontalHeader();
  const QFontMetrics captionMetrics(header->font());
  const int headerMargin = table->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
  const int captionHeight = header->height() - 2 * headerMargin;
  for (int column = 0; column < table->model()->columnCount(); ++column) {
    const QString caption = HeaderText(table, column);
    SCOPED_TRACE(caption.toStdString());
    const int width = table->columnWidth(column);
    const QRect room(0, 0, width - 2 * headerMargin, 1000);
    const QRect laidOut =
        captionMetrics.boundingRect(room, Qt::AlignCenter | Qt::TextWordWrap, caption);
    EXPECT_LE(laidOut.width(), room.width()) << "caption cut";
    EXPECT_LE(laidOut.height(), captionHeight) << "caption taller than the header";
    EXPECT_LE(laidOut.height(), captionMetrics.height() + captionMetrics.lineSpacing())
        << "caption on more than two lines";
    for (int row = 0; row < RowCount(table); ++row) {
      const QString text = CellText(table, row, column);
      EXPECT_LE(metrics.horizontalAdvance(text), width - grid - 2 * margin) << text.toStdString();
    }
  }
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
    ExpectNothingCut(table);
    // The table itself stays inside the window; columns wider than it together are reached by
    // scrolling, never by cutting a figure.
    EXPECT_LE(table->geometry().right(), window_->width());
    if (table->horizontalHeader()->length() > table->viewport()->width()) {
      EXPECT_TRUE(table->horizontalScrollBar()->isVisible()) << "the last column cannot be reached";
    }

    const QString folder = qEnvironmentVariable("TIRAMON_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
      QDir().mkpath(folder);
      EXPECT_TRUE(window_->grab().save(folder + (live ? "/quotes_feed.png" : "/quotes_page.png")));
    }
  }
}

class DemoFeedTable : public GuiTest {
 protected:
  // The window on the demo feed, with the quote tab in front.
  QTableView* OpenOnTheFeed() {
    feed_ = std::make_unique<testing::FeedProcess>(TIRAMON_QUOTE_FEED, std::vector<std::string>{});
    EXPECT_GT(feed_->port(), 0);
    Environment environment = MakeEnvironment();
    environment.statusUrl = feed_->Url("/down/news.txt");
    environment.quotesUrl = feed_->Url("/quotes/streaming-forex-rates-%E2%80%93-majors");
    window_ = std::make_unique<MainWindow>(environment, TrayMode::Enabled);
    window_->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    EXPECT_TRUE(errors_.empty()) << errors_.front();
    Find<QTabWidget>("PageControl1")->setCurrentIndex(1);
    QApplication::processEvents();
    return Find<QTableView>("ListView1");
  }

  // Types a lot into the box above the table and presses "Обновить котировки".
  void RefreshWithLot(const QString& lot) {
    person::Prepare(Find<QComboBox>("edit_lot"), lot, 0);
    person::Click(Find<QPushButton>("Button9"));
    QApplication::processEvents();
    ASSERT_TRUE(errors_.empty()) << errors_.front();
  }

  std::unique_ptr<testing::FeedProcess> feed_;
};

// The demo feed's page, at the lot the window starts with and at the other usual sizes: all
// eleven columns side by side inside the fixed window, every text whole, nothing to scroll to.
TEST_F(DemoFeedTable, FitsTheWindowWithoutAHorizontalScrollBar) {
  if (std::string(TIRAMON_QUOTE_FEED).empty()) GTEST_SKIP() << "quote_feed not built";
  QTableView* table = OpenOnTheFeed();
  for (const char* lot : {"", "0.01", "1"}) {
    SCOPED_TRACE(std::string("lot ") + (*lot ? lot : "as the window starts"));
    if (*lot) RefreshWithLot(lot);
    ASSERT_GE(RowCount(table), 30);
    EXPECT_FALSE(table->horizontalScrollBar()->isVisible());
    QHeaderView* header = table->horizontalHeader();
    EXPECT_LE(header->length(), table->viewport()->width());
    for (int column = 0; column < 11; ++column) {
      SCOPED_TRACE(HeaderText(table, column).toStdString());
      EXPECT_GE(header->sectionViewportPosition(column), 0);
      EXPECT_LE(header->sectionViewportPosition(column) + table->columnWidth(column),
                table->viewport()->width());
    }
    ExpectNothingCut(table);
    // The crosses priced through the franc and the Canadian dollar are short figures now.
    for (int row = 0; row < RowCount(table); ++row) {
      const QString pair = CellText(table, row, 0);
      if (pair != "CHF/JPY" && pair != "CAD/JPY") continue;
      for (int column = 4; column < 11; ++column) {
        EXPECT_LE(CellText(table, row, column).size(), 16)
            << CellText(table, row, column).toStdString();
      }
    }
    const QString folder = qEnvironmentVariable("TIRAMON_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
      QDir().mkpath(folder);
      EXPECT_TRUE(
          window_->grab().save(folder + "/quotes_feed_lot" + (*lot ? lot : "0.1") + ".png"));
    }
  }
}

// Texts that no share-out of the window could hold (a lot of thousands makes margins of ten
// digits and more) still come whole: the table scrolls sideways to them instead of cutting.
TEST_F(DemoFeedTable, TextsTooWideForTheWindowScrollRatherThanCut) {
  if (std::string(TIRAMON_QUOTE_FEED).empty()) GTEST_SKIP() << "quote_feed not built";
  QTableView* table = OpenOnTheFeed();
  RefreshWithLot("12345.678");
  ASSERT_GE(RowCount(table), 30);
  EXPECT_EQ(HeaderText(table, 4), "12345.678 лот (без плеча)");
  EXPECT_GT(table->horizontalHeader()->length(), table->viewport()->width());
  EXPECT_TRUE(table->horizontalScrollBar()->isVisible()) << "the last column cannot be reached";
  ExpectNothingCut(table);
}

}  // namespace
}  // namespace tiramon::desktop
