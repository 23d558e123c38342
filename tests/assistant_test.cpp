// The assistant in lots mode: margin, point value, money at stake, price levels, ratio and
// warnings for each kind of pair, and what a run that cannot finish leaves behind.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "assistant/recalc.h"
#include "tests/assistant_market.h"

namespace tiramon::assistant_test {
namespace {

class AssistantLots : public AssistantTest {};

// What every lots-mode run does before it sizes the position. A run that ends before the price
// levels leaves both price boxes empty; the cases that get that far set them.
void LotsStart(Outputs& o) {
  o.stopPrice = o.takePrice = "";
  o.zalog = "0";
  o.memoColour = colors::Black;
  o.label42Colour = colors::Gray;
}

// A lots-mode run on a selected row that gets all the way through.
struct Full {
  const char* zalog;
  const char* punkt;
  const char* profit;
  const char* loss;
  const char* count;
  const char* stop;
  const char* take;
  const char* ratio;
};

void FullRun(Outputs& o, const std::string& pair, const Full& f) {
  Picked(o, pair);
  LotsStart(o);
  o.zalog = f.zalog;
  o.punkt = f.punkt;
  o.profit = f.profit;
  o.loss = f.loss;
  o.lossCount = f.count;
  o.stopPrice = f.stop;
  o.takePrice = f.take;
  o.ratio = f.ratio;
}

TEST_F(AssistantLots, PairsOfEveryKind) {
  CheckRuns({
      {"EUR/USD buying at the ask", [](TForm1& f) { Select(f, "EUR/USD"); },
       [](Outputs& o) {
         // Entry 1.1002: margin 1.1002 × 100000 × 0.1 ÷ 500 = 22.004; stop 1.1002 − 150 points
         // of 0.00001 = 1.0987, take 1.1002 + 0.005 = 1.1052. The 15 points of the stop are
         // 1.1002 − 1.0987, $15 at $0.10 a point.
         FullRun(o, "EUR/USD",
                 {"22.004", "0.10", "50$ или 50%", "15$ или 15%", "можно ошибится 6.67 раз",
                  "1.09870", "1.10520", "3.3"});
         o.label34Colour = colors::Green;
       }},
      {"EUR/USD selling at the bid",
       [](TForm1& f) {
         Select(f, "EUR/USD");
         Sell(f);
       },
       [](Outputs& o) {
         // Entry 1.1: margin 11000 ÷ 500 = 22; stop 1.1 + 0.0015, take 1.1 − 0.005.
         FullRun(o, "EUR/USD",
                 {"22", "0.10", "50$ или 50%", "15$ или 15%", "можно ошибится 6.67 раз", "1.10150",
                  "1.09500", "3.3"});
         o.label34Colour = colors::Green;
       }},
      {"GBP/USD buying sizes from the ask 1.2502 of the caption",
       [](TForm1& f) { Select(f, "GBP/USD"); },
       [](Outputs& o) {
         // 12502 ÷ 500 = 25.004; 1.2502 − 0.0015 and 1.2502 + 0.005.
         FullRun(o, "GBP/USD",
                 {"25.004", "0.10", "50$ или 50%", "15$ или 15%", "можно ошибится 6.67 раз",
                  "1.24870", "1.25520", "3.3"});
         o.label34Colour = colors::Green;
       }},
      {"GBP/USD selling sizes from the bid 1.2500",
       [](TForm1& f) {
         Select(f, "GBP/USD");
         Sell(f);
       },
       [](Outputs& o) {
         // 12500 ÷ 500 = 25; 1.25 + 0.0015 and 1.25 − 0.005.
         FullRun(o, "GBP/USD",
                 {"25", "0.10", "50$ или 50%", "15$ или 15%", "можно ошибится 6.67 раз", "1.25150",
                  "1.24500", "3.3"});
         o.label34Colour = colors::Green;
       }},
      {"USD/JPY one lot: the margin is above the deposit",
       [](TForm1& f) {
         Select(f, "USD/JPY");
         f.ComboBox_Lot.text = "1";
       },
       [](Outputs& o) {
         // Bought at 150.02: ¥100 a point of a lot ÷ 150.02 = $0.6666; a point of yen is 0.001,
         // so the stop is 150.02 − 0.15 and the take 150.02 + 0.5.
         FullRun(o, "USD/JPY",
                 {"200", "0.67", "335$ или 335%", "100.5$ или 100.5%", "можно ошибится 1.0 раз",
                  "149.87000", "150.52000", "3.3"});
         o.memo = {kNoFunds};
         o.memoColour = o.label42Colour = colors::Red;
         o.label34Colour = colors::Green;
       }},
      {"USD/CHF", [](TForm1& f) { Select(f, "USD/CHF"); },
       [](Outputs& o) {
         // Bought at 0.9125: 0.1 ÷ 0.9125 = $0.1096 a point; 0.9125 − 0.0015, 0.9125 + 0.005.
         FullRun(o, "USD/CHF",
                 {"20", "0.11", "55$ или 55%", "16.5$ или 16.5%", "можно ошибится 6.06 раз",
                  "0.91100", "0.91750", "3.3"});
         o.label34Colour = colors::Green;
       }},
      {"USD/MXN is valued like every dollar-based pair, not with the old point value",
       [](TForm1& f) {
         Select(f, "USD/MXN");
         f.Punkt.caption = "0.06";
       },
       [](Outputs& o) {
         // 0.1 lot × 1 peso a point ÷ 17.2 pesos a dollar (the ask) = $0.0058.
         FullRun(o, "USD/MXN",
                 {"20", "0.01", "5$ или 5%", "1.5$ или 1.5%", "можно ошибится 66.67 раз",
                  "17.19850", "17.20500", "3.3"});
         o.label34Colour = colors::Green;
       }},
      {"EUR/GBP is valued through the EUR/USD reference", [](TForm1& f) { Select(f, "EUR/GBP"); },
       [](Outputs& o) {
         FullRun(o, "EUR/GBP",
                 // 0.1 lot × £1 a point × 1.1234 $/€ ÷ 0.8514 £/€ (the ask) = $0.132; the
                 // levels 0.8514 − 0.0015 and 0.8514 + 0.005.
                 {"22.468", "0.13", "65$ или 65%", "19.5$ или 19.5%", "можно ошибится 5.13 раз",
                  "0.84990", "0.85640", "3.3"});
         o.label34Colour = colors::Green;
       }},
      {"EUR/JPY: a point is 0.001 yen", [](TForm1& f) { Select(f, "EUR/JPY"); },
       [](Outputs& o) {
         // 0.1 lot × ¥100 a point × 1.1234 $/€ ÷ 130.53 ¥/€ (the ask) = $0.086.
         FullRun(o, "EUR/JPY",
                 {"22.468", "0.09", "45$ или 45%", "13.5$ или 13.5%", "можно ошибится 7.41 раз",
                  "130.38000", "131.03000", "3.3"});
         o.label34Colour = colors::Green;
       }},
      {"CHF/JPY converts francs at 1 ÷ the USD/CHF bid to five decimals",
       [](TForm1& f) { Select(f, "CHF/JPY"); },
       [](Outputs& o) {
         // A franc is 1 ÷ 0.9123 = 1.0961306... → $1.09613. Margin 10000 francs × 1.09613 ÷ 500
         // = 21.9226; point ¥10 ÷ 160.25 (the ask) × 1.09613 = $0.0684.
         FullRun(o, "CHF/JPY",
                 {"21.9226", "0.07", "35$ или 35%", "10.5$ или 10.5%", "можно ошибится 9.52 раз",
                  "160.10000", "160.75000", "3.3"});
         o.label34Colour = colors::Green;
       }},
      {"SGD/JPY has no dollar reference: nothing of another pair is left to act on",
       [](TForm1& f) {
         Select(f, "SGD/JPY");
         f.Punkt.caption = "0.5";
       },
       [](Outputs& o) {
         Picked(o, "SGD/JPY");
         LotsStart(o);
         o.punkt = "0";
         o.profit = o.loss = "0$ или 0%";
         // The run ends at the loss count, a division by zero, before the price levels.
       }},
      {"lot 10 at leverage 1 needs more than the deposit",
       [](TForm1& f) {
         Select(f, "EUR/USD");
         f.ComboBox_Lot.text = "10";
         f.ComboBox_Plecho.text = "1";
       },
       [](Outputs& o) {
         // 1.1002 × 100000 × 10 ÷ 1.
         FullRun(o, "EUR/USD",
                 {"1100200", "10.00", "5000$ или 5000%", "1500$ или 1500%",
                  "можно ошибится 0.07 раз", "1.09870", "1.10520", "3.3"});
         o.memo = {kNoFunds};
         o.memoColour = o.label42Colour = colors::Red;
         o.label34Colour = colors::Green;
       }},
      {"a point value on a rounding tie is rounded as a double",
       [](TForm1& f) {
         // Bought at the ask 0.8: 0.02 / 0.8 lies just below 0.025 in extended precision, but
         // its double lies above.
         f.Label_Valuta.caption = f.SelectedPair = "USD/CHF";
         f.SelectedBid = "0.7998";
         f.SelectedAsk = "0.8";
         f.ComboBox_Lot.text = "0.02";
       },
       [](Outputs& o) {
         LotsStart(o);
         o.zalog = "4";
         o.punkt = "0.03";
         o.profit = "15$ или 15%";
         o.loss = "4.5$ или 4.5%";
         o.lossCount = "можно ошибится 22.22 раз";
         o.stopPrice = "0.79850";
         o.takePrice = "0.80500";
         o.ratio = "3.3";
         o.label34Colour = colors::Green;
       }},
      {"a margin equal to the deposit is enough",
       [](TForm1& f) {
         Select(f, "USD/JPY");
         f.ComboBox_Lot.text = "0.5";
       },
       [](Outputs& o) {
         // ¥50 a point ÷ 150.02 = $0.333.
         FullRun(o, "USD/JPY",
                 {"100", "0.33", "165$ или 165%", "49.5$ или 49.5%", "можно ошибится 2.02 раз",
                  "149.87000", "150.52000", "3.3"});
         o.label34Colour = colors::Green;
       }},
  });
}

TEST_F(AssistantLots, RatioAndStopCases) {
  CheckRuns({
      {"ratio 2 turns the label red and warns",
       [](TForm1& f) {
         Select(f, "EUR/USD");
         f.ComboBox_los.text = "300";
         f.ComboBox_Teik.text = "600";
       },
       [](Outputs& o) {
         // 1.1002 − 0.003 and 1.1002 + 0.006.
         FullRun(o, "EUR/USD",
                 {"22.004", "0.10", "60$ или 60%", "30$ или 30%", "можно ошибится 3.33 раз",
                  "1.09720", "1.10620", "2"});
         o.memo = {kRatioTooLow};
         o.memoColour = o.label34Colour = colors::Red;
       }},
      {"ratio exactly 3 keeps a red label red",
       [](TForm1& f) {
         Select(f, "EUR/USD");
         f.ComboBox_los.text = "200";
         f.ComboBox_Teik.text = "600";
         f.Label34.fontColor = colors::Red;
       },
       [](Outputs& o) {
         // 1.1002 − 0.002 and 1.1002 + 0.006.
         FullRun(o, "EUR/USD",
                 {"22.004", "0.10", "60$ или 60%", "20$ или 20%", "можно ошибится 5.0 раз",
                  "1.09820", "1.10620", "3"});
       }},
      {"ratio exactly 3 keeps a green label green",
       [](TForm1& f) {
         Select(f, "EUR/USD");
         f.ComboBox_los.text = "200";
         f.ComboBox_Teik.text = "600";
         f.Label34.fontColor = colors::Green;
       },
       [](Outputs& o) {
         // 1.1002 − 0.002 and 1.1002 + 0.006.
         FullRun(o, "EUR/USD",
                 {"22.004", "0.10", "60$ или 60%", "20$ или 20%", "можно ошибится 5.0 раз",
                  "1.09820", "1.10620", "3"});
       }},
      {"take profit 0 keeps a low ratio, which still warns",
       [](TForm1& f) {
         Select(f, "EUR/USD");
         f.ComboBox_Teik.text = "0";
         f.Soot.caption = "2";
       },
       [](Outputs& o) {
         FullRun(o, "EUR/USD",
                 {"22.004", "0.10", "0$ или 0%", "15$ или 15%", "можно ошибится 6.67 раз",
                  "1.09870", "1.10020", "2"});
         o.memo = {kRatioTooLow};
         o.memoColour = o.label34Colour = colors::Red;
       }},
      {"take profit 0 keeps a high ratio, which turns the label green",
       [](TForm1& f) {
         Select(f, "EUR/USD");
         f.ComboBox_Teik.text = "0";
         f.Soot.caption = "4";
       },
       [](Outputs& o) {
         FullRun(o, "EUR/USD",
                 {"22.004", "0.10", "0$ или 0%", "15$ или 15%", "можно ошибится 6.67 раз",
                  "1.09870", "1.10020", "4"});
         o.label34Colour = colors::Green;
       }},
      {"stop loss 0: no loss, the loss count and the ratio stay",
       [](TForm1& f) {
         Select(f, "EUR/USD");
         f.ComboBox_los.text = "0";
       },
       [](Outputs& o) {
         // The stop sits at the entry 1.1002 itself.
         FullRun(o, "EUR/USD",
                 {"22.004", "0.10", "50$ или 50%", "0$ или 0%", "old count", "1.10020", "1.10520",
                  "0"});
         o.memo = {kRatioTooLow};
         o.memoColour = o.label34Colour = colors::Red;
       }},
  });
}

// Runs that stop part-way: what was written stays, everything after it keeps its old text.
TEST_F(AssistantLots, RunsThatEndEarly) {
  CheckRuns({
      {"leverage 0 ends at the first division by it",
       [](TForm1& f) {
         Select(f, "EUR/USD");
         f.ComboBox_Plecho.text = "0";
       },
       [](Outputs& o) {
         Picked(o, "EUR/USD");
         LotsStart(o);
       }},
      {"an empty leverage does not convert",
       [](TForm1& f) {
         Select(f, "USD/JPY");
         f.ComboBox_Plecho.text = "";
       },
       [](Outputs& o) {
         Picked(o, "USD/JPY");
         LotsStart(o);
       }},
      {"a lot typed as 0,1 does not convert",
       [](TForm1& f) {
         Select(f, "EUR/USD");
         f.ComboBox_Lot.text = "0,1";
       },
       [](Outputs& o) {
         Picked(o, "EUR/USD");
         LotsStart(o);
       }},
      {"an empty stop loss ends after the profit text",
       [](TForm1& f) {
         Select(f, "EUR/USD");
         f.ComboBox_los.text = "";
       },
       [](Outputs& o) {
         Picked(o, "EUR/USD");
         LotsStart(o);
         o.zalog = "22.004";
         o.punkt = "0.10";
         o.profit = "50$ или 50%";
       }},
      {"a take profit that is not a number ends before the profit text",
       [](TForm1& f) {
         Select(f, "EUR/USD");
         f.ComboBox_Teik.text = "5OO";
       },
       [](Outputs& o) {
         Picked(o, "EUR/USD");
         LotsStart(o);
         o.zalog = "22.004";
         o.punkt = "0.10";
       }},
      {"USD/MXN bought without an ask has its margin, then ends at the point value",
       [](TForm1& f) {
         f.Label_Valuta.caption = f.SelectedPair = "USD/MXN";
         f.SelectedBid = "17.1";
         f.SelectedAsk = "";
       },
       [](Outputs& o) {
         LotsStart(o);
         o.zalog = "20";
       }},
      {"a pair outside the tables with point value 0 ends at the loss count",
       [](TForm1& f) {
         Select(f, "SGD/JPY");
         f.Punkt.caption = "0";
       },
       [](Outputs& o) {
         Picked(o, "SGD/JPY");
         LotsStart(o);
         o.profit = "0$ или 0%";
         o.loss = "0$ или 0%";
       }},
      {"USD/CNY at 0.01 lot rounds its point value to 0 and leaves no price levels",
       [](TForm1& f) {
         Select(f, "USD/CNY");
         f.ComboBox_Lot.text = "0.01";
       },
       [](Outputs& o) {
         Picked(o, "USD/CNY");
         LotsStart(o);
         o.zalog = "2";
         o.punkt = "0";
         o.profit = o.loss = "0$ или 0%";
       }},
      {"a bad text in the lot-from-margin box is kept and stops the lot formatting",
       [](TForm1& f) {
         Select(f, "EUR/USD");
         f.Edit_ProcLot.text = "1..2";
         f.Edit_ProcLot2.text = "0.666";
       },
       [](Outputs& o) {
         FullRun(o, "EUR/USD",
                 {"22.004", "0.10", "50$ или 50%", "15$ или 15%", "можно ошибится 6.67 раз",
                  "1.09870", "1.10520", "3.3"});
         o.label34Colour = colors::Green;
       }},
      {"good lot boxes are shortened to two decimals at the end",
       [](TForm1& f) {
         Select(f, "EUR/USD");
         f.Edit_ProcLot.text = "0.125";
         f.Edit_ProcLot2.text = "0.666";
       },
       [](Outputs& o) {
         FullRun(o, "EUR/USD",
                 {"22.004", "0.10", "50$ или 50%", "15$ или 15%", "можно ошибится 6.67 раз",
                  "1.09870", "1.10520", "3.3"});
         o.label34Colour = colors::Green;
         o.procLot = "0.13";
         o.procLot2 = "0.67";
       }},
  });
}

TEST_F(AssistantLots, BeforeAnyPairIsKnown) {
  TForm1 form;  // the window as it starts: no quotes, no pair
  form.Zalog.caption = "5";
  form.Memo1.lines = {"old warning"};
  form.Edit_ProcLot.text = "0.409090909090909";
  Outputs expected = Snapshot(form);
  expected.memo.clear();
  LotsStart(expected);
  expected.profit = "0$ или 0%";
  expected.loss = "0$ или 0%";

  form.ListView1Click();

  EXPECT_EQ(Snapshot(form), expected);
  EXPECT_EQ(form.Label_Valuta.caption, "Выберите валюту");
  EXPECT_EQ(form.Punkt.caption, "0");
  EXPECT_EQ(form.Soot.caption, "0");
}

// The gate comes before the pickup, so a deposit the run cannot use leaves the pair alone.
TEST_F(AssistantLots, DepositGate) {
  struct Row {
    const char* deposit;
    bool lotBoxesFormatted;  // false: the conversion failed and the run ended at once
  };
  const Row rows[] = {{"", true},       {"0", true},           {"-5", true},
                      {"100.5", false}, {"2147483648", false}, {"1e2", false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.deposit);
    TForm1 form = MarketForm();
    Select(form, "GBP/USD");
    form.Edit_Deposit.text = row.deposit;
    form.Edit_ProcLot.text = "0.409090909090909";
    form.Edit_ProcLot2.text = "0.6";
    Outputs expected = Snapshot(form);
    expected.memo.clear();
    if (row.lotBoxesFormatted) expected.procLot = "0.41";

    form.ListView1Click();

    EXPECT_EQ(Snapshot(form), expected);
  }
}

TEST_F(AssistantLots, PickupKeepsTheLastPairWithoutASelection) {
  TForm1 form = MarketForm();
  Select(form, "GBP/USD");
  form.ListView1Click();
  ASSERT_EQ(form.Zalog.caption, "25.004");  // bought at the ask 1.2502

  // A refresh empties and refills the table and leaves no row selected; the assistant goes on
  // with the pair and the prices the refresh stored for it.
  form.ListView1.selectedIndex = -1;
  form.SelectedAsk = "1.3";
  form.ListView1Click();
  EXPECT_EQ(form.Label_Valuta.caption, "GBP/USD");
  EXPECT_EQ(form.Zalog.caption, "26");
  EXPECT_EQ(form.Edit_Loss.text, "1.29850");
  EXPECT_EQ(form.RadioButton_Buy.caption, "Покупка (ask): 1.2502");
}

TEST_F(AssistantLots, SelectionOutsideTheTableOrWithoutPricesIsHarmless) {
  TForm1 form = MarketForm();
  Select(form, "EUR/USD");
  form.ListView1Click();
  const Outputs afterFirstRun = Snapshot(form);

  // A selection that no longer points into the table counts as none.
  form.ListView1.selectedIndex = 99;
  form.ListView1Click();
  EXPECT_EQ(Snapshot(form), afterFirstRun);

  // A row without prices is taken up, and the run ends at the first use of the missing price.
  form.ListView1.items.push_back(TListItem{"AUD/USD", {}});
  form.ListView1.selectedIndex = static_cast<int>(form.ListView1.items.size()) - 1;
  form.ListView1Click();
  EXPECT_EQ(form.Label_Valuta.caption, "AUD/USD");
  EXPECT_EQ(form.SelectedBid, "");
  EXPECT_EQ(form.RadioButton_Buy.caption, "Покупка (ask): ");
  EXPECT_EQ(form.Zalog.caption, "0");
  EXPECT_EQ(form.Edit_Loss.text, "");  // not the EUR/USD level of the run before
}

// Whatever the user types, the recalculation never ends in an error message: each of these
// texts in each input, in both modes, for each kind of pair.
TEST_F(AssistantLots, NoInputEndsInAnError) {
  const char* const texts[] = {"",          "-",    ".",     "0",
                               "-0",        "-150", "1e499", "-1e499",
                               "1e-4000",   "abc",  " 5 ",   "99999999999999999999",
                               "2147483647"};
  std::string TForm1::*const stringInputs[] = {&TForm1::SelectedBid, &TForm1::SelectedAsk,
                                               &TForm1::RefBid_EURUSD};
  TEdit TForm1::*const edits[] = {&TForm1::Edit_Deposit, &TForm1::Edit_ProcLot,
                                  &TForm1::Edit_ProcLot2};
  TComboBox TForm1::*const combos[] = {&TForm1::ComboBox_Plecho, &TForm1::ComboBox_Lot,
                                       &TForm1::ComboBox_LotProc, &TForm1::ComboBox_los,
                                       &TForm1::ComboBox_Teik};
  TLabel TForm1::*const captions[] = {&TForm1::Punkt, &TForm1::Zalog, &TForm1::Soot};
  for (const char* pair : {"EUR/USD", "USD/JPY", "USD/CNY", "EUR/JPY", "CAD/CHF"}) {
    for (bool percent : {false, true}) {
      for (const char* text : texts) {
        SCOPED_TRACE(std::string(pair) + (percent ? " percent " : " lots ") + "'" + text + "'");
        auto check = [&](auto set) {
          TForm1 form = MarketForm();
          form.Label_Valuta.caption = pair;
          form.SelectedBid = "150";
          form.SelectedAsk = "150.02";
          if (percent) PercentMode(form);
          set(form);
          EXPECT_NO_THROW(form.ListView1Click());
          EXPECT_LE(form.Memo1.lines.size(), 2u);
        };
        for (auto member : stringInputs) check([&](TForm1& f) { f.*member = text; });
        for (auto member : edits) check([&](TForm1& f) { (f.*member).text = text; });
        for (auto member : combos) check([&](TForm1& f) { (f.*member).text = text; });
        for (auto member : captions) check([&](TForm1& f) { (f.*member).caption = text; });
      }
    }
  }
}

TEST(AssistantRounding, HundredMinusIsTheLargestValueBelowHundred) {
  EXPECT_LT(assistant::kHundredMinus, 100.0L);
  EXPECT_EQ(assistant::kHundredMinus, std::nextafterl(100.0L, 0.0L));
  EXPECT_EQ(100.0L - assistant::kHundredMinus, 0x1p-57L);
}

TEST(AssistantRounding, RoundTwoGoesThroughADouble) {
  struct Row {
    long double x;
    double expected;
  };
  const Row rows[] = {
      {0.125L, 0.12},             // the double nearest 0.01 is a little above it
      {0.125L + 0x1p-58L, 0.12},  // would be 0.13 without the double in between
      {0.6666666666666666667L, 0.67},
      {1.3197838345864661654L, 1.32},
      {-0.125L, -0.12},
      {0.0021126760563380282L, 0.0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(static_cast<double>(row.x));
    EXPECT_EQ(assistant::Round2(row.x), row.expected);
  }
  EXPECT_THROW(assistant::Round2(1e4000L), FloatError);
}

}  // namespace
}  // namespace tiramon::assistant_test
