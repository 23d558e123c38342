// The official-rates refresh. Both downloads pump the window's events, so the window stays
// alive and "Выход" is obeyed while a central bank's server is slow.
#include "quotes/official_refresh.h"

#include <cstdio>
#include <system_error>
#include <vector>

#include "app/build_config.h"
#include "quotes/page_parser.h"
#include "quotes/quote_table.h"
#include "quotes/refresh.h"
#include "support/download.h"
#include "support/files.h"

namespace tiramon::quotes {
namespace {

struct Sources {
  std::filesystem::path ecbCache, cbrCache;
  std::string ecbUrl, cbrUrl;
};

Sources SourcesOf(const TForm1& form) {
  const Environment& environment = form.environment;
  const std::filesystem::path folder =
      environment.programFolder.empty() ? std::filesystem::path(".") : environment.programFolder;
  return {folder / kEcbCacheFileName, folder / kCbrCacheFileName,
          environment.ecbUrl.empty() ? build::kEcbUrl : environment.ecbUrl,
          environment.cbrUrl.empty() ? build::kCbrUrl : environment.cbrUrl};
}

// Replaces the table with the rows the rates give. Nothing is touched when they give none.
void FillRows(TForm1& form, const RatesDocument* ecb, const RatesDocument* cbr) {
  const std::vector<OfficialQuote> quotes = DeriveQuotes(ecb, cbr);
  if (quotes.empty()) return;
  ClearQuoteTable(form);
  form.ListView1.items.reserve(quotes.size());
  std::string cell;
  for (const OfficialQuote& quote : quotes) {
    // A daily mid rate has no spread: it is both the bid and the ask.
    AppendQuoteRow(form, quote.name, quote.price, quote.price, cell);
  }
  CompleteQuoteTable(form);
}

std::string DateOf(const RatesOutcome& outcome) {
  return outcome.document ? outcome.document->date : std::string();
}

// What the two outcomes say together, for the status panel.
std::string JoinedNotes(const RatesOutcome& ecb, const RatesOutcome& cbr) {
  std::string notes = ecb.note;
  if (!cbr.note.empty()) notes += (notes.empty() ? "" : "; ") + cbr.note;
  return notes;
}

}  // namespace

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

  PriceOrigin origin;
  origin.kind = PriceOrigin::Kind::Official;
  origin.unreachable = (!ecb.fetched && ecb.unreachable) || (!cbr.fetched && cbr.unreachable);
  origin.note = JoinedNotes(ecb, cbr);
  const std::size_t rowsBefore = form.ListView1.items.size();
  FillRows(form, ecb.document ? &*ecb.document : nullptr, cbr.document ? &*cbr.document : nullptr);
  if (!ecb.document && !cbr.document) {
    // Nothing to show: the table keeps what it had, and the panel says so and why.
    const std::string why = origin.note.empty() ? "нет связи с ЕЦБ и ЦБ РФ" : origin.note;
    if (rowsBefore > 0) {
      origin = waiting;
      origin.refreshing = false;
      origin.note = "Курсы не обновлены: " + why;
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
  }
  form.QuotesAvailable = ecb.fetched;
  form.Prices = origin;
  form.ShowPriceOrigin();
}

void ShowCachedRates(TForm1& form) {
  const Sources sources = SourcesOf(form);
  const RatesOutcome ecb = CachedRates(sources.ecbCache, ParseEcbRates);
  const RatesOutcome cbr = CachedRates(sources.cbrCache, ParseCbrRates);
  FillRows(form, ecb.document ? &*ecb.document : nullptr, cbr.document ? &*cbr.document : nullptr);
  PriceOrigin origin;
  origin.kind =
      ecb.document || cbr.document ? PriceOrigin::Kind::Official : PriceOrigin::Kind::None;
  origin.ecbDate = DateOf(ecb);
  origin.cbrDate = DateOf(cbr);
  origin.refreshing = true;
  form.QuotesAvailable = false;
  form.Prices = origin;
  form.ShowPriceOrigin();
}

}  // namespace tiramon::quotes

namespace tiramon {

void TForm1::ShowCachedRates() { quotes::ShowCachedRates(*this); }

}  // namespace tiramon
