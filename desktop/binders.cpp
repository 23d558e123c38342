// The binders: each makes the widget of one model control, places it, renders it from the model
// (writing only what changed since it was last drawn) and forwards its user events to the handler
// the wiring table names.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>
#include <memory>
#include <optional>

#include "desktop/artwork.h"
#include "desktop/last_shown.h"
#include "desktop/layout.h"
#include "desktop/main_window.h"

namespace tiramon::desktop {

QGroupBox* MainWindow::Group(QWidget* parent, const char* name, const TGroupBox& box, int x, int y,
                             int w, int h) {
  auto* group = new QGroupBox(Q(box.caption), parent);
  group->setObjectName(name);
  group->setGeometry(x, y, w, h);
  return group;
}

QLabel* MainWindow::Label(QWidget* parent, const char* name, const TLabel& label, int x, int y,
                          int w, int style) {
  auto* widget = new QLabel(parent);
  widget->setObjectName(name);
  QFont font = widget->font();
  if (style & kBold) font.setBold(true);
  if (style & kUnderline) font.setUnderline(true);
  if (style & kLarge) {
    font.setPointSizeF(font.pointSizeF() * 1.6);
    font.setBold(true);
  }
  if (style & kSmall) font.setPointSizeF(font.pointSizeF() * 0.9);
  widget->setFont(font);
  widget->move(x, y);
  if (w > 0) widget->setFixedWidth(w);
  auto shown = std::make_shared<LastShown<TLabel>>();
  renderers_.push_back([widget, &label, w, shown] {
    if (shown->Changed(label, &TLabel::caption)) {
      widget->setText(Q(label.caption));
      if (w == 0) widget->adjustSize();
    }
    if (shown->Changed(label, &TLabel::fontColor)) SetTextColour(widget, label.fontColor);
    if (shown->Changed(label, &TLabel::hint)) widget->setToolTip(Q(label.hint));
    if (shown->Changed(label, &TLabel::visible)) widget->setVisible(label.visible);
    shown->Drawn(label);
  });
  return widget;
}

QLineEdit* MainWindow::Edit(QWidget* parent, const char* name, TEdit& edit, int x, int y, int w) {
  auto* widget = new QLineEdit(parent);
  widget->setObjectName(name);
  widget->setGeometry(x, y, w, kRowHeight);
  TextBox& box = AddTextBox(name, widget, widget, &edit, nullptr);
  auto shown = std::make_shared<LastShown<TEdit>>();
  renderers_.push_back([widget, &edit, &box, shown] {
    // Written only when the model's text differs from what the widget holds, so the caret and
    // the selection of a box being edited stay where the user put them.
    if (edit.text != box.shownText) {
      if (widget->text() != Q(edit.text)) {
        widget->setText(Q(edit.text));
        // A text longer than its box (an address) shows its beginning until the user goes in.
        if (!widget->hasFocus()) widget->setCursorPosition(0);
      }
      box.shownText = edit.text;
    }
    if (shown->Changed(edit, &TEdit::enabled)) widget->setEnabled(edit.enabled);
    if (shown->Changed(edit, &TEdit::hint)) widget->setToolTip(Q(edit.hint));
    if (shown->Changed(edit, &TEdit::visible)) widget->setVisible(edit.visible);
    shown->Drawn(edit);
  });
  box.shownText = "\x01";  // nothing shown yet
  return widget;
}

QComboBox* MainWindow::Combo(QWidget* parent, const char* name, TComboBox& combo, int x, int y,
                             int w) {
  auto* widget = new QComboBox(parent);
  widget->setObjectName(name);
  widget->setEditable(true);
  widget->setInsertPolicy(QComboBox::NoInsert);
  widget->setCompleter(nullptr);
  widget->setMaxVisibleItems(16);
  widget->setGeometry(x, y, w, kRowHeight);
  for (const std::string& item : combo.items) widget->addItem(Q(item));
  widget->lineEdit()->setObjectName(QString(name) + "_edit");
  TextBox& box = AddTextBox(name, widget, widget->lineEdit(), nullptr, &combo);
  connect(widget, &QComboBox::activated, this, [this, widget, &combo, &box](int index) {
    const std::string text = widget->itemText(index).toStdString();
    const bool changed = text != combo.text;
    combo.itemIndex = index;
    combo.text = text;
    box.shownIndex = index;
    box.shownText = combo.text;
    // Leaving a box whose typed text is one of its items activates that item too; the text is
    // what the model already has, and a tab switch under way must not be overtaken by a render.
    if (changed) Fire(box.name, Event::Change);
  });
  auto shown = std::make_shared<LastShown<TComboBox>>();
  renderers_.push_back([widget, &combo, &box, shown] {
    if (combo.itemIndex != box.shownIndex) {
      if (widget->currentIndex() != combo.itemIndex) widget->setCurrentIndex(combo.itemIndex);
      box.shownIndex = combo.itemIndex;
      box.shownText = widget->currentText().toStdString();
    }
    if (combo.text != box.shownText) {
      if (widget->currentText() != Q(combo.text)) widget->setEditText(Q(combo.text));
      box.shownText = combo.text;
    }
    if (shown->Changed(combo, &TComboBox::hint)) widget->setToolTip(Q(combo.hint));
    shown->Drawn(combo, &TComboBox::hint);
  });
  box.shownText = "\x01";
  return widget;
}

void MainWindow::PullRadios() {
  for (const auto& [widget, model] : radios_) model->checked = widget->isChecked();
}

QRadioButton* MainWindow::Radio(QWidget* parent, const char* name, TRadioButton& radio, int x,
                                int y, int w) {
  auto* widget = new QRadioButton(parent);
  widget->setObjectName(name);
  widget->setGeometry(x, y, w, kRowHeight);
  radios_.emplace_back(widget, &radio);
  connect(widget, &QRadioButton::clicked, this, [this, control = std::string(name)] {
    PullRadios();
    Fire(control, Event::Click);
  });
  auto shown = std::make_shared<LastShown<TRadioButton>>();
  renderers_.push_back([widget, &radio, shown] {
    if (shown->Changed(radio, &TRadioButton::caption)) widget->setText(Q(radio.caption));
    if (widget->isChecked() != radio.checked) widget->setChecked(radio.checked);
    if (shown->Changed(radio, &TRadioButton::fontColor)) SetTextColour(widget, radio.fontColor);
    if (shown->Changed(radio, &TRadioButton::hint)) widget->setToolTip(Q(radio.hint));
    shown->Drawn(radio);
  });
  return widget;
}

QCheckBox* MainWindow::Check(QWidget* parent, const char* name, TCheckBox& check, int x, int y,
                             int w) {
  auto* widget = new QCheckBox(Q(check.caption), parent);
  widget->setObjectName(name);
  widget->setGeometry(x, y, w, kRowHeight);
  connect(widget, &QCheckBox::clicked, this, [this, widget, &check, control = std::string(name)] {
    check.checked = widget->isChecked();
    Fire(control, Event::Click);
  });
  auto shown = std::make_shared<LastShown<TCheckBox>>();
  renderers_.push_back([widget, &check, shown] {
    if (widget->isChecked() != check.checked) widget->setChecked(check.checked);
    if (shown->Changed(check, &TCheckBox::fontColor)) SetTextColour(widget, check.fontColor);
    if (shown->Changed(check, &TCheckBox::hint)) widget->setToolTip(Q(check.hint));
    shown->Drawn(check);
  });
  return widget;
}

QPushButton* MainWindow::Button(QWidget* parent, const char* name, const TButton& button, int x,
                                int y, int w, int h) {
  auto* widget = new QPushButton(Q(button.caption), parent);
  widget->setObjectName(name);
  widget->setGeometry(x, y, w, h);
  connect(widget, &QPushButton::clicked, this,
          [this, control = std::string(name)] { Fire(control, Event::Click); });
  auto shown = std::make_shared<LastShown<TButton>>();
  renderers_.push_back([widget, &button, shown] {
    if (shown->Changed(button, &TButton::hint)) widget->setToolTip(Q(button.hint));
    if (shown->Changed(button, &TButton::visible)) widget->setVisible(button.visible);
    if (shown->Changed(button, &TButton::enabled)) widget->setEnabled(button.enabled);
    shown->Drawn(button);
  });
  return widget;
}

QToolButton* MainWindow::CopyButton(QWidget* parent, const char* name, const TButton& button, int x,
                                    int y) {
  auto* widget = new QToolButton(parent);
  widget->setObjectName(name);
  widget->setAutoRaise(true);
  // Made with the assistant tab when it is first opened, so a start that opens on another tab
  // never reads the icon theme.
  if (drawnCopyIcon_.isNull()) drawnCopyIcon_ = DrawnCopyIcon();
  widget->setIcon(CopyIcon(drawnCopyIcon_));
  widget->setGeometry(x, y, kRowHeight, kRowHeight);
  widget->setToolTip(Q(button.hint));
  connect(widget, &QToolButton::clicked, this,
          [this, control = std::string(name)] { Fire(control, Event::Click); });
  return widget;
}

QComboBox* MainWindow::Choice(QWidget* parent, const char* name, TComboBox& combo, int x, int y,
                              int w) {
  auto* widget = new QComboBox(parent);
  widget->setObjectName(name);
  widget->setGeometry(x, y, w, kRowHeight);
  for (const std::string& item : combo.items) widget->addItem(Q(item));
  connect(widget, &QComboBox::activated, this,
          [this, widget, &combo, control = std::string(name)](int index) {
            combo.itemIndex = index;
            combo.text = widget->itemText(index).toStdString();
            Fire(control, Event::Change);
          });
  auto shownItems = std::make_shared<std::vector<std::string>>(combo.items);
  renderers_.push_back([widget, &combo, shownItems] {
    // A list the model fills as it goes (the trader's instruments) is filled again when it changes.
    if (*shownItems != combo.items) {
      widget->clear();
      for (const std::string& item : combo.items) widget->addItem(Q(item));
      *shownItems = combo.items;
    }
    if (widget->currentIndex() != combo.itemIndex) widget->setCurrentIndex(combo.itemIndex);
    if (widget->toolTip() != Q(combo.hint)) widget->setToolTip(Q(combo.hint));
  });
  return widget;
}

QPlainTextEdit* MainWindow::Memo(QWidget* parent, const char* name, TMemo& memo, int x, int y,
                                 int w, int h, TColor background) {
  auto* widget = new QPlainTextEdit(parent);
  widget->setObjectName(name);
  widget->setGeometry(x, y, w, h);
  widget->setReadOnly(true);
  widget->setLineWrapMode(QPlainTextEdit::NoWrap);
  widget->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Base, ToQColor(background));
  widget->setPalette(palette);
  auto shown = std::make_shared<LastShown<TMemo>>();
  renderers_.push_back([widget, &memo, shown] {
    const bool changed = shown->Changed(memo, &TMemo::lines);
    if (changed) {
      QStringList lines;
      lines.reserve(static_cast<int>(memo.lines.size()));
      for (const std::string& line : memo.lines) lines << Q(line);
      widget->setPlainText(lines.join('\n'));
    }
    // The caret line is kept in sight: the last line after appending, the first after the
    // first show moved it there.
    if (changed || shown->Changed(memo, &TMemo::caretLine)) {
      QTextCursor cursor(widget->document()->findBlockByNumber(memo.caretLine));
      widget->setTextCursor(cursor);
      widget->ensureCursorVisible();
    }
    if (shown->Changed(memo, &TMemo::fontColor)) SetTextColour(widget, memo.fontColor);
    if (shown->Changed(memo, &TMemo::visible)) widget->setVisible(memo.visible);
    // The lines are copied only when they changed: a keystroke elsewhere costs no copy.
    if (changed) {
      shown->Drawn(memo);
    } else {
      shown->Drawn(memo, &TMemo::caretLine, &TMemo::fontColor, &TMemo::visible);
    }
  });
  return widget;
}

