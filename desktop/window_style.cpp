#include "desktop/window_style.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QPaintEngine>
#include <QPainter>
#include <QStyleOption>
#include <algorithm>

namespace tiramon::desktop {

FrameCachingStyle::FrameCachingStyle(QStyle* base)
    : QProxyStyle(base),
      caches_(baseStyle()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0) {}

namespace {
// The program's window keeps a few dozen sizes of boxes and groups, about 4 MB of pictures; a
// style that met more (a dialog resized by the user again and again) starts over rather than
// growing.
constexpr qint64 kMostBytes = qint64(8) << 20;
// A few places per group box and state; more means fonts or titles that keep changing.
constexpr qsizetype kMostPlaces = 1024;
// The pane is drawn small once: its outline is the same at every size, and its middle is what
// the repaint of a figure needs.
constexpr int kPaneSample = 32;

bool OneColour(const QImage& image, const QRect& rect, QRgb colour) {
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    if (!std::all_of(row + rect.left(), row + rect.right() + 1,
                     [colour](QRgb pixel) { return pixel == colour; })) {
      return false;
    }
  }
  return true;
}

// The rectangle around the middle of `picture` that is the middle's colour throughout: as far as
// the row and the column through the middle reach, less the rounded corners; empty when there is
// none.
QRect PlainMiddle(const QImage& picture, QRgb& colour) {
  const QImage image = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const int cx = image.width() / 2;
  const int cy = image.height() / 2;
  colour = image.pixel(cx, cy);
  int left = cx, right = cx, top = cy, bottom = cy;
  while (left > 0 && image.pixel(left - 1, cy) == colour) --left;
  while (right + 1 < image.width() && image.pixel(right + 1, cy) == colour) ++right;
  while (top > 0 && image.pixel(cx, top - 1) == colour) --top;
  while (bottom + 1 < image.height() && image.pixel(cx, bottom + 1) == colour) ++bottom;
  QRect plain(QPoint(left, top), QPoint(right, bottom));
  for (int corner = 0; corner < 4 && !plain.isEmpty(); ++corner) {
    if (OneColour(image, plain, colour)) return plain;
    plain.adjust(1, 1, -1, -1);
  }
  return QRect();
}

// The repainted region in the painter's own pixels, when it can be compared with the widget's
// rectangles: no clip or transform of the painter's own, no scaling to the screen.
std::optional<QRegion> Repainted(QPainter* painter) {
  const QPaintEngine* engine = painter->paintEngine();
  const QPaintDevice* device = painter->device();
  if (!engine || !device || device->devicePixelRatioF() != 1.0 || painter->hasClipping() ||
      !painter->transform().isIdentity() || engine->systemClip().isEmpty()) {
    return std::nullopt;
  }
  return engine->systemClip();
}

// Whether less than the whole of `rect` is repainted: only then can the repaint lie inside a
// middle, and only then is a middle worth looking for.
bool RepaintsPartOf(QPainter* painter, const QRect& rect) {
  const std::optional<QRegion> repainted = Repainted(painter);
  return repainted && !repainted->boundingRect().contains(painter->deviceTransform().mapRect(rect));
}

bool RepaintsOnlyInside(QPainter* painter, const QRect& inside) {
  const std::optional<QRegion> repainted = Repainted(painter);
  return repainted && !inside.isEmpty() &&
         painter->deviceTransform().mapRect(inside).contains(repainted->boundingRect());
}

bool RepaintsAnyOf(QPainter* painter, const QRect& rect) {
  const std::optional<QRegion> repainted = Repainted(painter);
  return !repainted || repainted->intersects(painter->deviceTransform().mapRect(rect));
}

// The picture's own premultiplied pixel as the colour a fill blends exactly as the picture.
QColor FillOf(QRgb pixel) { return QColor::fromRgba(qUnpremultiply(pixel)); }
}  // namespace

size_t qHash(const FrameCachingStyle::Key& key, size_t seed) {
  return qHashMulti(seed, key.element, key.width, key.height, key.state, key.direction, key.palette,
                    key.lineWidth, key.midLineWidth, key.features, key.shape, key.fontHeight,
                    key.pixelRatio, key.owner);
}

