// The user's choice of quote source and the quote page's two addresses. A change is stored in the
// settings file at once and takes effect at once: the table is refreshed from the new source.
#include <string>
#include <string_view>

#include "app/quote_sources.h"
#include "app/settings_rules.h"
#include "app/unit1.h"
#include "support/errors.h"
#include "support/http_error.h"
#include "support/http_url.h"

namespace tiramon {
namespace quotes {
namespace {

std::string Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t");
  return std::string(text.substr(first, last - first + 1));
}

// An address the program can fetch: http, or https where libcurl does the download.
std::string CheckedUrl(std::string_view text, const char* what, bool httpsAllowed) {
  const std::string url = Trimmed(text);
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

// Stores the settings; a file that cannot be written is said in the status bar, and the change
// still holds for this run.
void SaveSettings(TForm1& form) {
  if (!form.environment.saveSettings) return;
  const std::string error = form.environment.saveSettings(form.environment);
  form.environment.settingsNote = error.empty() ? "" : "Настройки не сохранены: " + error;
}

}  // namespace
}  // namespace quotes

void TForm1::ComboBox_SourceChange() {
  const int index = ComboBox_Source.itemIndex;
  if (index < 0 || index >= static_cast<int>(std::size(kQuoteSourceOrder))) return;
  const QuoteSource chosen = kQuoteSourceOrder[index];
  if (chosen == environment.quoteSource) return;
  environment.quoteSource = chosen;
  quotes::SaveSettings(*this);
  Button9Click();
  ListView1Click();
}

void TForm1::Button_SaveUrlsClick() {
  const std::string statusUrl = quotes::CheckedUrl(Edit_StatusUrl.text, "файла статуса", true);
  const std::string quotesUrl =
      quotes::CheckedUrl(Edit_QuotesUrl.text, "страницы котировок", false);
  Edit_StatusUrl.text = statusUrl;
  Edit_QuotesUrl.text = quotesUrl;
  environment.statusUrl = statusUrl;
  environment.quotesUrl = quotesUrl;
  quotes::SaveSettings(*this);
  ShowPriceOrigin();
  if (environment.quoteSource != QuoteSource::Page) return;
  Button9Click();
  ListView1Click();
}

}  // namespace tiramon
