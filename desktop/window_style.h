// The application's style: the platform's default, with the frames a repaint draws again and
// again (an edit box's panel, a group box's frame, the tab pane) kept as finished pictures or
// plain colours.
#pragma once

#include <QFont>
#include <QHash>
#include <QPixmap>
#include <QProxyStyle>
#include <QRgb>
#include <optional>

namespace tiramon::desktop {

// Every keystroke repaints the box typed into and, behind the figures it changes, the group boxes
// and the tab pane. The base style strokes the box's rounded outline, looks its group-box picture
// up in the resources, measures each group's title three times over and draws it again, and
// strokes the pane's outline, at every paint; together that cost more than the figures themselves.
//
// So: a box's panel and a group's frame are drawn once per size, state and palette and copied
// after; the places of a group's title and frame are kept per title, font and size; a title
// outside the repainted region is not drawn; and a repaint that lies wholly inside the one-colour
// middle of a frame, a group or the pane is filled with that colour. Only the style whose drawing
// of these elements depends on nothing else is treated so (Fusion); any other is drawn as it is.
class FrameCachingStyle : public QProxyStyle {
 public:
  // Over `base`, or the platform's default style when it is null; the style owns it.
  explicit FrameCachingStyle(QStyle* base = nullptr);
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                          QPainter* painter, const QWidget* widget = nullptr) const override;
  QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
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

  // Everything the base style's drawing of a group box depends on.
  struct GroupKey {
    int part, state, direction, features, lineWidth, midLineWidth, alignment, parts, fontHeight;
    qint64 palette;
    QRect rect;
    QString title;
    QFont font;
    bool operator==(const GroupKey&) const = default;
  };

  // How many pictures (and samples of the pane) are kept.
  qsizetype Pictures() const { return pictures_.size(); }
  // How many places of group boxes' parts are kept.
  qsizetype Places() const { return places_.size(); }
  // How many repaints were filled with the plain middle of what they lie in.
  qsizetype Fills() const { return fills_; }

 private:
  // A finished picture, and the rectangle of it that is `colour` throughout (its own pixels),
  // looked for the first time a repaint could lie inside it.
  struct Picture {
    QPixmap pixels;
    mutable std::optional<QRect> plain;
    mutable QRgb colour = 0;
  };
  // The one-colour middle of a group box as last drawn, in its own coordinates.
  struct Plain {
    QRect rect;
    QRgb colour = 0;
  };
  const Picture& Draw(const Key& key, PrimitiveElement element, const QStyleOption& option,
                      const QWidget* widget, qreal ratio) const;
  std::optional<GroupKey> GroupKeyOf(int part, const QStyleOptionComplex* option,
                                     const QWidget* widget) const;
  void Keep(const Key& key, Picture picture) const;
  const QRect& PlainOf(const Picture& picture) const;
  // Fills a repaint inside the tab pane's middle; false when it does not lie inside it.
  bool FilledPaneMiddle(const QStyleOption* option, QPainter* painter, const QWidget* widget) const;

  bool caches_;
  mutable QHash<Key, Picture> pictures_;
  mutable QHash<GroupKey, QRect> places_;
  mutable QHash<GroupKey, Plain> groups_;
  mutable qint64 bytes_ = 0;
  mutable qsizetype fills_ = 0;
  // Where the frame of the group box being drawn went, in the painter's coordinates.
  mutable std::optional<Plain> drawnFrame_;
};

size_t qHash(const FrameCachingStyle::Key& key, size_t seed = 0);
size_t qHash(const FrameCachingStyle::GroupKey& key, size_t seed = 0);

// Makes FrameCachingStyle the application's style; the program and its window tests call it
// before the first window.
void InstallWindowStyle();

}  // namespace tiramon::desktop
