// The quote table: the derived columns cell for cell for every kind of pair, worked out from the
// rates of the table's own rows once the whole table is read; the pip value in cents, positions
// rounded down, money to the cent; the reference bids and the selection; and the boxes under the
// table, which the figures follow as they are typed.
#include "quotes/quote_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/wiring.h"
#include "quotes/page_parser.h"
#include "support/numtext.h"

namespace tiramon {
namespace {

using Cells = std::vector<std::string>;

struct Quote {
  const char* name;
  const char* bid;
  const char* ask;
};

class QuoteTableTest : public ::testing::Test {
 protected:
  void SetUp() override { DecimalMark = '.'; }

  // Fills the table as a source does, row by row, then completes it.
  void Fill(const std::vector<Quote>& quotes) {
    std::string cell;
    for (const Quote& q : quotes) quotes::AppendQuoteRow(form, q.name, q.bid, q.ask, cell);
    quotes::CompleteQuoteTable(form);
  }

  const TListItem& Row(const std::string& name) const {
    for (const TListItem& row : form.ListView1.items) {
      if (row.caption == name) return row;
    }
    ADD_FAILURE() << "no row " << name;
    return form.ListView1.items.front();
  }

  Cells Derived(const std::string& name) const {
    const TListItem& row = Row(name);
    return Cells(row.subItems.begin() + 3, row.subItems.end());
  }

