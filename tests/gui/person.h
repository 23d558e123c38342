// Driving the window as a person does: a click goes to the widget under the pointer (which also
// gives it the focus), keys go to whatever holds the focus afterwards.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>

namespace tiramon::desktop::person {

// A left click at `at` (the widget's own coordinates; its middle by default), delivered to the
// innermost widget under that point, as the window system does.
inline void Click(QWidget* widget, QPoint at = {-1, -1}) {
  if (at == QPoint(-1, -1)) at = widget->rect().center();
  QWidget* target = widget->childAt(at);
  if (!target) target = widget;
  QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(widget, at));
}

inline QWidget* Focused() {
  QWidget* focused = QApplication::focusWidget();
  EXPECT_NE(focused, nullptr) << "nothing has the focus";
  return focused;
}

inline void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
  if (QWidget* focused = Focused()) QTest::keyClick(focused, key, modifiers);
}

// Types text; '\b' is Backspace. Letters of another layout arrive with their text and no Latin
// key code, as they do from a keyboard set to that layout.
inline void Type(const QString& text) {
  for (QChar c : text) {
    QWidget* focused = Focused();
    if (!focused) return;
    if (c == '\b') {
      QTest::keyClick(focused, Qt::Key_Backspace);
    } else if (c.unicode() > 0x7f) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QApplication::sendEvent(focused, &press);
      QApplication::sendEvent(focused, &release);
    } else {
      QTest::keyClicks(focused, QString(c));
    }
  }
}

// Clicks into a box, empties it and types `start`, then puts the caret `caret` characters from
// the left: the state a user would bring the box to before the keys under test.
inline void Prepare(QWidget* box, const QString& start, int caret) {
  Click(box);
  Key(Qt::Key_A, Qt::ControlModifier);
  Key(Qt::Key_Delete);
  Type(start);
  Key(Qt::Key_Home);
  for (int i = 0; i < caret; ++i) Key(Qt::Key_Right);
}

// Opens a combo box's list with a click on its arrow and clicks the item with this text.
inline void Pick(QComboBox* combo, const QString& item) {
  Click(combo, QPoint(combo->width() - 6, combo->height() / 2));
  // The list ignores a release that comes right after it opened, as a double click would.
  QTest::qWait(QApplication::doubleClickInterval() + 100);
  const int index = combo->findText(item);
  ASSERT_GE(index, 0) << item.toStdString();
  ASSERT_TRUE(QTest::qWaitFor([combo] { return combo->view()->isVisible(); })) << "no list";
  const QRect where = combo->view()->visualRect(combo->model()->index(index, 0));
  QTest::mouseClick(combo->view()->viewport(), Qt::LeftButton, {}, where.center());
  EXPECT_TRUE(QTest::qWaitFor([combo] { return !combo->view()->isVisible(); }));
}

}  // namespace tiramon::desktop::person
