// The window's states and the tray: hiding to the notification area and back, closing and
// minimising with or without one, and "Выход".
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMoveEvent>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>
#include <algorithm>

#include "app/window_rules.h"
#include "desktop/layout.h"
#include "desktop/main_window.h"
#include "desktop/screen_fit.h"
#include "desktop/status_notifier.h"

namespace tiramon::desktop {

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

void MainWindow::BringForward() {
  if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
}

void MainWindow::FitToScreen() {
  QScreen* screen = QGuiApplication::screenAt(pos() + QPoint(1, 1));
  if (screen == nullptr) screen = this->screen();
  if (screen == nullptr) return;
  const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
  const WindowPlace place =
      FitWindow(QSize(kClientWidth, kClientHeight), pos(), frame, screen->availableGeometry());
  if (place.client != size()) {
    setFixedSize(place.client);
    // The source panel gives up what the window lost in width, so the bar's end stays in view.
    const int full = model_->StatusBar1.panels[1].width;
    sourcePanel_->setFixedWidth(std::max(0, full - (kClientWidth - place.client.width())));
  }
  if (place.frame != pos()) move(place.frame);
}

void MainWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (!fitAwaitsFrame_ || !windowHandle() || windowHandle()->frameMargins().isNull()) return;
  fitAwaitsFrame_ = false;
  FitToScreen();
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
  if (visible && !isVisible()) {
    fitAwaitsFrame_ = !windowHandle() || windowHandle()->frameMargins().isNull();
    FitToScreen();
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

}  // namespace tiramon::desktop
