// What the program's start must show at the least, built as cheaply as Qt allows: the minimal
// window whose first tab holds the program's About tab (the same group boxes, labels in the same
// four fonts and the six JPEG pictures at the same places, decoded by libjpeg on a second thread)
// and a notification-area icon of one drawn size. None of the program's model, style, settings,
// one-copy check or first refresh: its start-up can only cost more than this one's, so this
// window's ratio to the minimal window is the least the program's ratio can be.
//
// ABOUT_WINDOW_WITHOUT=tray,pictures leaves those parts out, to see what each of them costs.
#include <QApplication>
#include <QByteArray>
#include <QFont>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QString>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWidget>
#include <future>
#include <memory>
#include <vector>

#include "app/build_config.h"
#include "desktop/jpeg_image.h"

namespace {

struct Picture {
  const char* resource;
  int x, y, w, h;
};

// The About tab's pictures and where the program shows them (the last four are inside frames).
constexpr Picture kPictures[] = {
    {":/about/image5.jpg", 10, 24, 320, 78}, {":/about/image1.jpg", 8, 40, 314, 200},
    {":/about/image2.jpg", 8, 40, 314, 200}, {":/about/image3.jpg", 8, 40, 314, 200},
    {":/about/image4.jpg", 8, 40, 314, 200}, {":/about/image6.jpg", 12, 54, 196, 560},
};

constexpr const char* kTitles[] = {"Управление риском", "Кредитное плечо", "Валютный рынок",
                                   "Стоп лосс"};

QLabel* Text(QWidget* parent, const QString& text, int x, int y, bool bold, bool underline,
             qreal scale) {
  auto* label = new QLabel(text, parent);
  QFont font = label->font();
  font.setBold(bold);
  font.setUnderline(underline);
  font.setPointSizeF(font.pointSizeF() * scale);
  label->setFont(font);
  label->move(x, y);
  label->adjustSize();
  return label;
}

void Show(QWidget* parent, const QImage& image, const Picture& at) {
  auto* label = new QLabel(parent);
  label->setGeometry(at.x, at.y, at.w, at.h);
  label->setPixmap(QPixmap::fromImage(
      image.scaled(at.w, at.h, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation)));
}

}  // namespace

int main(int argc, char* argv[]) {
  Q_INIT_RESOURCE(assets);
  const QByteArray without = qgetenv("ABOUT_WINDOW_WITHOUT");
  const bool pictures = !without.contains("pictures");
  const bool trayIcon = !without.contains("tray");
  auto decoding = std::async(std::launch::async, [pictures] {
    std::vector<QImage> images;
    for (const Picture& picture : kPictures) {
      if (!pictures) break;
      images.push_back(tiramon::desktop::DecodeJpegFile(picture.resource));
    }
    return images;
  });
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QString::fromUtf8("Окно с первой вкладкой"));
  window.setFixedSize(936, 702);
  window.move(213, 134);
  auto* layout = new QVBoxLayout(&window);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* tabs = new QTabWidget(&window);
  auto* about = new QWidget;
  tabs->addTab(about, QString::fromUtf8("О программе"));
  for (int i = 2; i <= 6; ++i) tabs->addTab(new QWidget, QString::fromUtf8("Вкладка %1").arg(i));
  layout->addWidget(tabs);

  auto* author = new QGroupBox(about);
  author->setGeometry(10, 8, 330, 112);
  Text(author, QString::fromUtf8("Тирамон 1.4"), 16, 18, true, false, 1.6);
  Text(author, QString::fromUtf8("Автор: ") + QString::fromUtf8(tiramon::build::kAuthor), 16, 54,
       false, true, 1.0);
  Text(author, QString::fromUtf8("блог: ") + QString::fromUtf8(tiramon::build::kBlogUrl), 16, 80,
       false, true, 1.0);
  auto* single = new QGroupBox(QString::fromUtf8("Сложный процент"), about);
  single->setGeometry(350, 8, 340, 112);
  std::vector<QWidget*> holders = {single};
  for (int i = 0; i < 4; ++i) {
    auto* frame = new QGroupBox(about);
    frame->setGeometry(10 + (i % 2) * 340, 130 + (i / 2) * 260, 330, 250);
    QLabel* title = Text(frame, QString::fromUtf8(kTitles[i]), 8, 8, true, false, 1.2);
    title->setGeometry(8, 8, 314, 26);
    title->setAlignment(Qt::AlignCenter);
    holders.push_back(frame);
  }
  auto* ads = new QGroupBox(QString::fromUtf8("Реклама для брокеров"), about);
  ads->setGeometry(700, 8, 222, 630);
  QLabel* heading = Text(ads, QString::fromUtf8("Реклама брокеров"), 12, 26, true, false, 1.0);
  heading->setFixedWidth(196);
  holders.push_back(ads);

  const std::vector<QImage> images = decoding.get();
  for (std::size_t i = 0; i < images.size(); ++i) Show(holders[i], images[i], kPictures[i]);

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
