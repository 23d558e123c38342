// The "Анализ риска" tab on the window model, without a window: its defaults, how its boxes are
// read and refused, the texts of its figures worked out by hand, and the long run that goes on a
// thread of its own and ends through the tab's timer.
#include "simulators/risk_form.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "app/input_rules.h"
#include "app/unit1.h"
#include "app/wiring.h"
#include "support/typed_number.h"
#include "tests/support/run_expecting_error.h"

namespace tiramon {
namespace {

using simulators::ReadRiskInputs;
using simulators::RiskMoneyText;
using simulators::RiskPercentText;
using simulators::ShortNumberText;

std::string Refusal(TForm1& form) {
  return testing::RunExpectingError(form, &TForm1::RiskCalculateClick, "RiskCalculateClick");
}

// The figures of the summary in the order the tab lists them.
std::vector<std::string> Figures(const TForm1& form) {
  return {form.RiskRuinProbability.caption, form.RiskFinalP05.caption,
          form.RiskFinalP25.caption,        form.RiskFinalMedian.caption,
          form.RiskFinalP75.caption,        form.RiskFinalP95.caption,
          form.RiskDrawdownMedian.caption,  form.RiskDrawdownP95.caption,
          form.RiskLosingRunMedian.caption, form.RiskLosingRunP95.caption,
          form.RiskExpectancy.caption};
}

const std::vector<std::string> kNoFigures(11, "—");

// The texts of all boxes, in the tab's order, and the mode.
struct Boxes {
  const char* deposit;
  const char* trades;
  bool percent;
  const char* risk;
  const char* ratio;
  const char* winShare;
  const char* ruin;
  const char* series;
};

void Fill(TForm1& form, const Boxes& boxes) {
  form.RiskDeposit.text = boxes.deposit;
  form.RiskTrades.text = boxes.trades;
  form.RiskPercentMode.checked = boxes.percent;
  form.RiskMoneyMode.checked = !boxes.percent;
  form.RiskAmount.text = boxes.risk;
  form.RiskRatio.text = boxes.ratio;
  form.RiskWinShare.text = boxes.winShare;
  form.RiskRuin.text = boxes.ruin;
  form.RiskSeries.text = boxes.series;
}

// The state of the tab while no run goes on.
void ExpectIdle(const TForm1& form) {
  EXPECT_EQ(form.RiskJob, nullptr);
  EXPECT_TRUE(form.RiskCalculate.enabled);
  EXPECT_TRUE(form.RiskFromAssistant.enabled);
  EXPECT_FALSE(form.RiskProgress.visible);
  EXPECT_EQ(form.RiskProgress.position, 0);
  EXPECT_FALSE(form.RiskCancel.visible);
  EXPECT_TRUE(form.RiskStatus.visible);
  EXPECT_FALSE(form.Timer_Risk.enabled);
}

TEST(RiskForm, StartsFromTheDefaultsOfTheAnalysis) {
  TForm1 form;
  const std::pair<const TEdit*, const char*> boxes[] = {
      {&form.RiskDeposit, "100"},  {&form.RiskTrades, "100"},  {&form.RiskAmount, "5"},
      {&form.RiskRatio, "4"},      {&form.RiskWinShare, "40"}, {&form.RiskRuin, "50"},
      {&form.RiskSeries, "10000"}, {&form.RiskSeed, "1"},
  };
  for (const auto& [box, text] : boxes) EXPECT_EQ(box->text, text);
  EXPECT_TRUE(form.RiskPercentMode.checked);
  EXPECT_FALSE(form.RiskMoneyMode.checked);
  EXPECT_EQ(form.RiskAmountUnit.caption, "%");
  EXPECT_EQ(Figures(form), kNoFigures);
  EXPECT_EQ(form.RiskStatus.caption, "");
  EXPECT_EQ(form.RiskProgress.max, 1000);
  EXPECT_EQ(form.RiskCharts.revision, 0);
  ExpectIdle(form);

  // The texts read back as the analysis's own defaults: percentages become shares.
  const RiskInputs in = ReadRiskInputs(form);
  EXPECT_EQ(in.deposit, 100);
  EXPECT_EQ(in.trades, 100);
  EXPECT_TRUE(in.percentRisk);
  EXPECT_EQ(in.risk, 5);
  EXPECT_EQ(in.rewardToRisk, 4);
  EXPECT_EQ(in.winShare, 0.4);
  EXPECT_EQ(in.ruinDrawdown, 0.5);
  EXPECT_EQ(in.series, 10000);
  EXPECT_EQ(in.seed, 1u);
}

TEST(RiskForm, BoxesReadNumbersWithAPointOrADecimalComma) {
  struct Row {
    const char* text;
    std::optional<double> value;
  };
  const Row rows[] = {
      {"12,5", 12.5},
      {"12.5", 12.5},
      {" 7 ", 7},
      {"\t7\n", 7},
      {"\u00A05\u00A0", 5},
      {"+5", 5},
      {"-0,25", -0.25},
      {"1e3", 1000},
      {"2,5E-1", 0.25},
      {"5.", 5},
      {",5", 0.5},
      {"1,000", 1},  // a comma is a decimal mark here, never a thousands separator
      {"", std::nullopt},
      {"  ", std::nullopt},
      {"4o", std::nullopt},
      {"1,000,000", std::nullopt},
      {"1 000", std::nullopt},
      {"inf", std::nullopt},
      {"nan", std::nullopt},
      {"1e400", std::nullopt},
      {"1e-400", std::nullopt},
      {"0x10", std::nullopt},
      {"+-5", std::nullopt},
      {"++5", std::nullopt},
      {"1e", std::nullopt},
      {",", std::nullopt},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ReadTypedNumber(row.text), row.value) << "«" << row.text << "»";
  }
}

TEST(RiskForm, RefusalsNameTheBoxAndSendTheFocusThere) {
  struct Row {
    TEdit TForm1::*box;
    const char* text;
    const char* message;
    const char* focus;  // "" when the analysis, not a box, refused
  };
  const Row rows[] = {
      {&TForm1::RiskDeposit, "abc", "Поле «Начальный депозит»: «abc» — не число", "RiskDeposit"},
      {&TForm1::RiskWinShare, "4o", "Поле «Прибыльных сделок»: «4o» — не число", "RiskWinShare"},
      {&TForm1::RiskRuin, "", "Поле «Разорение»: «» — не число", "RiskRuin"},
      {&TForm1::RiskAmount, "1e400", "Поле «Риск на сделку»: «1e400» — не число", "RiskAmount"},
      {&TForm1::RiskTrades, "2.5", "Поле «Сделок в серии»: нужно целое число не меньше нуля",
       "RiskTrades"},
      {&TForm1::RiskSeries, "-1", "Поле «Число серий»: нужно целое число не меньше нуля",
       "RiskSeries"},
      {&TForm1::RiskSeed, "1e16", "Поле «Зерно генератора»: нужно целое число не меньше нуля",
       "RiskSeed"},
      {&TForm1::RiskTrades, "0", "Число сделок в серии должно быть от 1 до 10000", ""},
      {&TForm1::RiskTrades, "1e15", "Число сделок в серии должно быть от 1 до 10000", ""},
      {&TForm1::RiskSeries, "100001", "Число серий должно быть от 1 до 100000", ""},
      {&TForm1::RiskAmount, "100",
       "Риск должен быть меньше 100 % депозита: такая сделка забирает весь депозит", ""},
      {&TForm1::RiskWinShare, "100,5",
       "Доля прибыльных сделок должна быть от 0 до 1 (от 0 до 100 %)", ""},
      {&TForm1::RiskRuin, "0",
       "Уровень разорения должен быть больше 0 и не больше 1 (до 100 % депозита)", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.message);
    TForm1 form;
    (form.*row.box).text = row.text;
    EXPECT_EQ(Refusal(form), row.message);
    EXPECT_EQ(form.Focus.control, row.focus);
    EXPECT_EQ(form.Focus.requests, *row.focus ? 1 : 0);
    EXPECT_EQ(Figures(form), kNoFigures);
    EXPECT_EQ(form.RiskCharts.revision, 0);
    ExpectIdle(form);
  }
}

TEST(RiskForm, TheFirstBadBoxIsNamedAndAnyNonNumberBeforeAnyCount) {
  TForm1 form;
  form.RiskDeposit.text = "x";
  form.RiskSeed.text = "y";
  EXPECT_EQ(Refusal(form), "Поле «Начальный депозит»: «x» — не число");
  // Every box is read as a number first, so a bad seed comes before a fractional trade count.
  form.RiskDeposit.text = "100";
  form.RiskTrades.text = "2.5";
  EXPECT_EQ(Refusal(form), "Поле «Зерно генератора»: «y» — не число");
  EXPECT_EQ(form.Focus.requests, 2);
  // The same box asked for again is a new request: the user may have clicked elsewhere.
  form.RiskSeed.text = "z";
  Refusal(form);
  EXPECT_EQ(form.Focus.control, "RiskSeed");
  EXPECT_EQ(form.Focus.requests, 3);
}

TEST(RiskForm, FiguresOfRunsWithACertainOutcome) {
  struct Row {
    Boxes boxes;
    std::vector<std::string> figures;
    const char* status;
  };
  const Row rows[] = {
      // Ten wins of 4 × 5 %: 100 · 1.2^10 = 619.17; each wins 20 % of $100 = $20.
      {{"100", "10", true, "5", "4", "100", "50", "1000"},
       {"0.0 %", "619.17 $", "619.17 $", "619.17 $", "619.17 $", "619.17 $", "0.0 %", "0.0 %", "0",
        "0", "20.00 $"},
       "1000 серий × 10 сделок, разорение: депозит ≤ 50 $"},
      // Ten losses of 5 %: 100 · 0.95^10 = 59.87, above the ruin level of 50; the drawdown is
      // 1 − 0.95^10 = 40.1 %; each trade loses $5.
      {{"100", "10", true, "5", "4", "0", "50", "1000"},
       {"0.0 %", "59.87 $", "59.87 $", "59.87 $", "59.87 $", "59.87 $", "40.1 %", "40.1 %", "10",
        "10", "-5.00 $"},
       "1000 серий × 10 сделок, разорение: депозит ≤ 50 $"},
      // Fourteen losses: 100 · 0.95^14 = 48.77 is ruin in every series; 1 − 0.95^14 = 51.2 %.
      {{"100", "14", true, "5", "4", "0", "50", "7"},
       {"100.0 %", "48.77 $", "48.77 $", "48.77 $", "48.77 $", "48.77 $", "51.2 %", "51.2 %", "14",
        "14", "-5.00 $"},
       "7 серий × 14 сделок, разорение: депозит ≤ 50 $"},
      // A fixed $1 at 1.5: 1000 + 1.5 = 1001.5, a tie shown as 1002 (away from zero).
      {{"1000", "1", false, "1", "1,5", "100", "50", "10"},
       {"0.0 %", "1002 $", "1002 $", "1002 $", "1002 $", "1002 $", "0.0 %", "0.0 %", "0", "0",
        "1.50 $"},
       "10 серий × 1 сделок, разорение: депозит ≤ 500 $"},
      // Three wins of $1e6 on $1e9: 1.003e9 in four digits, and the ruin level 2469130 · 0.5 =
      // 1234565 in six (the tie again goes up).
      {{"2469130", "3", false, "1000000", "1", "100", "50", "3"},
       {"0.0 %", "5469130 $", "5469130 $", "5469130 $", "5469130 $", "5469130 $", "0.0 %", "0.0 %",
        "0", "0", "1000000 $"},
       "3 серий × 3 сделок, разорение: депозит ≤ 1.23457e+06 $"},
      {{"1e9", "3", false, "1000000", "1", "100", "50", "3"},
       {"0.0 %", "1.003e+09 $", "1.003e+09 $", "1.003e+09 $", "1.003e+09 $", "1.003e+09 $", "0.0 %",
        "0.0 %", "0", "0", "1000000 $"},
       "3 серий × 3 сделок, разорение: депозит ≤ 5e+08 $"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.status);
    TForm1 form;
    Fill(form, row.boxes);
    form.RiskCalculateClick();
    EXPECT_EQ(Figures(form), row.figures);
    EXPECT_EQ(form.RiskStatus.caption, row.status);
    EXPECT_EQ(form.RiskCharts.revision, 1);
    ExpectIdle(form);
  }
}

TEST(RiskForm, DefaultsAndATypedCommaGiveTheirFigures) {
  TForm1 form;
  form.RiskCalculateClick();
  // 40 % of trades win 4 × 5 % of the deposit, 60 % lose 5 %: 0.4·20 − 0.6·5 = $5 at $100.
  EXPECT_EQ(form.RiskExpectancy.caption, "5.00 $");
  EXPECT_EQ(form.RiskStatus.caption, "10000 серий × 100 сделок, разорение: депозит ≤ 50 $");
  // Every series ends on 100 · 1.2^w · 0.95^(100−w) for its w wins; shown to the dollar.
  const std::vector<std::string> figures = Figures(form);
  for (std::size_t i = 1; i <= 5; ++i) {
    std::string text = figures[i];
    ASSERT_TRUE(text.ends_with(" $")) << text;
    const double value = std::stod(text.substr(0, text.size() - 2));
    bool onLattice = false;
    for (int w = 0; w <= 100; ++w) {
      onLattice =
          onLattice || std::abs(100 * std::pow(1.2, w) * std::pow(0.95, 100 - w) - value) <= 0.5;
    }
    EXPECT_TRUE(onLattice) << text;
  }
  EXPECT_TRUE(figures[0].ends_with(" %")) << figures[0];
  // The pictures: one band row per trade from 0, starting at the deposit, the ruin level dashed.
  ASSERT_EQ(form.RiskCharts.band.size(), 101u);
  // The fan places each row at its trade number; without them it draws nothing.
  EXPECT_EQ(form.RiskCharts.bandTrades, RiskBandTrades(100));
  EXPECT_EQ(form.RiskCharts.band[0][2], 100);
  EXPECT_EQ(form.RiskCharts.ruinLevel, 50);
  EXPECT_EQ(form.RiskCharts.series, 10000);

  form.RiskSeries.text = "2000";
  form.RiskAmount.text = "12,5";
  form.RiskCalculateClick();
  // 0.4 · 4 · 12.5 − 0.6 · 12.5 = 12.5.
  EXPECT_EQ(form.RiskExpectancy.caption, "12.50 $");
  EXPECT_TRUE(form.RiskStatus.caption.starts_with("2000 серий × 100 сделок"))
      << form.RiskStatus.caption;
  EXPECT_EQ(form.RiskCharts.revision, 2);
}

TEST(RiskForm, FigureTextsRoundTiesAwayFromZero) {
  struct Money {
    double value;
    const char* text;
  };
  for (const Money& row :
       {Money{0.125, "0.13 $"}, Money{2.675, "2.67 $"},  // 2.675 is below
        Money{999.994, "999.99 $"}, Money{-0.001, "-0.00 $"}, Money{1000.5, "1001 $"},
        Money{-1000.5, "-1001 $"}, Money{123456789.5, "123456790 $"},
        Money{999999999, "999999999 $"}, Money{1e9, "1e+09 $"}, Money{1234567890, "1.235e+09 $"}}) {
    EXPECT_EQ(RiskMoneyText(row.value), row.text) << row.value;
  }
  struct Percent {
    double share;
    const char* text;
  };
  // 25 ruined of 10000 series is 0.25 %, a tie at one decimal.
  for (const Percent& row :
       {Percent{25 / 10000.0, "0.3 %"}, Percent{0.00125, "0.1 %"}, Percent{0.401263, "40.1 %"},
        Percent{1, "100.0 %"}, Percent{0, "0.0 %"}}) {
    EXPECT_EQ(RiskPercentText(row.share), row.text) << row.share;
  }
  struct Short {
    double value;
    int digits;
    const char* text;
  };
  for (const Short& row :
       {Short{3.3333333, 4, "3.333"}, Short{10.0 / 3, 4, "3.333"}, Short{1234565, 6, "1.23457e+06"},
        Short{0.125, 2, "0.13"}, Short{50, 6, "50"}, Short{1e-5, 4, "1e-05"}, Short{15, 4, "15"}}) {
    EXPECT_EQ(ShortNumberText(row.value, row.digits), row.text) << row.value;
  }
}

TEST(RiskForm, TheModeButtonsSetTheUnitOfTheRisk) {
  TForm1 form;
  form.RiskPercentMode.checked = false;
  form.RiskMoneyMode.checked = true;
  form.RiskModeClick();
  EXPECT_EQ(form.RiskAmountUnit.caption, "$");
  EXPECT_FALSE(ReadRiskInputs(form).percentRisk);
  form.RiskPercentMode.checked = true;
  form.RiskMoneyMode.checked = false;
  form.RiskModeClick();
  EXPECT_EQ(form.RiskAmountUnit.caption, "%");
  for (const char* radio : {"RiskPercentMode", "RiskMoneyMode"}) {
    EXPECT_EQ(WiredHandler(radio, Event::Click), &TForm1::RiskModeClick) << radio;
  }
}

TEST(RiskForm, TakesTheTradeOfTheAssistant) {
  struct Row {
    const char* stop;
    const char* take;
    const char* lot;  // EUR/USD: a point of a lot is $1
    const char* deposit;
    const char* risk;   // stop × lot ÷ deposit × 100, four digits
    const char* ratio;  // take ÷ stop
  };
  const Row rows[] = {
      {"150", "500", "1", "1000", "15", "3.333"},
      {"200", "300", "0.67", "1000", "13.4", "1.5"},
      {"150", "0", "0.67", "10000", "1.005", "0"},
  };
  // The assistant's trade as its tab counted it last.
  const auto assistant = [](TForm1& form, const Row& row) {
    form.ListView1.items.push_back(TListItem{"EUR/USD", {"1.1", "1.1", "0"}});
    form.TableRates.Add("EUR/USD", 1.1L);
    form.ListView1.selectedIndex = 0;
    form.ComboBox_los.text = row.stop;
    form.ComboBox_Teik.text = row.take;
    form.ComboBox_Lot.text = row.lot;
    form.Edit_Deposit.text = row.deposit;
    form.ListView1Click();
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.risk);
    TForm1 form;
    form.RiskPercentMode.checked = false;
    form.RiskMoneyMode.checked = true;
    form.RiskAmountUnit.caption = "$";
    assistant(form, row);
    form.RiskFromAssistantClick();
    EXPECT_EQ(form.RiskAmount.text, row.risk);
    EXPECT_EQ(form.RiskRatio.text, row.ratio);
    EXPECT_TRUE(form.RiskPercentMode.checked);
    EXPECT_FALSE(form.RiskMoneyMode.checked);
    EXPECT_EQ(form.RiskAmountUnit.caption, "%");
    EXPECT_EQ(form.RiskStatus.caption, "Риск и прибыль/риск взяты из помощника.");
  }
  TForm1 form;
  assistant(form, {"15o", "500", "1", "1000", "", ""});
  EXPECT_EQ(testing::RunExpectingError(form, &TForm1::RiskFromAssistantClick),
            "Помощник: Стоп лосс: «15o» — не число. Введите число, например 150.");
  EXPECT_EQ(form.RiskAmount.text, "5");
  EXPECT_EQ(form.RiskStatus.caption, "");
}

