// Properties of the settings rules on any settings file: every key the program reads, and one it
// does not, with any bytes as its value, in each state the desktop may find the file in. Reading
// never fails and takes a value exactly when its rule accepts it, with a note whenever it does not;
// what a save writes reads back as the same choices; and a save's change, put into the file,
// gives the choices it was made for, and is empty when they are already what the file says.
//
// The input: the first byte gives the file's state; then lines "key=value" (the file), and after a
// NUL byte, more lines: the file the wanted choices are read from.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/broker_conditions.h"
#include "app/build_config.h"
#include "app/instrument_rules.h"
#include "app/prop_limits.h"
#include "app/settings_rules.h"
#include "fuzz/property.h"
#include "support/errors.h"
#include "support/typed_number.h"

namespace tiramon::fuzz {
namespace settings_checks {

struct UrlKey {
  const char* key;
  std::string Environment::*field;
  bool httpsAllowed;
};
inline const UrlKey kUrlKeys[] = {
    {"quotes/statusUrl", &Environment::statusUrl, true},
    {"quotes/pageUrl", &Environment::quotesUrl, false},
    {"quotes/ecbUrl", &Environment::ecbUrl, true},
    {"quotes/cbrUrl", &Environment::cbrUrl, true},
    {"quotes/metalsUrl", &Environment::metalsUrl, true},
};

inline QuoteSource DefaultSource() {
  return std::string_view(build::kQuoteSource) == "official" ? QuoteSource::OfficialRates
                                                             : QuoteSource::Page;
}

// "key=value" lines into values; a line without "=" is a key with an empty value.
inline std::map<std::string, std::string> Lines(std::string_view text) {
  std::map<std::string, std::string> values;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const std::size_t equals = line.find('=');
    values[std::string(line.substr(0, equals))] =
        equals == std::string_view::npos ? std::string() : std::string(line.substr(equals + 1));
  }
  return values;
}

inline std::optional<std::string> Value(const StoredSettings& stored, const char* key) {
  const auto found = stored.values.find(key);
  if (found == stored.values.end()) return std::nullopt;
  return found->second;
}

// What the rules must have made of the file, worked out key by key from the rules' parts.
inline void CheckApplied(const StoredSettings& stored, const Environment& environment) {
  using State = StoredSettings::State;
  if (stored.state != State::Read) {
    const char* note = stored.state == State::Missing ? ""
                       : stored.state == State::Malformed ? "Файл настроек повреждён, взяты "
                                                            "исходные настройки"
                                                          : "Файл настроек не читается, взяты "
                                                            "исходные настройки";
    TIRAMON_FUZZ_REQUIRE(environment.settingsNote == note,
                         "note of an unread file: " + environment.settingsNote);
    TIRAMON_FUZZ_REQUIRE(environment.quoteSource == DefaultSource() &&
                             environment.broker == BrokerConditions{} &&
                             environment.prop == PropLimits{} && environment.instruments.empty() &&
                             environment.quotesUrl.empty() && environment.statusUrl.empty(),
                         "an unread file changed a setting");
    return;
  }
  bool wrong = false;
  QuoteSource source = DefaultSource();
  if (const auto text = Value(stored, "quotes/source")) {
    const std::string_view name = TrimSpaces(*text);
    if (name == "official") {
      source = QuoteSource::OfficialRates;
    } else if (name == "page") {
      source = QuoteSource::Page;
    } else {
      wrong = true;
    }
  }
  TIRAMON_FUZZ_REQUIRE(environment.quoteSource == source,
                       "source from " + Shown(Value(stored, "quotes/source").value_or("")));
  for (const UrlKey& url : kUrlKeys) {
    std::string expected;
    if (const auto text = Value(stored, url.key)) {
      const std::string_view trimmed = TrimSpaces(*text);
      if (IsFetchableUrl(trimmed, url.httpsAllowed)) {
        expected = std::string(trimmed);
      } else {
        wrong = true;
      }
    }
    TIRAMON_FUZZ_REQUIRE(environment.*url.field == expected,
                         std::string(url.key) + " taken as " + Shown(environment.*url.field));
  }
  // An address taken never holds what a request line cannot carry.
  for (const UrlKey& url : kUrlKeys) {
    for (const char c : environment.*url.field) {
      TIRAMON_FUZZ_REQUIRE(static_cast<unsigned char>(c) > ' ' && c != '\x7f',
                           std::string(url.key) + " holds a blank or a control byte");
    }
  }
  // The broker's conditions hold together or not at all.
  BrokerTexts texts;
  for (const auto& [key, text] :
       {std::pair{"broker/accountCurrency", &BrokerTexts::accountCurrency},
        std::pair{"broker/commissionPerLot", &BrokerTexts::commissionPerLot},
        std::pair{"broker/lotStep", &BrokerTexts::lotStep},
        std::pair{"broker/minLot", &BrokerTexts::minLot},
        std::pair{"broker/maxLot", &BrokerTexts::maxLot},
        std::pair{"broker/stopOutLevel", &BrokerTexts::stopOutLevel}}) {
    texts.*text = Value(stored, key).value_or("");
  }
  BrokerConditions broker;
  try {
    broker = ParseBrokerConditions(texts);
  } catch (const UserError&) {
    wrong = true;
  }
  TIRAMON_FUZZ_REQUIRE(environment.broker == broker, "the broker's conditions taken otherwise");
  // So do the prop firm's limits.
  PropTexts prop;
  for (const auto& [key, text] : {std::pair{"prop/startBalance", &PropTexts::startBalance},
                                  std::pair{"prop/dayStartBalance", &PropTexts::dayStartBalance},
                                  std::pair{"prop/highestBalance", &PropTexts::highestBalance},
                                  std::pair{"prop/dailyLossPercent", &PropTexts::dailyLossPercent},
                                  std::pair{"prop/maxLossPercent", &PropTexts::maxLossPercent},
                                  std::pair{"prop/trailing", &PropTexts::trailing}}) {
    prop.*text = Value(stored, key).value_or("");
  }
  PropLimits limits;
  try {
    limits = ParsePropLimits(prop);
  } catch (const UserError&) {
    wrong = true;
  }
  TIRAMON_FUZZ_REQUIRE(environment.prop == limits, "the prop firm's limits taken otherwise");
  // The instruments, each on its own: taken when the instrument rules read it and its symbol is
  // not taken yet.
  std::vector<Instrument> instruments;
  const std::string prefix = std::string(kInstrumentsSection) + "/";
  // In the order of their numbers: "instruments/10" after "instruments/9".
  std::vector<std::pair<std::string, std::string>> lines;
  for (const auto& [key, value] : stored.values) {
    if (key.rfind(prefix, 0) == 0) lines.emplace_back(key.substr(prefix.size()), value);
  }
  std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) {
    return std::pair(a.first.size(), a.first) < std::pair(b.first.size(), b.first);
  });
  for (const auto& [number, value] : lines) {
    try {
      const Instrument instrument = ReadStoredInstrument(value);
      bool twice = false;
      for (const Instrument& known : instruments)
        twice = twice || known.symbol == instrument.symbol;
      if (twice) {
        wrong = true;
      } else {
        instruments.push_back(instrument);
      }
    } catch (const UserError&) {
      wrong = true;
    }
  }
  TIRAMON_FUZZ_REQUIRE(environment.instruments == instruments, "the instruments taken otherwise");
  TIRAMON_FUZZ_REQUIRE(wrong == !environment.settingsNote.empty(),
                       "note " + Shown(environment.settingsNote) + " for a file with" +
                           (wrong ? "" : "out") + " a value the program cannot use");
  if (wrong) {
    TIRAMON_FUZZ_REQUIRE(environment.settingsNote.rfind("В файле настроек неверно: ", 0) == 0,
                         "note " + Shown(environment.settingsNote));
  }
}

