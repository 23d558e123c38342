#include "tests/gui/x11_window.h"

#include <X11/Xlib.h>

namespace tiramon::desktop::x11 {

bool SendCloseRequest(unsigned long window) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XFlush(display);
  XCloseDisplay(display);
  return true;
}

bool IsMapped(unsigned long window) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  XWindowAttributes attributes{};
  const bool known = XGetWindowAttributes(display, window, &attributes) != 0;
  XCloseDisplay(display);
  return known && attributes.map_state == IsViewable;
}

}  // namespace tiramon::desktop::x11
