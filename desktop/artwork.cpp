#include "desktop/artwork.h"

#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <exception>
#include <utility>

#include "desktop/jpeg_image.h"

namespace tiramon::desktop {
namespace {

constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// An image, not a pixmap: it may be drawn away from the GUI thread.
QImage DrawIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;
  // A rounded dark-blue tile with a rising green chart line and a gold coin.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x1d, 0x35, 0x57));
  p.drawRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), s * 0.18, s * 0.18);
  QPainterPath line;
  line.moveTo(s * 0.14, s * 0.78);
  line.lineTo(s * 0.38, s * 0.55);
  line.lineTo(s * 0.55, s * 0.66);
  line.lineTo(s * 0.86, s * 0.28);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0x3d, 0xdc, 0x84), qMax(1.5, s * 0.1), Qt::SolidLine, Qt::RoundCap,
                Qt::RoundJoin));
  p.drawPath(line);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xfc, 0xbf, 0x49));
  p.drawEllipse(QPointF(s * 0.8, s * 0.24), s * 0.12, s * 0.12);
  p.end();
  return image;
}

std::vector<QImage> DrawIconSizes() {
  std::vector<QImage> sizes;
  for (int size : kIconSizes) sizes.push_back(DrawIcon(size));
  return sizes;
}

QIcon IconOf(const std::vector<QImage>& sizes) {
  QIcon icon;
  for (const QImage& image : sizes) icon.addPixmap(QPixmap::fromImage(image));
  return icon;
}

// Two sheets, the front one offset down and right: the usual picture of "copy".
QPixmap DrawCopyIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;
  const qreal pen = qMax(1.0, s / 16);
  const QRectF back(s * 0.12, s * 0.06, s * 0.52, s * 0.62);
  const QRectF front(s * 0.36, s * 0.3, s * 0.52, s * 0.62);
  p.setPen(QPen(QColor(0x47, 0x55, 0x69), pen));
  p.setBrush(QColor(0xe2, 0xe8, 0xf0));
  p.drawRoundedRect(back, s * 0.06, s * 0.06);
  p.setBrush(Qt::white);
  p.drawRoundedRect(front, s * 0.06, s * 0.06);
  p.setPen(QPen(QColor(0x64, 0x74, 0x8b), pen));
  for (int line = 1; line <= 3; ++line) {
    const qreal y = front.top() + front.height() * line / 4.5 + s * 0.04;
    p.drawLine(QPointF(front.left() + s * 0.1, y), QPointF(front.right() - s * 0.1, y));
  }
  return pixmap;
}

}  // namespace

QIcon DrawnCopyIcon() {
  QIcon drawn;
  for (int size : {16, 22, 24, 32}) drawn.addPixmap(DrawCopyIcon(size));
  return drawn;
}

QIcon CopyIcon(const QIcon& fallback) { return QIcon::fromTheme("edit-copy", fallback); }

QIcon ApplicationIcon() { return IconOf(DrawIconSizes()); }

ArtworkInAdvance::ArtworkInAdvance(std::vector<QString> jpegResources)
    : worker_([this, resources = std::move(jpegResources)] {
        try {
          Made made;
          // The pictures first: the window wants them before the icon.
          for (const QString& resource : resources) {
            made.pictures[resource] = DecodeJpegFile(resource);
          }
          made.iconSizes = DrawIconSizes();
          promise_.set_value(std::move(made));
        } catch (...) {
          promise_.set_exception(std::current_exception());
        }
        // After the promise, which the window waits for: the style draws group box frames from
        // a PNG, so the first paint would find and load Qt's image format plugins first. This
        // does that for the process, while the window is still being built.
        try {
          QImageReader::supportedImageFormats();
        } catch (...) {  // the first paint will try again
        }
      }) {}

ArtworkInAdvance::~ArtworkInAdvance() { worker_.join(); }

ArtworkInAdvance::Made& ArtworkInAdvance::Ready() {
  if (!made_) made_ = making_.get();
  return *made_;
}

QImage ArtworkInAdvance::Picture(const QString& resource) {
  Made& made = Ready();
  const auto found = made.pictures.find(resource);
  if (found == made.pictures.end()) return DecodeJpegFile(resource);
  QImage picture = std::move(found->second);
  made.pictures.erase(found);
  return picture;
}

QIcon ArtworkInAdvance::ApplicationIcon() {
  std::vector<QImage> sizes = std::exchange(Ready().iconSizes, {});
  if (sizes.empty()) sizes = DrawIconSizes();
  return IconOf(sizes);
}

QPixmap IndicatorPicture(int index) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const bool available = index == 0;
  p.setPen(Qt::NoPen);
  p.setBrush(available ? QColor(0x16, 0xa3, 0x4a) : QColor(0xdc, 0x26, 0x26));
  p.drawEllipse(QRectF(1, 1, 14, 14));
  p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  if (available) {
    p.drawPolyline(QPolygonF({QPointF(4.5, 8.5), QPointF(7, 11), QPointF(11.5, 5.5)}));
  } else {
    p.drawLine(QPointF(5, 5), QPointF(11, 11));
    p.drawLine(QPointF(11, 5), QPointF(5, 11));
  }
  return pixmap;
}

}  // namespace tiramon::desktop
