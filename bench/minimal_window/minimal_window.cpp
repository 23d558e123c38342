// The yardstick for the start-up and memory figures: a bare Qt Widgets window of the program's
// size and place with six empty tabs, and nothing else (no tray icon, no network, no pictures).
#include <QApplication>
#include <QString>
#include <QTabWidget>
#include <QWidget>

#include "bench/minimal_window/bare_window.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QWidget window;
  QTabWidget* tabs = tiramon::perf::MakeBareWindow(window, QString::fromUtf8("Минимальное окно"));
  // Cyrillic captions like the program's, so both windows load the same fonts.
  for (int i = 1; i <= 6; ++i) tabs->addTab(new QWidget, QString::fromUtf8("Вкладка %1").arg(i));
  window.show();
  return QApplication::exec();
}
