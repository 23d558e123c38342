// "Обновить котировки": status file, live page or cache, then the table. The refresh runs on
// the window's thread; while the status download pumps window events a second press of the
// button is ignored, so one refresh never runs inside another.
#include "quotes/refresh.h"

#include <set>
#include <utility>

#include "app/unit1.h"
#include "quotes/official_refresh.h"
#include "quotes/page_parser.h"
#include "quotes/provenance.h"
#include "quotes/quote_table.h"
#include "support/download.h"
#include "support/files.h"
#include "support/http_client.h"
#include "support/numtext.h"

namespace tiramon {
namespace quotes {
namespace {

// The forms whose refresh is running now.
std::set<const TForm1*>& RunningRefreshes() {
  static std::set<const TForm1*> running;
  return running;
}

class RefreshGuard {
 public:
  explicit RefreshGuard(const TForm1* form) : form_(form) {
    entered_ = RunningRefreshes().insert(form).second;
  }
  ~RefreshGuard() {
    if (entered_) RunningRefreshes().erase(form_);
  }
  RefreshGuard(const RefreshGuard&) = delete;
  RefreshGuard& operator=(const RefreshGuard&) = delete;
  bool entered() const { return entered_; }

 private:
  const TForm1* form_;
  bool entered_ = false;
};

}  // namespace

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::string NormalizeLineBreaks(std::string_view text) {
  std::string result;
  result.reserve(text.size() + text.size() / 32);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      result += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      result += "\r\n";
    } else {
      result += c;
    }
  }
  return result;
}

std::optional<std::string> FetchLivePage(const std::function<std::string()>& fetch) {
  try {
    return fetch();
  } catch (const HttpError&) {
    return std::nullopt;
  }
}

bool IsGoAhead(const std::vector<std::string>& statusLines) {
  if (statusLines.empty()) return false;
  try {
    ParseInteger(statusLines.front());
    return true;
  } catch (const ConversionError&) {
    return false;
  }
}

std::string ReadCacheFile(const std::filesystem::path& file) {
  std::string text = ReadWholeFile(file);
  // A cache this program wrote has CR LF breaks only; it is used as read, without a copy.
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool pairedCr = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
    if (pairedCr) {
      ++i;
    } else if (text[i] == '\r' || text[i] == '\n') {
      return NormalizeLineBreaks(text);
    }
  }
  return text;
}

void WriteCacheFile(const std::filesystem::path& file, std::string_view page,
                    const std::function<void(std::size_t)>& afterBlock) {
  ReplaceFile(file, {page, "\r\n"}, afterBlock);
}

bool IsDemoPage(std::string_view page) {
  return page.find(kDemoPageMark) != std::string_view::npos;
}

Clock::time_point FileTime(const std::filesystem::path& file) {
  std::error_code error;
  const std::filesystem::file_time_type written = std::filesystem::last_write_time(file, error);
  if (error) return {};
  return std::chrono::time_point_cast<Clock::duration>(std::chrono::file_clock::to_sys(written));
}

}  // namespace quotes

void TForm1::Button9Click() {
  quotes::RefreshGuard guard(this);
  if (!guard.entered()) return;
  if (environment.quoteSource == QuoteSource::OfficialRates) {
    quotes::RefreshOfficialRates(*this);
    return;
  }

  QuotesAvailable = false;
  const Environment effective = WithDefaults(environment);
  const std::filesystem::path& folder = effective.programFolder;
  const std::string& statusUrl = effective.statusUrl;
  const std::string& quotesUrl = effective.quotesUrl;

  const std::filesystem::path statusFile = folder / quotes::kStatusFileName;
  if (DownloadToFile(statusUrl, statusFile, environment.processEvents)) {
    Memo_Back.lines = quotes::SplitLines(ReadWholeFile(statusFile));
    QuotesAvailable = quotes::IsGoAhead(Memo_Back.lines);
  }

  std::string page;
  bool fetched = false;
  {
    HttpClient client;
    client.userAgent = quotes::kPageUserAgent;
    client.acceptLanguage = quotes::kPageLanguage;
    client.followRedirects = true;
    // A failed fetch means the cache; the user hears of it through the availability indicator
    // and the source panel.
    std::optional<std::string> live = quotes::FetchLivePage(
        [&] { return client.FetchPageText(quotesUrl, environment.processEvents); });
    if (live) {
      page = std::move(*live);
      fetched = true;
    } else {
      QuotesAvailable = false;
    }
  }

  // The old rows stay on screen while the page is fetched (the window answers meanwhile), and
  // stay for good when the user quits during the fetch.
  if (ListView1.columns.size() > 4) {
    ListView1.columns[4].caption = quotes::Column4Caption(edit_lot.text);
  }
  quotes::ClearQuoteTable(*this);
  // Nothing said of the old rows holds for an empty table.
  Prices = PriceOrigin{};
  ShowPriceOrigin();

  const std::filesystem::path cacheFile = folder / quotes::kCacheFileName;
  PriceOrigin origin;
  origin.kind = PriceOrigin::Kind::Page;
  origin.unreachable = !fetched;
  if (QuotesAvailable) {
    quotes::WriteCacheFile(cacheFile, page);
    origin.live = true;
    origin.pageTime = effective.now();
  } else {
    Prices.unreachable = !fetched;
    Prices.note = fetched ? "страница котировок закрыта файлом статуса, кэша нет"
                          : "нет связи со страницей котировок, кэша нет";
    ShowPriceOrigin();
    page = quotes::ReadCacheFile(cacheFile);
    origin.pageTime = quotes::FileTime(cacheFile);
  }
  origin.demo = quotes::IsDemoPage(page);
  Prices = origin;
  ShowPriceOrigin();
  // The page goes to the parser as it is. Splitting it into the buffer memo's lines as well
  // would hold a second copy of a page that may be tens of megabytes, and nobody reads it there.
  quotes::ParseQuotePage(*this, page);
  // The first rows of the first page choose the pair the assistant works on.
  ShowPriceOrigin();
}

}  // namespace tiramon
