// "Обновить котировки" against the real demo feed: live rows and the available mark, then the
// cached rows and the unavailable mark once the feed is gone.
#include <QPushButton>
#include <QTableWidget>
#include <filesystem>

#include "tests/gui/gui_fixture.h"
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

  auto* table = Find<QTableWidget>("ListView1");
  QWidget* panel = Find<QWidget>("StatusBar1Panel0");
  EXPECT_GE(table->rowCount(), 20);
  EXPECT_EQ(Painted(panel), "Котировки валют доступны");
  EXPECT_TRUE(std::filesystem::exists(folder_ / "kotirovki.dat"));

  QTest::mouseClick(Find<QPushButton>("Button9"), Qt::LeftButton);
  ASSERT_TRUE(errors_.empty()) << errors_.front();
  const int liveRows = table->rowCount();
  QStringList pairs;
  for (int row = 0; row < liveRows; ++row) pairs << table->item(row, 0)->text();

  feed.reset();  // the feed goes away
  QTest::mouseClick(Find<QPushButton>("Button9"), Qt::LeftButton);
  ASSERT_TRUE(errors_.empty()) << errors_.front();
  ASSERT_EQ(table->rowCount(), liveRows);
  for (int row = 0; row < liveRows; ++row) EXPECT_EQ(table->item(row, 0)->text(), pairs[row]);
  EXPECT_EQ(Painted(panel), "Котировки валют недоступны");
}

}  // namespace
}  // namespace tiramon::desktop
