#include "app/settings_rules.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "app/broker_conditions.h"
#include "app/build_config.h"
#include "app/instrument_rules.h"
#include "app/prop_limits.h"
#include "app/unit1.h"
#include "support/errors.h"
#include "support/files.h"
#include "support/typed_number.h"

namespace tiramon {
namespace {

constexpr const char* kSourceKey = "quotes/source";

struct UrlSetting {
  const char* key;
  std::string Environment::*field;
  bool httpsAllowed;
  const char* what;  // as the note names it
};
constexpr UrlSetting kUrls[] = {
    {"quotes/statusUrl", &Environment::statusUrl, true, "адрес файла статуса"},
    {"quotes/pageUrl", &Environment::quotesUrl, false, "адрес страницы"},
    {"quotes/ecbUrl", &Environment::ecbUrl, true, "адрес ЕЦБ"},
    {"quotes/cbrUrl", &Environment::cbrUrl, true, "адрес ЦБ РФ"},
    {"quotes/metalsUrl", &Environment::metalsUrl, true, "адрес цен металлов ЦБ РФ"},
};

// The broker's keys, each with its text in BrokerTexts.
struct BrokerKey {
  const char* key;
  std::string BrokerTexts::*text;
};
constexpr BrokerKey kBrokerKeys[] = {
    {"broker/accountCurrency", &BrokerTexts::accountCurrency},
    {"broker/commissionPerLot", &BrokerTexts::commissionPerLot},
    {"broker/lotStep", &BrokerTexts::lotStep},
    {"broker/minLot", &BrokerTexts::minLot},
    {"broker/maxLot", &BrokerTexts::maxLot},
    {"broker/stopOutLevel", &BrokerTexts::stopOutLevel},
};

// The prop firm's keys, each with its text in PropTexts.
struct PropKey {
  const char* key;
  std::string PropTexts::*text;
};
constexpr PropKey kPropKeys[] = {
    {"prop/startBalance", &PropTexts::startBalance},
    {"prop/dayStartBalance", &PropTexts::dayStartBalance},
    {"prop/highestBalance", &PropTexts::highestBalance},
    {"prop/dailyLossPercent", &PropTexts::dailyLossPercent},
    {"prop/maxLossPercent", &PropTexts::maxLossPercent},
    {"prop/trailing", &PropTexts::trailing},
};

}  // namespace

void ApplySettings(const StoredSettings& stored, Environment& environment) {
  environment.quoteSource = std::string_view(build::kQuoteSource) == "official"
                                ? QuoteSource::OfficialRates
                                : QuoteSource::Page;
  switch (stored.state) {
    case StoredSettings::State::Missing:
      return;  // a fresh install: the defaults, nothing to say
    case StoredSettings::State::Unreadable:
      environment.settingsNote = "Файл настроек не читается, взяты исходные настройки";
      return;
    case StoredSettings::State::Malformed:
      environment.settingsNote = "Файл настроек повреждён, взяты исходные настройки";
      return;
    case StoredSettings::State::Read:
      break;
  }
  std::string wrong;
  const auto complain = [&wrong](const char* what) {
    wrong += (wrong.empty() ? "" : ", ") + std::string(what);
  };
  if (const auto source = stored.values.find(kSourceKey); source != stored.values.end()) {
    const std::string_view name = TrimSpaces(source->second);
    if (name == "official") {
      environment.quoteSource = QuoteSource::OfficialRates;
    } else if (name == "page") {
      environment.quoteSource = QuoteSource::Page;
    } else {
      complain("источник");
    }
  }
  for (const UrlSetting& url : kUrls) {
    const auto value = stored.values.find(url.key);
    if (value == stored.values.end()) continue;
    const std::string_view text = TrimSpaces(value->second);
    if (IsFetchableUrl(text, url.httpsAllowed)) {
      environment.*url.field = std::string(text);
    } else {
      complain(url.what);
    }
  }
  // The broker's conditions, checked as the dialog checks them. A value the program cannot use
  // leaves all of them at their defaults, since they only make sense together (a minimum lot
  // beside its maximum); the note says which.
  BrokerTexts texts;
  for (const BrokerKey& key : kBrokerKeys) {
    if (const auto value = stored.values.find(key.key); value != stored.values.end()) {
      texts.*key.text = value->second;
    }
  }
  try {
    environment.broker = ParseBrokerConditions(texts);
  } catch (const UserError& error) {
    environment.broker = BrokerConditions{};
    const std::string what = "условия брокера (" + std::string(error.what()) + ")";
    complain(what.c_str());
  }
  // The prop firm's limits, checked as the book's tab checks them, all or none.
  PropTexts prop;
  for (const PropKey& key : kPropKeys) {
    if (const auto value = stored.values.find(key.key); value != stored.values.end()) {
      prop.*key.text = value->second;
    }
  }
  try {
    environment.prop = ParsePropLimits(prop);
  } catch (const UserError& error) {
    environment.prop = PropLimits{};
    const std::string what = "лимиты проп-фирмы (" + std::string(error.what()) + ")";
    complain(what.c_str());
  }
  // The trader's instruments, each on its own: one that cannot be used, or a second of the
  // same symbol, is left out with a note, and the others stand.
  // In the order of their numbers, not of their keys' letters (10 after 9, not after 1).
  const std::string instrumentsPrefix = std::string(kInstrumentsSection) + "/";
  std::vector<std::map<std::string, std::string>::const_iterator> lines;
  for (auto it = stored.values.lower_bound(instrumentsPrefix);
       it != stored.values.end() && it->first.rfind(instrumentsPrefix, 0) == 0; ++it) {
    lines.push_back(it);
  }
  const auto number = [&](const auto& line) {
    const std::string_view tail = std::string_view(line->first).substr(instrumentsPrefix.size());
    return std::pair(tail.size(), tail);
  };
  std::stable_sort(lines.begin(), lines.end(),
                   [&](const auto& a, const auto& b) { return number(a) < number(b); });
  for (const auto& it : lines) {
    try {
      const Instrument instrument = ReadStoredInstrument(it->second);
      const bool twice =
          std::any_of(environment.instruments.begin(), environment.instruments.end(),
                      [&](const Instrument& known) { return known.symbol == instrument.symbol; });
      if (twice) throw UserError(instrument.symbol + " — второй раз");
      environment.instruments.push_back(instrument);
    } catch (const UserError& error) {
      const std::string what = "инструмент " + it->first.substr(instrumentsPrefix.size()) + " (" +
                               std::string(error.what()) + ")";
      complain(what.c_str());
    }
  }
  if (!wrong.empty()) {
    environment.settingsNote = "В файле настроек неверно: " + wrong + "; взяты исходные";
  }
}

std::vector<std::pair<std::string, std::string>> SettingsToStore(const Environment& environment) {
  std::vector<std::pair<std::string, std::string>> values = {
      {kSourceKey, environment.quoteSource == QuoteSource::OfficialRates ? "official" : "page"}};
  // Only what the user can change in the program; the banks' addresses stay as the file had them.
  for (const UrlSetting& url : {kUrls[0], kUrls[1]}) {
    if (!(environment.*url.field).empty()) values.emplace_back(url.key, environment.*url.field);
  }
  for (std::size_t i = 0; i < environment.instruments.size(); ++i) {
    values.emplace_back(std::string(kInstrumentsSection) + "/" + std::to_string(i + 1),
                        StoredInstrument(environment.instruments[i]));
  }
  // Conditions left at their defaults are not written: a file without them means the same.
  if (environment.broker != BrokerConditions{}) {
    const BrokerTexts texts = ToTexts(environment.broker);
    for (const BrokerKey& key : kBrokerKeys) {
      if (!(texts.*key.text).empty()) values.emplace_back(key.key, texts.*key.text);
    }
  }
  const PropTexts prop = ToTexts(environment.prop);
  for (const PropKey& key : kPropKeys) {
    if (!(prop.*key.text).empty()) values.emplace_back(key.key, prop.*key.text);
  }
  return values;
}

SettingsChange SettingsChangeFor(const StoredSettings& stored, const Environment& wanted) {
  // What the file means now, in the form a save writes.
  Environment now;
  ApplySettings(stored, now);
  std::map<std::string, std::string> current;
  for (auto& [key, value] : SettingsToStore(now)) current[key] = std::move(value);

  // A section written whole: its values make sense only together (the broker's conditions, the
  // prop firm's limits) or are numbered in order (the instruments), so a change of any empties
  // it first.
  const auto sectionOf = [](const std::string& key) -> const char* {
    for (const char* section : {kBrokerSection, kInstrumentsSection, kPropSection}) {
      if (key.rfind(std::string(section) + "/", 0) == 0) return section;
    }
    return nullptr;
  };
  SettingsChange change;
  std::map<std::string, std::map<std::string, std::string>> wantedSections, currentSections;
  for (auto& [key, value] : SettingsToStore(wanted)) {
    if (const char* section = sectionOf(key)) {
      wantedSections[section][key] = value;
    } else if (const auto found = current.find(key);
               found == current.end() || found->second != value) {
      change.values.emplace_back(key, std::move(value));
    }
  }
  for (const auto& [key, value] : current) {
    if (const char* section = sectionOf(key)) currentSections[section][key] = value;
  }
  for (const char* section : {kBrokerSection, kInstrumentsSection, kPropSection}) {
    if (wantedSections[section] == currentSections[section]) continue;
    change.emptiedSections.emplace_back(section);
    change.values.insert(change.values.end(), wantedSections[section].begin(),
                         wantedSections[section].end());
  }
  return change;
}

std::filesystem::path KeepDamagedSettingsAside(const std::filesystem::path& file,
                                               std::chrono::system_clock::time_point now) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  const std::string stem = file.string() + ".damaged-" + stamp;
  for (int attempt = 1;; ++attempt) {
    const std::filesystem::path aside = attempt == 1 ? stem : stem + "-" + std::to_string(attempt);
    if (RenameWithoutReplacing(file, aside)) return aside;
  }
}

