#include "app/desktop/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSessionManager>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTableView>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>
#include <utility>

#include "app/desktop/artwork.h"
#include "app/desktop/error_box.h"
#include "app/desktop/quote_table_model.h"
#include "app/desktop/risk_tab.h"
#include "app/desktop/status_notifier.h"
#include "app/window_rules.h"
#include "support/errors.h"

// The pictures are compiled into this static library; their registration must be pulled in.
static void InitAssets() { Q_INIT_RESOURCE(assets); }

namespace tiramon::desktop {
namespace {

constexpr int kClientWidth = 936;
constexpr int kClientHeight = 702;
constexpr int kRowHeight = 24;

QString Q(const std::string& text) { return QString::fromStdString(text); }
QColor ToQColor(TColor c) { return QColor(c.r, c.g, c.b); }

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

void SetTextColour(QWidget* widget, TColor colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, ToQColor(colour));
  palette.setColor(QPalette::ButtonText, ToQColor(colour));
  palette.setColor(QPalette::Text, ToQColor(colour));
  widget->setPalette(palette);
}

// The owner-drawn status panel: what it shows comes from the model at every painting.
class IndicatorPanel : public QWidget {
  Q_OBJECT

 public:
  IndicatorPanel(const TForm1& model, QWidget* parent) : QWidget(parent), model_(model) {
    setObjectName("StatusBar1Panel0");
    setFixedSize(200, 20);
    // Both indicator texts fit the 200-pixel panel beside the picture.
    QFont small = font();
    small.setPixelSize(11);
    setFont(small);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    const TPanelDrawing drawing = model_.StatusBar1DrawPanel();
    // What was last painted, for tests that look at the panel as a user does.
    setProperty("paintedText", Q(drawing.text));
    setProperty("paintedImage", drawing.imageIndex);
    QPainter painter(this);
    painter.drawPixmap(drawing.imageX, drawing.imageY, IndicatorPicture(drawing.imageIndex));
    painter.setPen(ToQColor(drawing.fontColor));
    const QFontMetrics metrics(font());
    painter.drawText(drawing.textX, drawing.textY + metrics.ascent(), Q(drawing.text));
  }

 private:
  const TForm1& model_;
};

}  // namespace

// A tab page that makes its widgets the first time it is shown.
class LazyPage : public QWidget {
 public:
  explicit LazyPage(std::function<void(QWidget*)> build) : build_(std::move(build)) {}

  void Build() {
    if (!build_) return;
    const std::function<void(QWidget*)> build = std::exchange(build_, nullptr);
    build(this);
  }
  // Before the page itself turns visible, so its new widgets are shown along with it.
  void setVisible(bool visible) override {
    if (visible) Build();
    QWidget::setVisible(visible);
  }

 private:
  std::function<void(QWidget*)> build_;
};

MainWindow::MainWindow(Environment environment, TrayMode trayMode) : trayMode_(trayMode) {
  // Platform services the handlers reach through the model's environment; a test may have set
  // its own, which are kept. The pump says stop once the user has chosen "Выход".
  if (!environment.processEvents) {
    environment.processEvents = [this] {
      QApplication::processEvents();
      return !quitRequested_;
    };
  }
  if (!environment.copyToClipboard) {
    environment.copyToClipboard = [](const std::string& text) {
      QApplication::clipboard()->setText(Q(text));
    };
  }
  if (!environment.openWebPage) {
    environment.openWebPage = [](const std::string& url) {
      QDesktopServices::openUrl(QUrl(Q(url)));
    };
  }
  environment.isMainWindowVisible = [this] { return isVisible(); };
  environment.hideMainWindow = [this] { hide(); };
  environment.showMainWindow = [this] {
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
  };
  environment.quitApplication = [this] { Quit(); };

  model_ = std::make_unique<TForm1>(std::move(environment));
  InitAssets();
  artwork_ = std::make_unique<ArtworkInAdvance>(AboutPictures());
  BuildWindow();
  BuildTray();
  Fire("Form1", Event::Create);

  // The session's log-out query takes the same path as a close request: the window goes to the
  // tray. The log-out itself is not vetoed, so the program never holds up the user's shutdown.
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
    if (AnswerCloseRequest(trayActive()) != WindowAnswer::HideToTray) return;
    RunHandler([this] {
      bool canClose = true;
      model_->FormCloseQuery(canClose);
    });
  });
}

