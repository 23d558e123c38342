// The settings file, $XDG_CONFIG_HOME/tiramon/tiramon.conf (Qt's INI format): the quote source,
// the quote page's addresses and the trader's broker. It is written only when the user changes
// them. A file that cannot be read or holds what the program cannot use leaves the build's defaults
// in force, with a note the status bar shows; it never stops the program.
#pragma once

#include <QString>
#include <string>

#include "app/environment.h"

namespace tiramon::desktop {

// $XDG_CONFIG_HOME/tiramon/tiramon.conf, or ~/.config/tiramon/tiramon.conf.
QString SettingsPath();

// Fills the quote source (else the build's default), the page addresses, the official rates'
// addresses and the broker's conditions from the file at `path`, and environment.settingsNote
// when something was wrong.
void LoadSettings(const QString& path, Environment& environment);

// Stores the source, the page addresses and the broker's conditions (none when they are the
// defaults); the error in the user's words, empty on success.
std::string SaveSettings(const QString& path, const Environment& environment);

}  // namespace tiramon::desktop
