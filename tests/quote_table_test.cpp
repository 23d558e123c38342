// Completing quote rows: the derived columns cell for cell for every kind of pair, the pip
// value ties, the reference bids and the selection, and where each failure leaves the row.
#include "quotes/quote_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/numtext.h"

namespace tiramon {
namespace {

using Cells = std::vector<std::string>;

class QuoteTableTest : public ::testing::Test {
 protected:
  void SetUp() override { DecimalMark = '.'; }

  // Adds a row as the page parser leaves it (name, bid, ask, spread) and completes it.
  TListItem& Complete(const std::string& name, const std::string& bid, const std::string& ask) {
    TListItem& row = form.ListView1.items.emplace_back();
    row.caption = name;
    row.subItems = {bid + "0", ask + "0", "spread"};
    quotes::CompleteQuoteRow(form, row, name, bid, ask);
    return row;
  }

  static Cells Derived(const TListItem& row) {
    return Cells(row.subItems.begin() + 3, row.subItems.end());
  }

  TForm1 form;
};

const Cells kEurUsdMargins = {"11234",        "224.68 (0.4)", "112.34 (0.9)",
                              "22.468 (4.5)", "11.234 (8.9)", "5.617 (17.8)"};
const Cells kDollarBasedMargins = {"10000", "200 (0.5)", "100 (1)", "20 (5)", "10 (10)", "5 (20)"};

Cells With(Cells cells, const std::string& column10) {
  cells.push_back(column10);
  return cells;
}

TEST_F(QuoteTableTest, DerivedColumnsWithLotTenthAndDepositHundred) {
  struct Case {
    const char* name;
    const char* bid;
    const char* ask;
    Cells expected;  // columns 4 to 10 as far as they exist
  };
  const Case cases[] = {
      {"EUR/USD", "1.1234", "1.1236", With(kEurUsdMargins, "1")},
      {"GBP/USD",
       "1.3051",
       "1.3054",
       {"13051", "261.02 (0.4)", "130.51 (0.8)", "26.102 (3.8)", "13.051 (7.7)", "6.5255 (15.3)",
        "1"}},
      {"NZD/USD",
       "0.6893",
       "0.6897",
       {"6893", "137.86 (0.7)", "68.93 (1.5)", "13.786 (7.3)", "6.893 (14.5)", "3.4465 (29)", "1"}},
      {"USD/JPY", "110.25", "110.27", With(kDollarBasedMargins, "0.91")},
      {"USD/CHF", "0.9123", "0.9125", With(kDollarBasedMargins, "1.1")},
      {"USD/CAD", "1.2518", "1.2521", With(kDollarBasedMargins, "0.8")},
      {"USD/CNY", "6.4712", "6.4760", With(kDollarBasedMargins, "0.15")},
      {"USD/RUB", "73.412", "73.512", With(kDollarBasedMargins, "1.36")},
      {"USD/SEK", "8.5521", "8.5581", With(kDollarBasedMargins, "0.12")},
      {"USD/DKK", "6.2301", "6.2331", With(kDollarBasedMargins, "0.16")},
      {"USD/HKD", "7.7712", "7.7722", With(kDollarBasedMargins, "0.13")},
      {"USD/TRY", "8.4512", "8.4712", With(kDollarBasedMargins, "0.12")},
      {"USD/SGD", "1.3412", "1.3418", With(kDollarBasedMargins, "0.75")},
      {"USD/MXN", "20.112", "20.142", kDollarBasedMargins},
      {"EUR/GBP", "0.8512", "0.8515", With(kEurUsdMargins, "1.32")},
      {"EUR/JPY", "130.50", "130.53", With(kEurUsdMargins, "0.86")},
      {"EUR/CAD", "1.4062", "1.4068", With(kEurUsdMargins, "0.8")},
      {"GBP/CHF",
       "1.1906",
       "1.1911",
       {"13051", "261.02 (0.4)", "130.51 (0.8)", "26.102 (3.8)", "13.051 (7.7)", "6.5255 (15.3)",
        "1.1"}},
      {"AUD/NZD",
       "1.0752",
       "1.0758",
       {"7412", "148.24 (0.7)", "74.12 (1.3)", "14.824 (6.7)", "7.412 (13.5)", "3.706 (27)",
        "0.69"}},
      {"NZD/JPY",
       "75.991",
       "76.031",
       {"6893", "137.86 (0.7)", "68.93 (1.5)", "13.786 (7.3)", "6.893 (14.5)", "3.4465 (29)",
        "0.91"}},
      // USD/CHF and USD/CAD quote francs and Canadian dollars per dollar: a unit of the base is
      // worth 1 ÷ their bid to five decimals, as a CHF/USD quote would read: 1 ÷ 0.9123 =
      // 1.0961306... → $1.09613. 10000 francs = $10961.3, at 50 to 2000 that ÷ 50 ... ÷ 2000,
      // covered 100 ÷ 219.226 = 0.46 ... 100 ÷ 5.48065 = 18.25 times; 10 pips = ¥100 = 100 ÷
      // 120.50 francs × 1.09613 = $0.9097.
      {"CHF/JPY",
       "120.50",
       "120.55",
       {"10961.3", "219.226 (0.5)", "109.613 (0.9)", "21.9226 (4.6)", "10.9613 (9.1)",
        "5.48065 (18.2)", "0.91"}},
      // 1 ÷ 1.2518 = 0.7988496... → $0.79885: 10000 Canadian dollars = $7988.5, covered 100 ÷
      // 159.77 = 0.63 ... 100 ÷ 3.99425 = 25.04 times; ¥100 ÷ 88.071 × 0.79885 = $0.907.
      {"CAD/JPY",
       "88.071",
       "88.101",
       {"7988.5", "159.77 (0.6)", "79.885 (1.3)", "15.977 (6.3)", "7.9885 (12.5)", "3.99425 (25)",
        "0.91"}},
      {"SGD/JPY", "82.201", "82.261", {}},
      {"TRY/JPY", "13.041", "13.071", {}},
      {"USDX", "92.412", "92.432", {}},
  };
  form.RefBid_EURUSD = "1.1234";
  form.RefBid_GBPUSD = "1.3051";
  form.RefBid_AUDUSD = "0.7412";
  form.RefBid_NZDUSD = "0.6893";
  form.RefBid_USDCHF = "0.9123";
  form.RefBid_USDCAD = "1.2518";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    form.ListView1.items.clear();
    const TListItem& row = Complete(c.name, c.bid, c.ask);
    EXPECT_EQ(Derived(row), c.expected);
    EXPECT_EQ(row.caption, c.name);
  }
}

// A franc and a Canadian dollar are worth 1 ÷ the USD/CHF (USD/CAD) bid to five decimals, half
// up, in the table and in the assistant alike; the margin at 500 is the same figure in both.
TEST_F(QuoteTableTest, FrancsAndCanadianDollarsAreValuedAlikeInTableAndAssistant) {
  struct Case {
    const char* usdBid;  // USD/CHF or USD/CAD
    const char* cross;
    const char* crossBid;
    Cells expected;
    const char* zalog;  // the assistant's margin for 0.1 lot at 500
  };
  const Case cases[] = {
      // 1 ÷ 0.9123 = 1.0961306... → 1.09613.
      {"0.9123",
       "CHF/JPY",
       "120.50",
       {"10961.3", "219.226 (0.5)", "109.613 (0.9)", "21.9226 (4.6)", "10.9613 (9.1)",
        "5.48065 (18.2)", "0.91"},
       "21.9226"},
      // 1 ÷ 1.2518 = 0.7988496... → 0.79885.
      {"1.2518",
       "CAD/JPY",
       "88.071",
       {"7988.5", "159.77 (0.6)", "79.885 (1.3)", "15.977 (6.3)", "7.9885 (12.5)", "3.99425 (25)",
        "0.91"},
       "15.977"},
      // 1 ÷ 2.56 = 0.390625 exactly, a tie: up to 0.39063. ¥100 ÷ 100 × 0.39063 = $0.39.
      {"2.56",
       "CAD/JPY",
       "100",
       {"3906.3", "78.126 (1.3)", "39.063 (2.6)", "7.8126 (12.8)", "3.9063 (25.6)",
        "1.95315 (51.2)", "0.39"},
       "7.8126"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cross + std::string(" with the dollar at ") + c.usdBid);
    form.ListView1.items.clear();
    const std::string dollarPair = std::string("USD/") + std::string(c.cross).substr(0, 3);
    Complete(dollarPair, c.usdBid, "9");
    const TListItem& row = Complete(c.cross, c.crossBid, c.crossBid);
    EXPECT_EQ(Derived(row), c.expected);

    form.ListView1.selectedIndex = 1;
    form.ListView1Click();
    EXPECT_EQ(form.Label_Valuta.caption, c.cross);
    EXPECT_EQ(form.Zalog.caption, c.zalog);
  }
}

TEST_F(QuoteTableTest, PipValueOfDollarQuotedPairsRoundsTiesToEven) {
  const std::pair<const char*, const char*> cases[] = {
      {"0.05", "0"}, {"0.15", "2"}, {"0.25", "2"}, {"0.35", "4"}, {"0.01", "0"}, {"1", "10"},
  };
  for (auto [lot, pips] : cases) {
    SCOPED_TRACE(lot);
    form.edit_lot.text = lot;
    const TListItem& row = Complete("EUR/USD", "1.1234", "1.1236");
    ASSERT_EQ(row.subItems.size(), 10u);
    EXPECT_EQ(row.subItems[9], pips);
  }
}

// The pip value is rounded from the double it is stored as: 0.1 × 10 ÷ 40 and 1.0011 × 1 ÷ 0.852
// sit a hair below .xx5 in extended precision but on or above it as doubles.
TEST_F(QuoteTableTest, PipValuesOnATieRoundFromTheDouble) {
  form.RefBid_EURUSD = "1.0011";
  EXPECT_EQ(Complete("USD/TRY", "40.0000", "40.0100").subItems.back(), "0.03");
  EXPECT_EQ(Complete("EUR/GBP", "0.8520", "0.8522").subItems.back(), "1.18");
}

TEST_F(QuoteTableTest, ReferenceBidsComeFromNamesThatContainThePair) {
  struct Case {
    const char* name;
    std::string TForm1::*reference;  // nullptr: no reference changes
  };
  const Case cases[] = {
      {"EUR/USD", &TForm1::RefBid_EURUSD},
      {"GBP/USD", &TForm1::RefBid_GBPUSD},
      {"AUD/USD", &TForm1::RefBid_AUDUSD},
      {"NZD/USD", &TForm1::RefBid_NZDUSD},
      {"USD/CHF", &TForm1::RefBid_USDCHF},
      {"USD/CAD", &TForm1::RefBid_USDCAD},
      {"EUR/USD mini", &TForm1::RefBid_EURUSD},
      {"eur/usd", nullptr},
      {"EURUSD", nullptr},
      {"USD/JPY", nullptr},
  };
  std::string TForm1::*const all[] = {&TForm1::RefBid_EURUSD, &TForm1::RefBid_GBPUSD,
                                      &TForm1::RefBid_AUDUSD, &TForm1::RefBid_NZDUSD,
                                      &TForm1::RefBid_USDCHF, &TForm1::RefBid_USDCAD};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TForm1 fresh;
    fresh.ListView1.items.push_back({c.name, {"1.50", "1.60", "0.1"}});
    quotes::CompleteQuoteRow(fresh, fresh.ListView1.items.back(), c.name, "1.5", "1.6");
    for (auto reference : all) {
      EXPECT_EQ(fresh.*reference, reference == c.reference ? "1.5" : "");
    }
  }
}

