// The settings file, $XDG_CONFIG_HOME/tiramon/tiramon.conf (Qt's INI format): the quote source,
// the quote page's addresses and the trader's broker. It is written only when the user changes
// them, and then only the keys whose meaning changed. A file that cannot be read or holds what the
// program cannot use leaves the build's defaults in force, with a note the status bar shows; it
// never stops the program. A damaged file is set aside under another name before a save writes a
// new one, so nothing of the user's is lost.
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

// Stores what of the source, the page addresses and the broker's conditions differs from what the
// file holds (no conditions when they are the defaults). Returns the status bar's note: why it
// was not saved, or where a damaged file was set aside; empty when saved with nothing to say.
std::string SaveSettings(const QString& path, const Environment& environment);

}  // namespace tiramon::desktop
