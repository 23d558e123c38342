// Which way the tray icon reaches the panel. Qt hosts it through StatusNotifierItem on the
// session bus when a panel has registered with the session's watcher, and through the X
// notification area otherwise; the two report a user's activation differently.
#pragma once

namespace tiramon::desktop {

// True when a StatusNotifierItem host is registered with the watcher on the session bus, the
// same question Qt asks before it creates a tray icon.
bool StatusNotifierHostRegistered();

}  // namespace tiramon::desktop
