// The application's style: the platform's default, with the frames a repaint draws again and
// again (an edit box's panel, a group box's frame) kept as finished pictures.
#pragma once

#include <QHash>
#include <QPixmap>
#include <QProxyStyle>
#include <optional>

namespace tiramon::desktop {

// Every keystroke repaints the box typed into and the group boxes behind the figures it changes;
// the base style strokes the box's rounded outline and looks its group-box picture up in the
// resources each time, which together cost more than the figures themselves. Drawn once per size,
// state and palette, the same pixels are copied instead. Only the styles whose drawing of these
// elements depends on nothing else are cached (Fusion); any other is drawn as it is.
class FrameCachingStyle : public QProxyStyle {
 public:
  // Over `base`, or the platform's default style when it is null; the style owns it.
  explicit FrameCachingStyle(QStyle* base = nullptr);
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;

  // Everything the base style's picture of a frame depends on.
  struct Key {
    int element, width, height, state, direction;
    qint64 palette;
    int lineWidth, midLineWidth, features, shape, fontHeight, pixelRatio, owner;
    bool operator==(const Key&) const = default;
  };
  // What a picture of `element` is kept under; none when it is drawn every time.
  std::optional<Key> CacheKey(PrimitiveElement element, const QStyleOption* option,
                              const QWidget* widget, qreal pixelRatio) const;

  // How many pictures are kept.
  qsizetype Pictures() const { return pictures_.size(); }

 private:
  bool caches_;
  mutable QHash<Key, QPixmap> pictures_;
  mutable qint64 bytes_ = 0;
};

size_t qHash(const FrameCachingStyle::Key& key, size_t seed = 0);

// Makes FrameCachingStyle the application's style; the program and its window tests call it
// before the first window.
void InstallWindowStyle();

}  // namespace tiramon::desktop
