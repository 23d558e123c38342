// Pictures drawn in code: the program's icon (window and tray) and the two quote-availability
// marks of the status bar.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace tiramon::desktop {

QIcon ApplicationIcon();
// 16 x 16; 0: quotes available (a green tick), 1: unavailable (a red cross).
QPixmap IndicatorPicture(int index);

}  // namespace tiramon::desktop
