// Pictures drawn in code: the program's icon (window and tray), the two quote-availability
// marks of the status bar and the copy buttons' icon.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace tiramon::desktop {

QIcon ApplicationIcon();
// 16 x 16; 0: quotes available (a green tick), 1: unavailable (a red cross).
QPixmap IndicatorPicture(int index);
// Two overlapping pages of our own: the copy icon where the desktop theme has none.
QIcon DrawnCopyIcon();
// The desktop theme's "edit-copy", or `fallback` where the theme has none. The first lookup
// reads the theme's index (some 5 ms).
QIcon CopyIcon(const QIcon& fallback);

}  // namespace tiramon::desktop
