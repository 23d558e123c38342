// Where the window goes on a screen: its full size where the screen's free area holds it, frame
// included, otherwise as much as fits (its content then scrolls); and always on that area.
#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace tiramon::desktop {

struct WindowPlace {
  QSize client;  // the window's own area, inside the frame
  QPoint frame;  // where the frame's top-left corner goes
  friend bool operator==(const WindowPlace&, const WindowPlace&) = default;
};

// The smallest window the fitting makes, however small the screen: below it nothing is usable.
inline constexpr QSize kSmallestWindow(320, 240);

// The place of a window of `full` client size, asked for at `wanted` (its frame's top-left), with
// a frame of `margins`, on a screen whose free area is `available`: the full size when it fits,
// else bounded by the area; at `wanted` when the whole frame stays within the area, else moved in
// along each axis just far enough (to the area's left or top edge when even that is too little).
WindowPlace FitWindow(QSize full, QPoint wanted, QMargins margins, QRect available);

}  // namespace tiramon::desktop
