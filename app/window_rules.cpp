#include "app/window_rules.h"

namespace tiramon {

// Without a notification area a hidden window could never be reached again, so a close request
// ends the program and a minimised window keeps its taskbar entry.
WindowAnswer AnswerCloseRequest(bool trayAvailable) {
  return trayAvailable ? WindowAnswer::HideToTray : WindowAnswer::EndProgram;
}

WindowAnswer AnswerMinimise(bool trayAvailable) {
  return trayAvailable ? WindowAnswer::HideToTray : WindowAnswer::StayMinimised;
}

}  // namespace tiramon
