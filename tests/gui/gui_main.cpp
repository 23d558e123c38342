// Runs the desktop tests on the offscreen platform unless a display is asked for explicitly. Its
// screen is a common desktop's, 1920x1080, rather than the platform's own 800x800: the window
// fits itself to a screen smaller than it is, which the tests of the full window must not meet.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <clocale>
#include <cstdio>
#include <string>

#include "desktop/window_style.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  std::string config;
  if (qgetenv("QT_QPA_PLATFORM") == "offscreen") {
    char name[] = "/tmp/tiramon-gui-screen-XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) {
      const std::string screens =
          R"({"screens": [{"name": "desktop", "x": 0, "y": 0, "width": 1920, "height": 1080,)"
          R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
      const bool written =
          write(fd, screens.data(), screens.size()) == static_cast<ssize_t>(screens.size());
      close(fd);
      config = name;
      if (written) qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).c_str());
    }
  }
  QApplication app(argc, argv);
  if (!config.empty()) std::remove(config.c_str());
  QApplication::setQuitOnLastWindowClosed(false);
  // The window is tested in the style the program draws it in.
  tiramon::desktop::InstallWindowStyle();
  // Qt adopts the user's locale; number texts must not depend on it.
  std::setlocale(LC_NUMERIC, "C");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