TEST_F(QuoteTableTest, FirstRowSelectsEurUsdWhateverItsPair) {
  const std::string buyBefore = form.RadioButton_Buy.caption;
  const std::string sellBefore = form.RadioButton_sell.caption;
  ASSERT_TRUE(form.SelectedPair.empty());

  Complete("GBP/USD", "1.3051", "1.3054");
  EXPECT_EQ(form.SelectedPair, "EUR/USD");
  EXPECT_EQ(form.Label_Valuta.caption, "EUR/USD");
  EXPECT_EQ(form.SelectedBid, "");
  EXPECT_EQ(form.RadioButton_Buy.caption, buyBefore);
  EXPECT_EQ(form.RadioButton_sell.caption, sellBefore);

  Complete("eur/usd", "1.0000", "1.0001");  // names are compared exactly
  EXPECT_EQ(form.SelectedBid, "");
  EXPECT_EQ(form.RadioButton_Buy.caption, buyBefore);

  Complete("EUR/USD", "1.1234", "1.1236");
  EXPECT_EQ(form.SelectedBid, "1.1234");
  EXPECT_EQ(form.SelectedAsk, "1.1236");
  EXPECT_EQ(form.RadioButton_Buy.caption, "Покупка (ask): 1.1236");
  EXPECT_EQ(form.RadioButton_sell.caption, "Продажа (bid): 1.1234");
}

