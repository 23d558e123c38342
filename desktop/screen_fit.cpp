#include "desktop/screen_fit.h"

#include <algorithm>

namespace tiramon::desktop {
namespace {

// Where a span of `length` starting at `wanted` goes within [low, low + room).
int Within(int wanted, int length, int low, int room) {
  return std::max(low, std::min(wanted, low + room - length));
}

}  // namespace

WindowPlace FitWindow(QSize full, QPoint wanted, QMargins margins, QRect available) {
  const QSize frameExtra(margins.left() + margins.right(), margins.top() + margins.bottom());
  const QSize room = (available.size() - frameExtra).expandedTo(kSmallestWindow);
  const QSize client = full.boundedTo(room);
  const QSize frame = client + frameExtra;
  return {client, QPoint(Within(wanted.x(), frame.width(), available.left(), available.width()),
                         Within(wanted.y(), frame.height(), available.top(), available.height()))};
}

}  // namespace tiramon::desktop
