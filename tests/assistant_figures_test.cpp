// The figures a trader acts on, one row per way they used to go wrong, each against arithmetic
// written beside it; then a sweep of every pair of the demo feed over lots, deposits and both
// sizing modes: the lot shown never loses more than the risk asked, every figure is that lot's,
// and the stop-out is never further from the entry than where the equity really reaches it.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "quotes/page_parser.h"
#include "tests/assistant_market.h"
#include "tools/quote_feed/quote_book.h"

namespace tiramon::assistant_test {
namespace {

struct Row {
  const char* what;
  std::function<void(TForm1&)> arrange;
  std::map<std::string, std::string> shown;  // control → text
  std::vector<std::string> warnings;         // lines the warnings box must hold
};

std::string Text(const TForm1& f, const std::string& name) {
  const std::map<std::string, const std::string*> texts = {
      {"Zalog", &f.Zalog.caption},
      {"Punkt", &f.Punkt.caption},
      {"Label_Loss", &f.Label_Loss.caption},
      {"Label_Loss2", &f.Label_Loss2.caption},
      {"Label_Profit", &f.Label_Profit.caption},
      {"Soot", &f.Soot.caption},
      {"Edit_ProcLot", &f.Edit_ProcLot.text},
      {"Edit_ProcLot2", &f.Edit_ProcLot2.text},
      {"Edit_Loss", &f.Edit_Loss.text},
      {"Edit_Teik", &f.Edit_Teik.text},
      {"Label_StopOut", &f.Label_StopOut.caption},
  };
  return *texts.at(name);
}

// A pair at one price, bought there, on the tab's defaults otherwise.
std::function<void(TForm1&)> At(const char* pair, const char* price, const char* ask = nullptr) {
  return [=](TForm1& f) {
    f.ListView1.items.push_back(TListItem{pair, {price, ask ? ask : price, "0"}});
    f.TableRates.Add(pair, ParseDecimal(price));
    f.ListView1.selectedIndex = static_cast<int>(f.ListView1.items.size()) - 1;
  };
}

std::function<void(TForm1&)> Boxes(std::map<std::string, std::string> boxes) {
  return [boxes](TForm1& f) {
    const std::map<std::string, std::string*> texts = {
        {"deposit", &f.Edit_Deposit.text}, {"leverage", &f.ComboBox_Plecho.text},
        {"lot", &f.ComboBox_Lot.text},     {"risk", &f.ComboBox_LotProc.text},
        {"stop", &f.ComboBox_los.text},    {"take", &f.ComboBox_Teik.text},
    };
    for (const auto& [box, text] : boxes) *texts.at(box) = text;
    if (boxes.count("risk")) PercentMode(f);
  };
}

std::function<void(TForm1&)> All(std::vector<std::function<void(TForm1&)>> steps) {
  return [steps](TForm1& f) {
    for (const auto& step : steps) step(f);
  };
}

class AssistantFigures : public AssistantTest {};

TEST_F(AssistantFigures, EachWayTheyWentWrong) {
  const std::vector<Row> rows = {
      // 2 % of $100 is $2; 400 points of a lot of EUR/USD are $400, so 0.005 lots fit, and a
      // hundredth of a lot would lose $4, twice the risk: no lot.
      {"a risk too small for the smallest lot is no lot",
       All({At("EUR/USD", "1.1"), Boxes({{"risk", "2"}, {"stop", "400"}})}),
       {{"Edit_ProcLot2", "0"}},
       {"Лот от стопа 0: риска не хватает даже на 0.01 лота."}},
      // 5 % of $1000 = $50 over 150 points and $7 a lot: 0.31847 lots, 0.318 at a step of
      // 0.001, which loses 0.318 × 157 = $49.93 — not 0.32, which would lose $50.24.
      {"a lot from the stop is rounded down to the step",
       All({At("EUR/USD", "1.1"), Boxes({{"deposit", "1000"}, {"risk", "5"}, {"stop", "150"}}),
            [](TForm1& f) { f.Broker = {"USD", 7, 0.001, 0, 0, 0}; }}),
       {{"Edit_ProcLot2", "0.318"}},
       {}},
      // 5 % of $100 at 1:500: $5 of margin at 108500 ÷ 500 = $217 a lot is 0.023 lots, shown
      // 0.02; the figures are those of 0.02: margin 4.34, point 0.02, 150 points $3.
      {"every figure of percent mode is of the lot shown",
       All({At("EUR/USD", "1.085"), Boxes({{"risk", "5"}})}),
       {{"Edit_ProcLot", "0.02"},
        {"Zalog", "4.34"},
        {"Punkt", "0.02"},
        {"Label_Loss", "3$ или 3%"}},
       {}},
      // $20 margin, half of it the stop-out: (100 − 10) ÷ ($0.1 ÷ 0.88135 a point) = 793.2
      // points, at 0.88135 − 0.00793; the stop 800 points down lies beyond it.
      {"the stop-out counts with the exact value of a point",
       All({At("USD/CHF", "0.88115", "0.88135"), Boxes({{"stop", "800"}}),
            [](TForm1& f) { f.Broker.stopOutLevel = 50; }}),
       {{"Label_StopOut", "стоп-аут на 0.87342"}, {"Edit_Loss", "0.87335"}},
       {"Стоп-аут наступит раньше стопа: на 0.87342, а стоп на 0.87335."}},
      // 0.1 lot of USD/TRY at 1:1 is $10000 of margin on $100; a point 0.1 lira ÷ 40 = $0.0025,
      // 150 points $0.38; every figure is the lira's, none left of EUR/USD before it.
      {"a point worth less than a cent still counts the trade",
       All({At("EUR/USD", "1.1"), [](TForm1& f) { f.ListView1Click(); }, At("USD/TRY", "40"),
            Boxes({{"leverage", "1"}})}),
       {{"Zalog", "10000"},
        {"Punkt", "0.0025"},
        {"Label_Loss", "0.38$ или 0.38%"},
        {"Edit_Loss", "39.99850"},
        {"Soot", "3.3"}},
       {kNoFunds}},
      // $15 of $700 are 2.142857 %: two decimals.
      {"percentages to two decimals",
       All({At("EUR/USD", "1.1"), Boxes({{"deposit", "700"}})}),
       {{"Label_Loss", "15$ или 2.14%"}},
       {}},
      // $10000 ÷ 33 = 303.0303: to the cent.
      {"money to the cent",
       All({At("USD/JPY", "150"), Boxes({{"leverage", "33"}})}),
       {{"Zalog", "303.03"}},
       {}},
      // 7 points of $0.01 are $0.07, 0.000007 % of a million: 0 % to two decimals.
      {"no exponent where money is read",
       All({At("EUR/USD", "1.1"), Boxes({{"deposit", "1000000"}, {"lot", "0.01"}, {"stop", "7"}})}),
       {{"Label_Loss", "0.07$ или 0%"}},
       {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    TForm1 form;
    row.arrange(form);
    form.ListView1Click();
    for (const auto& [control, text] : row.shown) EXPECT_EQ(Text(form, control), text) << control;
    for (const std::string& line : row.warnings) {
      EXPECT_NE(std::find(form.Memo1.lines.begin(), form.Memo1.lines.end(), line),
                form.Memo1.lines.end())
          << line;
    }
  }
}

// The sweep. For each run: the money the run shows is that of the lot its box shows (margin,
// point, loss with the commission), the lot from the stop loses no more than the risk, and the
// stop-out lies no further than the exact point where the equity reaches its level.
TEST_F(AssistantFigures, EveryDemoPairLotDepositAndMode) {
  feed::QuoteBook quoteBook(5);
  quoteBook.Step();
  TForm1 form;
  quotes::ParseQuotePage(form, quoteBook.Page(0));
  form.Broker.stopOutLevel = 50;
  int runs = 0;
  for (std::size_t i = 0; i < form.ListView1.items.size(); ++i) {
    const std::string pair = form.ListView1.items[i].caption;
    const std::optional<Instrument> instrument = KnownInstrument(pair);
    ASSERT_TRUE(instrument.has_value()) << pair;
    for (const char* lot : {"0.01", "0.1", "1", "7.77", "percent", "percent with step"}) {
      for (const char* deposit : {"100", "1000", "1000000"}) {
        SCOPED_TRACE(pair + " " + lot + " " + deposit);
        const bool percent = std::string(lot).rfind("percent", 0) == 0;
        form.Broker.lotStep = std::string(lot) == "percent with step" ? 0.001 : 0;
        form.RadioButton11.checked = !percent;
        form.RadioButton9.checked = percent;
        form.ComboBox_Lot.text = percent ? "0.1" : lot;
        form.ComboBox_LotProc.text = "3";
        form.Edit_Deposit.text = deposit;
        form.ListView1.selectedIndex = static_cast<int>(i);
        form.ListView1Click();
        ASSERT_TRUE(form.AssistantFigures.has_value()) << form.Memo1.lines.front();
        const TradeFigures& f = form.AssistantFigures->figures;
        const long double dep = std::stold(deposit);
        // The lot shown: the box in percent mode, the typed lot otherwise.
        const double shownLot = std::stod(percent ? form.Edit_ProcLot.text : lot);
        EXPECT_EQ(f.lots, shownLot);
        // Its margin and point by the definitions: a point of a lot is 100000 × the point size
        // in the quote currency, worth $1 a unit (…/USD) or the base's dollars ÷ the entry.
        const std::optional<long double> base =
            form.TableRates.DollarsPer(instrument->baseCurrency);
        ASSERT_TRUE(base.has_value());
        const long double quoteRate = instrument->quoteCurrency == "USD" ? 1 : *base / f.entry;
        const long double onePoint = 100000 * instrument->pointSize * quoteRate;
        EXPECT_NEAR(f.pointValue, shownLot * onePoint, 1e-12L * (1 + f.pointValue));
        EXPECT_NEAR(f.margin, shownLot * 100000 * f.entry * quoteRate / 500,
                    1e-9L * (1 + f.margin));
        EXPECT_NEAR(std::stold(form.Zalog.caption), f.margin, 0.005L + 1e-12L * f.margin);
        EXPECT_NEAR(f.lossAtStop, 150 * shownLot * onePoint, 1e-9L * (1 + f.lossAtStop));
        if (percent) {
          // The lot from the stop: within the risk, one step more beyond it.
          const long double risk = 3 * dep / 100;
          const long double step = form.Broker.lotStep > 0 ? form.Broker.lotStep : 0.01L;
          const long double byStop = std::stold(form.Edit_ProcLot2.text);
          EXPECT_LE(byStop * 150 * onePoint, risk * (1 + 1e-12L));
          EXPECT_GT((byStop + step) * 150 * onePoint, risk);
        }
        // The stop-out: never further from the entry than where the equity, the deposit less the
        // loss so far, reaches half the margin.
        if (f.stopOutPrice && f.pointValue > 0) {
          const long double points = std::fabs(*f.stopOutPrice - f.entry) / instrument->pointSize;
          const long double exact = (dep - f.commission - f.margin * 0.5L) / f.pointValue;
          EXPECT_LE(points, std::max(0.0L, exact) + 1e-6L) << *f.stopOutPrice;
          EXPECT_GT(points + 1, exact - 1e-6L) << *f.stopOutPrice;
        }
        ++runs;
      }
    }
  }
  EXPECT_GE(runs, 30 * 6 * 3);
}

}  // namespace
}  // namespace tiramon::assistant_test