TEST_F(QuoteTableTest, AChosenPairIsFollowedAndTheLabelLeftAlone) {
  form.SelectedPair = "USD/JPY";
  form.Label_Valuta.caption = "USD/JPY";
  Complete("EUR/USD", "1.1234", "1.1236");
  EXPECT_EQ(form.SelectedBid, "");
  Complete("USD/JPY", "110.25", "110.27");
  EXPECT_EQ(form.SelectedPair, "USD/JPY");
  EXPECT_EQ(form.Label_Valuta.caption, "USD/JPY");
  EXPECT_EQ(form.SelectedBid, "110.25");
  EXPECT_EQ(form.SelectedAsk, "110.27");
  EXPECT_EQ(form.RadioButton_Buy.caption, "Покупка (ask): 110.27");
  EXPECT_EQ(form.RadioButton_sell.caption, "Продажа (bid): 110.25");
}

TEST_F(QuoteTableTest, ReferencesOutliveTheRefreshThatSetThem) {
  Complete("EUR/USD", "1.1234", "1.1236");
  form.ListView1.items.clear();  // the next refresh has no EUR/USD row
  const TListItem& cross = Complete("EUR/GBP", "0.8512", "0.8515");
  EXPECT_EQ(Derived(cross), With(kEurUsdMargins, "1.32"));
  EXPECT_EQ(form.RefBid_EURUSD, "1.1234");
}

