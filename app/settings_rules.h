// What the settings file may hold and what the program makes of it: the desktop reads and writes
// the file (Qt's INI format), and these rules, free of Qt, decide which values count and word
// what was wrong, so a bad file means the build's defaults and a note, never a failure.
#pragma once

#include <chrono>
#include <filesystem>
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

// The section of the file that a save writes whole: the broker's conditions make sense only
// together, so a change of any of them empties the section first.
inline constexpr const char* kBrokerSection = "broker";
// The prop firm's limits, written whole for the same reason: a percentage means nothing without
// the balance it is counted from.
inline constexpr const char* kPropSection = "prop";
// The trader's instruments, numbered from 1 ("instruments/1=US500;;USD;1;0.01;5").
inline constexpr const char* kInstrumentsSection = "instruments";

// The keys and values that keep the user's choices.
std::vector<std::pair<std::string, std::string>> SettingsToStore(const Environment& environment);

// What a save does to the file: the sections it empties first, then the values it sets.
struct SettingsChange {
  std::vector<std::string> emptiedSections;
  std::vector<std::pair<std::string, std::string>> values;
  bool empty() const { return emptiedSections.empty() && values.empty(); }
};

// The change that makes the file (`stored`, as read now: Missing or Read) keep what `wanted`
// holds: only the keys whose meaning differs from what the file says now. Every other key, one
// the program could not use included, stays as the file has it.
SettingsChange SettingsChangeFor(const StoredSettings& stored, const Environment& wanted);

// Moves a damaged settings file out of the way, before a save writes a new one:
// "<file>.damaged-YYYYMMDD-HHMMSS" at the local time `now`, with "-2", "-3" ... after it when that
// name is taken, so no earlier copy is ever replaced. Returns the new name; throws InOutError.
std::filesystem::path KeepDamagedSettingsAside(const std::filesystem::path& file,
                                               std::chrono::system_clock::time_point now);

// Whether every line is one an INI file may hold: blank, a comment, a [section] or key=value.
bool WellFormedSettings(std::string_view text);

// An address the program can fetch: http, or https too where the download goes through libcurl.
bool IsFetchableUrl(std::string_view url, bool httpsAllowed);

enum class SaveFault { None, NoFolder, NoAccess, Damaged };
// What the status bar says of a save: empty for None; otherwise why the settings were not saved.
std::string SaveFaultText(SaveFault fault, std::string_view path);
// What the status bar says of a save that first moved the damaged file to `keptAs`.
std::string KeptAsideText(std::string_view keptAs);
// ... and of one that could not, so that nothing was written.
std::string NotKeptAsideText(std::string_view path, std::string_view why);

}  // namespace tiramon