  TForm1 form;
};

Cells With(Cells cells, const std::string& column10) {
  cells.push_back(column10);
  return cells;
}

// Lot 0.1 and deposit 100. A lot of EUR at 1.1234 is $112340, a tenth of it $11234; at 50 … 2000
// that is 224.68, 112.34, 22.468 → 22.47, 11.234 → 11.23, 5.617 → 5.62; covered 100 ÷ 224.68 =
// 0.44 → 0.4, 0.89 → 0.8, 4.45 → 4.4, 8.90 → 8.9, 17.80 → 17.8 times (rounded down).
const Cells kEurMargins = {"11234",       "224.68 (0.4)", "112.34 (0.8)",
                           "22.47 (4.4)", "11.23 (8.9)",  "5.62 (17.8)"};
// A dollar-based lot is $100000 whatever the price.
const Cells kDollarMargins = {"10000", "200 (0.5)", "100 (1)", "20 (5)", "10 (10)", "5 (20)"};
// GBP at 1.3051: 13051; 261.02 (0.38), 130.51 (0.76), 26.102 → 26.1 (3.83), 13.051 → 13.05
// (7.66), 6.5255 → 6.53 (15.32).
const Cells kGbpMargins = {"13051",      "261.02 (0.3)", "130.51 (0.7)",
                           "26.1 (3.8)", "13.05 (7.6)",  "6.53 (15.3)"};
// NZD at 0.6893: 137.86 (0.72), 68.93 (1.45), 13.786 → 13.79 (7.25), 6.893 → 6.89 (14.50),
// 3.4465 → 3.45 (29.01).
const Cells kNzdMargins = {"6893",        "137.86 (0.7)", "68.93 (1.4)",
                           "13.79 (7.2)", "6.89 (14.5)",  "3.45 (29)"};

const std::vector<Quote> kMajors = {
    {"EUR/USD", "1.1234", "1.1236"}, {"GBP/USD", "1.3051", "1.3054"},
    {"AUD/USD", "0.7412", "0.7415"}, {"NZD/USD", "0.6893", "0.6897"},
    {"USD/JPY", "110.25", "110.27"}, {"USD/CHF", "0.9123", "0.9125"},
    {"USD/CAD", "1.2518", "1.2521"},
};

TEST_F(QuoteTableTest, DerivedColumnsWithLotTenthAndDepositHundred) {
  std::vector<Quote> page = {
      {"USD/CNY", "6.4712", "6.4760"}, {"USD/RUB", "73.412", "73.512"},
      {"USD/SEK", "8.5521", "8.5581"}, {"USD/DKK", "6.2301", "6.2331"},
      {"USD/HKD", "7.7712", "7.7722"}, {"USD/TRY", "8.4512", "8.4712"},
      {"USD/SGD", "1.3412", "1.3418"}, {"USD/MXN", "20.112", "20.142"},
      {"USD/NOK", "8.6012", "8.6082"}, {"USD/PLN", "4.0123", "4.0153"},
      {"USD/ZAR", "14.512", "14.562"}, {"EUR/GBP", "0.8512", "0.8515"},
      {"EUR/JPY", "130.50", "130.53"}, {"EUR/CAD", "1.4062", "1.4068"},
      {"GBP/CHF", "1.1906", "1.1911"}, {"AUD/NZD", "1.0752", "1.0758"},
      {"NZD/JPY", "75.991", "76.031"}, {"CHF/JPY", "120.50", "120.55"},
      {"CAD/JPY", "88.071", "88.101"}, {"TRY/SEK", "1.2301", "1.2311"},
      {"USDX", "92.412", "92.432"},
  };
  page.insert(page.begin(), kMajors.begin(), kMajors.end());
  Fill(page);
  const struct {
    const char* name;
    Cells expected;  // columns 4 to 10 as far as they exist
  } cases[] = {
      // A pip (ten points) of a tenth of a lot quoted in dollars is $1.
      {"EUR/USD", With(kEurMargins, "1")},
      {"GBP/USD", With(kGbpMargins, "1")},
      {"NZD/USD", With(kNzdMargins, "1")},
      // ¥100 ÷ 110.25 = $0.907; 1 franc ÷ 0.9123 = $1.096; and so on, to the cent.
      {"USD/JPY", With(kDollarMargins, "0.91")},
      {"USD/CHF", With(kDollarMargins, "1.1")},
      {"USD/CAD", With(kDollarMargins, "0.8")},
      {"USD/CNY", With(kDollarMargins, "0.15")},
      {"USD/RUB", With(kDollarMargins, "1.36")},
      {"USD/SEK", With(kDollarMargins, "0.12")},
      {"USD/DKK", With(kDollarMargins, "0.16")},
      {"USD/HKD", With(kDollarMargins, "0.13")},
      {"USD/TRY", With(kDollarMargins, "0.12")},
      {"USD/SGD", With(kDollarMargins, "0.75")},
      // Every dollar-based pair has its pip: 1 peso ÷ 20.112 = $0.0497, 1 krone ÷ 8.6012 =
      // $0.1163, 1 zloty ÷ 4.0123 = $0.2492, 1 rand ÷ 14.512 = $0.0689.
      {"USD/MXN", With(kDollarMargins, "0.05")},
      {"USD/NOK", With(kDollarMargins, "0.12")},
      {"USD/PLN", With(kDollarMargins, "0.25")},
      {"USD/ZAR", With(kDollarMargins, "0.07")},
      // Crosses: the base's dollar value from this table's row; a pip of the quote currency is
      // worth the base's dollars ÷ the cross: 1.1234 ÷ 0.8512 = 1.3198.
      {"EUR/GBP", With(kEurMargins, "1.32")},
      {"EUR/JPY", With(kEurMargins, "0.86")},  // 1.1234 × 100 ÷ 130.50
      {"EUR/CAD", With(kEurMargins, "0.8")},   // 1.1234 ÷ 1.4062 = 0.7989
      {"GBP/CHF", With(kGbpMargins, "1.1")},   // 1.3051 ÷ 1.1906 = 1.0962
      {"NZD/JPY", With(kNzdMargins, "0.91")},  // 0.6893 × 100 ÷ 75.991 = 0.9071
      // AUD at 0.7412: 148.24 (0.67), 74.12 (1.35), 14.824 → 14.82 (6.75), 7.412 → 7.41
      // (13.49), 3.706 → 3.71 (26.98); 0.7412 ÷ 1.0752 = 0.6894.
      {"AUD/NZD",
       {"7412", "148.24 (0.6)", "74.12 (1.3)", "14.82 (6.7)", "7.41 (13.4)", "3.71 (26.9)",
        "0.69"}},
      // A franc is 1 ÷ 0.9123 = 1.0961306… → $1.09613: 10961.3, ÷ 50 … 2000 = 219.226 → 219.23
      // (0.46), 109.613 → 109.61 (0.91), 21.9226 → 21.92 (4.56), 10.9613 → 10.96 (9.12),
      // 5.48065 → 5.48 (18.25); a pip ¥100 ÷ 120.50 × 1.09613 = $0.9097.
      {"CHF/JPY",
       {"10961.3", "219.23 (0.4)", "109.61 (0.9)", "21.92 (4.5)", "10.96 (9.1)", "5.48 (18.2)",
        "0.91"}},
      // 1 ÷ 1.2518 = 0.7988496… → 0.79885: 7988.5; 159.77 (0.63), 79.885 → 79.89 (1.25),
      // 15.977 → 15.98 (6.26), 7.9885 → 7.99 (12.52), 3.99425 → 3.99 (25.04); ¥100 ÷ 88.071 ×
      // 0.79885 = $0.907.
      {"CAD/JPY",
       {"7988.5", "159.77 (0.6)", "79.89 (1.2)", "15.98 (6.2)", "7.99 (12.5)", "3.99 (25)",
        "0.91"}},
      // Neither the lira nor the krona is worth anything the table knows in dollars as a base
      // of a cross: nothing to show. A name that is no pair gets nothing either.
      {"USDX", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Derived(c.name), c.expected);
  }
  // The lira has a dollar rate here (USD/TRY), so TRY/SEK is valued through it: 10000 lira at
  // 1 ÷ 8.4512 = $0.11833 are $1183.26.
  EXPECT_EQ(Derived("TRY/SEK").front(), "1183.26");
}

// The crosses take the dollar rates of the page they are on, whatever the order of its rows,
// and never a rate from an earlier page.
TEST_F(QuoteTableTest, CrossesAreValuedFromThisTablesRatesWhateverTheOrder) {
  Fill({{"EUR/GBP", "0.8512", "0.8515"}, {"EUR/USD", "1.1234", "1.1236"}});
  EXPECT_EQ(Derived("EUR/GBP"), With(kEurMargins, "1.32"));

  // The next page has EUR/USD at 1.2 and the cross before it.
  form.ListView1.items.clear();
  quotes::ClearQuoteTable(form);
  Fill({{"EUR/GBP", "0.8512", "0.8515"}, {"EUR/USD", "1.2", "1.2002"}});
  // 1.2 × 10000 = 12000, ÷ 50 = 240 (0.41); a pip 1.2 ÷ 0.8512 = $1.41.
  EXPECT_EQ(Derived("EUR/GBP")[1], "240 (0.4)");
  EXPECT_EQ(Derived("EUR/GBP").back(), "1.41");

  // A page without the cross's dollar pair has no figures for it.
  quotes::ClearQuoteTable(form);
  Fill({{"EUR/GBP", "0.8512", "0.8515"}});
  EXPECT_EQ(Derived("EUR/GBP"), Cells{});
  EXPECT_EQ(form.RefBid_EURUSD, "1.2");  // the reference bids still outlive the page
}

// A franc and a Canadian dollar are worth 1 ÷ the USD/CHF (USD/CAD) bid to five decimals, half
// up, in the table and in the assistant alike; the margin at 500 is the same figure in both.
TEST_F(QuoteTableTest, FrancsAndCanadianDollarsAreValuedAlikeInTableAndAssistant) {
  const struct {
    const char* usdBid;  // USD/CHF or USD/CAD
    const char* cross;
    const char* crossBid;
    Cells expected;
    const char* zalog;  // the assistant's margin for 0.1 lot at 500
  } cases[] = {
      {"0.9123",
       "CHF/JPY",
       "120.50",
       {"10961.3", "219.23 (0.4)", "109.61 (0.9)", "21.92 (4.5)", "10.96 (9.1)", "5.48 (18.2)",
        "0.91"},
       "21.92"},
      {"1.2518",
       "CAD/JPY",
       "88.071",
       {"7988.5", "159.77 (0.6)", "79.89 (1.2)", "15.98 (6.2)", "7.99 (12.5)", "3.99 (25)", "0.91"},
       "15.98"},
      // 1 ÷ 2.56 = 0.390625 exactly, a tie: up to 0.39063. 3906.3 ÷ 50 = 78.126 → 78.13 (1.27)
      // … ÷ 2000 = 1.95315 → 1.95 (51.19); ¥100 ÷ 100 × 0.39063 = $0.39.
      {"2.56",
       "CAD/JPY",
       "100",
       {"3906.3", "78.13 (1.2)", "39.06 (2.5)", "7.81 (12.7)", "3.91 (25.5)", "1.95 (51.1)",
        "0.39"},
       "7.81"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cross + std::string(" with the dollar at ") + c.usdBid);
    quotes::ClearQuoteTable(form);
    const std::string dollarPair = std::string("USD/") + std::string(c.cross).substr(0, 3);
    Fill({{dollarPair.c_str(), c.usdBid, "9"}, {c.cross, c.crossBid, c.crossBid}});
    EXPECT_EQ(Derived(c.cross), c.expected);

    form.ListView1.selectedIndex = 1;
    form.ListView1Click();
    EXPECT_EQ(form.Label_Valuta.caption, c.cross);
    EXPECT_EQ(form.Zalog.caption, c.zalog);
  }
}

// A pip of a pair quoted in dollars is ten cents a hundredth of a lot: to the cent, never a
// whole number of dollars.
TEST_F(QuoteTableTest, PipValueOfDollarQuotedPairsInCents) {
  const std::pair<const char*, const char*> cases[] = {
      {"0.05", "0.5"}, {"0.15", "1.5"}, {"0.25", "2.5"},  {"0.35", "3.5"},
      {"0.01", "0.1"}, {"1", "10"},     {"7.77", "77.7"},
  };
  for (auto [lot, pips] : cases) {
    SCOPED_TRACE(lot);
    quotes::ClearQuoteTable(form);
    form.edit_lot.text = lot;
    Fill({{"EUR/USD", "1.1234", "1.1236"}});
    ASSERT_EQ(form.ListView1.items[0].subItems.size(), 10u);
    EXPECT_EQ(form.ListView1.items[0].subItems[9], pips);
  }
}

// The pip value is rounded from the double it is stored as: 0.1 × 10 ÷ 40 and 1.0011 × 1 ÷ 0.852
// sit a hair below .xx5 in extended precision but on or above it as doubles.
TEST_F(QuoteTableTest, PipValuesOnATieRoundFromTheDouble) {
  Fill({{"EUR/USD", "1.0011", "1.0012"},
        {"USD/TRY", "40.0000", "40.0100"},
        {"EUR/GBP", "0.8520", "0.8522"}});
  EXPECT_EQ(Row("USD/TRY").subItems.back(), "0.03");
  EXPECT_EQ(Row("EUR/GBP").subItems.back(), "1.18");
}

// The positions count is rounded down: 0.95 positions do not make one.
TEST_F(QuoteTableTest, PositionsAreRoundedDown) {
  form.edit_lot.text = "0.21";
  form.Edit8.text = "10";
  Fill({{"USD/CHF", "0.9123", "0.9125"}});
  // 0.21 × 100000 ÷ 2000 = 10.5, of which 10 covers 0.952.
  EXPECT_EQ(Row("USD/CHF").subItems[8], "10.5 (0.9)");
}

// A price is shown as the source gave it, with the decimals its pair uses where it has fewer.
TEST_F(QuoteTableTest, PricesKeepTheirValueAndThePairsDecimals) {
  const struct {
    const char* name;
    const char* price;
    const char* cell;
  } cases[] = {
      {"EUR/USD", "1.1234", "1.12340"}, {"EUR/USD", "1.12345", "1.12345"},
      {"USD/JPY", "110.25", "110.250"}, {"USD/JPY", "150", "150.000"},
      {"USD/RUB", "92.5", "92.500"},    {"XAU/USD", "4146.26", "4146.26"},
      {"XAG/USD", "30.5", "30.500"},    {"USDX", "92.4", "92.40"},
      {"USDX", "92", "92.0"},           {"EUR/USD", "1,1", "1,10"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + c.price);
    EXPECT_EQ(quotes::PriceCell(c.price, KnownInstrument(c.name)), c.cell);
  }
  // A whole-number bid is its own value, not ten times it: a rouble account counts at 92 roubles.
  Fill({{"USD/RUB", "92", "92"}});
  EXPECT_EQ(form.ListView1.items[0].subItems[0], "92.000");
  EXPECT_EQ(quotes::RowBid(form.ListView1.items[0]), 92);
  EXPECT_EQ(*form.TableRates.PerDollar("RUB"), 92);
}

TEST_F(QuoteTableTest, ReferenceBidsComeFromNamesThatContainThePair) {
  const struct {
    const char* name;
    std::string TForm1::*reference;  // nullptr: no reference changes
  } cases[] = {
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
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TForm1 fresh;
    quotes::RecordQuote(fresh, c.name, "1.5", "1.6", 1.5L);
    for (auto reference : all) {
      EXPECT_EQ(fresh.*reference, reference == c.reference ? "1.5" : "");
    }
  }
}

TEST_F(QuoteTableTest, FirstRowSelectsEurUsdWhateverItsPair) {
  const std::string buyBefore = form.RadioButton_Buy.caption;
  const std::string sellBefore = form.RadioButton_sell.caption;
  ASSERT_TRUE(form.SelectedPair.empty());

  quotes::RecordQuote(form, "GBP/USD", "1.3051", "1.3054", 1.3051L);
  EXPECT_EQ(form.SelectedPair, "EUR/USD");
  EXPECT_EQ(form.Label_Valuta.caption, "EUR/USD");
  EXPECT_EQ(form.SelectedBid, "");
  EXPECT_EQ(form.RadioButton_Buy.caption, buyBefore);
  EXPECT_EQ(form.RadioButton_sell.caption, sellBefore);

  quotes::RecordQuote(form, "eur/usd", "1.0000", "1.0001", 1.0000L);  // names are compared exactly
  EXPECT_EQ(form.SelectedBid, "");
  EXPECT_EQ(form.RadioButton_Buy.caption, buyBefore);

  quotes::RecordQuote(form, "EUR/USD", "1.1234", "1.1236", 1.1234L);
  EXPECT_EQ(form.SelectedBid, "1.1234");
  EXPECT_EQ(form.SelectedAsk, "1.1236");
  EXPECT_EQ(form.RadioButton_Buy.caption, "Покупка (ask): 1.1236");
  EXPECT_EQ(form.RadioButton_sell.caption, "Продажа (bid): 1.1234");
}

TEST_F(QuoteTableTest, AChosenPairIsFollowedAndTheLabelLeftAlone) {
  form.SelectedPair = "USD/JPY";
  form.Label_Valuta.caption = "USD/JPY";
  quotes::RecordQuote(form, "EUR/USD", "1.1234", "1.1236", 1.1234L);
  EXPECT_EQ(form.SelectedBid, "");
  quotes::RecordQuote(form, "USD/JPY", "110.25", "110.27", 110.25L);
  EXPECT_EQ(form.SelectedPair, "USD/JPY");
  EXPECT_EQ(form.Label_Valuta.caption, "USD/JPY");
  EXPECT_EQ(form.SelectedBid, "110.25");
  EXPECT_EQ(form.SelectedAsk, "110.27");
  EXPECT_EQ(form.RadioButton_Buy.caption, "Покупка (ask): 110.27");
  EXPECT_EQ(form.RadioButton_sell.caption, "Продажа (bid): 110.25");
}

// The boxes under the table: a lot or a deposit that cannot be used leaves the rows their prices
// and says which box is wrong; the figures and the lot column's caption follow the boxes as they
// are typed, from the prices already in the rows.
TEST_F(QuoteTableTest, TheBoxesUnderTheTableDecideItsFigures) {
  const struct {
    const char* lot;
    const char* deposit;
    std::size_t cells;  // of the EUR/USD row
    const char* note;   // the start of Label_TableNote, empty for none
  } cases[] = {
      {"0.1", "100", 10, ""},
      {"0,1", "100", 10, ""},  // a decimal comma is a decimal point
      {"", "100", 3, "Размер позиции: «»"},
      {"0", "100", 3, "Размер позиции: «0»"},
      {"abc", "100", 3, "Размер позиции: «abc»"},
      {"1e6", "100", 3, "Размер позиции: «1e6»"},
      {"0.1", "сто", 3, "Депозит: «сто»"},
      {"0.1", "-5", 3, "Депозит: «-5»"},
      {"0.1", "0", 10, ""},  // nothing covered, but the margins stand
  };
  Fill(kMajors);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.lot) + " / " + c.deposit);
    form.edit_lot.text = c.lot;
    form.Edit8.text = c.deposit;
    RunHandler(form, WiredHandler("edit_lot", Event::Change));
    EXPECT_EQ(form.ListView1.items.size(), kMajors.size());
    EXPECT_EQ(Row("EUR/USD").subItems.size(), c.cells);
    EXPECT_EQ(form.Label_TableNote.caption.rfind(c.note, 0), 0u) << form.Label_TableNote.caption;
    EXPECT_EQ(form.ListView1.columns[4].caption, std::string(c.lot) + " лот (без плеча)");
  }
  // Typing a new lot and deposit gives the figures of a refresh, without one.
  form.edit_lot.text = "0.2";
  form.Edit8.text = "1000";
  RunHandler(form, WiredHandler("Edit8", Event::Change));
  // 0.2 × 112340 = 22468, ÷ 50 = 449.36, covered 1000 ÷ 449.36 = 2.22 times.
  EXPECT_EQ(Derived("EUR/USD")[1], "449.36 (2.2)");
  EXPECT_EQ(Derived("EUR/USD").back(), "2");
}

TEST(QuoteTableCaptionTest, Column4FollowsTheLotTextAsTyped) {
  EXPECT_EQ(quotes::Column4Caption("0.1"), "0.1 лот (без плеча)");
  EXPECT_EQ(quotes::Column4Caption("0.10"), "0.10 лот (без плеча)");
  EXPECT_EQ(quotes::Column4Caption(""), " лот (без плеча)");
}

}  // namespace
}  // namespace tiramon
