// What the program's start must show at the least, built from Qt's own widgets as the window
// builds it: the minimal window whose first tab holds the program's About tab (the same group
// boxes, labels in the same four fonts and the six JPEG pictures at the same places, decoded by
// libjpeg on a second thread) and a notification-area icon of one drawn size. None of the
// program's model, style, settings, one-copy check or first refresh: a window that makes these
// controls as widgets can only start for more, so this window's ratio to the minimal window is
// the least the program's ratio can be.
//
// ABOUT_WINDOW_WITHOUT=tray,pictures leaves those parts out, to see what each of them costs.
#include <QApplication>
#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QString>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QWidget>
#include <future>
#include <memory>
#include <vector>

#include "bench/minimal_window/about_floor.h"
#include "bench/minimal_window/bare_window.h"
#include "desktop/jpeg_image.h"

int main(int argc, char* argv[]) {
  Q_INIT_RESOURCE(assets);
  const QByteArray without = qgetenv("ABOUT_WINDOW_WITHOUT");
  const bool pictures = !without.contains("pictures");
  const bool trayIcon = !without.contains("tray");
  auto decoding = std::async(std::launch::async, [pictures] {
    std::vector<QImage> images;
    for (const QString& resource : tiramon::perf::AboutFloorPictures()) {
      if (!pictures) break;
      images.push_back(tiramon::desktop::DecodeJpegFile(resource));
    }
    return images;
  });
  QApplication app(argc, argv);
  QWidget window;
  QTabWidget* tabs =
      tiramon::perf::MakeBareWindow(window, QString::fromUtf8("Окно с первой вкладкой"));
  auto* about = new QWidget;
  tabs->addTab(about, QString::fromUtf8("О программе"));
  for (int i = 2; i <= 6; ++i) tabs->addTab(new QWidget, QString::fromUtf8("Вкладка %1").arg(i));

  const std::vector<QImage> images = decoding.get();
  tiramon::perf::BuildAboutFloor(about, images);

  std::unique_ptr<QSystemTrayIcon> tray;
  if (trayIcon) {
    QPixmap mark(22, 22);
    mark.fill(Qt::transparent);
    QPainter painter(&mark);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1d, 0x35, 0x57));
    painter.drawRoundedRect(QRectF(0.5, 0.5, 21, 21), 4, 4);
    painter.end();
    tray = std::make_unique<QSystemTrayIcon>(QIcon(mark));
    tray->show();
  }
  window.show();
  return QApplication::exec();
}
