// What the window model needs from the world around it: where its files live, where it fetches
// quotes from, and the few platform services a handler may call. Environment{} is valid: it
// gives the build's addresses and callbacks that do nothing, which is what tests start from.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/book.h"
#include "app/broker_conditions.h"
#include "app/trade.h"

namespace tiramon {

// Where the quote table's prices come from: the streaming quotes page behind its status file, or
// the central banks' official daily rates.
enum class QuoteSource { Page, OfficialRates };

struct Environment {
  std::filesystem::path programFolder;  // news.txt, kotirovki.dat and the rate caches live here
  std::string statusUrl;                // empty: the build's configured address
  std::string quotesUrl;                // empty: the build's configured address
  QuoteSource quoteSource = QuoteSource::Page;
  std::string ecbUrl;  // empty: the European Central Bank's daily reference rates
  std::string cbrUrl;  // empty: the Bank of Russia's daily rates
  // Empty: the Bank of Russia's precious-metal prices. Without a query; the refresh adds the days.
  std::string metalsUrl;
  // The official document that came with the program, shown when neither bank nor a cache has
  // rates; empty: none (tests, and a program run outside its tree).
  std::filesystem::path bundledRates;
  // The trader's broker as the settings file gave it; the defaults impose nothing.
  BrokerConditions broker;
  // The prop firm's loss limits as the settings file gave them; the defaults set none.
  PropLimits prop;
  // The instruments the trader has specified himself, as the settings file gave them.
  std::vector<Instrument> instruments;

  // What reading the settings file had to say (it was unreadable or malformed, so the build's
  // defaults stand); empty when there is nothing to say.
  std::string settingsNote;
  // Stores the source, the page addresses and the broker's conditions when the user has changed
  // them; returns what the status bar is to say of it (why the settings file could not be
  // written, or that a damaged one was set aside first), empty when there is nothing to say.
  std::function<std::string(const Environment&)> saveSettings;
  // The wall clock, for the age of the prices; empty: the system clock.
  std::function<std::chrono::system_clock::time_point()> now;

  // Runs pending window events; false when the user has chosen to quit, so whatever waits
  // stops waiting.
  std::function<bool()> processEvents;
  std::function<void(const std::string&)> copyToClipboard;  // put plain text on the clipboard
  std::function<void(const std::string&)> openWebPage;      // open in the default browser

  // The main window as the tray sees it.
  std::function<bool()> isMainWindowVisible;
  std::function<void()> hideMainWindow;
  std::function<void()> showMainWindow;
  std::function<void()> quitApplication;  // ends the event loop, exit code 0
};

// What an environment means where a field is left empty: the build's addresses, the current
// folder, the system clock. The one place that fills them in; every reader asks here. The
// environment itself keeps its empty fields, so a save writes only what someone chose.
Environment WithDefaults(const Environment& environment);
// WithDefaults(environment).now(), without copying the rest: the age of the prices is worded
// again on every handler run.
std::chrono::system_clock::time_point NowOf(const Environment& environment);

}  // namespace tiramon
