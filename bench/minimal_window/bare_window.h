// The frame both start-up yardsticks share: the program's window size and place, holding one tab
// widget edge to edge. One definition, so the bare window and the floor stay comparable.
#pragma once

#include <QString>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWidget>

namespace tiramon::perf {

inline QTabWidget* MakeBareWindow(QWidget& window, const QString& title) {
  window.setWindowTitle(title);
  window.setFixedSize(936, 702);
  window.move(213, 134);
  auto* layout = new QVBoxLayout(&window);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* tabs = new QTabWidget(&window);
  layout->addWidget(tabs);
  return tabs;
}

}  // namespace tiramon::perf
