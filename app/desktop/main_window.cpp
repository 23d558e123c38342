#include "app/desktop/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
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
#include <cmath>

#include "app/desktop/artwork.h"
#include "app/desktop/error_box.h"
#include "app/desktop/jpeg_image.h"
#include "app/desktop/quote_table_model.h"

// The pictures are compiled into this static library; their registration must be pulled in.
static void InitAssets() { Q_INIT_RESOURCE(assets); }

namespace tiramon::desktop {
namespace {

constexpr int kClientWidth = 936;
constexpr int kClientHeight = 702;
constexpr int kRowHeight = 24;

QString Q(const std::string& text) { return QString::fromStdString(text); }
QColor ToQColor(TColor c) { return QColor(c.r, c.g, c.b); }

void SetTextColour(QWidget* widget, TColor colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, ToQColor(colour));
  palette.setColor(QPalette::ButtonText, ToQColor(colour));
  palette.setColor(QPalette::Text, ToQColor(colour));
  widget->setPalette(palette);
}

// The owner-drawn status panel: what it shows comes from the model at every painting.
class IndicatorPanel : public QWidget {
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

MainWindow::MainWindow(Environment environment, TrayMode trayMode) {
  switch (trayMode) {
    case TrayMode::Auto:
      trayActive_ = QSystemTrayIcon::isSystemTrayAvailable();
      break;
    case TrayMode::Enabled:
      trayActive_ = true;
      break;
    case TrayMode::Disabled:
      trayActive_ = false;
      break;
  }

  // Platform services the handlers reach through the model's environment; a test may have set
  // its own, which are kept.
  if (!environment.processEvents) environment.processEvents = [] { QApplication::processEvents(); };
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
  // exit(), not quit(): Qt's quit() first asks every window to close, and this window answers a
  // close request by hiding to the tray, which would cancel the quit.
  environment.quitApplication = [] { QApplication::exit(0); };

  model_ = std::make_unique<TForm1>(std::move(environment));
  InitAssets();
  BuildWindow();
  BuildTray();
  RunHandler([this] { model_->FormCreate(); });

  // The session's log-out query takes the same path as a close request: the window goes to the
  // tray. The log-out itself is not vetoed, so the program never holds up the user's shutdown.
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
    if (trayActive_)
      RunHandler([this] {
        bool canClose = true;
        model_->FormCloseQuery(canClose);
      });
  });
}

MainWindow::~MainWindow() {
  if (tray_) tray_->hide();
}

void MainWindow::BuildWindow() {
  setObjectName("Form1");
  setWindowTitle(Q(model_->caption));
  setWindowIcon(ApplicationIcon());
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
  const std::vector<std::pair<const char*, QWidget*>> pages = {
      {"TabSheet5", BuildAboutTab()},     {"TabSheet3", BuildQuotesTab()},
      {"TabSheet6", BuildAssistantTab()}, {"TabSheet1", BuildGrowthTab()},
      {"TabSheet2", BuildDrainTab()},     {"TabSheet4", BuildSeriesTab()}};
  for (size_t i = 0; i < pages.size(); ++i) {
    pages[i].second->setObjectName(pages[i].first);
    tabs_->addTab(pages[i].second, Q(model_->PageControl1.pageCaptions[i]));
  }
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
    if (!rendering_) model_->PageControl1.activePageIndex = index;
  });
  renderers_.push_back([this] { tabs_->setCurrentIndex(model_->PageControl1.activePageIndex); });
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
    panel1->setText(Q(model_->StatusBar1.panels[1].text));
    indicator_->update();
  });
  layout->addWidget(status);
}

void MainWindow::BuildTray() {
  trayMenu_ = new QMenu(this);
  trayMenu_->setObjectName("PopupMenu1");
  const std::vector<std::pair<std::string, Handler>> actions = {{"N1", &TForm1::SpeedButton2Click},
                                                                {"N4", &TForm1::SpeedButton3Click},
                                                                {"N5", &TForm1::N5Click},
                                                                {"N6", &TForm1::N6Click},
                                                                {"N3", &TForm1::N3Click}};
  for (const TMenuItem& item : model_->PopupMenu1) {
    if (item.caption == "-") {
      trayMenu_->addSeparator()->setObjectName(Q(item.name));
      continue;
    }
    QAction* action = trayMenu_->addAction(Q(item.caption));
    action->setObjectName(Q(item.name));
    for (const auto& [name, handler] : actions) {
      if (name != item.name) continue;
      connect(action, &QAction::triggered, this, [this, handler = handler] {
        RunHandler([this, handler] { ((*model_).*handler)(); });
      });
    }
  }
  if (!trayActive_) return;
  tray_ = new QSystemTrayIcon(ApplicationIcon(), this);
  tray_->setObjectName("CoolTrayIcon1");
  tray_->setContextMenu(trayMenu_);
  connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
    if (why == QSystemTrayIcon::DoubleClick) RunHandler([this] { model_->N6Click(); });
  });
  tray_->show();
}