inline Environment Applied(const StoredSettings& stored) {
  Environment environment;
  ApplySettings(stored, environment);
  return environment;
}

inline bool SameChoices(const Environment& a, const Environment& b) {
  return a.quoteSource == b.quoteSource && a.statusUrl == b.statusUrl &&
         a.quotesUrl == b.quotesUrl && a.broker == b.broker && a.prop == b.prop &&
         a.instruments == b.instruments;
}

inline void CheckSettings(const std::uint8_t* data, std::size_t size) {
  using State = StoredSettings::State;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (input.empty()) return;
  constexpr State kStates[] = {State::Missing, State::Unreadable, State::Malformed, State::Read};
  const std::string_view body = input.substr(1);
  const std::size_t split = body.find('\0');
  const std::string_view file = body.substr(0, split);
  const std::string_view other = split == std::string_view::npos ? "" : body.substr(split + 1);

  // The line rules on the raw bytes: any text is judged, and a trimmed value keeps no blank at
  // either end.
  WellFormedSettings(file);
  const std::string_view trimmed = TrimSpaces(file);
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  TIRAMON_FUZZ_REQUIRE(trimmed.empty() || (!blank(trimmed.front()) && !blank(trimmed.back())),
                       "trimmed " + Shown(trimmed));
  TIRAMON_FUZZ_REQUIRE(trimmed.empty() || file.find(trimmed) != std::string_view::npos,
                       "trimmed into what the text does not hold");

  StoredSettings stored{kStates[static_cast<unsigned char>(input[0]) % 4], Lines(file)};
  const Environment read = Applied(stored);
  CheckApplied(stored, read);

  // What a save writes reads back as the same choices, with nothing to say.
  StoredSettings saved{State::Read, {}};
  for (const auto& [key, value] : SettingsToStore(read)) saved.values[key] = value;
  const Environment reread = Applied(saved);
  TIRAMON_FUZZ_REQUIRE(SameChoices(read, reread) && reread.settingsNote.empty(),
                       "saved choices read back otherwise: " + reread.settingsNote);

  // A save acts on a file it could read, or on none (a damaged one is set aside first).
  if (stored.state != State::Read) stored = StoredSettings{};
  const Environment wanted = Applied(StoredSettings{State::Read, Lines(other)});
  const SettingsChange change = SettingsChangeFor(stored, wanted);
  if (SameChoices(Applied(stored), wanted)) {
    TIRAMON_FUZZ_REQUIRE(change.empty(), "a change of what the file already says");
  }
  StoredSettings changed{State::Read, stored.values};
  for (const std::string& section : change.emptiedSections) {
    for (auto at = changed.values.begin(); at != changed.values.end();) {
      at = at->first.rfind(section + "/", 0) == 0 ? changed.values.erase(at) : std::next(at);
    }
  }
  for (const auto& [key, value] : change.values) changed.values[key] = value;
  const Environment result = Applied(changed);
  TIRAMON_FUZZ_REQUIRE(result.quoteSource == wanted.quoteSource && result.broker == wanted.broker,
                       "the saved file gives another source or broker");
  TIRAMON_FUZZ_REQUIRE(result.prop == wanted.prop, "the saved file gives other prop limits");
  TIRAMON_FUZZ_REQUIRE(result.instruments == wanted.instruments,
                       "the saved file gives other instruments");
  for (const UrlKey& url : {kUrlKeys[0], kUrlKeys[1]}) {
    if (!(wanted.*url.field).empty()) {
      TIRAMON_FUZZ_REQUIRE(result.*url.field == wanted.*url.field,
                           std::string(url.key) + " not saved");
    }
  }
}

}  // namespace settings_checks

using settings_checks::CheckSettings;

}  // namespace tiramon::fuzz