bool MainWindow::trayActive() const {
  switch (trayMode_) {
    case TrayMode::Enabled:
      return true;
    case TrayMode::Disabled:
      return false;
    case TrayMode::Auto:
      break;
  }
  return QSystemTrayIcon::isSystemTrayAvailable();
}

void MainWindow::Quit() {
  quitRequested_ = true;
  if (tray_) tray_->hide();
  QWidget::setVisible(false);
  // exit(), not quit(): Qt's quit() first asks every window to close, and this window answers a
  // close request by hiding to the tray, which would cancel the quit. Before the event loop has
  // started there is nothing to end: main() sees quitRequested() instead.
  QApplication::exit(0);
}

void MainWindow::Fire(std::string_view control, Event event) {
  const Handler handler = WiredHandler(control, event);
  if (handler) RunHandler([this, handler] { ((*model_).*handler)(); });
}

MainWindow::~MainWindow() {
  if (tray_) tray_->hide();
}

void MainWindow::BuildWindow() {
  setObjectName("Form1");
  setWindowTitle(Q(model_->caption));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(kClientWidth, kClientHeight);
  move(213, 134);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("PageControl1");
  struct Page {
    const char* name;
    void (MainWindow::*build)(QWidget*);
  };
  const Page pages[] = {
      {"TabSheet5", &MainWindow::BuildAboutTab},     {"TabSheet3", &MainWindow::BuildQuotesTab},
      {"TabSheet6", &MainWindow::BuildAssistantTab}, {"TabSheet1", &MainWindow::BuildGrowthTab},
      {"TabSheet2", &MainWindow::BuildDrainTab},     {"TabSheet4", &MainWindow::BuildSeriesTab}};
  const auto addPage = [this](const char* name, const QString& caption,
                              std::function<void(QWidget*)> build) {
    auto* page = new LazyPage([this, build = std::move(build)](QWidget* self) {
      const size_t first = renderers_.size();
      build(self);
      // Its own widgets only: the tab switch under way has not reached the model yet. A tab
      // built by a render gets its turn in that same render.
      if (!rendering_) RenderFrom(first);
    });
    page->setObjectName(name);
    pages_.push_back(page);
    tabs_->addTab(page, caption);
  };
  for (size_t i = 0; i < std::size(pages); ++i) {
    addPage(pages[i].name, Q(model_->PageControl1.pageCaptions[i]),
            [this, build = pages[i].build](QWidget* page) { (this->*build)(page); });
  }
  // Our own seventh tab, after the six of the window model.
  addPage("TabSheetRisk", kRiskTabCaption, [this](QWidget* page) {
    auto* fill = new QVBoxLayout(page);
    fill->setContentsMargins(0, 0, 0, 0);
    auto* risk = new RiskTab(*model_, page);
    risk->setObjectName("RiskTab");
    fill->addWidget(risk);
  });
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
    if (!rendering_) model_->PageControl1.activePageIndex = index;
  });
  renderers_.push_back([this] {
    const int page = model_->PageControl1.activePageIndex;
    if (tabs_->currentIndex() != page) tabs_->setCurrentIndex(page);
  });
  layout->addWidget(tabs_, 1);

  auto* status = new QStatusBar(this);
  status->setObjectName("StatusBar1");
  status->setSizeGripEnabled(false);
  indicator_ = new IndicatorPanel(*model_, status);
  status->addWidget(indicator_);
  auto* panel1 = new QLabel(status);
  panel1->setObjectName("StatusBar1Panel1");
  panel1->setFixedWidth(model_->StatusBar1.panels[1].width);
  status->addWidget(panel1);
  renderers_.push_back([this, panel1] {
    const TStatusPanel& panel = model_->StatusBar1.panels[1];
    const QString text = Q(panel.text);
    if (panel1->text() != text) panel1->setText(text);
    if (panel1->toolTip() != Q(panel.hint)) panel1->setToolTip(Q(panel.hint));
    if (panel1->palette().color(QPalette::WindowText) != ToQColor(panel.fontColor)) {
      SetTextColour(panel1, panel.fontColor);
    }
    // The panel paints from the model; repainted only when what it would show has changed.
    const TPanelDrawing drawing = model_->StatusBar1DrawPanel();
    const QString key = QString::number(drawing.imageIndex) + Q(drawing.text);
    if (indicator_->property("shownDrawing").toString() != key) {
      indicator_->setProperty("shownDrawing", key);
      indicator_->update();
    }
  });
  layout->addWidget(status);
  // The age of the prices is said in words that go stale themselves ("10:32" turns red after an
  // hour): the model words it afresh twice a minute.
  auto* ageTimer = new QTimer(this);
  ageTimer->setObjectName("Timer_Age");
  ageTimer->setInterval(30000);
  connect(ageTimer, &QTimer::timeout, this, [this] { Fire("Timer_Age", Event::Timer); });
  ageTimer->start();
  // Last: the icon is drawn on the artwork's thread meanwhile, and only showing needs it.
  appIcon_ = artwork_->ApplicationIcon();
  setWindowIcon(appIcon_);
}

