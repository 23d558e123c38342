// The assistant in lots mode: margin, point value, money at stake, price levels, ratio and
// warnings for each kind of pair, what a box that cannot be used clears and says, and that no
// figure of an earlier run or another pair is left behind.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/figure_texts.h"
#include "app/market.h"
#include "assistant/recalc.h"
#include "tests/assistant_market.h"

namespace tiramon::assistant_test {
namespace {

class AssistantLots : public AssistantTest {};

constexpr const char* kNone = "—";

// What every lots-mode run does: the warnings box black and the margin's caption grey again, and
// the percent mode's lot boxes emptied, since their lots are of other inputs.
void LotsStart(Outputs& o) {
  o.memoColour = colors::Black;
  o.label42Colour = colors::Gray;
  o.procLot = o.procLot2 = "";
}

// A run whose inputs give no trade: every figure emptied, the reason in the warnings.
void Cleared(Outputs& o, const std::string& why) {
  o.zalog = o.punkt = o.profit = o.loss = o.ratio = kNone;
  o.lossCount = o.stopPrice = o.takePrice = o.procLot = o.procLot2 = "";
  o.memo = {why};
  o.memoColour = colors::Red;
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

// EUR/USD bought at 1.1002 with the tab's defaults: margin 1.1002 × 100000 × 0.1 ÷ 500 = 22.004,
// to the cent 22; a point of 0.1 lot $0.10; 500 points $50, 150 points $15; stop 1.1002 −
// 0.0015, take 1.1002 + 0.005.
const Full kEurUsdBought = {
    "22",      "0.10",    "50$ или 50%", "15$ или 15%", "можно ошибится 6.67 раз",
    "1.09870", "1.10520", "3.3"};

void Good(Outputs& o) { o.label34Colour = colors::Green; }

TEST_F(AssistantLots, PairsOfEveryKind) {
  CheckRuns({
      {"EUR/USD buying at the ask", [](TForm1& f) { Select(f, "EUR/USD"); },
       [](Outputs& o) {
         FullRun(o, "EUR/USD", kEurUsdBought);
         Good(o);
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
         Good(o);
       }},
      {"GBP/USD buying sizes from the ask 1.2502 of the caption",
       [](TForm1& f) { Select(f, "GBP/USD"); },
       [](Outputs& o) {
         // 12502 ÷ 500 = 25.004, to the cent 25; 1.2502 − 0.0015 and 1.2502 + 0.005.
         FullRun(o, "GBP/USD",
                 {"25", "0.10", "50$ или 50%", "15$ или 15%", "можно ошибится 6.67 раз", "1.24870",
                  "1.25520", "3.3"});
         Good(o);
       }},
      {"GBP/USD selling sizes from the bid 1.2500",
       [](TForm1& f) {
         Select(f, "GBP/USD");
         Sell(f);
       },
       [](Outputs& o) {
         FullRun(o, "GBP/USD",
                 {"25", "0.10", "50$ или 50%", "15$ или 15%", "можно ошибится 6.67 раз", "1.25150",
                  "1.24500", "3.3"});
         Good(o);
       }},
      {"USD/JPY one lot: the margin is above the deposit",
       [](TForm1& f) {
         Select(f, "USD/JPY");
         f.ComboBox_Lot.text = "1";
       },
       [](Outputs& o) {
         // Bought at 150.02: ¥100 a point of a lot ÷ 150.02 = $0.666578, shown 0.67; 500 points
         // are $333.29 and 150 points $99.99, the exact money rather than 500 and 150 × 0.67;
         // 100 ÷ 99.99 = 1.0 such losses.
         FullRun(o, "USD/JPY",
                 {"200", "0.67", "333.29$ или 333.29%", "99.99$ или 99.99%",
                  "можно ошибится 1.0 раз", "149.87000", "150.52000", "3.3"});
         o.memo = {kNoFunds};
         o.memoColour = o.label42Colour = colors::Red;
         Good(o);
       }},
      {"USD/CHF", [](TForm1& f) { Select(f, "USD/CHF"); },
       [](Outputs& o) {
         // Bought at 0.9125: 0.1 franc a point ÷ 0.9125 = $0.109589, shown 0.11; 500 points
         // $54.79, 150 points $16.44, 100 ÷ 16.438 = 6.08.
         FullRun(o, "USD/CHF",
                 {"20", "0.11", "54.79$ или 54.79%", "16.44$ или 16.44%", "можно ошибится 6.08 раз",
                  "0.91100", "0.91750", "3.3"});
         Good(o);
       }},
      {"USD/MXN: a point that two decimals would show as 0.01 shows three figures",
       [](TForm1& f) {
         Select(f, "USD/MXN");
         f.Punkt.caption = "0.06";
       },
       [](Outputs& o) {
         // 0.1 lot × 1 peso a point ÷ 17.2 pesos a dollar (the ask) = $0.0058140; 500 points
         // $2.91, 150 points $0.87, 100 ÷ 0.872093 = 114.67.
         FullRun(o, "USD/MXN",
                 {"20", "0.00581", "2.91$ или 2.91%", "0.87$ или 0.87%",
                  "можно ошибится 114.67 раз", "17.19850", "17.20500", "3.3"});
         Good(o);
       }},
      {"EUR/GBP is valued through the table's EUR/USD", [](TForm1& f) { Select(f, "EUR/GBP"); },
       [](Outputs& o) {
         // A pound is 1.1 $/€ ÷ 0.8514 £/€ (the ask) = $1.29199: margin 0.1 × 100000 € × 1.1 ÷
         // 500 = 22; a point £0.1 = $0.129199, shown 0.13; 500 points $64.60, 150 points $19.38,
         // 100 ÷ 19.38 = 5.16. The levels 0.8514 − 0.0015 and 0.8514 + 0.005.
         FullRun(o, "EUR/GBP",
                 {"22", "0.13", "64.6$ или 64.6%", "19.38$ или 19.38%", "можно ошибится 5.16 раз",
                  "0.84990", "0.85640", "3.3"});
         Good(o);
       }},
      {"EUR/JPY: a point is 0.001 yen", [](TForm1& f) { Select(f, "EUR/JPY"); },
       [](Outputs& o) {
         // ¥10 a point of 0.1 lot × 1.1 $/€ ÷ 130.53 ¥/€ = $0.084272, which 0.08 misses by 5 %:
         // 0.0843; 500 points $42.14, 150 points $12.64, 100 ÷ 12.6408 = 7.91.
         FullRun(o, "EUR/JPY",
                 {"22", "0.0843", "42.14$ или 42.14%", "12.64$ или 12.64%",
                  "можно ошибится 7.91 раз", "130.38000", "131.03000", "3.3"});
         Good(o);
       }},
      {"CHF/JPY converts francs at 1 ÷ the USD/CHF bid to five decimals",
       [](TForm1& f) { Select(f, "CHF/JPY"); },
       [](Outputs& o) {
         // A franc is 1 ÷ 0.9123 = 1.0961306... → $1.09613. Margin 10000 francs × 1.09613 ÷ 500
         // = 21.9226 → 21.92; point ¥10 ÷ 160.25 (the ask) × 1.09613 = $0.0684012 → 0.0684;
         // 500 points $34.20, 150 points $10.26, 100 ÷ 10.26018 = 9.75.
         FullRun(o, "CHF/JPY",
                 {"21.92", "0.0684", "34.2$ или 34.2%", "10.26$ или 10.26%",
                  "можно ошибится 9.75 раз", "160.10000", "160.75000", "3.3"});
         Good(o);
       }},
      {"SGD/JPY has no dollar rate of its base: it is valued through the yen",
       [](TForm1& f) {
         Select(f, "SGD/JPY");
         f.Punkt.caption = "0.5";
       },
       [](Outputs& o) {
         // A yen is 1 ÷ 150 dollars: 0.1 lot at 80.02 is ¥800200 = $5334.67, ÷ 500 = 10.67; a
         // point ¥10 = $0.066667 → 0.0667; 500 points $33.33, 150 points $10.
         FullRun(o, "SGD/JPY",
                 {"10.67", "0.0667", "33.33$ или 33.33%", "10$ или 10%", "можно ошибится 10.0 раз",
                  "79.87000", "80.52000", "3.3"});
         Good(o);
       }},
      {"TRY/SEK cannot be valued: nothing of another pair is left to act on",
       [](TForm1& f) {
         Select(f, "TRY/SEK");
         f.Punkt.caption = "0.5";
       },
       [](Outputs& o) {
         Picked(o, "TRY/SEK");
         LotsStart(o);
         Cleared(o, "Нет курса SEK к валюте счёта: сделку по TRY/SEK не оценить.");
       }},
      {"lot 10 at leverage 1 needs more than the deposit and loses more than it",
       [](TForm1& f) {
         Select(f, "EUR/USD");
         f.ComboBox_Lot.text = "10";
         f.ComboBox_Plecho.text = "1";
       },
       [](Outputs& o) {
         // 1.1002 × 100000 × 10 ÷ 1; $10 a point, so the $100 are gone 10 points below the
         // entry, at 1.1001, long before the stop.
         FullRun(o, "EUR/USD",
                 {"1100200", "10.00", "5000$ или 5000%", "1500$ или 1500%",
                  "можно ошибится 0.07 раз", "1.09870", "1.10520", "3.3"});
         o.memo = {kNoFunds,
                   "Убыток по стопу больше депозита: средства кончатся на 1.10010, раньше стопа "
                   "на 1.09870."};
         o.memoColour = o.label42Colour = colors::Red;
         Good(o);
       }},
      {"a point value that two decimals would misstate by a fifth shows three figures",
       [](TForm1& f) {
         // Bought at the ask 0.8: 0.02 franc ÷ 0.8 = $0.025, on the tie two decimals would round
         // to 0.03.
         f.Label_Valuta.caption = f.SelectedPair = "USD/CHF";
         f.SelectedBid = "0.7998";
         f.SelectedAsk = "0.8";
         f.ComboBox_Lot.text = "0.02";
       },
       [](Outputs& o) {
         LotsStart(o);
         // 500 × 0.025 = $12.5, 150 × 0.025 = $3.75, 100 ÷ 3.75 = 26.67.
         o.zalog = "4";
         o.punkt = "0.025";
         o.profit = "12.5$ или 12.5%";
         o.loss = "3.75$ или 3.75%";
         o.lossCount = "можно ошибится 26.67 раз";
         o.stopPrice = "0.79850";
         o.takePrice = "0.80500";
         o.ratio = "3.3";
         Good(o);
       }},
      {"a margin equal to the deposit is enough",
       [](TForm1& f) {
         Select(f, "USD/JPY");
         f.ComboBox_Lot.text = "0.5";
       },
       [](Outputs& o) {
         // ¥50 a point ÷ 150.02 = $0.333289, 0.33 within 1 %; 500 points $166.64, 150 points
         // $49.99; 100 ÷ 49.9933 = 2.0.
         FullRun(o, "USD/JPY",
                 {"100", "0.33", "166.64$ или 166.64%", "49.99$ или 49.99%",
                  "можно ошибится 2.0 раз", "149.87000", "150.52000", "3.3"});
         Good(o);
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
                 {"22", "0.10", "60$ или 60%", "30$ или 30%", "можно ошибится 3.33 раз", "1.09720",
                  "1.10620", "2"});
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
                 {"22", "0.10", "60$ или 60%", "20$ или 20%", "можно ошибится 5.0 раз", "1.09820",
                  "1.10620", "3"});
       }},
      {"ratio exactly 3 keeps a green label green",
       [](TForm1& f) {
         Select(f, "EUR/USD");
         f.ComboBox_los.text = "200";
         f.ComboBox_Teik.text = "600";
         f.Label34.fontColor = colors::Green;
       },
       [](Outputs& o) {
         FullRun(o, "EUR/USD",
                 {"22", "0.10", "60$ или 60%", "20$ или 20%", "можно ошибится 5.0 раз", "1.09820",
                  "1.10620", "3"});
       }},
      {"a ratio shown rounded to 3 that is below it still warns",
       [](TForm1& f) {
         Select(f, "EUR/USD");
         f.ComboBox_Teik.text = "445";
       },
       [](Outputs& o) {
         // 445 ÷ 150 = 2.967: «3» would say it is fine, so it shows 2.97, red, with the warning;
         // the take profit 1.1002 + 0.00445.
         FullRun(o, "EUR/USD",
                 {"22", "0.10", "44.5$ или 44.5%", "15$ или 15%", "можно ошибится 6.67 раз",
                  "1.09870", "1.10465", "2.97"});
         o.memo = {kRatioTooLow};
         o.memoColour = o.label34Colour = colors::Red;
       }},
      {"take profit 0: no take-profit level, and no ratio of an earlier run",
       [](TForm1& f) {
         Select(f, "EUR/USD");
         f.ComboBox_Teik.text = "0";
         f.Soot.caption = "4";
         f.Label34.fontColor = colors::Green;
       },
       [](Outputs& o) {
         // A trade without a take profit has no reward to set against its risk: 0, which warns.
         FullRun(o, "EUR/USD",
                 {"22", "0.10", "0$ или 0%", "15$ или 15%", "можно ошибится 6.67 раз", "1.09870",
                  "", "0"});
         o.memo = {kRatioTooLow};
         o.memoColour = o.label34Colour = colors::Red;
       }},
      {"stop loss 0: no loss, no stop level and no loss count",
       [](TForm1& f) {
         Select(f, "EUR/USD");
         f.ComboBox_los.text = "0";
       },
       [](Outputs& o) {
         // A stop at the entry would close the trade as it opens: the box stays empty.
         FullRun(o, "EUR/USD", {"22", "0.10", "50$ или 50%", "0$ или 0%", "", "", "1.10520", "0"});
         o.memo = {kRatioTooLow};
         o.memoColour = o.label34Colour = colors::Red;
       }},
  });
}

// A box the run cannot use clears the figures it decides and names itself in the warnings.
TEST_F(AssistantLots, InputsThatCannotBeUsed) {
  CheckRuns({
      {"leverage 0",
       [](TForm1& f) {
         Select(f, "EUR/USD");
         f.ComboBox_Plecho.text = "0";
       },
       [](Outputs& o) {
         Picked(o, "EUR/USD");
         LotsStart(o);
         Cleared(o, "Плечо должно быть от 1 до 10000.");
       }},
      {"an empty leverage",
       [](TForm1& f) {
         Select(f, "USD/JPY");
         f.ComboBox_Plecho.text = "";
       },
       [](Outputs& o) {
         Picked(o, "USD/JPY");
         LotsStart(o);
         Cleared(o, "Плечо: введите число, например 500.");
       }},
      {"a lot typed as 0,1 is 0.1",
       [](TForm1& f) {
         Select(f, "EUR/USD");
         f.ComboBox_Lot.text = "0,1";
       },
       [](Outputs& o) {
         FullRun(o, "EUR/USD", kEurUsdBought);
         Good(o);
       }},
      {"an empty stop loss: the stop's figures go, the take profit's stay",
       [](TForm1& f) {
         Select(f, "EUR/USD");
         f.ComboBox_los.text = "";
       },
       [](Outputs& o) {
         FullRun(o, "EUR/USD", {"22", "0.10", "50$ или 50%", kNone, "", "", "1.10520", kNone});
         o.memo = {"Стоп лосс: введите число, например 150."};
         o.memoColour = colors::Red;
       }},
      {"a take profit that is not a number: the take profit's figures go",
       [](TForm1& f) {
         Select(f, "EUR/USD");
         f.ComboBox_Teik.text = "5OO";
       },
       [](Outputs& o) {
         FullRun(
             o, "EUR/USD",
             {"22", "0.10", kNone, "15$ или 15%", "можно ошибится 6.67 раз", "1.09870", "", kNone});
         o.memo = {"Тэйк профит: «5OO» — не число. Введите число, например 500."};
         o.memoColour = colors::Red;
       }},
      {"USD/MXN bought without an ask",
       [](TForm1& f) {
         f.Label_Valuta.caption = f.SelectedPair = "USD/MXN";
         f.SelectedBid = "17.1";
         f.SelectedAsk = "";
       },
       [](Outputs& o) {
         LotsStart(o);
         Cleared(o,
                 "Нет цены USD/MXN для покупки (ask): обновите котировки или введите цены вашего "
                 "терминала.");
       }},
      {"a stale point value of 0 is never read back",
       [](TForm1& f) {
         Select(f, "EUR/USD");
         f.Punkt.caption = "0";
       },
       [](Outputs& o) {
         FullRun(o, "EUR/USD", kEurUsdBought);
         Good(o);
       }},
      {"USD/CNY at 0.01 lot is worth its fractions of a cent",
       [](TForm1& f) {
         Select(f, "USD/CNY");
         f.ComboBox_Lot.text = "0.01";
       },
       [](Outputs& o) {
         // 0.01 yuan a point ÷ 7.2 = $0.0013889 → 0.00139; 500 points $0.69, 150 points $0.21,
         // 100 ÷ 0.208333 = 480.
         FullRun(o, "USD/CNY",
                 {"2", "0.00139", "0.69$ или 0.69%", "0.21$ или 0.21%", "можно ошибится 480.0 раз",
                  "7.19850", "7.20500", "3.3"});
         Good(o);
       }},
      {"lots typed into the percent mode's boxes are not left to be copied",
       [](TForm1& f) {
         Select(f, "EUR/USD");
         f.Edit_ProcLot.text = "1..2";
         f.Edit_ProcLot2.text = "0.666";
       },
       [](Outputs& o) {
         FullRun(o, "EUR/USD", kEurUsdBought);
         Good(o);
       }},
  });
}

TEST_F(AssistantLots, BeforeAnyPairIsKnown) {
  TForm1 form;  // the window as it starts: no quotes, no pair
  form.Zalog.caption = "5";
  form.Memo1.lines = {"old warning"};
  form.Edit_ProcLot.text = "0.409090909090909";
  Outputs expected = Snapshot(form);
  LotsStart(expected);
  Cleared(expected, "Выберите инструмент в списке или щёлкните его строку в таблице котировок.");

  form.ListView1Click();

  EXPECT_EQ(Snapshot(form), expected);
  EXPECT_EQ(form.Label_Valuta.caption, "Выберите валюту");
  EXPECT_FALSE(form.AssistantFigures.has_value());
}

// The deposit is read like every box: cents and an exponent are a deposit, anything else is said.
TEST_F(AssistantLots, TheDepositBox) {
  const struct {
    const char* deposit;
    const char* message;  // nullptr: the run counts
    const char* profit;
    const char* loss;
    const char* count;
  } rows[] = {
      {"", "Депозит: введите число, например 1000.", nullptr, nullptr, nullptr},
      {"0", "Депозит должен быть больше нуля.", nullptr, nullptr, nullptr},
      {"-5", "Депозит должен быть больше нуля.", nullptr, nullptr, nullptr},
      {"сто", "Депозит: «сто» — не число. Введите число, например 1000.", nullptr, nullptr,
       nullptr},
      // 50 ÷ 100.5 = 49.75 %, 15 ÷ 100.5 = 14.93 %, 100.5 ÷ 15 = 6.7.
      {"100.5", nullptr, "50$ или 49.75%", "15$ или 14.93%", "можно ошибится 6.7 раз"},
      {"100,5", nullptr, "50$ или 49.75%", "15$ или 14.93%", "можно ошибится 6.7 раз"},
      // 2147483648 ÷ 15 = 143165576.53.
      {"2147483648", nullptr, "50$ или 0%", "15$ или 0%", "можно ошибится 143165576.53 раз"},
      {"1e2", nullptr, "50$ или 50%", "15$ или 15%", "можно ошибится 6.67 раз"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.deposit);
    TForm1 form = MarketForm();
    Select(form, "GBP/USD");
    form.Edit_Deposit.text = row.deposit;
    Outputs expected = Snapshot(form);
    if (row.message) {
      // The row is taken up whatever the deposit: a click on a row chooses the pair.
      Picked(expected, "GBP/USD");
      LotsStart(expected);
      Cleared(expected, row.message);
    } else {
      FullRun(expected, "GBP/USD",
              {"25", "0.10", row.profit, row.loss, row.count, "1.24870", "1.25520", "3.3"});
      expected.memo.clear();
      Good(expected);
    }

    form.ListView1Click();

    EXPECT_EQ(Snapshot(form), expected);
  }
}

TEST_F(AssistantLots, PickupKeepsTheLastPairWithoutASelection) {
  TForm1 form = MarketForm();
  Select(form, "GBP/USD");
  form.ListView1Click();
  ASSERT_EQ(form.Zalog.caption, "25");  // bought at the ask 1.2502: 25.004

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

  // A row without prices is taken up, and nothing of the pair before stays.
  form.ListView1.items.push_back(TListItem{"AUD/USD", {}});
  form.ListView1.selectedIndex = static_cast<int>(form.ListView1.items.size()) - 1;
  form.ListView1Click();
  EXPECT_EQ(form.Label_Valuta.caption, "AUD/USD");
  EXPECT_EQ(form.SelectedBid, "");
  EXPECT_EQ(form.RadioButton_Buy.caption, "Покупка (ask): ");
  EXPECT_EQ(form.Zalog.caption, kNone);
  EXPECT_EQ(form.Edit_Loss.text, "");  // not the EUR/USD level of the run before
  EXPECT_FALSE(form.AssistantFigures.has_value());
}

// Whatever the user types, the recalculation never ends in an error message: each of these
// texts in each input, in both modes, for each kind of pair. A box it cannot use says so in one
// line of its own beside the warnings, so the box holds up to four lines.
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
          form.Label_Valuta.caption = form.SelectedPair = pair;
          form.SelectedBid = "150";
          form.SelectedAsk = "150.02";
          if (percent) PercentMode(form);
          set(form);
          EXPECT_NO_THROW(form.ListView1Click());
          EXPECT_LE(form.Memo1.lines.size(), 4u);
          // A run that counted no whole trade says why.
          if (!form.AssistantFigures) {
            EXPECT_FALSE(form.Memo1.lines.empty());
          }
        };
        for (auto member : stringInputs) check([&](TForm1& f) { f.*member = text; });
        for (auto member : edits) check([&](TForm1& f) { (f.*member).text = text; });
        for (auto member : combos) check([&](TForm1& f) { (f.*member).text = text; });
        for (auto member : captions) check([&](TForm1& f) { (f.*member).caption = text; });
      }
    }
  }
}

// A yen point is 100 ÷ the price of a lot exactly: 0.2 lot at 80 is worth $0.25 a point.
TEST(AssistantRounding, AYenPointIsExact) {
  DollarRates rates;
  rates.Add("USD/JPY", 80);
  TradeRequest request;
  request.instrument = *KnownInstrument("USD/JPY");
  request.bid = request.ask = 80;
  request.deposit = 100;
  request.lots = 0.2;
  const TradeFigures figures =
      FiguresOf(request, {}, RatesForTrade(rates, "USD", request.instrument, 80));
  EXPECT_EQ(figures.pointValue, 0.25);
  EXPECT_EQ(PointValueText(request.instrument, figures.pointValue), "0.25");
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
    EXPECT_EQ(Round2(row.x), row.expected);
  }
  EXPECT_THROW(Round2(1e4000L), FloatError);
}

}  // namespace
}  // namespace tiramon::assistant_test
