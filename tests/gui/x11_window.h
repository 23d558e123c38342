// Plain X11 calls for the real-desktop tests, kept apart because Xlib's macros clash with Qt.
#pragma once

namespace tiramon::desktop::x11 {

// Sends the close request a window manager sends (WM_DELETE_WINDOW); false without a display.
bool SendCloseRequest(unsigned long window);
// Whether the window is mapped and viewable.
bool IsMapped(unsigned long window);

}  // namespace tiramon::desktop::x11