void MainWindow::Render() {
  rendering_ = true;
  for (const auto& render : renderers_) render();
  rendering_ = false;
}

void MainWindow::RunHandler(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    Render();
    ShowErrorBox(this, error.what());
  }
  Render();
}

void MainWindow::setVisible(bool visible) {
  // The first-show sequence fills every tab before the window is first drawn.
  if (visible && !isVisible() && !inFormShow_) {
    inFormShow_ = true;
    RunHandler([this] { model_->FormShow(); });
    inFormShow_ = false;
  }
  QWidget::setVisible(visible);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!trayActive_) {
    // Without a notification area a hidden window could never be reached again.
    event->accept();
    QApplication::exit(0);
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
  if (event->type() != QEvent::WindowStateChange || !trayActive_ || !isMinimized()) return;
  // Minimising sends the window to the tray; done after the state change has settled.
  QTimer::singleShot(0, this, [this] {
    if (!isMinimized()) return;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    hide();
  });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease) {
    for (const auto& [object, handler] : clickHandlers_) {
      if (object != watched) continue;
      RunHandler([this, handler = handler] { ((*model_).*handler)(); });
      return true;
    }
  }
  if (event->type() == QEvent::KeyPress) return FilterKey(watched, event);
  return QWidget::eventFilter(watched, event);
}

bool MainWindow::FilterKey(QObject* watched, QEvent* event) {
  auto* key = static_cast<QKeyEvent*>(event);
  auto* edit = qobject_cast<QLineEdit*>(watched);
  if (!edit) return false;
  const bool isBackspace = key->key() == Qt::Key_Backspace;
  const QString typed = key->text();
  const bool typesCharacter = !typed.isEmpty() && typed.at(0) >= QChar(' ') &&
                              typed.at(0) != QChar(0x7f) &&
                              !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
  if (!isBackspace && !typesCharacter) return false;  // arrows, Delete, shortcuts

  if (edit == depositEdit_ || edit == lotEdit_) {
    char32_t character = isBackspace ? U'\b' : typed.toUcs4().value(0);
    TEdit* depositModel = &model_->Edit_Deposit;
    if (edit == depositEdit_) {
      depositModel->text = edit->text().toStdString();
      depositModel->selStart = edit->cursorPosition();
      RunHandler([this, &character] { model_->Edit_DepositKeyPress(character); });
    } else {
      model_->edit_lot.text = edit->text().toStdString();
      RunHandler([this, &character] { model_->edit_lotKeyPress(character); });
    }
    if (character == 0) return true;  // discarded
    if (isBackspace && character == U'\b') return false;
    const QString replacement = QString::fromUcs4(&character, 1);
    if (replacement != typed) {
      // The filter replaced the character: type the replacement instead, as a user edit.
      edit->insert(replacement);
      emit edit->textEdited(edit->text());
      return true;
    }
    return false;
  }

  for (const auto& [limited, model] : limitedEdits_) {
    if (limited != edit || isBackspace) continue;
    // The length limit applies to typing only; texts the program writes are never cut.
    const int afterTyping = edit->text().size() - edit->selectedText().size() + typed.size();
    if (model->maxLength > 0 && afterTyping > model->maxLength) return true;
  }
  return false;
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
  widget->setFont(font);
  widget->move(x, y);
  if (w > 0) widget->setFixedWidth(w);
  renderers_.push_back([widget, &label, w] {
    if (widget->text() != Q(label.caption)) {
      widget->setText(Q(label.caption));
      if (w == 0) widget->adjustSize();
    }
    SetTextColour(widget, label.fontColor);
    widget->setToolTip(Q(label.hint));
    widget->setVisible(label.visible);
  });
  return widget;
}

