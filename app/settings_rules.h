// What the settings file may hold and what the program makes of it: the desktop reads and writes
// the file (Qt's INI format), and these rules, free of Qt, decide which values count and word
// what was wrong, so a bad file means the build's defaults and a note, never a failure.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/environment.h"

namespace tiramon {

// The settings file as the desktop found it: its text values by key ("quotes/source").
struct StoredSettings {
  enum class State { Missing, Unreadable, Malformed, Read };
  State state = State::Missing;
  std::map<std::string, std::string> values;
};

// Sets the quote source (the build's default unless the file names another), the addresses, and
// environment.settingsNote when anything in the file could not be used.
void ApplySettings(const StoredSettings& stored, Environment& environment);

// The section of the file that SettingsToStore writes whole: the desktop empties it first.
inline constexpr const char* kBrokerSection = "broker";

// The keys and values that keep the user's choices.
std::vector<std::pair<std::string, std::string>> SettingsToStore(const Environment& environment);

// A typed or stored value without the blanks around it.
std::string_view TrimmedValue(std::string_view text);

// Whether every line is one an INI file may hold: blank, a comment, a [section] or key=value.
bool WellFormedSettings(std::string_view text);

// An address the program can fetch: http, or https too where the download goes through libcurl.
bool IsFetchableUrl(std::string_view url, bool httpsAllowed);

enum class SaveFault { None, NoFolder, NoAccess, Damaged };
// Empty for None; otherwise what the user reads in the status bar.
std::string SaveFaultText(SaveFault fault, std::string_view path);

}  // namespace tiramon
