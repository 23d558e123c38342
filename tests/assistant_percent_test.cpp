// The assistant with the risk given in percent of the deposit: the lot from the margin and from
// the stop, the figures computed from the lot as printed, the risk warning, and the outputs that
// this mode leaves as an earlier run wrote them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assistant/recalc.h"
#include "tests/assistant_market.h"

namespace tiramon::assistant_test {
namespace {

class AssistantPercent : public AssistantTest {};

struct Sized {
  const char* procLot;  // after the final shortening
  const char* procLot2;
  const char* zalog;
  const char* punkt;
  const char* profit;
  const char* loss;
  const char* count;
  const char* stop;  // the price levels, which do not depend on the lot
  const char* take;
};

// A percent-mode run that ends before the price levels leaves both price boxes empty.
void PickedAndEnded(Outputs& o, const std::string& pair) {
  Picked(o, pair);
  o.stopPrice = o.takePrice = "";
}

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

// Risk 90 warns; the ratio, take profit 500 over stop loss 150, is computed afresh in percent
// mode too, 3.3 whatever a lots-mode run left, so it turns its label green and does not warn.
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

TEST_F(AssistantPercent, PairsOfEveryKind) {
  CheckRuns({
      {"EUR/USD", PercentOn("EUR/USD"),
       [](Outputs& o) {
         // Bought at 1.1002: one lot's margin 110020 ÷ 500 = 220.04, so the lot is 90 ÷ 220.04 =
         // 0.409016..., its margin 90.0 and its point $0.409; from the stop, $90 ÷ 150 points
         // ÷ $1 a point of a lot = 0.6. Levels 1.1002 − 0.0015 and 1.1002 + 0.005.
         PercentRun(o, "EUR/USD",
                    {"0.41", "0.6", "90.0", "0.409", "204.5$ или 204.5%", "61.35$ или 61.35%",
                     "можно ошибится 1.63 раз", "1.09870", "1.10520"});
         RiskWarningAndGoodRatio(o);
       }},
      {"EUR/USD at risk 70 with a good ratio warns of nothing, and shows the ratio",
       [](TForm1& f) {
         PercentOn("EUR/USD")(f);
         f.ComboBox_LotProc.text = "70";
         f.Soot.caption = "0";  // as the window starts: no lots-mode run has set it
       },
       [](Outputs& o) {
         // 70 ÷ 220.04 = 0.318, 70 ÷ 150 = 0.47; the ratio 500 ÷ 150 = 3.3 turns its label green.
         PercentRun(o, "EUR/USD",
                    {"0.32", "0.47", "70.0", "0.318", "159$ или 159%", "47.7$ или 47.7%",
                     "можно ошибится 2.1 раз", "1.09870", "1.10520"});
         o.ratio = "3.3";
         o.label34Colour = colors::Green;
       }},
      {"USD/JPY: 0.6 lot of $1 a point is 0.9 lot of ¥100 ÷ 150.02", PercentOn("USD/JPY"),
       [](Outputs& o) {
         // 0.6 ÷ (100 ÷ 150.02) = 0.90012; point 0.45 × ¥100 ÷ 150.02 = $0.29996.
         PercentRun(o, "USD/JPY",
                    {"0.45", "0.9", "90.0", "0.3", "150$ или 150%", "45$ или 45%",
                     "можно ошибится 2.22 раз", "149.87000", "150.52000"});
         RiskWarningAndGoodRatio(o);
       }},
      {"USD/CHF: 0.6 ÷ (1 ÷ 0.9125)", PercentOn("USD/CHF"),
       [](Outputs& o) {
         // 0.6 × 0.9125 = 0.5475; point 0.45 ÷ 0.9125 = $0.493.
         PercentRun(o, "USD/CHF",
                    {"0.45", "0.55", "90.0", "0.49", "245$ или 245%", "73.5$ или 73.5%",
                     "можно ошибится 1.36 раз", "0.91100", "0.91750"});
         RiskWarningAndGoodRatio(o);
       }},
      {"USD/CAD: 0.6 ÷ (1 ÷ 1.2502)", PercentOn("USD/CAD"),
       [](Outputs& o) {
         // 0.6 × 1.2502 = 0.75012; point 0.45 ÷ 1.2502 = $0.36.
         PercentRun(o, "USD/CAD",
                    {"0.45", "0.75", "90.0", "0.36", "180$ или 180%", "54$ или 54%",
                     "можно ошибится 1.85 раз", "1.24870", "1.25520"});
         RiskWarningAndGoodRatio(o);
       }},
      {"EUR/GBP: 0.6 ÷ (1.1234 ÷ 0.8514)", PercentOn("EUR/GBP"),
       [](Outputs& o) {
         PercentRun(o, "EUR/GBP",
                    // 90 ÷ 224.68 = 0.4006 lot × £1 a point × 1.1234 $/€ ÷ 0.8514 £/€ = $0.529;
                    // from the stop 0.6 ÷ (1.1234 ÷ 0.8514) = 0.4547.
                    {"0.4", "0.45", "90", "0.53", "265$ или 265%", "79.5$ или 79.5%",
                     "можно ошибится 1.26 раз", "0.84990", "0.85640"});
         RiskWarningAndGoodRatio(o);
       }},
      {"CHF/JPY: a franc is $1.09613, 1 ÷ 0.9123 to five decimals", PercentOn("CHF/JPY"),
       [](Outputs& o) {
         // One lot's margin 109613 ÷ 500 = 219.226: lot 90 ÷ 219.226 = 0.41053..., its point
         // ¥100 × 0.41053 ÷ 160.25 × 1.09613 = $0.2808; from the stop 0.6 ÷ (100 ÷ 160.25 ×
         // 1.09613) = 0.8772. The margin of the lot as printed to 15 digits, in the general
         // form crosses are shown in, falls a hair short of 90.
         PercentRun(o, "CHF/JPY",
                    {"0.41", "0.88", "89.9999999999999", "0.28", "140$ или 140%", "42$ или 42%",
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
         // 600 ÷ 150 = 4, not the 2 a lots-mode run left.
         PercentRun(o, "EUR/USD",
                    {"0.41", "0.6", "90.0", "0.409", "245.4$ или 245.4%", "61.35$ или 61.35%",
                     "можно ошибится 1.63 раз", "1.09870", "1.10620"});
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
         // 300 ÷ 150 = 2: below 3, so the label turns red and the box warns.
         PercentRun(o, "EUR/USD",
                    {"0.32", "0.47", "70.0", "0.318", "95.4$ или 95.4%", "47.7$ или 47.7%",
                     "можно ошибится 2.1 раз", "1.09870", "1.10320"});
         o.ratio = "2";
         o.memo = {kRatioTooLow};
         o.memoColour = o.label34Colour = colors::Red;
       }},
  });
}

TEST_F(AssistantPercent, RunsThatEndEarly) {
  CheckRuns({
      {"USD/CNY at 0.015 lot: point value 0 ends the run at the loss count",
       [](TForm1& f) {
         PercentOn("USD/CNY")(f);
         f.ComboBox_LotProc.text = "3";
         f.Punkt.caption = "9";
       },
       [](Outputs& o) {
         PickedAndEnded(o, "USD/CNY");
         o.procLot = "0.015";   // not shortened: the run never reached the end
         o.procLot2 = "0.144";  // 3 % of 100 over 150 points of 1 ÷ 7.2 dollars (the ask)
         o.zalog = "3.0";
         o.punkt = "0";
         o.profit = o.loss = "0$ или 0%";
       }},
      {"stop loss 0 for a dollar-quoted pair ends at the lot from the stop",
       [](TForm1& f) {
         PercentOn("EUR/USD")(f);
         f.ComboBox_los.text = "0";
       },
       [](Outputs& o) {
         PickedAndEnded(o, "EUR/USD");
         o.procLot = "0.409016542446828";  // 90 ÷ (1.1002 × 100000 ÷ 500)
       }},
      {"stop loss 0 for a dollar-based pair ends at the lot from the stop too",
       [](TForm1& f) {
         PercentOn("USD/JPY")(f);
         f.ComboBox_los.text = "0";
       },
       [](Outputs& o) {
         PickedAndEnded(o, "USD/JPY");
         o.procLot = "0.45";
         o.zalog = "90.0";
         o.punkt = "0.3";
       }},
      {"leverage 0 ends before any lot is written",
       [](TForm1& f) {
         PercentOn("EUR/USD")(f);
         f.ComboBox_Plecho.text = "0";
       },
       [](Outputs& o) { PickedAndEnded(o, "EUR/USD"); }},
      {"a bad text typed into the lot box is overwritten first",
       [](TForm1& f) {
         PercentOn("EUR/USD")(f);
         f.Edit_ProcLot.text = "abc";
       },
       [](Outputs& o) {
         PercentRun(o, "EUR/USD",
                    {"0.41", "0.6", "90.0", "0.409", "204.5$ или 204.5%", "61.35$ или 61.35%",
                     "можно ошибится 1.63 раз", "1.09870", "1.10520"});
         RiskWarningAndGoodRatio(o);
       }},
  });
}

TEST_F(AssistantPercent, TheLotIsWrittenInFullBeforeItIsShortened) {
  TForm1 form = MarketForm();
  Select(form, "EUR/USD");
  PercentMode(form);
  Sell(form);  // sold at the bid
  const std::string price = assistant::PickUpPair(form);
  ASSERT_EQ(price, "1.1");

  assistant::SizeByPercent(form, price);
  EXPECT_EQ(form.Edit_ProcLot.text, "0.409090909090909");
  EXPECT_EQ(form.Edit_ProcLot2.text, "0.6");
  EXPECT_EQ(form.Zalog.caption, "90.0");
  EXPECT_EQ(form.Punkt.caption, "0.409");

  assistant::FormatLotBoxes(form);
  EXPECT_EQ(form.Edit_ProcLot.text, "0.41");
  EXPECT_EQ(form.Edit_ProcLot2.text, "0.6");
}

// The margin of one lot is kept as a double: 90 / 100.58 ends in ...811, but divided by the
// double just below 100.58 it ends in ...812.
TEST_F(AssistantPercent, TheOneLotMarginIsADouble) {
  TForm1 form = MarketForm();
  form.Label_Valuta.caption = "NZD/USD";
  PercentMode(form);
  assistant::SizeByPercent(form, "0.5029");
  EXPECT_EQ(form.Edit_ProcLot.text, "0.894810101411812");
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

TEST_F(AssistantPercent, NeitherModeCheckedOnlyChecksTheRatio) {
  TForm1 form = MarketForm();
  Select(form, "EUR/USD");
  form.RadioButton11.checked = false;
  form.Edit_ProcLot.text = "0.409090909090909";
  Outputs expected = Snapshot(form);
  Picked(expected, "EUR/USD");
  expected.procLot = "0.41";
  expected.memo = {kRatioTooLow};
  expected.memoColour = expected.label34Colour = colors::Red;

  form.ListView1Click();

  EXPECT_EQ(Snapshot(form), expected);
}

}  // namespace
}  // namespace tiramon::assistant_test