QTimer* MainWindow::Timer(QObject* parent, const char* name, const TTimer& timer) {
  auto* widget = new QTimer(parent);
  widget->setObjectName(name);
  connect(widget, &QTimer::timeout, this,
          [this, control = std::string(name)] { Fire(control, Event::Timer); });
  renderers_.push_back([widget, &timer] {
    if (widget->interval() != timer.interval) widget->setInterval(timer.interval);
    if (widget->isActive() == timer.enabled) return;
    if (timer.enabled) {
      widget->start();
    } else {
      widget->stop();
    }
  });
  return widget;
}

void MainWindow::OnClick(QWidget* widget) {
  widget->installEventFilter(this);
  widget->setCursor(Qt::PointingHandCursor);
  widget->setProperty("wiredClick", true);
}

QLabel* MainWindow::Picture(QWidget* parent, const char* name, const TImage& image,
                            const char* resource, int x, int y, int w, int h) {
  auto* widget = new QLabel(parent);
  widget->setObjectName(name);
  widget->setGeometry(x, y, w, h);
  const QImage picture = artwork_->Picture(resource);
  if (!picture.isNull()) {
    widget->setPixmap(QPixmap::fromImage(
        picture.scaled(w, h, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation)));
  }
  widget->setToolTip(Q(image.hint));
  OnClick(widget);
  return widget;
}

}  // namespace tiramon::desktop