size_t qHash(const FrameCachingStyle::GroupKey& key, size_t seed) {
  return qHashMulti(seed, key.part, key.state, key.direction, key.features, key.lineWidth,
                    key.midLineWidth, key.alignment, key.parts, key.fontHeight, key.palette,
                    key.rect.x(), key.rect.y(), key.rect.width(), key.rect.height(), key.title,
                    key.font);
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

void FrameCachingStyle::Keep(const Key& key, Picture picture) const {
  const qint64 bytes = qint64(picture.pixels.width()) * picture.pixels.height() * 4;
  if (bytes_ + bytes > kMostBytes) {
    pictures_.clear();
    bytes_ = 0;
  }
  bytes_ += bytes;
  pictures_.insert(key, std::move(picture));
}

const FrameCachingStyle::Picture& FrameCachingStyle::Draw(const Key& key, PrimitiveElement element,
                                                          const QStyleOption& option,
                                                          const QWidget* widget,
                                                          qreal ratio) const {
  auto found = pictures_.constFind(key);
  if (found != pictures_.constEnd()) return *found;
  Picture picture;
  picture.pixels = QPixmap(option.rect.size() * ratio);
  picture.pixels.setDevicePixelRatio(ratio);
  picture.pixels.fill(Qt::transparent);
  QPainter onPicture(&picture.pixels);
  QProxyStyle::drawPrimitive(element, &option, &onPicture, widget);
  onPicture.end();
  Keep(key, std::move(picture));
  return *pictures_.constFind(key);
}

const QRect& FrameCachingStyle::PlainOf(const Picture& picture) const {
  // Only pictures in the screen's own pixels are filled instead of copied.
  if (!picture.plain) {
    picture.plain = picture.pixels.devicePixelRatio() == 1.0
                        ? PlainMiddle(picture.pixels.toImage(), picture.colour)
                        : QRect();
  }
  return *picture.plain;
}

bool FrameCachingStyle::FilledPaneMiddle(const QStyleOption* option, QPainter* painter,
                                         const QWidget* widget) const {
  const auto* pane = qstyleoption_cast<const QStyleOptionTabWidgetFrame*>(option);
  if (!pane || option->rect.width() <= kPaneSample || option->rect.height() <= kPaneSample ||
      !RepaintsPartOf(painter, option->rect)) {
    return false;
  }
  QStyleOptionTabWidgetFrame small = *pane;
  small.rect = QRect(0, 0, kPaneSample, kPaneSample);
  const Key key{int(PE_FrameTabWidget),
                kPaneSample,
                kPaneSample,
                int(pane->state),
                int(pane->direction),
                pane->palette.cacheKey(),
                pane->lineWidth,
                pane->midLineWidth,
                0,
                int(pane->shape),
                0,
                1000,
                0};
  const Picture& sample = Draw(key, PE_FrameTabWidget, small, widget, 1.0);
  const QRect& plain = PlainOf(sample);
  const QRect middle =
      option->rect.adjusted(plain.left(), plain.top(), plain.right() - (kPaneSample - 1),
                            plain.bottom() - (kPaneSample - 1));
  if (plain.isEmpty() || !RepaintsOnlyInside(painter, middle)) return false;
  ++fills_;
  painter->fillRect(middle, FillOf(sample.colour));
  return true;
}

void FrameCachingStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                      QPainter* painter, const QWidget* widget) const {
  if (!caches_ || !painter->transform().isIdentity()) {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    return;
  }
  if (element == PE_FrameTabWidget) {
    if (!FilledPaneMiddle(option, painter, widget)) {
      QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
    return;
  }
  const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
  const std::optional<Key> key = CacheKey(element, option, widget, ratio);
  if (!key) {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    return;
  }
  QStyleOptionFrame moved = *qstyleoption_cast<const QStyleOptionFrame*>(option);
  moved.rect.moveTopLeft(QPoint(0, 0));
  const Picture& picture = Draw(*key, element, moved, widget, ratio);
  if (RepaintsPartOf(painter, option->rect) && !PlainOf(picture).isEmpty()) {
    const QRect middle = PlainOf(picture).translated(option->rect.topLeft());
    if (element == PE_FrameGroupBox) drawnFrame_ = Plain{middle, picture.colour};
    if (RepaintsOnlyInside(painter, middle)) {
      ++fills_;
      painter->fillRect(middle, FillOf(picture.colour));
      return;
    }
  }
  painter->drawPixmap(option->rect.topLeft(), picture.pixels);
}

std::optional<FrameCachingStyle::GroupKey> FrameCachingStyle::GroupKeyOf(
    int part, const QStyleOptionComplex* option, const QWidget* widget) const {
  const auto* group = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
  // The title is measured with the option's font; only a widget's own font, whose metrics these
  // are, can stand for it in the key.
  if (!caches_ || !group || !widget || !(option->fontMetrics == widget->fontMetrics())) {
    return std::nullopt;
  }
  return GroupKey{part,
                  int(group->state),
                  int(group->direction),
                  int(group->features),
                  group->lineWidth,
                  group->midLineWidth,
                  int(group->textAlignment),
                  int(group->subControls),
                  group->fontMetrics.height(),
                  group->palette.cacheKey(),
                  group->rect,
                  group->text,
                  widget->font()};
}

QRect FrameCachingStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                        SubControl part, const QWidget* widget) const {
  const std::optional<GroupKey> key =
      control == CC_GroupBox ? GroupKeyOf(int(part), option, widget) : std::nullopt;
  if (!key) return QProxyStyle::subControlRect(control, option, part, widget);
  auto found = places_.constFind(*key);
  if (found == places_.constEnd()) {
    if (places_.size() >= kMostPlaces) places_.clear();
    found = places_.insert(*key, QProxyStyle::subControlRect(control, option, part, widget));
  }
  return *found;
}

