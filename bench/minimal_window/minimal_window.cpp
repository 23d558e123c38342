// The yardstick for the start-up and memory figures: a bare Qt Widgets window of the program's
// size and place with six empty tabs, and nothing else (no tray icon, no network, no pictures).
#include <QApplication>
#include <QString>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QString::fromUtf8("Минимальное окно"));
  window.setFixedSize(936, 702);
  window.move(213, 134);
  auto* layout = new QVBoxLayout(&window);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* tabs = new QTabWidget(&window);
  // Cyrillic captions like the program's, so both windows load the same fonts.
  for (int i = 1; i <= 6; ++i) tabs->addTab(new QWidget, QString::fromUtf8("Вкладка %1").arg(i));
  layout->addWidget(tabs);
  window.show();
  return QApplication::exec();
}
