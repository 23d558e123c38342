#include "desktop/main_window.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QScrollArea>
#include <QSessionManager>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <iterator>
#include <utility>

#include "app/window_rules.h"
#include "desktop/artwork.h"
#include "desktop/error_box.h"
#include "desktop/layout.h"
#include "support/errors.h"

// The pictures are compiled into this static library; their registration must be pulled in.
static void InitAssets() { Q_INIT_RESOURCE(assets); }

namespace tiramon::desktop {

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
  environment.showMainWindow = [this] { BringForward(); };
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

void MainWindow::Fire(std::string_view control, Event event) {
  const Handler handler = WiredHandler(control, event);
  if (handler) RunHandler([this, handler] { tiramon::RunHandler(*model_, handler); });
}

MainWindow::~MainWindow() {
  if (tray_) tray_->hide();
  // QWidget's destructor hides the window after the model is gone, and the box that loses its
  // focus then still signals: an editable list commits its typed text, a table reports its
  // selection. Every signal of the window's own widgets into it is cut off first.
  for (QObject* child : findChildren<QObject*>())
    QObject::disconnect(child, nullptr, this, nullptr);
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
  const Page pages[] = {{"TabSheet5", &MainWindow::BuildAboutTab},
                        {"TabSheet3", &MainWindow::BuildQuotesTab},
                        {"TabSheet6", &MainWindow::BuildAssistantTab},
                        {"TabSheet1", &MainWindow::BuildGrowthTab},
                        {"TabSheet2", &MainWindow::BuildDrainTab},
                        {"TabSheet4", &MainWindow::BuildSeriesTab},
                        // Our own seventh tab, after the six of the window model.
                        {"TabSheetRisk", &MainWindow::BuildRiskTab},
                        // The trader's book, after it.
                        {"TabSheetBook", &MainWindow::BuildBookTab}};
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
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
    if (!rendering_) model_->PageControl1.activePageIndex = index;
  });
  renderers_.push_back([this] {
    const int page = model_->PageControl1.activePageIndex;
    if (tabs_->currentIndex() != page) tabs_->setCurrentIndex(page);
  });
  // The tabs keep the size the full window gives them; a window fitted to a small screen scrolls
  // them, while the status bar stays in sight below.
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName("PageScroll");
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setFocusPolicy(Qt::NoFocus);
  scroll->setWidgetResizable(true);
  scroll->setWidget(tabs_);
  layout->addWidget(scroll, 1);

  BuildStatusBar(layout);
  tabs_->setMinimumSize(kClientWidth,
                        kClientHeight - findChild<QStatusBar*>("StatusBar1")->sizeHint().height());
  // Last: the icon is drawn on the artwork's thread meanwhile, and only showing needs it.
  appIcon_ = artwork_->ApplicationIcon();
  setWindowIcon(appIcon_);
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

}  // namespace tiramon::desktop
