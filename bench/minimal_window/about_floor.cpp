#include "bench/minimal_window/about_floor.h"

#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>

#include "app/build_config.h"

namespace tiramon::perf {
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

std::vector<QString> AboutFloorPictures() {
  std::vector<QString> resources;
  for (const Picture& picture : kPictures) resources.push_back(QString::fromUtf8(picture.resource));
  return resources;
}

void BuildAboutFloor(QWidget* page, const std::vector<QImage>& pictures) {
  auto* author = new QGroupBox(page);
  author->setGeometry(10, 8, 330, 112);
  Text(author, QString::fromUtf8("Тирамон 1.4"), 16, 18, true, false, 1.6);
  Text(author, QString::fromUtf8("Автор: ") + QString::fromUtf8(tiramon::build::kAuthor), 16, 54,
       false, true, 1.0);
  Text(author, QString::fromUtf8("блог: ") + QString::fromUtf8(tiramon::build::kBlogUrl), 16, 80,
       false, true, 1.0);
  auto* single = new QGroupBox(QString::fromUtf8("Сложный процент"), page);
  single->setGeometry(350, 8, 340, 112);
  std::vector<QWidget*> holders = {single};
  for (int i = 0; i < 4; ++i) {
    auto* frame = new QGroupBox(page);
    frame->setGeometry(10 + (i % 2) * 340, 130 + (i / 2) * 260, 330, 250);
    QLabel* title = Text(frame, QString::fromUtf8(kTitles[i]), 8, 8, true, false, 1.2);
    title->setGeometry(8, 8, 314, 26);
    title->setAlignment(Qt::AlignCenter);
    holders.push_back(frame);
  }
  auto* ads = new QGroupBox(QString::fromUtf8("Реклама для брокеров"), page);
  ads->setGeometry(700, 8, 222, 630);
  QLabel* heading = Text(ads, QString::fromUtf8("Реклама брокеров"), 12, 26, true, false, 1.0);
  heading->setFixedWidth(196);
  holders.push_back(ads);

  for (std::size_t i = 0; i < pictures.size() && i < holders.size(); ++i) {
    Show(holders[i], pictures[i], kPictures[i]);
  }
}

}  // namespace tiramon::perf