TEST(RiskForm, RunsUpToTwoMillionTradesInTheClickAndLongerOnesOnAThread) {
  for (const auto& [series, threaded] : {std::pair{"20000", false}, std::pair{"20001", true}}) {
    SCOPED_TRACE(series);
    TForm1 form;
    Fill(form, {"100", "100", true, "5", "4", "100", "50", series});
    form.RiskCalculateClick();
    EXPECT_EQ(form.RiskJob != nullptr, threaded);
    EXPECT_EQ(form.Timer_Risk.enabled, threaded);
    if (form.RiskJob) form.RiskJob->Wait();
    form.Timer_RiskTimer();
    // 100 wins of 20 %: 100 · 1.2^100 = 8.28e9.
    EXPECT_EQ(form.RiskFinalMedian.caption, "8.282e+09 $");
    ExpectIdle(form);
  }
}

TEST(RiskForm, ALongRunShowsItsProgressAndEndsThroughTheTimer) {
  TForm1 form;
  // 100000 series × 30 trades is past what the click runs itself.
  Fill(form, {"100", "30", true, "5", "4", "100", "50", "100000"});
  form.RiskCalculateClick();
  ASSERT_NE(form.RiskJob, nullptr);
  const RiskRun* run = form.RiskJob.get();
  EXPECT_FALSE(form.RiskCalculate.enabled);
  EXPECT_FALSE(form.RiskFromAssistant.enabled);
  EXPECT_TRUE(form.RiskProgress.visible);
  EXPECT_TRUE(form.RiskCancel.visible);
  EXPECT_FALSE(form.RiskStatus.visible);
  EXPECT_TRUE(form.Timer_Risk.enabled);
  EXPECT_EQ(WiredHandler("Timer_Risk", Event::Timer), &TForm1::Timer_RiskTimer);
  form.RiskCalculateClick();  // a second run waits for the first
  EXPECT_EQ(form.RiskJob.get(), run);
  form.Timer_RiskTimer();
  EXPECT_GE(form.RiskProgress.position, 0);
  EXPECT_LE(form.RiskProgress.position, 1000);
  EXPECT_EQ(Figures(form), kNoFigures);

  form.RiskJob->Wait();
  form.Timer_RiskTimer();
  // 30 wins of 20 %: 100 · 1.2^30 = 23737.63.
  EXPECT_EQ(Figures(form),
            (std::vector<std::string>{"0.0 %", "23738 $", "23738 $", "23738 $", "23738 $",
                                      "23738 $", "0.0 %", "0.0 %", "0", "0", "20.00 $"}));
  EXPECT_EQ(form.RiskStatus.caption, "100000 серий × 30 сделок, разорение: депозит ≤ 50 $");
  ASSERT_EQ(form.RiskCharts.band.size(), 31u);
  EXPECT_NEAR(form.RiskCharts.band[30][0], 100 * std::pow(1.2, 30), 1e-6);
  EXPECT_EQ(form.RiskCharts.histogram.counts, std::vector<int>{100000});
  EXPECT_EQ(form.RiskCharts.revision, 1);
  ExpectIdle(form);
  form.Timer_RiskTimer();  // a tick after the end changes nothing
  EXPECT_EQ(form.RiskCharts.revision, 1);
}

