// Parsing quote pages into the table: a realistic page, the first four columns, the decimal
// mark, how far a failing page gets, and large pages built to be slow.
#include "quotes/page_parser.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/numtext.h"
#include "tests/quote_pages.h"

namespace tiramon {
namespace {

using test_pages::QuoteEntry;

class PageParserTest : public ::testing::Test {
 protected:
  void SetUp() override { DecimalMark = '.'; }
  void TearDown() override { DecimalMark = '.'; }

  // Parses and returns the error message, or "" when the parse went through.
  std::string Parse(std::string_view page) {
    try {
      quotes::ParseQuotePage(form, page);
    } catch (const std::runtime_error& e) {
      return e.what();
    }
    return "";
  }

  std::vector<std::string> Captions() const {
    std::vector<std::string> captions;
    for (const TListItem& row : form.ListView1.items) captions.push_back(row.caption);
    return captions;
  }

  TForm1 form;
};

TEST_F(PageParserTest, RealisticPageGivesEveryPairInPageOrder) {
  struct Row {
    const char* name;
    const char* bid;
    const char* ask;
    const char* spread;
    std::size_t subItems;
  };
  const Row expected[] = {
      {"EUR/USD", "1.12340", "1.12360", "0.0002", 10},
      {"GBP/USD", "1.30510", "1.30540", "0.0003", 10},
      {"AUD/USD", "0.74120", "0.74150", "0.0003", 10},
      {"NZD/USD", "0.68930", "0.68970", "0.0004", 10},
      {"USD/JPY", "110.250", "110.270", "0.02", 10},
      {"USD/CHF", "0.91230", "0.91250", "0.0002", 10},
      {"USD/CAD", "1.25180", "1.25210", "0.0003", 10},
      {"USD/CNY", "6.47120", "6.47600", "0.0048", 10},
      // A price is shown with the decimals its pair uses: three for roubles and yen, five for
      // the rest, never fewer than the page gave.
      {"USD/RUB", "73.412", "73.512", "0.1", 10},
      {"USD/SEK", "8.55210", "8.55810", "0.006", 10},
      {"USD/DKK", "6.23010", "6.23310", "0.003", 10},
      {"USD/HKD", "7.77120", "7.77220", "0.001", 10},
      {"USD/TRY", "8.45120", "8.47120", "0.02", 10},
      {"USD/SGD", "1.34120", "1.34180", "0.0006", 10},
      // Every dollar-based pair has its pip value.
      {"USD/MXN", "20.11200", "20.14200", "0.03", 10},
      {"USD/NOK", "8.60120", "8.60820", "0.007", 10},
      {"USD/ZAR", "14.51200", "14.56200", "0.05", 10},
      {"EUR/GBP", "0.85120", "0.85150", "0.0003", 10},
      {"EUR/JPY", "130.500", "130.530", "0.03", 10},
      {"EUR/CHF", "1.08120", "1.08150", "0.0003", 10},
      {"EUR/CAD", "1.40620", "1.40680", "0.0006", 10},
      {"EUR/AUD", "1.51560", "1.51620", "0.0006", 10},
      {"GBP/JPY", "143.880", "143.930", "0.05", 10},
      {"GBP/CHF", "1.19060", "1.19110", "0.0005", 10},
      {"AUD/JPY", "81.712", "81.742", "0.03", 10},
      {"AUD/NZD", "1.07520", "1.07580", "0.0006", 10},
      {"NZD/JPY", "75.991", "76.031", "0.04", 10},
      {"CHF/JPY", "120.840", "120.890", "0.05", 10},
      {"CAD/JPY", "88.071", "88.101", "0.03", 10},
      {"CAD/CHF", "0.72880", "0.72920", "0.0004", 10},
      // Valued through USD/SGD and USD/TRY, which the page has.
      {"SGD/JPY", "82.201", "82.261", "0.06", 10},
      {"TRY/JPY", "13.041", "13.071", "0.03", 10},
      {"USDX", "92.4120", "92.4320", "0.02", 3},
  };
  ASSERT_EQ(Parse(test_pages::ReadDataFile("quotes_majors.html", TIRAMON_TEST_DATA)), "");
  ASSERT_EQ(form.ListView1.items.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const Row& want = expected[i];
    const TListItem& row = form.ListView1.items[i];
    SCOPED_TRACE(want.name);
    EXPECT_EQ(row.caption, want.name);
    ASSERT_EQ(row.subItems.size(), want.subItems);
    EXPECT_EQ(row.subItems[0], want.bid);
    EXPECT_EQ(row.subItems[1], want.ask);
    EXPECT_EQ(row.subItems[2], want.spread);
  }
  EXPECT_EQ(form.ListView1.items[0].subItems[3], "11234");
  EXPECT_EQ(form.SelectedPair, "EUR/USD");
  EXPECT_EQ(form.SelectedBid, "1.1234");
  EXPECT_EQ(form.SelectedAsk, "1.1236");
  EXPECT_EQ(form.RefBid_GBPUSD, "1.3051");
  EXPECT_EQ(form.RefBid_NZDUSD, "0.6893");
  EXPECT_EQ(form.RefBid_USDCHF, "0.9123");
  EXPECT_EQ(form.RefBid_USDCAD, "1.2518");
}

TEST_F(PageParserTest, FirstFourColumns) {
  struct Case {
    const char* bid;
    const char* ask;
    std::vector<std::string> cells;
  };
  const Case cases[] = {
      {"1.1234", "1.1236", {"1.12340", "1.12360", "0.0002"}},
      {"110.25", "110.27", {"110.250", "110.270", "0.02"}},
      {"1.1236", "1.1235", {"1.12360", "1.12350", "-0.0001"}},  // ask below bid
      {"1.1234", "1.1234", {"1.12340", "1.12340", "0"}},
      {"7", "7.5", {"7.0", "7.50", "0.5"}},  // a whole number is not ten times itself
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bid);
    form.ListView1.items.clear();
    // A pair without derived columns keeps the row to what the parser writes.
    ASSERT_EQ(Parse(QuoteEntry("XAU/XAG", c.bid, c.ask)), "");
    ASSERT_EQ(form.ListView1.items.size(), 1u);
    EXPECT_EQ(form.ListView1.items[0].caption, "XAU/XAG");
    EXPECT_EQ(form.ListView1.items[0].subItems, c.cells);
  }
}

TEST_F(PageParserTest, APairTwiceGivesTwoRows) {
  ASSERT_EQ(Parse(QuoteEntry("EUR/USD", "1.1", "1.2") + QuoteEntry("EUR/USD", "1.3", "1.4")), "");
  EXPECT_EQ(Captions(), (std::vector<std::string>{"EUR/USD", "EUR/USD"}));
  EXPECT_EQ(form.SelectedBid, "1.3");
}

TEST_F(PageParserTest, PagesWithoutEntriesLeaveEverythingAsItWas) {
  const std::string label = form.Label_Valuta.caption;
  for (const char* page : {"", "<html><body>Service unavailable</body></html>",
                           "<a href=\"/currencies/eur-usd\">EUR/USD</a>"}) {
    SCOPED_TRACE(page);
    EXPECT_EQ(Parse(page), "");
    EXPECT_TRUE(form.ListView1.items.empty());
  }
  EXPECT_EQ(form.SelectedPair, "");
  EXPECT_EQ(form.Label_Valuta.caption, label);
}

TEST_F(PageParserTest, BadPricesStopTheParseAfterTheRowsSoFar) {
  struct Case {
    const char* bid;
    const char* ask;
    const char* message;
    std::vector<std::string> cells;  // of the row that failed: a text that is no price as given
  };
  const Case cases[] = {
      {"1.1234", "1,1236", "'1,1236' is not a valid floating point value", {"1.12340", "1,12360"}},
      {"1 123.4", "1.1", "'1 123.4' is not a valid floating point value", {"1 123.40", "1.10000"}},
      {"", "1.1236", "'' is not a valid floating point value", {"0", "1.12360"}},
      // the ask is converted first
      {"x", "", "'' is not a valid floating point value", {"x0", "0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    form.ListView1.items.clear();
    const std::string page = QuoteEntry("GBP/USD", "1.3051", "1.3054") +
                             QuoteEntry("EUR/USD", c.bid, c.ask) +
                             QuoteEntry("USD/JPY", "110.25", "110.27");
    EXPECT_EQ(Parse(page), c.message);
    ASSERT_EQ(Captions(), (std::vector<std::string>{"GBP/USD", "EUR/USD"}));
    EXPECT_EQ(form.ListView1.items[0].subItems.size(), 10u);
    EXPECT_EQ(form.ListView1.items[1].subItems, c.cells);
  }
}

// The derived columns are worked out once the whole page is read: a cross before its dollar pair
// is valued at that pair's rate on the same page, and a lot box the table cannot use leaves every
// row its prices, with a note, instead of stopping the page at its first row.
TEST_F(PageParserTest, DerivedColumnsComeAfterTheWholePage) {
  const std::string page = QuoteEntry("GBP/USD", "1.3051", "1.3054") +
                           QuoteEntry("EUR/GBP", "0.8512", "0.8515") +
                           QuoteEntry("EUR/USD", "1.1234", "1.1236");
  EXPECT_EQ(Parse(page), "");
  ASSERT_EQ(Captions(), (std::vector<std::string>{"GBP/USD", "EUR/GBP", "EUR/USD"}));
  ASSERT_EQ(form.ListView1.items[1].subItems.size(), 10u);
  EXPECT_EQ(form.ListView1.items[1].subItems[3], "11234");  // 0.1 lot × 100000 € × 1.1234
  EXPECT_EQ(form.SelectedPair, "EUR/USD");                  // set by the first row
  EXPECT_EQ(form.SelectedBid, "1.1234");

  form.ListView1.items.clear();
  form.edit_lot.text = "много";
  EXPECT_EQ(Parse(QuoteEntry("EUR/USD", "1.1234", "1.1236") + QuoteEntry("GBP/USD", "1", "2")), "");
  ASSERT_EQ(Captions(), (std::vector<std::string>{"EUR/USD", "GBP/USD"}));
  EXPECT_EQ(form.ListView1.items[0].subItems.size(), 3u);
  EXPECT_EQ(form.Label_TableNote.caption,
            "Размер позиции: «много» — введите лот больше нуля, например 0.1.");
}

TEST_F(PageParserTest, DecimalMarkBecomesPointOnlyAfterASpread) {
  // A comma mark in force when the refresh starts: the first spread fails, and as the mark is
  // set only after a spread, it stays a comma.
  DecimalMark = ',';
  const std::string page = QuoteEntry("EUR/USD", "1.1234", "1.1236");
  for (int refresh = 0; refresh < 2; ++refresh) {
    form.ListView1.items.clear();
    EXPECT_EQ(Parse(page), "'1.1236' is not a valid floating point value");
    EXPECT_EQ(form.ListView1.items.size(), 1u);
    EXPECT_EQ(DecimalMark, ',');
  }
  // Prices written with the comma pass the first spread; from there on the mark is the point.
  form.ListView1.items.clear();
  EXPECT_EQ(Parse(QuoteEntry("XAU/XAG", "1,5", "2,5") + page), "");
  EXPECT_EQ(DecimalMark, '.');
  ASSERT_EQ(Captions(), (std::vector<std::string>{"XAU/XAG", "EUR/USD"}));
  EXPECT_EQ(form.ListView1.items[1].subItems[2], "0.0002");
}

TEST_F(PageParserTest, LargePagesGiveTheRowsThePatternYields) {
  const std::size_t kMiB = 1 << 20;
  std::vector<std::string> forty;
  const char* const cycle[] = {"EUR/USD", "GBP/USD", "USD/JPY", "USD/CHF", "AUD/USD",
                               "USD/CAD", "EUR/GBP", "EUR/JPY", "NZD/USD", "GBP/JPY"};
  for (int i = 0; i < 40; ++i) forty.push_back(cycle[i % 10]);
  struct Case {
    const char* what;
    std::string page;
    std::vector<std::string> captions;
    std::string error = "";
    std::size_t subItems = 10;  // of every row
  };
  // The entry after the unclosed cells is read from where the first of them began: its pair
  // cell's tag closes the bid cell's, so the bid runs over its whole link.
  const std::string swallowedBid =
      "<a href=\"/currencies/eur-usd\"  title=\"Currency pair\" >EUR/USD</a>";
  const Case cases[] = {
      {"half a megabyte of ordinary HTML with 40 rows", test_pages::RealisticPage(kMiB / 2, 40),
       forty},
      {"links to /currencies without a title, then one entry",
       test_pages::Repeated(test_pages::kLinkWithoutTitle, kMiB) +
           QuoteEntry("USD/JPY", "110.25", "110.27"),
       {"USD/JPY"}},
      {"entries with one blank before title, then one good one",
       test_pages::Repeated(test_pages::kOneBlankEntry, kMiB) +
           QuoteEntry("GBP/USD", "1.3051", "1.3054"),
       {"GBP/USD"}},
      {"entries that never close", test_pages::Repeated(test_pages::kUnclosedEntry, kMiB), {}},
      {"bid cells that never close",
       test_pages::Repeated(test_pages::kUnclosedCellEntry, kMiB),
       {}},
      {"bid cells that never close, then one entry",
       test_pages::Repeated(test_pages::kUnclosedCellEntry, kMiB) +
           QuoteEntry("EUR/USD", "1.1234", "1.1236"),
       {"EUR/USD"},
       "'" + swallowedBid + "' is not a valid floating point value",
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    form.ListView1.items.clear();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Parse(c.page), c.error);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));  // hang guard
    EXPECT_EQ(Captions(), c.captions);
    for (const TListItem& row : form.ListView1.items) EXPECT_EQ(row.subItems.size(), c.subItems);
  }
  EXPECT_EQ(form.ListView1.items.at(0).subItems.at(0), swallowedBid + "0");
}

}  // namespace
}  // namespace tiramon
