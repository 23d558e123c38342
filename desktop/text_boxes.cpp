// The edit boxes' glue: typed keys and the widget's own edits go through the model's input rules,
// and what the user changed goes into the model and runs its change handler.
#include <QKeyEvent>
#include <QLineEdit>
#include <optional>
#include <string>

#include "desktop/error_box.h"
#include "desktop/layout.h"
#include "desktop/main_window.h"

namespace tiramon::desktop {
namespace {

// Qt counts positions in UTF-16 units, the input rules in characters.
int Characters(const QString& text, int units) {
  return static_cast<int>(text.left(units).toStdU32String().size());
}
int Units(const std::u32string& text, int characters) {
  const auto count = static_cast<std::size_t>(std::max(characters, 0));
  return static_cast<int>(QString::fromStdU32String(text.substr(0, count)).size());
}

BoxState StateOf(const QLineEdit* line) {
  const QString text = line->text();
  BoxState state;
  state.text = text.toStdU32String();
  state.caret = Characters(text, line->cursorPosition());
  if (line->hasSelectedText()) {
    state.selStart = Characters(text, line->selectionStart());
    state.selLength = Characters(text, line->selectionEnd()) - state.selStart;
  } else {
    state.selStart = state.caret;
  }
  return state;
}

}  // namespace

MainWindow::TextBox& MainWindow::AddTextBox(const char* name, QWidget* focusWidget, QLineEdit* line,
                                            TEdit* edit, TComboBox* combo) {
  auto box = std::make_unique<TextBox>();
  box->name = name;
  box->focusWidget = focusWidget;
  box->line = line;
  box->edit = edit;
  box->combo = combo;
  box->filter = WiredKeyFilter(name);
  TextBox& added = *box;
  textBoxes_.push_back(std::move(box));
  // Keys are filtered where they arrive: at the widget that holds the focus.
  if (HasInputRules(added.filter, added.Model())) focusWidget->installEventFilter(this);
  connect(line, &QLineEdit::textEdited, this, [this, &added] {
    if (!applying_) EditedByWidget(added);
  });
  return added;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease && watched->property("wiredClick").toBool()) {
    Fire(watched->objectName().toStdString(), Event::Click);
    return true;
  }
  if (event->type() == QEvent::KeyPress) {
    for (const auto& box : textBoxes_) {
      if (box->focusWidget == watched) return TypeInto(*box, static_cast<QKeyEvent*>(event));
    }
  }
  return QWidget::eventFilter(watched, event);
}

bool MainWindow::TypeInto(TextBox& box, QKeyEvent* key) {
  const Qt::KeyboardModifiers chords = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
  const bool isBackspace = key->key() == Qt::Key_Backspace && !chords;
  const QString typed = key->text();
  const bool typesCharacter =
      !typed.isEmpty() && typed.at(0) >= QChar(' ') && typed.at(0) != QChar(0x7f) && !chords;
  if (!isBackspace && !typesCharacter) return false;  // arrows, Delete, shortcuts: the widget's

  const BoxState before = StateOf(box.line);
  const std::u32string characters = typed.toStdU32String();
  char32_t character = isBackspace ? kBackspaceKey : characters.front();
  std::optional<BoxState> after;
  try {
    after = TypeKey(*model_, box.filter, box.Model(), before, character);
  } catch (const std::exception& error) {
    ShowErrorBox(this, error.what());
    return true;
  }
  // The filter may have written the model's copy of the text; the widget still holds it.
  if (after && after->text != before.text) {
    Apply(box.line, *after);
    Commit(box);
  } else if (box.edit) {
    box.edit->text = box.shownText;
  } else {
    box.combo->text = box.shownText;
  }
  return true;
}

void MainWindow::Apply(QLineEdit* line, const BoxState& state) {
  applying_ = true;
  const QString now = line->text();
  const QString target = QString::fromStdU32String(state.text);
  if (now != target) {
    int prefix = 0;
    while (prefix < now.size() && prefix < target.size() && now[prefix] == target[prefix]) ++prefix;
    int suffix = 0;
    while (suffix < now.size() - prefix && suffix < target.size() - prefix &&
           now[now.size() - 1 - suffix] == target[target.size() - 1 - suffix]) {
      ++suffix;
    }
    line->setSelection(prefix, static_cast<int>(now.size() - suffix - prefix));
    line->insert(target.mid(prefix, target.size() - suffix - prefix));
  }
  if (state.selLength > 0) {
    const int start = Units(state.text, state.selStart);
    const int end = Units(state.text, state.selStart + state.selLength);
    line->setSelection(state.caret <= state.selStart ? end : start,
                       state.caret <= state.selStart ? start - end : end - start);
  } else {
    line->setCursorPosition(Units(state.text, state.caret));
  }
  applying_ = false;
}

void MainWindow::EditedByWidget(TextBox& box) {
  if (!HasInputRules(box.filter, box.Model())) {
    Commit(box);
    return;
  }
  const QString text = box.line->text();
  const BoxEdit edit = FindEdit(ToUtf32(box.shownText), text.toStdU32String(),
                                Characters(text, box.line->cursorPosition()));
  BoxState after;
  try {
    after = InsertText(*model_, box.filter, box.Model(), edit.before, edit.inserted);
  } catch (const std::exception& error) {
    ShowErrorBox(this, error.what());
    after = edit.before;
  }
  Apply(box.line, after);
  Commit(box);
}

void MainWindow::Commit(TextBox& box) {
  const std::string text = box.line->text().toStdString();
  const bool changed = text != box.shownText;
  box.shownText = text;
  if (box.edit) {
    box.edit->text = text;
    box.edit->selStart = Characters(box.line->text(), box.line->cursorPosition());
  } else {
    box.combo->text = text;
    if (changed) {
      box.combo->itemIndex = -1;
      box.shownIndex = -1;
    }
  }
  if (changed) Fire(box.name, Event::Change);
}

}  // namespace tiramon::desktop
