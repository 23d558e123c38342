// The demo quote feed, run as the real program: its status answers, a quotes page the parser
// reads completely, prices that move between requests, the page size option, loopback only,
// and a clean end on SIGTERM and SIGINT.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "app/unit1.h"
#include "quotes/page_parser.h"
#include "support/http_client.h"
#include "support/numtext.h"
#include "support/regexpr.h"
#include "tests/support/feed_process.h"
#include "tests/support/test_files.h"

namespace tiramon {
namespace {

using testing::FeedProcess;

constexpr const char* kQuotesPath = "/quotes/streaming-forex-rates-%E2%80%93-majors";

std::string Fetch(const std::string& url) {
  HttpClient client;
  client.userAgent = "test";
  return client.FetchPageText(url);
}

// pair -> bid text, as the page parser's pattern finds it in the page
std::map<std::string, std::string> Bids(const std::string& page) {
  TRegExpr matcher;
  matcher.SetModifier('m', true);
  matcher.SetModifier('i', true);
  matcher.SetInputString(page);
  matcher.SetExpression(quotes::kQuoteRowPattern);
  std::map<std::string, std::string> bids;
  for (bool found = matcher.Exec(); found; found = matcher.ExecNext()) {
    bids[matcher.GroupText(1)] = matcher.GroupText(2);
  }
  return bids;
}

int Decimals(const std::string& price) {
  const std::size_t dot = price.find('.');
  return dot == std::string::npos ? 0 : static_cast<int>(price.size() - dot - 1);
}

class QuoteFeedTest : public ::testing::Test {
 protected:
  void SetUp() override { DecimalMark = '.'; }
};

TEST_F(QuoteFeedTest, ServesEveryPairInTheParsersLayoutWithMovingPrices) {
  FeedProcess feed(TIRAMON_QUOTE_FEED, {"--seed", "7"});
  ASSERT_NE(feed.port(), 0);
  const std::string first = Fetch(feed.Url(kQuotesPath));
  const std::map<std::string, std::string> before = Bids(first);
  for (const char* pair :
       {"EUR/USD", "GBP/USD", "AUD/USD", "NZD/USD", "USD/JPY", "USD/CHF", "USD/CAD", "USD/SEK",
        "USD/DKK", "USD/HKD", "USD/SGD", "USD/TRY", "USD/CNY", "USD/RUB", "USD/MXN", "EUR/GBP",
        "EUR/JPY", "GBP/JPY", "CHF/JPY", "EUR/CHF", "AUD/NZD", "CAD/JPY"}) {
    SCOPED_TRACE(pair);
    ASSERT_EQ(before.count(pair), 1u);
    const bool yen = std::string(pair).find("JPY") != std::string::npos;
    EXPECT_EQ(Decimals(before.at(pair)), yen ? 2 : 4);
  }
  // The menus around the table are ordinary HTML, not rows.
  EXPECT_NE(first.find("<ul id=\"navMenu\""), std::string::npos);
  EXPECT_EQ(before.size(), 31u);

  const std::map<std::string, std::string> after = Bids(Fetch(feed.Url(kQuotesPath)));
  ASSERT_EQ(after.size(), before.size());
  for (const auto& [pair, bid] : before) {
    SCOPED_TRACE(pair);
    const double a = std::strtod(bid.c_str(), nullptr);
    const double b = std::strtod(after.at(pair).c_str(), nullptr);
    EXPECT_NE(a, b);                         // every price moves
    EXPECT_LT(std::fabs(a - b) / a, 0.001);  // a little
  }
}

TEST_F(QuoteFeedTest, AnswersTheStatusFileAsConfigured) {
  {
    FeedProcess feed(TIRAMON_QUOTE_FEED, {});
    ASSERT_NE(feed.port(), 0);
    EXPECT_EQ(Fetch(feed.Url("/down/news.txt")), "1\r\n");
    EXPECT_THROW(Fetch(feed.Url("/elsewhere")), HttpProtocolError);
  }
  {
    FeedProcess feed(TIRAMON_QUOTE_FEED, {"--status", "word"});
    const std::string status = Fetch(feed.Url("/down/news.txt"));
    EXPECT_THROW(ParseInteger(status.substr(0, status.find('\r'))), ConversionError);
  }
  {
    FeedProcess feed(TIRAMON_QUOTE_FEED, {"--status", "404"});
    try {
      Fetch(feed.Url("/down/news.txt"));
      ADD_FAILURE() << "no error";
    } catch (const HttpProtocolError& e) {
      EXPECT_EQ(e.statusCode(), 404);
    }
  }
}

TEST_F(QuoteFeedTest, PadsThePageToTheSizeAsked) {
  FeedProcess feed(TIRAMON_QUOTE_FEED, {"--page-kib", "300"});
  const std::string page = Fetch(feed.Url(kQuotesPath));
  EXPECT_GE(page.size(), 300u * 1024);
  EXPECT_LT(page.size(), 310u * 1024);
  EXPECT_EQ(Bids(page).size(), 31u);
}

TEST_F(QuoteFeedTest, ARefreshAgainstTheFeedShowsLiveQuotes) {
  FeedProcess feed(TIRAMON_QUOTE_FEED, {});
  testing::TempDir dir;
  const Environment environment = feed.EnvironmentIn(dir.path());
  TForm1 form(environment);
  form.Button9Click();
  EXPECT_TRUE(form.QuotesAvailable);
  EXPECT_EQ(form.ListView1.items.size(), 31u);
  EXPECT_FALSE(form.RefBid_EURUSD.empty());
  EXPECT_FALSE(form.RefBid_USDCAD.empty());
  // Live, and still made up: the feed's prices never pass for the market's.
  EXPECT_EQ(form.StatusBar1.panels[1].text, "ДЕМО: не рыночные цены");
  EXPECT_EQ(form.Label_PriceSource.caption, "Цена: ДЕМО, не рыночная — не для ордеров");

  // With the feed gone the cache brings the same rows back, as demo prices still.
  feed.Stop(SIGTERM);
  const std::size_t rows = form.ListView1.items.size();
  form.Button9Click();
  EXPECT_FALSE(form.QuotesAvailable);
  EXPECT_EQ(form.ListView1.items.size(), rows);
  EXPECT_EQ(form.StatusBar1.panels[1].text.rfind("ДЕМО: не рыночные цены (из кэша от ", 0), 0u)
      << form.StatusBar1.panels[1].text;
}

TEST_F(QuoteFeedTest, EndsCleanlyOnSignalsAndBindsLoopbackOnly) {
  for (int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    FeedProcess feed(TIRAMON_QUOTE_FEED, {});
    ASSERT_NE(feed.port(), 0);
    Fetch(feed.Url(kQuotesPath));
    const std::optional<int> status = feed.Stop(signal, 2000);
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 0);
  }
  for (const char* address : {"0.0.0.0", "192.168.1.10", "::", "localhost"}) {
    SCOPED_TRACE(address);
    FeedProcess feed(TIRAMON_QUOTE_FEED, {"--address", address});
    EXPECT_EQ(feed.port(), 0);
    const std::optional<int> status = feed.WaitForExit(2000);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(WEXITSTATUS(*status), 2);
  }
  FeedProcess v6(TIRAMON_QUOTE_FEED, {"--address", "::1"});
  if (v6.port() != 0) {  // where the machine has IPv6 loopback
    HttpClient client;
    EXPECT_EQ(client.FetchPageText("http://[::1]:" + std::to_string(v6.port()) + "/down/news.txt"),
              "1\r\n");
  }
}

}  // namespace
}  // namespace tiramon