void MainWindow::BuildTray() {
  trayMenu_ = new QMenu(this);
  trayMenu_->setObjectName("PopupMenu1");
  for (const TMenuItem& item : model_->PopupMenu1) {
    if (item.caption == "-") {
      trayMenu_->addSeparator()->setObjectName(Q(item.name));
      continue;
    }
    QAction* action = trayMenu_->addAction(Q(item.caption));
    action->setObjectName(Q(item.name));
    connect(action, &QAction::triggered, this,
            [this, name = item.name] { Fire(name, Event::Click); });
  }
  // Shown even when the desktop has no notification area yet: Qt puts the icon into one as soon
  // as a panel provides it.
  tray_ = new QSystemTrayIcon(appIcon_, this);
  tray_->setObjectName("CoolTrayIcon1");
  tray_->setContextMenu(trayMenu_);
  // A StatusNotifierItem panel sends one activation for whatever its desktop makes the click to
  // open a program; only the X notification area leaves telling a double click apart to us.
  const bool panelActivates = StatusNotifierHostRegistered();
  connect(tray_, &QSystemTrayIcon::activated, this,
          [this, panelActivates](QSystemTrayIcon::ActivationReason why) {
            if (why == QSystemTrayIcon::DoubleClick ||
                (panelActivates && why == QSystemTrayIcon::Trigger)) {
              Fire("CoolTrayIcon1", Event::DoubleClick);
            }
          });
  tray_->show();
}

void MainWindow::Render() { RenderFrom(0); }

void MainWindow::RenderFrom(size_t first) {
  rendering_ = true;
  // By index: a tab the render shows for the first time appends its renderers, run here too.
  for (size_t i = first; i < renderers_.size(); ++i) renderers_[i]();
  rendering_ = false;
}

void MainWindow::BuildEveryPage() {
  for (LazyPage* page : pages_) page->Build();
}

void MainWindow::RunHandler(const std::function<void()>& handler) {
  try {
    handler();
  } catch (...) {
    // Whatever a download stopped by "Выход" left unfinished, the user has already left.
    if (quitRequested_) return;
    // The user's mistakes show as they are; a fault of ours says it is one.
    Render();
    ShowErrorBox(this, EscapedErrorMessage(std::current_exception()));
  }
  if (!quitRequested_) Render();
}