void FrameCachingStyle::drawComplexControl(ComplexControl control,
                                           const QStyleOptionComplex* option, QPainter* painter,
                                           const QWidget* widget) const {
  const std::optional<GroupKey> key =
      control == CC_GroupBox ? GroupKeyOf(-1, option, widget) : std::nullopt;
  if (!key) {
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    return;
  }
  const auto found = groups_.constFind(*key);
  if (found != groups_.constEnd() && RepaintsOnlyInside(painter, found->rect)) {
    ++fills_;
    painter->fillRect(found->rect, FillOf(found->colour));
    return;
  }
  // The focus frame reaches a little past the title, and so may the check box's.
  const QRect title =
      proxy()->subControlRect(control, option, SC_GroupBoxLabel, widget).adjusted(-4, -4, 4, 4);
  const QRect check = option->subControls & SC_GroupBoxCheckBox
                          ? proxy()
                                ->subControlRect(control, option, SC_GroupBoxCheckBox, widget)
                                .adjusted(-4, -4, 4, 4)
                          : QRect();
  QStyleOptionGroupBox drawn = *qstyleoption_cast<const QStyleOptionGroupBox*>(option);
  if (!RepaintsAnyOf(painter, title)) drawn.subControls &= ~SC_GroupBoxLabel;
  drawnFrame_.reset();
  QProxyStyle::drawComplexControl(control, &drawn, painter, widget);
  const std::optional<Plain> frame = drawnFrame_;
  drawnFrame_.reset();
  if (!frame) return;
  // The middle of the frame below the title and the check box, where nothing else of the group
  // is drawn, is kept for the next repaint that lies wholly inside it.
  Plain middle = *frame;
  for (const QRect& over : {title, check}) {
    if (middle.rect.intersects(over)) middle.rect.setTop(over.bottom() + 1);
  }
  if (middle.rect.isEmpty()) return;
  if (groups_.size() >= kMostPlaces) groups_.clear();
  groups_.insert(*key, middle);
}

void InstallWindowStyle() { QApplication::setStyle(new FrameCachingStyle); }

}  // namespace tiramon::desktop
