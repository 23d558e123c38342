// The assistant with the risk given in percent of the deposit: the lot from the margin and from
// the stop, each rounded down to the lot step so neither risks more than asked, every figure of
// the run counted for the lot shown, and the risk warning.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assistant/recalc.h"
#include "tests/assistant_market.h"

namespace tiramon::assistant_test {
namespace {

class AssistantPercent : public AssistantTest {};

struct Sized {
  const char* procLot;
  const char* procLot2;
  const char* zalog;
  const char* punkt;
  const char* profit;
  const char* loss;
  const char* count;
  const char* stop;  // the price levels, which do not depend on the lot
  const char* take;
};

void PercentRun(Outputs& o, const std::string& pair, const Sized& s) {
  Picked(o, pair);
  o.stopPrice = s.stop;
  o.takePrice = s.take;
  o.procLot = s.procLot;
  o.procLot2 = s.procLot2;
  o.zalog = s.zalog;
  o.punkt = s.punkt;
  o.profit = s.profit;
  o.loss = s.loss;
  o.lossCount = s.count;
}

// Risk 90 warns; the ratio, take profit 500 over stop loss 150, is 3.3 whatever an earlier run
// left, so it turns its label green and does not warn.
void RiskWarningAndGoodRatio(Outputs& o) {
  o.memo = {kRiskTooHigh};
  o.memoColour = colors::Red;
  o.ratio = "3.3";
  o.label34Colour = colors::Green;
}

std::function<void(TForm1&)> PercentOn(const char* pair) {
  return [pair](TForm1& f) {
    Select(f, pair);
    PercentMode(f);
    f.Memo1.fontColor = colors::Black;
    f.Edit_ProcLot2.text = "0.123";
  };
}

// EUR/USD bought at 1.1002: one lot's margin 110020 ÷ 500 = 220.04, so 90 % of $100 is 0.409
// lots, down to 0.4, whose margin is $88.016 and whose point is $0.40; $200 at the take profit,
// $60 at the stop, 100 ÷ 60 = 1.67 times. From the stop, $90 ÷ 150 points ÷ $1 = 0.6.
const Sized kEurUsd = {
    "0.4",     "0.6",    "88.02", "0.40", "200$ или 200%", "60$ или 60%", "можно ошибится 1.67 раз",
    "1.09870", "1.10520"};

TEST_F(AssistantPercent, PairsOfEveryKind) {
  CheckRuns({
      {"EUR/USD", PercentOn("EUR/USD"),
       [](Outputs& o) {
         PercentRun(o, "EUR/USD", kEurUsd);
         RiskWarningAndGoodRatio(o);
       }},
      {"EUR/USD at risk 70 with a good ratio warns of nothing, and shows the ratio",
       [](TForm1& f) {
         PercentOn("EUR/USD")(f);
         f.ComboBox_LotProc.text = "70";
         f.Soot.caption = "0";  // as the window starts: no lots-mode run has set it
       },
       [](Outputs& o) {
         // 70 ÷ 220.04 = 0.318 → 0.31, margin 0.31 × 220.04 = 68.21; 70 ÷ 150 = 0.467 → 0.46;
         // 0.31 lot: $155 and $46.5, 100 ÷ 46.5 = 2.15.
         PercentRun(o, "EUR/USD",
                    {"0.31", "0.46", "68.21", "0.31", "155$ или 155%", "46.5$ или 46.5%",
                     "можно ошибится 2.15 раз", "1.09870", "1.10520"});
         o.ratio = "3.3";
         o.label34Colour = colors::Green;
       }},
      {"USD/JPY: a lot's margin is $200 at any price", PercentOn("USD/JPY"),
       [](Outputs& o) {
         // 90 ÷ 200 = 0.45 lot; a point ¥45 ÷ 150.02 = $0.29996 → 0.3; $149.98 and $44.99,
         // 100 ÷ 44.994 = 2.22. From the stop 90 ÷ (150 × 100 ÷ 150.02) = 0.90012 → 0.9.
         PercentRun(o, "USD/JPY",
                    {"0.45", "0.9", "90", "0.3", "149.98$ или 149.98%", "44.99$ или 44.99%",
                     "можно ошибится 2.22 раз", "149.87000", "150.52000"});
         RiskWarningAndGoodRatio(o);
       }},
      {"USD/CHF", PercentOn("USD/CHF"),
       [](Outputs& o) {
         // 0.45 lot: a point 0.45 ÷ 0.9125 = $0.49315 → 0.49; $246.58 and $73.97, 100 ÷ 73.97 =
         // 1.35. From the stop 90 × 0.9125 ÷ 150 = 0.5475 → 0.54.
         PercentRun(o, "USD/CHF",
                    {"0.45", "0.54", "90", "0.49", "246.58$ или 246.58%", "73.97$ или 73.97%",
                     "можно ошибится 1.35 раз", "0.91100", "0.91750"});
         RiskWarningAndGoodRatio(o);
       }},
      {"USD/CAD", PercentOn("USD/CAD"),
       [](Outputs& o) {
         // A point 0.45 ÷ 1.2502 = $0.35994 → 0.36; $179.97 and $53.99, 100 ÷ 53.991 = 1.85.
         // From the stop 90 × 1.2502 ÷ 150 = 0.75012 → 0.75.
         PercentRun(o, "USD/CAD",
                    {"0.45", "0.75", "90", "0.36", "179.97$ или 179.97%", "53.99$ или 53.99%",
                     "можно ошибится 1.85 раз", "1.24870", "1.25520"});
         RiskWarningAndGoodRatio(o);
       }},
      {"EUR/GBP through the table's EUR/USD", PercentOn("EUR/GBP"),
       [](Outputs& o) {
         // A lot's margin 110000 ÷ 500 = 220: 90 ÷ 220 = 0.409 → 0.4, margin 88; a point
         // 0.4 × 1.1 ÷ 0.8514 = $0.5168 → 0.52; $258.40 and $77.52, 100 ÷ 77.52 = 1.29. From
         // the stop 90 ÷ (150 × 1.1 ÷ 0.8514) = 0.4644 → 0.46.
         PercentRun(o, "EUR/GBP",
                    {"0.4", "0.46", "88", "0.52", "258.4$ или 258.4%", "77.52$ или 77.52%",
                     "можно ошибится 1.29 раз", "0.84990", "0.85640"});
         RiskWarningAndGoodRatio(o);
       }},
      {"CHF/JPY: a franc is $1.09613, 1 ÷ 0.9123 to five decimals", PercentOn("CHF/JPY"),
       [](Outputs& o) {
         // One lot's margin 109613 ÷ 500 = 219.226: 90 ÷ 219.226 = 0.4105 → 0.41, margin
         // 89.88; a point ¥41 ÷ 160.25 × 1.09613 = $0.28044 → 0.28; $140.22 and $42.07, 100 ÷
         // 42.067 = 2.38. From the stop 90 ÷ (150 × 100 ÷ 160.25 × 1.09613) = 0.877 → 0.87.
         PercentRun(o, "CHF/JPY",
                    {"0.41", "0.87", "89.88", "0.28", "140.22$ или 140.22%", "42.07$ или 42.07%",
                     "можно ошибится 2.38 раз", "160.10000", "160.75000"});
         RiskWarningAndGoodRatio(o);
       }},
      {"the ratio is recomputed in percent mode",
       [](TForm1& f) {
         PercentOn("EUR/USD")(f);
         f.ComboBox_Teik.text = "600";
         f.Soot.caption = "2";
       },
       [](Outputs& o) {
         // 600 ÷ 150 = 4, not the 2 a lots-mode run left; 0.4 lot wins $240.
         PercentRun(o, "EUR/USD",
                    {"0.4", "0.6", "88.02", "0.40", "240$ или 240%", "60$ или 60%",
                     "можно ошибится 1.67 раз", "1.09870", "1.10620"});
         RiskWarningAndGoodRatio(o);
         o.ratio = "4";
       }},
      {"a bad ratio typed in percent mode warns",
       [](TForm1& f) {
         PercentOn("EUR/USD")(f);
         f.ComboBox_LotProc.text = "70";
         f.ComboBox_Teik.text = "300";
         f.Soot.caption = "4";
         f.Label34.fontColor = colors::Green;
       },
       [](Outputs& o) {
         // 300 ÷ 150 = 2: below 3, so the label turns red and the box warns; 0.31 lot wins $93.
         PercentRun(o, "EUR/USD",
                    {"0.31", "0.46", "68.21", "0.31", "93$ или 93%", "46.5$ или 46.5%",
                     "можно ошибится 2.15 раз", "1.09870", "1.10320"});
         o.ratio = "2";
         o.memo = {kRatioTooLow};
         o.memoColour = o.label34Colour = colors::Red;
       }},
  });
}

TEST_F(AssistantPercent, SmallRisksAndMissingStops) {
  CheckRuns({
      {"USD/CNY at 3 %: the lot and every figure of it",
       [](TForm1& f) {
         PercentOn("USD/CNY")(f);
         f.ComboBox_LotProc.text = "3";
         f.Punkt.caption = "9";
       },
       [](Outputs& o) {
         // 3 ÷ 200 = 0.015 lot, down to 0.01, not up to 0.02: margin $2, a point 0.01 ÷ 7.2 =
         // $0.0013889 → 0.00139, $0.69 and $0.21, 100 ÷ 0.2083 = 480. From the stop 3 × 7.2 ÷
         // 150 = 0.144 → 0.14.
         PercentRun(o, "USD/CNY",
                    {"0.01", "0.14", "2", "0.00139", "0.69$ или 0.69%", "0.21$ или 0.21%",
                     "можно ошибится 480.0 раз", "7.19850", "7.20500"});
         o.ratio = "3.3";
         o.label34Colour = colors::Green;
       }},
      {"a risk that buys less than the smallest lot says so",
       [](TForm1& f) {
         PercentOn("EUR/USD")(f);
         f.ComboBox_LotProc.text = "2";
         f.ComboBox_los.text = "400";
       },
       [](Outputs& o) {
         // 2 % of $100 is $2: 2 ÷ 220.04 = 0.009 and 2 ÷ 400 = 0.005 lots, both below 0.01, so
         // both are 0 and the trade has no money at stake. The stop 1.1002 − 0.004; the ratio
         // 500 ÷ 400 = 1.25, shown 1.3.
         PercentRun(o, "EUR/USD",
                    {"0", "0", "0", "0", "0$ или 0%", "0$ или 0%", "", "1.09620", "1.10520"});
         o.memo = {"Лот от маржи 0: риска не хватает даже на 0.01 лота.",
                   "Лот от стопа 0: риска не хватает даже на 0.01 лота."};
         o.memoColour = colors::Red;
         o.ratio = "1.3";
         o.memo.push_back(kRatioTooLow);
         o.label34Colour = colors::Red;
       }},
      {"stop loss 0: no lot from the stop, no loss, no stop level",
       [](TForm1& f) {
         PercentOn("EUR/USD")(f);
         f.ComboBox_los.text = "0";
       },
       [](Outputs& o) {
         PercentRun(o, "EUR/USD",
                    {"0.4", "", "88.02", "0.40", "200$ или 200%", "0$ или 0%", "", "", "1.10520"});
         o.memo = {kRiskTooHigh, kRatioTooLow};
         o.memoColour = o.label34Colour = colors::Red;
         o.ratio = "0";
       }},
      {"stop loss 0 for a dollar-based pair",
       [](TForm1& f) {
         PercentOn("USD/JPY")(f);
         f.ComboBox_los.text = "0";
       },
       [](Outputs& o) {
         PercentRun(
             o, "USD/JPY",
             {"0.45", "", "90", "0.3", "149.98$ или 149.98%", "0$ или 0%", "", "", "150.52000"});
         o.memo = {kRiskTooHigh, kRatioTooLow};
         o.memoColour = o.label34Colour = colors::Red;
         o.ratio = "0";
       }},
      {"leverage 0 leaves no lot to copy",
       [](TForm1& f) {
         PercentOn("EUR/USD")(f);
         f.ComboBox_Plecho.text = "0";
       },
       [](Outputs& o) {
         Picked(o, "EUR/USD");
         o.zalog = o.punkt = o.profit = o.loss = o.ratio = "—";
         o.lossCount = o.stopPrice = o.takePrice = o.procLot = o.procLot2 = "";
         o.memo = {"Плечо должно быть от 1 до 10000."};
         o.memoColour = colors::Red;
       }},
      {"a bad text typed into the lot box is overwritten",
       [](TForm1& f) {
         PercentOn("EUR/USD")(f);
         f.Edit_ProcLot.text = "abc";
       },
       [](Outputs& o) {
         PercentRun(o, "EUR/USD", kEurUsd);
         RiskWarningAndGoodRatio(o);
       }},
  });
}

// A lot is rounded down to the step, never up: sold at 1.1, 90 ÷ 220 = 0.409 is 0.4 (not 0.41),
// and the margin and point are those of 0.4 lot, not of 0.409.
TEST_F(AssistantPercent, TheLotShownIsTheLotCounted) {
  TForm1 form = MarketForm();
  Select(form, "EUR/USD");
  PercentMode(form);
  Sell(form);
  form.ListView1Click();
  EXPECT_EQ(form.Edit_ProcLot.text, "0.4");
  EXPECT_EQ(form.Edit_ProcLot2.text, "0.6");
  EXPECT_EQ(form.Zalog.caption, "88");
  EXPECT_EQ(form.Punkt.caption, "0.40");
  ASSERT_TRUE(form.AssistantFigures.has_value());
  EXPECT_EQ(form.AssistantFigures->figures.lots, 0.4);
}

// With a finer lot step the lots keep its decimals: 90 ÷ 100.58 = 0.8948 lots of NZD/USD at
// 0.5029 is 0.894 at a step of 0.001, 0.89 without one.
TEST_F(AssistantPercent, TheLotKeepsTheDecimalsOfTheStep) {
  TForm1 form = MarketForm();
  form.Label_Valuta.caption = form.SelectedPair = "NZD/USD";
  form.SelectedBid = form.SelectedAsk = "0.5029";
  PercentMode(form);
  form.ListView1Click();
  EXPECT_EQ(form.Edit_ProcLot.text, "0.89");
  form.Broker.lotStep = 0.001;
  form.ListView1Click();
  EXPECT_EQ(form.Edit_ProcLot.text, "0.894");
  // 0.894 × 100.58 = 89.92 of margin, within the 90 asked.
  EXPECT_EQ(form.Zalog.caption, "89.92");
}

// Only lots mode resets the warnings colour, so a red box stays red while percent mode is on,
// and the ratio label keeps whatever colour a run last gave it.
TEST_F(AssistantPercent, ColoursCarryOverBetweenRuns) {
  TForm1 form = MarketForm();
  Select(form, "EUR/USD");
  form.Memo1.fontColor = colors::Black;
  form.ListView1Click();
  ASSERT_EQ(form.Soot.caption, "3.3");
  ASSERT_EQ(form.Label34.fontColor, colors::Green);
  ASSERT_TRUE(form.Memo1.lines.empty());

  PercentMode(form);
  form.ListView1Click();
  EXPECT_EQ(form.Memo1.lines, std::vector<std::string>{kRiskTooHigh});
  EXPECT_EQ(form.Memo1.fontColor, colors::Red);
  EXPECT_EQ(form.Label34.fontColor, colors::Green);

  form.ComboBox_LotProc.text = "70";
  form.ListView1Click();
  EXPECT_TRUE(form.Memo1.lines.empty());
  EXPECT_EQ(form.Memo1.fontColor, colors::Red);

  form.RadioButton9.checked = false;
  form.RadioButton11.checked = true;
  form.ListView1Click();
  EXPECT_EQ(form.Memo1.fontColor, colors::Black);
  EXPECT_EQ(form.Label42.fontColor, colors::Gray);
}

TEST_F(AssistantPercent, NeitherModeCheckedSaysSo) {
  TForm1 form = MarketForm();
  Select(form, "EUR/USD");
  form.RadioButton11.checked = false;
  form.Edit_ProcLot.text = "0.409090909090909";
  Outputs expected = Snapshot(form);
  Picked(expected, "EUR/USD");
  expected.zalog = expected.punkt = expected.profit = expected.loss = expected.ratio = "—";
  expected.lossCount = expected.stopPrice = expected.takePrice = "";
  expected.procLot = expected.procLot2 = "";
  expected.memo = {"Выберите расчёт: в лотах или в процентах."};
  expected.memoColour = colors::Red;

  form.ListView1Click();

  EXPECT_EQ(Snapshot(form), expected);
}

}  // namespace
}  // namespace tiramon::assistant_test