void MainWindow::setVisible(bool visible) {
  if (quitRequested_ && visible) return;
  if (visible && !isVisible()) {
    // The first-show sequence fills every tab before the window is first drawn. A request to
    // show it meanwhile (the tray, during the status download) waits for the sequence: the
    // window appears once, when it is done.
    if (inFormShow_) return;
    inFormShow_ = true;
    Fire("Form1", Event::Show);
    inFormShow_ = false;
    if (quitRequested_) return;
    // Whatever the first show left for later (the official rates' download) runs once the
    // window is on the screen.
    QTimer::singleShot(0, this, [this] {
      if (!quitRequested_) Fire("Form1", Event::Shown);
    });
  }
  QWidget::setVisible(visible);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (AnswerCloseRequest(trayActive()) == WindowAnswer::EndProgram) {
    event->accept();
    Quit();
    return;
  }
  bool canClose = true;
  RunHandler([this, &canClose] { model_->FormCloseQuery(canClose); });
  if (canClose) {
    event->accept();
  } else {
    event->ignore();
  }
}

void MainWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || !isMinimized()) return;
  if (AnswerMinimise(trayActive()) != WindowAnswer::HideToTray) return;
  // Minimising sends the window to the tray; done after the state change has settled.
  QTimer::singleShot(0, this, [this] {
    if (!isMinimized()) return;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    hide();
  });
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

// ---- Binders ---------------------------------------------------------------------------------

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
  auto shown = std::make_shared<std::optional<TLabel>>();
  renderers_.push_back([widget, &label, w, shown] {
    const TLabel* was = shown->has_value() ? &**shown : nullptr;
    if (!was || was->caption != label.caption) {
      widget->setText(Q(label.caption));
      if (w == 0) widget->adjustSize();
    }
    if (!was || was->fontColor != label.fontColor) SetTextColour(widget, label.fontColor);
    if (!was || was->hint != label.hint) widget->setToolTip(Q(label.hint));
    if (!was || was->visible != label.visible) widget->setVisible(label.visible);
    *shown = label;
  });
  return widget;
}

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

