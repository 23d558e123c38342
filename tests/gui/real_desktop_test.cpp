// The tray on a real X desktop (Xvfb with a notification-area host). These tests run only when
// tests/e2e/real_tray.sh has set up that desktop; elsewhere they are skipped.
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QSystemTrayIcon>
#include <cstdlib>

#include "tests/gui/gui_fixture.h"
#include "tests/gui/x11_window.h"

namespace tiramon::desktop {
namespace {

bool RealDesktop() { return qgetenv("TIRAMON_REAL_DESKTOP") == "1"; }

TEST_F(GuiTest, RealDesktopTrayHidesAndRestoresTheWindow) {
  if (!RealDesktop()) GTEST_SKIP() << "needs tests/e2e/real_tray.sh";
  ASSERT_TRUE(QSystemTrayIcon::isSystemTrayAvailable());
  MainWindow& window = Open(true, TrayMode::Auto);
  ASSERT_TRUE(window.trayActive());
  EXPECT_TRUE(QTest::qWaitFor([&] { return window.trayIcon()->geometry().isValid(); }));
  EXPECT_TRUE(QTest::qWaitFor([&] { return x11::IsMapped(window.winId()); }));

  window.model().Edit_Deposit.text = "777";
  window.Render();
  ASSERT_TRUE(x11::SendCloseRequest(window.winId()));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !x11::IsMapped(window.winId()); }));
  EXPECT_FALSE(window.isVisible());

  const QPoint icon = window.trayIcon()->geometry().center();
  const std::string click = "xdotool mousemove " + std::to_string(icon.x()) + " " +
                            std::to_string(icon.y()) + " click --repeat 2 --delay 60 1";
  ASSERT_EQ(std::system(click.c_str()), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return x11::IsMapped(window.winId()); }, 5000));
  EXPECT_EQ(Find<QLineEdit>("Edit_Deposit")->text(), "777");
}

}  // namespace
}  // namespace tiramon::desktop
