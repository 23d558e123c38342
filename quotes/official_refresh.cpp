// The official-rates refresh. Both downloads pump the window's events, so the window stays
// alive and "Выход" is obeyed while a central bank's server is slow.
#include "quotes/official_refresh.h"

#include <cstdio>
#include <initializer_list>
#include <system_error>
#include <utility>
#include <vector>

#include "app/bundled_rates.h"
#include "quotes/page_parser.h"
#include "quotes/provenance.h"
#include "quotes/quote_table.h"
#include "quotes/refresh.h"
#include "support/download.h"
#include "support/files.h"

namespace tiramon::quotes {
namespace {

struct Sources {
  std::filesystem::path ecbCache, cbrCache, metalsCache;
  std::string ecbUrl, cbrUrl, metalsUrl;
};

Sources SourcesOf(const TForm1& form) {
  const Environment environment = WithDefaults(form.environment);
  const std::filesystem::path& folder = environment.programFolder;
  return {folder / kEcbCacheFileName,
          folder / kCbrCacheFileName,
          folder / kMetalsCacheFileName,
          environment.ecbUrl,
          environment.cbrUrl,
          MetalsRequestUrl(environment.metalsUrl, LocalDay(environment.now()))};
}

const RatesDocument* DocumentOf(const RatesOutcome& outcome) {
  return outcome.document ? &*outcome.document : nullptr;
}

// Replaces the table with the rows the rates give: the pairs, then the metals. Nothing is touched
// when they give no pair. Returns whether metal rows were added.
bool FillRows(TForm1& form, const RatesDocument* ecb, const RatesDocument* cbr,
              const RatesDocument* metals = nullptr) {
  const std::vector<OfficialQuote> quotes = DeriveQuotes(ecb, cbr);
  if (quotes.empty()) return false;
  const std::vector<OfficialQuote> metalQuotes = DeriveMetalQuotes(metals, cbr);
  ClearQuoteTable(form);
  form.ListView1.items.reserve(quotes.size() + metalQuotes.size());
  std::string cell;
  for (const std::vector<OfficialQuote>* rows : {&quotes, &metalQuotes}) {
    for (const OfficialQuote& quote : *rows) {
      // A daily mid rate has no spread: it is both the bid and the ask.
      AppendQuoteRow(form, quote.name, quote.price, quote.price, cell);
    }
  }
  CompleteQuoteTable(form);
  return !metalQuotes.empty();
}

std::string DateOf(const RatesOutcome& outcome) {
  return outcome.document ? outcome.document->date : std::string();
}

// What the outcomes say together, for the status panel.
std::string JoinedNotes(std::initializer_list<const RatesOutcome*> outcomes) {
  std::string notes;
  for (const RatesOutcome* outcome : outcomes) {
    if (!outcome->note.empty()) notes += (notes.empty() ? "" : "; ") + outcome->note;
  }
  return notes;
}

// The rates that came with the program, when its copy is the document it was built with: no
// other file, a test's made-up rates least of all, is ever shown as rates.
std::optional<RatesDocument> BundledRates(const Environment& environment) {
  if (environment.bundledRates.empty()) return std::nullopt;
  RatesOutcome outcome = CachedRates(environment.bundledRates, ParseEcbRates);
  if (!outcome.document || outcome.document->date != kBundledRatesDate) return std::nullopt;
  return std::move(outcome.document);
}

// Puts the bundled rows up in an empty table; false when there are none to show.
bool ShowBundledRates(TForm1& form, PriceOrigin& origin) {
  const std::optional<RatesDocument> bundled = BundledRates(form.environment);
  if (!bundled) return false;
  FillRows(form, &*bundled, nullptr);
  if (form.ListView1.items.empty()) return false;
  origin.kind = PriceOrigin::Kind::Official;
  origin.bundled = true;
  origin.ecbDate = bundled->date;
  return true;
}

std::string TwoDigits(unsigned value) {
  return {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

// DD/MM/YYYY, as the bank's query wants its days.
std::string QueryDay(std::chrono::sys_days day) {
  const std::chrono::year_month_day date{day};
  return TwoDigits(static_cast<unsigned>(date.day())) + "/" +
         TwoDigits(static_cast<unsigned>(date.month())) + "/" +
         std::to_string(static_cast<int>(date.year()));
}

}  // namespace

std::string MetalsRequestUrl(std::string_view address, std::chrono::sys_days today) {
  std::string url(address);
  url += url.find('?') == std::string::npos ? '?' : '&';
  url += "date_req1=" + QueryDay(today - std::chrono::days(9)) + "&date_req2=" + QueryDay(today);
  return url;
}

RatesOutcome CachedRates(const std::filesystem::path& cache, RatesParser parse) {
  RatesOutcome outcome;
  // Not followed: a link under the cache's name is there to be refused, dangling or not.
  std::error_code error;
  if (!std::filesystem::exists(std::filesystem::symlink_status(cache, error))) return outcome;
  try {
    outcome.document = parse(ReadWholeFile(cache));
  } catch (const RatesError& e) {
    outcome.note = std::string("кэш повреждён (") + e.what() + ")";
  } catch (const InOutError& e) {
    outcome.note = std::string("кэш не читается (") + e.what() + ")";
  }
  return outcome;
}

RatesOutcome FetchRates(const std::string& url, const std::filesystem::path& cache,
                        RatesParser parse, const std::function<bool()>& processEvents) {
  const std::filesystem::path download = cache.string() + ".part";
  std::string note;
  bool unreachable = false;
  try {
    if (DownloadToFile(url, download, processEvents)) {
      const std::string bytes = ReadWholeFile(download);
      RatesDocument document = parse(bytes);
      RatesOutcome outcome;
      outcome.document = std::move(document);
      outcome.fetched = true;
      // Only a document that parsed replaces the cache.
      try {
        ReplaceFile(cache, {bytes});
      } catch (const InOutError& e) {
        outcome.note = std::string("кэш не записан (") + e.what() + ")";
      }
      std::error_code ignored;
      std::filesystem::remove(download, ignored);
      return outcome;
    }
    unreachable = true;
  } catch (const RatesError& e) {
    note = e.what();
  } catch (const InOutError& e) {
    note = std::string("файл не записан (") + e.what() + ")";
  }
  std::error_code ignored;
  std::filesystem::remove(download, ignored);
  RatesOutcome outcome = CachedRates(cache, parse);
  outcome.unreachable = unreachable;
  if (!note.empty()) outcome.note = note + (outcome.note.empty() ? "" : "; " + outcome.note);
  return outcome;
}

void RefreshOfficialRates(TForm1& form) {
  const Sources sources = SourcesOf(form);
  form.QuotesAvailable = false;
  // What is on screen stays, marked as being refreshed, until the downloads end.
  PriceOrigin waiting = form.Prices;
  waiting.refreshing = true;
  waiting.ownPair.clear();
  form.Prices = waiting;
  form.ShowPriceOrigin();

  const std::function<bool()>& pump = form.environment.processEvents;
  const RatesOutcome ecb = FetchRates(sources.ecbUrl, sources.ecbCache, ParseEcbRates, pump);
  const RatesOutcome cbr = FetchRates(sources.cbrUrl, sources.cbrCache, ParseCbrRates, pump);
  RatesOutcome metals = FetchRates(sources.metalsUrl, sources.metalsCache, ParseCbrMetals, pump);
  if (metals.document && !cbr.document) {
    // The metals are priced in roubles; without the bank's dollar they cannot be in dollars.
    metals.note += std::string(metals.note.empty() ? "" : "; ") +
                   "ЦБ РФ, металлы: нет курса USD ЦБ РФ для пересчёта";
  }

  PriceOrigin origin;
  origin.kind = PriceOrigin::Kind::Official;
  origin.unreachable = (!ecb.fetched && ecb.unreachable) || (!cbr.fetched && cbr.unreachable) ||
                       (!metals.fetched && metals.unreachable);
  origin.note = JoinedNotes({&ecb, &cbr, &metals});
  const std::size_t rowsBefore = form.ListView1.items.size();
  const bool metalRows = FillRows(form, DocumentOf(ecb), DocumentOf(cbr), DocumentOf(metals));
  if (!ecb.document && !cbr.document) {
    // Nothing new to show: the table keeps what it had, else it gets the rates that came with
    // the program; the panel says so and why.
    const std::string why = origin.note.empty() ? "нет связи с ЕЦБ и ЦБ РФ" : origin.note;
    // The rates that came with the program were never up to date: only why they still stand.
    const std::string bundledWhy = origin.note.empty() ? "Нет связи с ЕЦБ и ЦБ РФ" : origin.note;
    if (rowsBefore > 0) {
      origin = waiting;
      origin.refreshing = false;
      origin.note = waiting.bundled ? bundledWhy : "Курсы не обновлены: " + why;
    } else if (PriceOrigin bundled; ShowBundledRates(form, bundled)) {
      origin = bundled;
      origin.note = bundledWhy;
    } else {
      origin = PriceOrigin{};
      origin.note = why;
    }
    origin.unreachable = true;
  } else {
    origin.ecbDate = DateOf(ecb);
    origin.cbrDate = DateOf(cbr);
    origin.ecbFetched = ecb.fetched;
    origin.cbrFetched = cbr.fetched;
    if (metalRows) {
      origin.metalsDate = DateOf(metals);
      origin.metalsFetched = metals.fetched;
    }
  }
  form.QuotesAvailable = ecb.fetched;
  form.Prices = origin;
  form.ShowPriceOrigin();
}

void ShowCachedRates(TForm1& form) {
  const Sources sources = SourcesOf(form);
  const RatesOutcome ecb = CachedRates(sources.ecbCache, ParseEcbRates);
  const RatesOutcome cbr = CachedRates(sources.cbrCache, ParseCbrRates);
  const RatesOutcome metals = CachedRates(sources.metalsCache, ParseCbrMetals);
  PriceOrigin origin;
  if (ecb.document || cbr.document) {
    origin.kind = PriceOrigin::Kind::Official;
    origin.ecbDate = DateOf(ecb);
    origin.cbrDate = DateOf(cbr);
    if (FillRows(form, DocumentOf(ecb), DocumentOf(cbr), DocumentOf(metals))) {
      origin.metalsDate = DateOf(metals);
    }
  } else if (form.ListView1.items.empty()) {
    // A first start without a cache: an order of magnitude at once, marked as old.
    ShowBundledRates(form, origin);
  }
  origin.refreshing = true;
  form.QuotesAvailable = false;
  form.Prices = origin;
  form.ShowPriceOrigin();
}

}  // namespace tiramon::quotes

namespace tiramon {

void TForm1::ShowCachedRates() { quotes::ShowCachedRates(*this); }

}  // namespace tiramon
