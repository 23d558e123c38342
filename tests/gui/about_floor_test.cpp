// The start-up floor is only a floor while it shows what the window's About tab shows.
#include "bench/minimal_window/about_floor.h"

#include <QGroupBox>
#include <QLabel>
#include <algorithm>

#include "desktop/jpeg_image.h"
#include "tests/gui/gui_fixture.h"

namespace tiramon::desktop {
namespace {

// A line per group box and label on the page: its place there, its text and font, or the size
// and a checksum of its picture. Sorted, since the two pages make their widgets in other orders.
std::vector<std::string> Contents(QWidget* page) {
  std::vector<std::string> lines;
  for (QWidget* widget : page->findChildren<QWidget*>()) {
    const QRect at(widget->mapTo(page, QPoint(0, 0)), widget->size());
    QString line = QString("%1,%2 %3x%4 ").arg(at.x()).arg(at.y()).arg(at.width()).arg(at.height());
    if (auto* box = qobject_cast<QGroupBox*>(widget)) {
      line += "box " + box->title() + " " + box->font().toString();
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
      const QImage picture = label->pixmap().toImage();
      line += picture.isNull()
                  ? "text " + label->text() + " " + label->font().toString()
                  : QString("picture %1x%2 %3")
                        .arg(picture.width())
                        .arg(picture.height())
                        .arg(qChecksum(QByteArrayView(picture.constBits(), picture.sizeInBytes())));
    } else {
      continue;
    }
    lines.push_back(line.toStdString());
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

TEST_F(GuiTest, TheStartUpFloorShowsWhatTheAboutTabShows) {
  MainWindow& window = Open();
  QWidget* about = window.findChild<QWidget*>("TabSheet5");
  ASSERT_NE(about, nullptr);
  std::vector<QImage> pictures;
  for (const QString& resource : perf::AboutFloorPictures()) {
    pictures.push_back(DecodeJpegFile(resource));
  }
  QWidget floor;
  floor.resize(about->size());
  perf::BuildAboutFloor(&floor, pictures);
  const std::vector<std::string> shown = Contents(about);
  EXPECT_EQ(shown.size(), 21u);  // 7 group boxes, 6 pictures, 8 texts
  EXPECT_EQ(Contents(&floor), shown);
}

}  // namespace
}  // namespace tiramon::desktop
