// What closing and minimising the window do. Whether a notification area exists is asked at the
// moment of the request, never once at start: a panel may come and go while the program runs.
#pragma once

namespace tiramon {

enum class WindowAnswer {
  HideToTray,     // the window goes to the tray icon and the program keeps running
  EndProgram,     // nothing could bring a hidden window back: the program ends, code 0
  StayMinimised,  // the window stays minimised on the taskbar
};

WindowAnswer AnswerCloseRequest(bool trayAvailable);
WindowAnswer AnswerMinimise(bool trayAvailable);

}  // namespace tiramon
