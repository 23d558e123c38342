// The life of the window: creation, close requests that hide it into the tray, the tray's
// show/hide toggle and the one way out, "Выход".
#include "app/unit1.h"

namespace tiramon {
namespace {
void Call(const std::function<void()>& f) {
  if (f) f();
}
}  // namespace

void TForm1::FormCreate() { FirstShow = true; }

void TForm1::FormCloseQuery(bool& canClose) {
  // Closing never ends the program: it keeps running in the tray until "Выход".
  canClose = false;
  Call(environment.hideMainWindow);
}

void TForm1::N6Click() {
  const bool visible = environment.isMainWindowVisible && environment.isMainWindowVisible();
  Call(visible ? environment.hideMainWindow : environment.showMainWindow);
}

void TForm1::N3Click() { Call(environment.quitApplication); }

}  // namespace tiramon