void MainWindow::EditedText(TEdit& edit, QLineEdit* widget, Handler onChange) {
  if (edit.maxLength > 0 && widget->text().size() > edit.maxLength) {
    // A paste longer than the limit is refused as typing would be.
    widget->setText(Q(edit.text));
    return;
  }
  edit.text = widget->text().toStdString();
  edit.selStart = widget->cursorPosition();
  if (onChange) RunHandler([this, onChange] { ((*model_).*onChange)(); });
}

QLineEdit* MainWindow::Edit(QWidget* parent, const char* name, TEdit& edit, int x, int y, int w,
                            Handler onChange) {
  auto* widget = new QLineEdit(parent);
  widget->setObjectName(name);
  widget->setGeometry(x, y, w, kRowHeight);
  connect(widget, &QLineEdit::textEdited, this,
          [this, widget, &edit, onChange] { EditedText(edit, widget, onChange); });
  if (edit.maxLength > 0) {
    widget->installEventFilter(this);
    limitedEdits_.emplace_back(widget, &edit);
  }
  renderers_.push_back([widget, &edit] {
    if (widget->text() != Q(edit.text)) widget->setText(Q(edit.text));
    widget->setEnabled(edit.enabled);
    widget->setToolTip(Q(edit.hint));
    widget->setVisible(edit.visible);
  });
  return widget;
}

QComboBox* MainWindow::Combo(QWidget* parent, const char* name, TComboBox& combo, int x, int y,
                             int w, Handler onChange) {
  auto* widget = new QComboBox(parent);
  widget->setObjectName(name);
  widget->setEditable(true);
  widget->setInsertPolicy(QComboBox::NoInsert);
  widget->setCompleter(nullptr);
  widget->setMaxVisibleItems(16);
  widget->setGeometry(x, y, w, kRowHeight);
  for (const std::string& item : combo.items) widget->addItem(Q(item));
  widget->lineEdit()->setObjectName(QString(name) + "_edit");
  connect(widget->lineEdit(), &QLineEdit::textEdited, this,
          [this, widget, &combo, onChange](const QString& text) {
            combo.text = text.toStdString();
            combo.itemIndex = -1;
            (void)widget;
            if (onChange) RunHandler([this, onChange] { ((*model_).*onChange)(); });
          });
  connect(widget, &QComboBox::activated, this, [this, widget, &combo, onChange](int index) {
    combo.itemIndex = index;
    combo.text = widget->itemText(index).toStdString();
    if (onChange) RunHandler([this, onChange] { ((*model_).*onChange)(); });
  });
  renderers_.push_back([widget, &combo] {
    if (widget->currentIndex() != combo.itemIndex) widget->setCurrentIndex(combo.itemIndex);
    if (widget->currentText() != Q(combo.text)) widget->setEditText(Q(combo.text));
    widget->setToolTip(Q(combo.hint));
  });
  return widget;
}

void MainWindow::PullRadios() {
  for (const auto& [widget, model] : radios_) model->checked = widget->isChecked();
}

QRadioButton* MainWindow::Radio(QWidget* parent, const char* name, TRadioButton& radio, int x,
                                int y, int w, Handler onClick) {
  auto* widget = new QRadioButton(parent);
  widget->setObjectName(name);
  widget->setGeometry(x, y, w, kRowHeight);
  radios_.emplace_back(widget, &radio);
  connect(widget, &QRadioButton::clicked, this, [this, onClick] {
    PullRadios();
    if (onClick) RunHandler([this, onClick] { ((*model_).*onClick)(); });
  });
  renderers_.push_back([widget, &radio] {
    if (widget->text() != Q(radio.caption)) widget->setText(Q(radio.caption));
    widget->setChecked(radio.checked);
    SetTextColour(widget, radio.fontColor);
    widget->setToolTip(Q(radio.hint));
  });
  return widget;
}

QCheckBox* MainWindow::Check(QWidget* parent, const char* name, TCheckBox& check, int x, int y,
                             int w) {
  auto* widget = new QCheckBox(Q(check.caption), parent);
  widget->setObjectName(name);
  widget->setGeometry(x, y, w, kRowHeight);
  connect(widget, &QCheckBox::clicked, this,
          [widget, &check] { check.checked = widget->isChecked(); });
  renderers_.push_back([widget, &check] {
    widget->setChecked(check.checked);
    SetTextColour(widget, check.fontColor);
    widget->setToolTip(Q(check.hint));
  });
  return widget;
}

