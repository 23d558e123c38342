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

// With no lots-mode run before, the ratio is still its initial 0 and always warns.
void RiskAndRatioWarnings(Outputs& o) {
  o.memo = {kRiskTooHigh, kRatioTooLow};
  o.memoColour = o.label34Colour = colors::Red;
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
         PercentRun(o, "EUR/USD",
                    {"0.41", "0.6", "90.0", "0.409", "204.5$ или 204.5%", "61.35$ или 61.35%",
                     "можно ошибится 1.63 раз", "1.09850", "1.10500"});
         RiskAndRatioWarnings(o);
       }},
      {"EUR/USD at risk 70 with a good ratio warns of nothing",
       [](TForm1& f) {
         PercentOn("EUR/USD")(f);
         f.ComboBox_LotProc.text = "70";
         f.Soot.caption = "3.3";
       },
       [](Outputs& o) {
         PercentRun(o, "EUR/USD",
                    {"0.32", "0.47", "70.0", "0.318", "159$ или 159%", "47.7$ или 47.7%",
                     "можно ошибится 2.1 раз", "1.09850", "1.10500"});
       }},
      {"USD/JPY: 0.6 lot of $1 a point is 0.9 lot of ¥100 ÷ 150", PercentOn("USD/JPY"),
       [](Outputs& o) {
         PercentRun(o, "USD/JPY",
                    {"0.45", "0.9", "90.0", "0.3", "150$ или 150%", "45$ или 45%",
                     "можно ошибится 2.22 раз", "149.85000", "150.50000"});
         RiskAndRatioWarnings(o);
       }},
      {"USD/CHF: 0.6 ÷ (1 ÷ 0.9123)", PercentOn("USD/CHF"),
       [](Outputs& o) {
         PercentRun(o, "USD/CHF",
                    {"0.45", "0.55", "90.0", "0.49", "245$ или 245%", "73.5$ или 73.5%",
                     "можно ошибится 1.36 раз", "0.91080", "0.91730"});
         RiskAndRatioWarnings(o);
       }},
      {"USD/CAD: 0.6 ÷ (1 ÷ 1.25)", PercentOn("USD/CAD"),
       [](Outputs& o) {
         PercentRun(o, "USD/CAD",
                    {"0.45", "0.75", "90.0", "0.36", "180$ или 180%", "54$ или 54%",
                     "можно ошибится 1.85 раз", "1.24850", "1.25500"});
         RiskAndRatioWarnings(o);
       }},
      {"EUR/GBP: 0.6 ÷ (1.1234 ÷ 0.8512)", PercentOn("EUR/GBP"),
       [](Outputs& o) {
         PercentRun(o, "EUR/GBP",
                    // 0.4006 lot × £1 a point × 1.1234 $/€ ÷ 0.8512 £/€ = $0.529.
                    {"0.4", "0.45", "90", "0.53", "265$ или 265%", "79.5$ или 79.5%",
                     "можно ошибится 1.26 раз", "0.84970", "0.85620"});
         RiskAndRatioWarnings(o);
       }},
      {"the ratio is not recomputed in percent mode",
       [](TForm1& f) {
         PercentOn("EUR/USD")(f);
         f.ComboBox_Teik.text = "600";
         f.Soot.caption = "2";
       },
       [](Outputs& o) {
         PercentRun(o, "EUR/USD",
                    {"0.41", "0.6", "90.0", "0.409", "245.4$ или 245.4%", "61.35$ или 61.35%",
                     "можно ошибится 1.63 раз", "1.09850", "1.10600"});
         RiskAndRatioWarnings(o);
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
         o.procLot2 = "0.142";  // 3 % of 100 over 150 points of 1 ÷ 7.1 dollars
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
         o.procLot = "0.409090909090909";
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
                     "можно ошибится 1.63 раз", "1.09850", "1.10500"});
         RiskAndRatioWarnings(o);
       }},
  });
}

TEST_F(AssistantPercent, TheLotIsWrittenInFullBeforeItIsShortened) {
  TForm1 form = MarketForm();
  Select(form, "EUR/USD");
  PercentMode(form);
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