TEST(RiskForm, CancelEndsTheLargestRunWithoutFigures) {
  TForm1 form;
  form.RiskStatus.caption = "from before";
  form.RiskTrades.text = "10000";
  form.RiskSeries.text = "100000";
  const auto start = std::chrono::steady_clock::now();
  form.RiskCalculateClick();
  ASSERT_NE(form.RiskJob, nullptr);
  form.RiskCancelClick();
  form.RiskJob->Wait();
  form.Timer_RiskTimer();
  // The whole run takes minutes; a cancel stops it at the next block of trades.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_EQ(form.RiskStatus.caption, "Расчёт отменён.");
  EXPECT_EQ(Figures(form), kNoFigures);
  EXPECT_EQ(form.RiskCharts.revision, 0);
  ExpectIdle(form);
}

TEST(RiskForm, AFormClosedDuringARunStopsItsWorker) {
  const auto start = std::chrono::steady_clock::now();
  {
    TForm1 form;
    form.RiskTrades.text = "10000";
    form.RiskSeries.text = "100000";
    form.RiskCalculateClick();
    ASSERT_NE(form.RiskJob, nullptr);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST(RiskForm, LogarithmicScaleAboveTwoDecadesOfPositiveValues) {
  struct Row {
    double low, high;
    bool log;
  };
  for (const Row& row :
       {Row{1, 100, false}, Row{1, 100.001, true}, Row{50, 5000, false}, Row{0.001, 0.11, true},
        Row{0, 1e9, false}, Row{-5, 1e9, false}, Row{7, 7, false}}) {
    EXPECT_EQ(RiskLogScale(row.low, row.high), row.log) << row.low << ".." << row.high;
    // The histogram's bins follow the same rule as its axis.
    EXPECT_EQ(HistogramOfDeposits({row.low, row.high}, 40).logScale, row.log);
  }
}

}  // namespace
}  // namespace tiramon
