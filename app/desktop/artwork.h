// Pictures drawn in code: the program's icon (window and tray), the two quote-availability
// marks of the status bar and the copy buttons' icon.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace tiramon::desktop {

QIcon ApplicationIcon();
// 16 x 16; 0: quotes available (a green tick), 1: unavailable (a red cross).
QPixmap IndicatorPicture(int index);
// The desktop theme's "edit-copy", or two overlapping pages of our own where the theme has none.
QIcon CopyIcon();

}  // namespace tiramon::desktop