TEST_F(QuoteTableTest, FailuresStopWithTheMessageAndLeaveTheCellsWritten) {
  struct Case {
    const char* what;
    const char* lot;
    const char* deposit;
    const char* name;
    const char* bid;
    const char* eurUsdReference;
    const char* message;
    std::size_t subItems;  // how many sub-items the row kept
  };
  const Case cases[] = {
      {"bad lot", "0,1", "100", "EUR/USD", "1.1234", "1.1234",
       "'0,1' is not a valid floating point value", 3},
      {"bad deposit", "0.1", "сто", "EUR/USD", "1.1234", "1.1234",
       "'сто' is not a valid floating point value", 4},
      {"empty lot", "", "100", "USD/JPY", "110.25", "1.1234",
       "'' is not a valid floating point value", 3},
      {"cross without its reference", "0.1", "100", "EUR/GBP", "0.8512", "",
       "'' is not a valid floating point value", 3},
      {"zero lot", "0", "100", "EUR/USD", "1.1234", "1.1234", "Floating point division by zero", 4},
      {"zero lot and deposit", "0", "0", "EUR/USD", "1.1234", "1.1234",
       "Invalid floating point operation", 4},
      {"zero bid of a dollar-quoted pair", "0.1", "100", "EUR/USD", "0", "1.1234",
       "Floating point division by zero", 4},
      {"zero bid in the pip value", "0.1", "100", "USD/JPY", "0", "1.1234",
       "Floating point division by zero", 9},
      {"zero bid of a cross", "0.1", "100", "EUR/GBP", "0", "1.1234",
       "Floating point division by zero", 9},
      {"zero reference", "0.1", "100", "EUR/GBP", "0.8512", "0", "Floating point division by zero",
       4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TForm1 fresh;
    fresh.edit_lot.text = c.lot;
    fresh.Edit8.text = c.deposit;
    fresh.RefBid_EURUSD = c.eurUsdReference;
    fresh.ListView1.items.push_back({c.name, {"b", "a", "s"}});
    try {
      quotes::CompleteQuoteRow(fresh, fresh.ListView1.items.back(), c.name, c.bid, "1.2");
      ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
    ASSERT_EQ(fresh.ListView1.items.size(), 1u);
    EXPECT_EQ(fresh.ListView1.items[0].subItems.size(), c.subItems);
  }
}

TEST(QuoteTableCaptionTest, Column4FollowsTheLotTextAsTyped) {
  EXPECT_EQ(quotes::Column4Caption("0.1"), "0.1 лот (без плеча)");
  EXPECT_EQ(quotes::Column4Caption("0.10"), "0.10 лот (без плеча)");
  EXPECT_EQ(quotes::Column4Caption(""), " лот (без плеча)");
}

// A page's rows share one QuoteInputs; each row must come out as if completed on its own, and
// a dollar pair's pip cell is the lot's worth whichever rows came before it.
TEST_F(QuoteTableTest, RowsSharingTheirInputsComeOutAsRowsCompletedAlone) {
  form.edit_lot.text = "0.25";  // a pip of a quarter lot is $2.50: column 10 rounds it to 2
  form.Edit8.text = "1000";
  const struct {
    const char* name;
    const char* bid;
  } rows[] = {{"EUR/USD", "1.1234"},
              {"USD/JPY", "110.25"},
              {"GBP/USD", "1.3"},
              {"EUR/GBP", "0.8512"},
              {"AUD/USD", "0.7"}};
  quotes::QuoteInputs shared(form);
  std::vector<Cells> together;
  for (const auto& r : rows) {
    TListItem& row = form.ListView1.items.emplace_back();
    row.subItems = {"b", "a", "s"};
    quotes::CompleteQuoteRow(form, row, r.name, r.bid, "1.5", shared);
    together.push_back(Derived(row));
  }
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(rows[i].name);
    TForm1 alone;
    alone.edit_lot.text = "0.25";
    alone.Edit8.text = "1000";
    alone.RefBid_EURUSD = "1.1234";  // the cross reads the EUR/USD row before it
    TListItem& row = alone.ListView1.items.emplace_back();
    row.subItems = {"b", "a", "s"};
    quotes::CompleteQuoteRow(alone, row, rows[i].name, rows[i].bid, "1.5");
    EXPECT_EQ(together[i], Derived(row));
  }
  EXPECT_EQ(together[0].back(), "2");  // ties to even
  EXPECT_EQ(together[2].back(), "2");
  EXPECT_EQ(together[4].back(), "2");
  // GBP/USD at 1.3: a quarter lot is 32,500 dollars, at 1:100 that is 325 of the 1000 deposit.
  EXPECT_EQ(together[2][2], "325 (3.1)");
}

}  // namespace
}  // namespace tiramon