QPushButton* MainWindow::Button(QWidget* parent, const char* name, const TButton& button, int x,
                                int y, int w, int h, Handler onClick) {
  auto* widget = new QPushButton(Q(button.caption), parent);
  widget->setObjectName(name);
  widget->setGeometry(x, y, w, h);
  connect(widget, &QPushButton::clicked, this,
          [this, onClick] { RunHandler([this, onClick] { ((*model_).*onClick)(); }); });
  renderers_.push_back([widget, &button] {
    widget->setToolTip(Q(button.hint));
    widget->setVisible(button.visible);
  });
  return widget;
}

QToolButton* MainWindow::CopyButton(QWidget* parent, const char* name, const TButton& button, int x,
                                    int y, Handler onClick) {
  auto* widget = new QToolButton(parent);
  widget->setObjectName(name);
  widget->setAutoRaise(true);
  widget->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
  widget->setGeometry(x, y, kRowHeight, kRowHeight);
  widget->setToolTip(Q(button.hint));
  connect(widget, &QToolButton::clicked, this,
          [this, onClick] { RunHandler([this, onClick] { ((*model_).*onClick)(); }); });
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
  auto shown = std::make_shared<std::vector<std::string>>();
  auto shownCaret = std::make_shared<int>(-1);
  renderers_.push_back([widget, &memo, shown, shownCaret] {
    const bool changed = *shown != memo.lines;
    if (changed) {
      QStringList lines;
      lines.reserve(static_cast<int>(memo.lines.size()));
      for (const std::string& line : memo.lines) lines << Q(line);
      widget->setPlainText(lines.join('\n'));
      *shown = memo.lines;
    }
    if (changed || *shownCaret != memo.caretLine) {
      QTextCursor cursor(widget->document()->findBlockByNumber(memo.caretLine));
      widget->setTextCursor(cursor);
      widget->ensureCursorVisible();
      *shownCaret = memo.caretLine;
    }
    SetTextColour(widget, memo.fontColor);
    widget->setVisible(memo.visible);
  });
  return widget;
}

void MainWindow::OnClick(QWidget* widget, Handler handler) {
  widget->installEventFilter(this);
  widget->setCursor(Qt::PointingHandCursor);
  clickHandlers_.emplace_back(widget, handler);
}

QLabel* MainWindow::Picture(QWidget* parent, const char* name, const TImage& image,
                            const char* resource, int x, int y, int w, int h, Handler onClick) {
  auto* widget = new QLabel(parent);
  widget->setObjectName(name);
  widget->setGeometry(x, y, w, h);
  QFile file(resource);
  if (file.open(QIODevice::ReadOnly)) {
    const QImage picture = DecodeJpeg(file.readAll());
    if (!picture.isNull()) {
      widget->setPixmap(QPixmap::fromImage(
          picture.scaled(w, h, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation)));
    }
  }
  widget->setToolTip(Q(image.hint));
  OnClick(widget, onClick);
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
  connect(table, &QTableView::clicked, this, [this](const QModelIndex& index) {
    model_->ListView1.selectedIndex = index.row();
    RunHandler([this] { model_->ListView1Click(); });
  });
  connect(table, &QTableView::doubleClicked, this,
          [this] { RunHandler([this] { model_->ListView1DblClick(); }); });
  connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this, table] {
    if (rendering_) return;
    const auto selected = table->selectionModel()->selectedRows();
    model_->ListView1.selectedIndex = selected.isEmpty() ? -1 : selected.front().row();
  });

  // Columns as wide as their captions and contents need, measured again when the rows or the
  // captions change (the lot column's caption follows the lot).
  const auto fitColumns = [table, rows, w] {
    const int margin = table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table);
    // The style cuts a text wider than its cell less the grid line and a margin on either side.
    const int padding = 2 * (margin + 1) + (table->showGrid() ? 1 : 0);
    const int frame = 2 * table->frameWidth();
    const int scrollBar = table->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, table);
    std::vector<int> captions;
    for (int column = 0; column < rows->columnCount(); ++column) {
      captions.push_back(table->horizontalHeader()->sectionSizeHint(column));
    }
    std::vector<int> contents;
    for (const double width : rows->WidestTexts(QFontMetricsF(table->font()), 1000)) {
      contents.push_back(static_cast<int>(std::ceil(width)) + padding);
    }
    const std::vector<int> widths = QuoteColumnWidths(captions, contents, w - frame - scrollBar);
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
