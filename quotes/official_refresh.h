// The official-rates source: the European Central Bank's and the Bank of Russia's daily rates and
// the Bank of Russia's metal prices, each downloaded with the window kept alive, cached beside the
// quote cache with its own date, and read from that cache when it cannot be fetched. The rates
// become the usual table rows; with neither bank nor a cache, the rates that came with the
// program do, marked as old.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/unit1.h"
#include "quotes/official_rates.h"

namespace tiramon::quotes {

inline constexpr const char* kEcbCacheFileName = "ecb-rates.xml";
inline constexpr const char* kCbrCacheFileName = "cbr-rates.xml";
inline constexpr const char* kMetalsCacheFileName = "cbr-metals.xml";

// The metals address asking for the ten days up to `today`, so that a weekend or a holiday still
// has a day: `?date_req1=DD/MM/YYYY&date_req2=DD/MM/YYYY` appended (`&` after an existing query).
std::string MetalsRequestUrl(std::string_view address, std::chrono::sys_days today);

// One source's rates after a refresh: the document (downloaded, else cached, else none) and what
// went wrong on the way, in the user's words.
struct RatesOutcome {
  std::optional<RatesDocument> document;
  bool fetched = false;      // downloaded and parsed in this refresh
  bool unreachable = false;  // no answer, or not a whole one
  std::string note;          // a bad answer or a file that could not be stored
};

using RatesParser = RatesDocument (*)(std::string_view);

// Downloads `url` into a temporary file beside `cache`; a document that parses replaces the cache
// (by rename, so the cache is never half written). Anything else leaves the cache as it was and
// falls back to it. DownloadAborted (the user quits) goes on to the caller.
RatesOutcome FetchRates(const std::string& url, const std::filesystem::path& cache,
                        RatesParser parse, const std::function<bool()>& processEvents);

// The cached document alone; none when the cache is missing or unreadable.
RatesOutcome CachedRates(const std::filesystem::path& cache, RatesParser parse);

// The official refresh behind "Обновить котировки": the table is replaced only when at least one
// source gave rates; otherwise it stays as it was and the status panel says why.
void RefreshOfficialRates(TForm1& form);

// The first show: the cached rates at once, marked as being refreshed, so that the window never
// waits on the network; the download follows once the window is up.
void ShowCachedRates(TForm1& form);

}  // namespace tiramon::quotes