bool WellFormedSettings(std::string_view text) {
  if (text.find('\0') != std::string_view::npos) return false;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = TrimSpaces(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[' && line.back() == ']') continue;
    const std::size_t equals = line.find('=');
    if (equals != std::string_view::npos && equals > 0) continue;
    return false;
  }
  return true;
}

bool IsFetchableUrl(std::string_view url, bool httpsAllowed) {
  const bool http = url.substr(0, 7) == "http://";
  const bool https = url.substr(0, 8) == "https://";
  if (!(http || (https && httpsAllowed)) || url.size() > 2000) return false;
  // A host at least, and nothing a request line could not carry.
  if (url.size() <= (http ? 7u : 8u)) return false;
  for (const char c : url) {
    if (static_cast<unsigned char>(c) <= ' ' || c == '\x7f') return false;
  }
  return true;
}

std::string SaveFaultText(SaveFault fault, std::string_view path) {
  const std::string notSaved = "Настройки не сохранены: ";
  switch (fault) {
    case SaveFault::None:
      return {};
    case SaveFault::NoFolder:
      return notSaved + "нет доступа к папке настроек";
    case SaveFault::NoAccess:
      return notSaved + "нет доступа к файлу " + std::string(path);
    case SaveFault::Damaged:
      break;
  }
  return notSaved + "файл " + std::string(path) + " повреждён";
}

std::string KeptAsideText(std::string_view keptAs) {
  return "Файл настроек был повреждён: он сохранён как " + std::string(keptAs) +
         ", изменённые настройки записаны в новый файл";
}

std::string NotKeptAsideText(std::string_view path, std::string_view why) {
  return "Настройки не сохранены: файл " + std::string(path) +
         " повреждён, а отложить его не удалось (" + std::string(why) + ")";
}

void TForm1::StoreSettings() {
  if (!SettingsChanged) return;
  SettingsChanged = false;
  environment.broker = Broker;
  environment.prop = Prop;
  environment.instruments = OwnInstruments;
  if (!environment.saveSettings) return;
  // A change that could not be saved still holds for this run; the status bar says it will not
  // outlive it, or what the save had to do first.
  environment.settingsNote = environment.saveSettings(environment);
}

}  // namespace tiramon
