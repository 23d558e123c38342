// The window on screens smaller than it: the fitting rule on each kind of free area, and the
// window's content scrolling inside a fitted window while its status bar stays in view.
#include "desktop/screen_fit.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>

#include "tests/gui/gui_fixture.h"

namespace tiramon::desktop {
namespace {

TEST(ScreenFit, TheWindowFitsTheFreeAreaAndOpensOnIt) {
  const QSize full(936, 702);
  const QPoint asked(213, 134);
  struct Case {
    const char* name;
    QPoint wanted;
    QMargins frame;
    QRect available;
    WindowPlace place;
  } cases[] = {
      {"a large screen: as asked", asked, {4, 24, 4, 4}, {0, 0, 1920, 1080}, {full, asked}},
      // 1280x900 at a scale of 2 is 640x450: 640 - 2 x 1 wide, 450 - 12 - 1 high, at the corner.
      {"1280x900 at twice the scale", asked, {1, 12, 1, 1}, {0, 0, 640, 450}, {{638, 437}, {0, 0}}},
      // 2560x1440 at 2 is 1280x720: the width fits (213 + 940 <= 1280), 720 - 26 = 694 high.
      {"2560x1440 at twice the scale",
       asked,
       {2, 24, 2, 2},
       {0, 0, 1280, 720},
       {{936, 694}, {213, 0}}},
      // A 30-pixel panel on top of 1024x768: the 940x728 frame moves to 1024 - 940 = 84 and to
      // 30 + 738 - 728 = 40.
      {"a panel on top", asked, {2, 24, 2, 2}, {0, 30, 1024, 738}, {full, {84, 40}}},
      // Left where a monitor no longer is: back to the right edge, 1920 - 940 = 980.
      {"off every screen", {3000, 134}, {2, 24, 2, 2}, {0, 0, 1920, 1080}, {full, {980, 134}}},
      {"a screen to the left",
       {-1000, 50},
       {2, 24, 2, 2},
       {-1280, 0, 1280, 1024},
       {full, {-1000, 50}}},
      {"a tiny screen: the smallest window, at its corner",
       asked,
       {2, 24, 2, 2},
       {10, 20, 200, 100},
       {kSmallestWindow, {10, 20}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const WindowPlace place = FitWindow(full, c.wanted, c.frame, c.available);
    EXPECT_EQ(place.client, c.place.client);
    EXPECT_EQ(place.frame, c.place.frame);
  }
}

TEST_F(GuiTest, AFittedWindowScrollsItsTabsAndKeepsItsStatusBarInView) {
  MainWindow& window = Open();
  auto* scroll = Find<QScrollArea>("PageScroll");
  // The full window shows all of its tabs: nothing to scroll.
  EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible());
  EXPECT_FALSE(scroll->verticalScrollBar()->isVisible());
  const QSize tabs = Find<QTabWidget>("PageControl1")->size();

  window.setFixedSize(600, 400);
  ASSERT_TRUE(QTest::qWaitFor([scroll] { return scroll->verticalScrollBar()->isVisible(); }));
  EXPECT_TRUE(scroll->horizontalScrollBar()->isVisible());
  EXPECT_EQ(Find<QTabWidget>("PageControl1")->size(), tabs) << "the tabs keep their size";
  const QRect bar = Find<QStatusBar>("StatusBar1")->geometry();
  EXPECT_EQ(bar.bottom(), 400 - 1);
  EXPECT_LE(bar.right(), 600 - 1);
}

}  // namespace
}  // namespace tiramon::desktop
