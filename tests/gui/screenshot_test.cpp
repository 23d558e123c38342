// Renders each tab of the real window to a PNG when TIRAMON_SCREENSHOT_DIR names a folder, so a
// change to the window can be looked at; skipped otherwise.
#include <QDir>
#include <QTabWidget>

#include "tests/gui/gui_fixture.h"

namespace tiramon::desktop {
namespace {

TEST_F(GuiTest, ScreenshotsOfEveryTab) {
  const QString folder = qEnvironmentVariable("TIRAMON_SCREENSHOT_DIR");
  if (folder.isEmpty()) GTEST_SKIP() << "set TIRAMON_SCREENSHOT_DIR to write screenshots";
  WriteCache(SamplePage());
  MainWindow& window = Open();
  ASSERT_TRUE(errors_.empty()) << errors_.front();
  QDir().mkpath(folder);
  auto* tabs = Find<QTabWidget>("PageControl1");
  for (int i = 0; i < tabs->count(); ++i) {
    tabs->setCurrentIndex(i);
    QApplication::processEvents();
    ASSERT_TRUE(window.grab().save(QString("%1/tab%2.png").arg(folder).arg(i)));
  }
}

}  // namespace
}  // namespace tiramon::desktop
