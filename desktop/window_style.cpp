#include "desktop/window_style.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOption>

namespace tiramon::desktop {

FrameCachingStyle::FrameCachingStyle(QStyle* base)
    : QProxyStyle(base),
      caches_(baseStyle()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0) {}

namespace {
// The program's window keeps a few dozen sizes of boxes and groups, about 4 MB of pictures; a
// style that met more (a dialog resized by the user again and again) starts over rather than
// growing.
constexpr qint64 kMostBytes = qint64(8) << 20;
}  // namespace

size_t qHash(const FrameCachingStyle::Key& key, size_t seed) {
  return qHashMulti(seed, key.element, key.width, key.height, key.state, key.direction, key.palette,
                    key.lineWidth, key.midLineWidth, key.features, key.shape, key.fontHeight,
                    key.pixelRatio, key.owner);
}

std::optional<FrameCachingStyle::Key> FrameCachingStyle::CacheKey(PrimitiveElement element,
                                                                  const QStyleOption* option,
                                                                  const QWidget* widget,
                                                                  qreal pixelRatio) const {
  const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
  if (!caches_ || !frame || option->rect.isEmpty()) return std::nullopt;
  int owner = 0;
  if (element == PE_PanelLineEdit) {
    // A box inside a list or a spin box is drawn by its owner's rules.
    const QWidget* parent = widget ? widget->parentWidget() : nullptr;
    if (!qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QComboBox*>(parent) ||
        qobject_cast<const QAbstractSpinBox*>(parent)) {
      return std::nullopt;
    }
  } else if (element == PE_FrameGroupBox) {
    // The frame starts below the title, and a box without one has none to leave room for.
    const auto* group = qobject_cast<const QGroupBox*>(widget);
    if (!group) return std::nullopt;
    owner = (group->title().isEmpty() ? 1 : 0) | (group->isCheckable() ? 2 : 0);
  } else {
    return std::nullopt;
  }
  return Key{int(element),
             option->rect.width(),
             option->rect.height(),
             int(option->state),
             int(option->direction),
             option->palette.cacheKey(),
             frame->lineWidth,
             frame->midLineWidth,
             int(frame->features),
             int(frame->frameShape),
             option->fontMetrics.height(),
             qRound(pixelRatio * 1000),
             owner};
}

void FrameCachingStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                      QPainter* painter, const QWidget* widget) const {
  const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
  const std::optional<Key> key = CacheKey(element, option, widget, ratio);
  if (!key || !painter->transform().isIdentity()) {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    return;
  }
  auto found = pictures_.constFind(*key);
  if (found == pictures_.constEnd()) {
    QStyleOptionFrame moved = *qstyleoption_cast<const QStyleOptionFrame*>(option);
    moved.rect.moveTopLeft(QPoint(0, 0));
    QPixmap picture(moved.rect.size() * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter onPicture(&picture);
    QProxyStyle::drawPrimitive(element, &moved, &onPicture, widget);
    onPicture.end();
    const qint64 bytes = qint64(picture.width()) * picture.height() * 4;
    if (bytes_ + bytes > kMostBytes) {
      pictures_.clear();
      bytes_ = 0;
    }
    bytes_ += bytes;
    found = pictures_.insert(*key, picture);
  }
  painter->drawPixmap(option->rect.topLeft(), *found);
}

void InstallWindowStyle() { QApplication::setStyle(new FrameCachingStyle); }

}  // namespace tiramon::desktop