QLineEdit* MainWindow::Edit(QWidget* parent, const char* name, TEdit& edit, int x, int y, int w) {
  auto* widget = new QLineEdit(parent);
  widget->setObjectName(name);
  widget->setGeometry(x, y, w, kRowHeight);
  TextBox& box = AddTextBox(name, widget, widget, &edit, nullptr);
  auto shown = std::make_shared<std::optional<TEdit>>();
  renderers_.push_back([widget, &edit, &box, shown] {
    const TEdit* was = shown->has_value() ? &**shown : nullptr;
    // Written only when the model's text differs from what the widget holds, so the caret and
    // the selection of a box being edited stay where the user put them.
    if (edit.text != box.shownText) {
      if (widget->text() != Q(edit.text)) widget->setText(Q(edit.text));
      box.shownText = edit.text;
    }
    if (!was || was->enabled != edit.enabled) widget->setEnabled(edit.enabled);
    if (!was || was->hint != edit.hint) widget->setToolTip(Q(edit.hint));
    if (!was || was->visible != edit.visible) widget->setVisible(edit.visible);
    *shown = edit;
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
    combo.itemIndex = index;
    combo.text = widget->itemText(index).toStdString();
    box.shownIndex = index;
    box.shownText = combo.text;
    Fire(box.name, Event::Change);
  });
  auto shownHint = std::make_shared<std::optional<std::string>>();
  renderers_.push_back([widget, &combo, &box, shownHint] {
    if (combo.itemIndex != box.shownIndex) {
      if (widget->currentIndex() != combo.itemIndex) widget->setCurrentIndex(combo.itemIndex);
      box.shownIndex = combo.itemIndex;
      box.shownText = widget->currentText().toStdString();
    }
    if (combo.text != box.shownText) {
      if (widget->currentText() != Q(combo.text)) widget->setEditText(Q(combo.text));
      box.shownText = combo.text;
    }
    if (*shownHint != combo.hint) {
      widget->setToolTip(Q(combo.hint));
      *shownHint = combo.hint;
    }
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
  auto shown = std::make_shared<std::optional<TRadioButton>>();
  renderers_.push_back([widget, &radio, shown] {
    const TRadioButton* was = shown->has_value() ? &**shown : nullptr;
    if (!was || was->caption != radio.caption) widget->setText(Q(radio.caption));
    if (widget->isChecked() != radio.checked) widget->setChecked(radio.checked);
    if (!was || was->fontColor != radio.fontColor) SetTextColour(widget, radio.fontColor);
    if (!was || was->hint != radio.hint) widget->setToolTip(Q(radio.hint));
    *shown = radio;
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
  auto shown = std::make_shared<std::optional<TCheckBox>>();
  renderers_.push_back([widget, &check, shown] {
    const TCheckBox* was = shown->has_value() ? &**shown : nullptr;
    if (widget->isChecked() != check.checked) widget->setChecked(check.checked);
    if (!was || was->fontColor != check.fontColor) SetTextColour(widget, check.fontColor);
    if (!was || was->hint != check.hint) widget->setToolTip(Q(check.hint));
    *shown = check;
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
  auto shown = std::make_shared<std::optional<TButton>>();
  renderers_.push_back([widget, &button, shown] {
    const TButton* was = shown->has_value() ? &**shown : nullptr;
    if (!was || was->hint != button.hint) widget->setToolTip(Q(button.hint));
    if (!was || was->visible != button.visible) widget->setVisible(button.visible);
    *shown = button;
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
  renderers_.push_back([widget, &combo] {
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
  auto shown = std::make_shared<std::optional<TMemo>>();
  renderers_.push_back([widget, &memo, shown] {
    const TMemo* was = shown->has_value() ? &**shown : nullptr;
    const bool changed = !was || was->lines != memo.lines;
    if (changed) {
      QStringList lines;
      lines.reserve(static_cast<int>(memo.lines.size()));
      for (const std::string& line : memo.lines) lines << Q(line);
      widget->setPlainText(lines.join('\n'));
    }
    // The caret line is kept in sight: the last line after appending, the first after the
    // first show moved it there.
    if (changed || was->caretLine != memo.caretLine) {
      QTextCursor cursor(widget->document()->findBlockByNumber(memo.caretLine));
      widget->setTextCursor(cursor);
      widget->ensureCursorVisible();
    }
    if (!was || was->fontColor != memo.fontColor) SetTextColour(widget, memo.fontColor);
    if (!was || was->visible != memo.visible) widget->setVisible(memo.visible);
    // The lines are copied only when they changed: a keystroke elsewhere costs no copy.
    if (changed) {
      *shown = memo;
    } else {
      (*shown)->caretLine = memo.caretLine;
      (*shown)->fontColor = memo.fontColor;
      (*shown)->visible = memo.visible;
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

QTableView* MainWindow::Table(QWidget* parent, int x, int y, int w, int h) {
  auto* table = new QTableView(parent);
  table->setObjectName("ListView1");
  table->setGeometry(x, y, w, h);
  auto* rows = new QuoteTableModel(*model_, table);
  table->setModel(rows);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setShowGrid(true);
  table->setWordWrap(false);
  table->verticalHeader()->setVisible(false);
  // Fixed row heights let the view place any of a few hundred thousand rows without measuring.
  table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table->verticalHeader()->setDefaultSectionSize(20);
  table->horizontalHeader()->setSectionsClickable(false);
  table->horizontalHeader()->setHighlightSections(false);
  // A caption wider than its column breaks onto a second line rather than being cut. The header
  // always has room for two, so the rows stay where they are whichever captions wrap.
  table->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter |
                                                 Qt::Alignment::fromInt(Qt::TextWordWrap));
  table->horizontalHeader()->setTextElideMode(Qt::ElideNone);
  table->horizontalHeader()->setMinimumHeight(
      table->horizontalHeader()->sizeHint().height() +
      static_cast<int>(std::ceil(QFontMetricsF(table->horizontalHeader()->font()).lineSpacing())));
  connect(table, &QTableView::clicked, this, [this](const QModelIndex& index) {
    model_->ListView1.selectedIndex = index.row();
    Fire("ListView1", Event::Click);
  });
  connect(table, &QTableView::doubleClicked, this,
          [this] { Fire("ListView1", Event::DoubleClick); });
  connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this, table] {
    if (rendering_) return;
    const auto selected = table->selectionModel()->selectedRows();
    model_->ListView1.selectedIndex = selected.isEmpty() ? -1 : selected.front().row();
  });

  // Columns as wide as their captions and contents need, measured again when the rows or the
  // captions change (the lot column's caption follows the lot). All eleven share the fixed
  // window: a caption may take two lines to leave room for the figures.
  const auto fitColumns = [table, rows, w] {
    QHeaderView* header = table->horizontalHeader();
    const int margin = table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table);
    // The style cuts a text wider than its cell less the grid line and a margin on either side.
    const int padding = 2 * (margin + 1) + (table->showGrid() ? 1 : 0);
    const int frame = 2 * table->frameWidth();
    const int scrollBar = table->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, table);
    const QFontMetricsF captionMetrics(header->font());
    const std::vector<double> contents = rows->WidestTexts(QFontMetricsF(table->font()), 1000);
    std::vector<QuoteColumnNeeds> needs;
    for (int column = 0; column < rows->columnCount(); ++column) {
      const QString caption = rows->headerData(column, Qt::Horizontal).toString();
      const int oneLine = header->sectionSizeHint(column);
      // The header's own padding around the text, as its size hint counts it, and a pixel for
      // the wrapped line's rounding.
      const int captionPadding =
          oneLine - static_cast<int>(std::ceil(captionMetrics.horizontalAdvance(caption)));
      QuoteColumnNeeds need;
      need.caption = oneLine;
      need.wrappedCaption =
          std::min(oneLine, static_cast<int>(std::ceil(TwoLineWidth(captionMetrics, caption))) +
                                captionPadding + 1);
      need.content =
          static_cast<int>(std::ceil(contents[static_cast<std::size_t>(column)])) + padding;
      needs.push_back(need);
    }
    const std::vector<int> widths = QuoteColumnWidths(needs, w - frame - scrollBar);
    for (std::size_t column = 0; column < widths.size(); ++column) {
      table->setColumnWidth(static_cast<int>(column), widths[column]);
    }
  };
  fitColumns();
  auto fittedRows = std::make_shared<std::size_t>(0);
  auto fittedFirst = std::make_shared<std::string>();
  renderers_.push_back([this, table, rows, fitColumns, fittedRows, fittedFirst] {
    // A refresh changes the row count or at least the first row's prices.
    const TListView& list = model_->ListView1;
    std::string first;
    if (!list.items.empty()) {
      first = list.items.front().caption;
      for (const std::string_view cell : list.items.front().subItems) first.append(cell);
    }
    const bool captionsChanged = rows->Sync();
    if (captionsChanged || list.items.size() != *fittedRows || first != *fittedFirst) {
      fitColumns();
      *fittedRows = list.items.size();
      *fittedFirst = first;
    }
    const int selected = model_->ListView1.selectedIndex;
    const auto shown = table->selectionModel()->selectedRows();
    const int current = shown.isEmpty() ? -1 : shown.front().row();
    if (selected != current) {
      if (selected < 0 || selected >= rows->rowCount()) {
        table->clearSelection();
      } else {
        table->selectRow(selected);
      }
    }
  });
  return table;
}

}  // namespace tiramon::desktop

// The meta-object code of the classes declared in this file.
#include "main_window.moc"
