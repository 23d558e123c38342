// The user's choice of quote source and the quote page's two addresses. A change is stored in the
// settings file at once and takes effect at once: the table is refreshed from the new source, and
// only the page source shows its addresses.
#include <string>
#include <string_view>

#include "app/quote_sources.h"
#include "app/settings_rules.h"
#include "app/unit1.h"
#include "support/errors.h"
#include "support/http_error.h"
#include "support/http_url.h"
#include "support/typed_number.h"

namespace tiramon {
namespace quotes {
namespace {

// An address the program can fetch: http, or https where libcurl does the download.
std::string CheckedUrl(std::string_view text, const char* what, bool httpsAllowed) {
  const std::string url(TrimSpaces(text));
  bool valid = IsFetchableUrl(url, httpsAllowed);
  if (valid) {
    try {
      valid = !http::ParseUrl(url).host.empty();
    } catch (const HttpError&) {
      valid = false;
    }
  }
  if (!valid) {
    throw UserError(std::string("Адрес ") + what + " указан неверно: «" + url +
                    "». Нужен адрес, который начинается с " +
                    (httpsAllowed ? "http:// или https://" : "http://") + ".");
  }
  return url;
}

}  // namespace
}  // namespace quotes

void TForm1::ComboBox_SourceChange() {
  const int index = ComboBox_Source.itemIndex;
  if (index < 0 || index >= static_cast<int>(std::size(kQuoteSourceOrder))) return;
  const QuoteSource chosen = kQuoteSourceOrder[index];
  if (chosen == environment.quoteSource) return;
  environment.quoteSource = chosen;
  ShowSourceControls();
  SettingsChanged = true;
  Button9Click();
}

void TForm1::ShowSourceControls() {
  const bool page = environment.quoteSource == QuoteSource::Page;
  Label_StatusUrl.visible = page;
  Edit_StatusUrl.visible = page;
  Label_QuotesUrl.visible = page;
  Edit_QuotesUrl.visible = page;
  Button_SaveUrls.visible = page;
}

void TForm1::Button_SaveUrlsClick() {
  const std::string statusUrl = quotes::CheckedUrl(Edit_StatusUrl.text, "файла статуса", true);
  const std::string quotesUrl =
      quotes::CheckedUrl(Edit_QuotesUrl.text, "страницы котировок", false);
  Edit_StatusUrl.text = statusUrl;
  Edit_QuotesUrl.text = quotesUrl;
  environment.statusUrl = statusUrl;
  environment.quotesUrl = quotesUrl;
  SettingsChanged = true;
  ShowPriceOrigin();
  if (environment.quoteSource != QuoteSource::Page) return;
  Button9Click();
}

}  // namespace tiramon
