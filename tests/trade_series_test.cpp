// The randomized trade series, with the clock scripted so that every draw is known: worked series
// line for line, how the winners table is filled, the refusals of series that could never be
// drawn, and the expectancy line of the fixed-amount mode.
#include "simulators/trade_series.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/unit1.h"
#include "support/errors.h"
#include "support/random.h"
#include "tests/support/run_expecting_error.h"

namespace tiramon {
namespace {

using Lines = std::vector<std::string>;

const std::string kRealLine =
    "Реальный расчет, программа случайным образом выбирает следующую сделку прибыльной или "
    "убыточной. Чем больше сделок, тем точнее будет \"процент прибыльных сделок!\"";

// One draw the simulator is expected to make: RandomBelow(range) must come out as result.
struct Draw {
  std::int32_t range;
  std::int32_t result;
};

// The counter value whose low 32 bits make the next RandomBelow(range) return result: the
// smallest seed t of that result's slice, t = ceil(result × 2^32 ÷ range), moved back through
// the recurrence t = s × 134775813 + 1 with the multiplier's inverse modulo 2^32.
std::uint64_t CounterFor(Draw draw, std::uint64_t highBits) {
  constexpr std::uint32_t kMultiplier = 134775813;
  std::uint32_t inverse = kMultiplier;  // Newton's iteration doubles the correct bits each step
  for (int i = 0; i < 5; ++i) inverse *= 2 - kMultiplier * inverse;
  const std::uint64_t range = static_cast<std::uint32_t>(draw.range);
  const std::uint64_t scaled = static_cast<std::uint64_t>(draw.result) << 32;
  const auto t = static_cast<std::uint32_t>((scaled + range - 1) / range);
  const std::uint32_t s = (t - 1) * inverse;
  // Check the construction itself, independently of the generator under test.
  EXPECT_EQ(static_cast<std::uint32_t>(s * kMultiplier + 1), t);
  EXPECT_EQ((static_cast<std::uint64_t>(t) * range) >> 32, static_cast<std::uint64_t>(draw.result));
  return (highBits << 32) | s;
}

// Installs a clock that hands out the counter values of a list of draws, in order, and fails the
// run when more draws are made than the list holds.
class ScriptedClock {
 public:
  explicit ScriptedClock(const std::vector<Draw>& draws) {
    for (std::size_t i = 0; i < draws.size(); ++i) counts_.push_back(CounterFor(draws[i], i + 7));
    SetReseedClockForTesting({[this] { return Next(); },
                              [] {
                                throw std::logic_error("tick count read");
                                return std::uint32_t{0};
                              }});
  }
  ~ScriptedClock() { SetReseedClockForTesting(SystemReseedClock()); }
  ScriptedClock(const ScriptedClock&) = delete;
  ScriptedClock& operator=(const ScriptedClock&) = delete;

  std::size_t used() const { return next_; }
  std::size_t size() const { return counts_.size(); }

 private:
  std::optional<std::uint64_t> Next() {
    if (next_ == counts_.size()) throw std::logic_error("more draws than scripted");
    return counts_[next_++];
  }
  std::vector<std::uint64_t> counts_;
  std::size_t next_ = 0;
};

void SetSeries(TForm1& form, const char* trades, const char* percent, bool real,
               bool money = false) {
  form.edt_count3.text = trades;
  form.kol_prib3.text = percent;
  form.CheckBox_Real.checked = real;
  form.RadioButton31.checked = !money;
  form.RadioButton32.checked = money;
}

int CountLinesWith(const Lines& lines, const std::string& part) {
  int count = 0;
  for (const std::string& line : lines) count += line.find(part) != std::string::npos;
  return count;
}

TEST(TradeSeries, ThreeLosses) {
  TForm1 form;
  SetSeries(form, "3", "40", true);
  // Two flags for 3 × 0.4 = 1.2, then three draws of 40 or more.
  ScriptedClock clock({{3, 1}, {3, 2}, {100, 40}, {100, 99}, {100, 57}});
  form.Button5Click();
  EXPECT_EQ(clock.used(), clock.size());
  EXPECT_EQ(form.mmo_lot3.lines,
            (Lines{"Экспоненциальный расчет:", kRealLine, "1) Депозит: 95$ , убыточная сделка:5$",
                   "2) Депозит: 90.25$ , убыточная сделка:4.75$",
                   "3) Депозит: 85.74$ , убыточная сделка:4.51$", "Итого депозит:85.7375$",
                   "Прибыльных сделок:0, убыточных сделок:3",
                   "Подряд прибыльных сделок:0, убыточных сделок:3"}));
}

TEST(TradeSeries, WinLossWinLossInBothWaysOfDrawing) {
  for (const bool real : {true, false}) {
    SCOPED_TRACE(real ? "drawn per trade" : "placed in advance");
    TForm1 form;
    SetSeries(form, "4", "40", real);
    // 4 × 0.4 = 1.6 needs two flags; a draw of 0 and a repeated number are both retried.
    std::vector<Draw> draws = {{4, 0}, {4, 3}, {4, 3}, {4, 1}};
    if (real) draws.insert(draws.end(), {{100, 39}, {100, 40}, {100, 0}, {100, 99}});
    ScriptedClock clock(draws);
    form.Button5Click();
    EXPECT_EQ(clock.used(), clock.size());
    EXPECT_EQ(
        form.mmo_lot3.lines,
        (Lines{"Экспоненциальный расчет:", real ? kRealLine : "Отключен реальный расчет",
               "1) Депозит: 120$ , прибыльная сделка:20$", "2) Депозит: 114$ , убыточная сделка:6$",
               "3) Депозит: 136.8$ , прибыльная сделка:22.8$",
               "4) Депозит: 129.96$ , убыточная сделка:6.84$", "Итого депозит:129.96$",
               "Прибыльных сделок:2, убыточных сделок:2",
               "Подряд прибыльных сделок:0, убыточных сделок:0"}));
  }
}

TEST(TradeSeries, LongestRunsCountFromTheSecondTradeOfARun) {
  TForm1 form;
  SetSeries(form, "8", "50", true);
  // W W L W W W L L
  ScriptedClock clock({{8, 1},
                       {8, 2},
                       {8, 3},
                       {8, 4},
                       {100, 0},
                       {100, 49},
                       {100, 50},
                       {100, 10},
                       {100, 20},
                       {100, 30},
                       {100, 60},
                       {100, 70}});
  form.Button5Click();
  const Lines& lines = form.mmo_lot3.lines;
  ASSERT_EQ(lines.size(), 13u);
  // 100 × 1.2^5 × 0.95^3
  EXPECT_EQ(lines[10], "Итого депозит:213.342336$");
  EXPECT_EQ(lines[11], "Прибыльных сделок:5, убыточных сделок:3");
  EXPECT_EQ(lines[12], "Подряд прибыльных сделок:3, убыточных сделок:2");
}

TEST(TradeSeries, FixedPlacementGivesExactlyTheWantedWinnersAndTheLastTradeLoses) {
  struct Case {
    const char* percent;
    const char* counts;
  };
  const Case cases[] = {
      {"40", "Прибыльных сделок:20, убыточных сделок:30"},
      // 30 ÷ 100 in extended precision lies just above 0.3, so 50 × it asks for a 16th flag.
      {"30", "Прибыльных сделок:16, убыточных сделок:34"},
      {"98", "Прибыльных сделок:49, убыточных сделок:1"},
      {"0", "Прибыльных сделок:0, убыточных сделок:50"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.percent);
    TForm1 form;  // the real clock
    SetSeries(form, "50", c.percent, false);
    form.Button5Click();
    const Lines& lines = form.mmo_lot3.lines;
    ASSERT_EQ(lines.size(), 55u);  // two headings, 50 trades, three summary lines
    EXPECT_EQ(lines[1], "Отключен реальный расчет");
    EXPECT_TRUE(lines[51].starts_with("50) Депозит: ")) << lines[51];
    EXPECT_NE(lines[51].find("убыточная сделка"), std::string::npos) << lines[51];
    EXPECT_EQ(lines[53], c.counts);
  }
}

TEST(TradeSeries, WinnersTableFlagsOnlyTradesBeforeTheLast) {
  struct Case {
    std::int32_t trades;
    double percent;
    std::int32_t flags;
  };
  const Case cases[] = {{50, 40, 20}, {50, 30, 16}, {50, 98, 49}, {2, 50, 1}, {100, 0.5, 1},
                        {50, 0, 0},   {0, 40, 0},   {-7, 40, 0},  {0, -5, 0}, {10000, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.trades << " at " << c.percent);
    simulators::WinnersTable table;
    table.fill(1);  // leftovers of an earlier run must not count
    EXPECT_EQ(simulators::FillWinnersTable(table, c.trades, c.percent), c.flags);
    int set = 0;
    for (std::size_t k = 0; k < table.size(); ++k) {
      if (table[k] == 0) continue;
      ++set;
      EXPECT_GE(k, 1u);
      EXPECT_LT(static_cast<std::int64_t>(k), c.trades);
    }
    EXPECT_EQ(set, c.flags);
  }
}

TEST(TradeSeries, LargestFillableTableFinishesWithTheRealClock) {
  simulators::WinnersTable table;
  const auto start = std::chrono::steady_clock::now();
  // 10000 × 0.9999 (just below 9999) asks for every trade number but the last.
  EXPECT_EQ(simulators::FillWinnersTable(table, 10000, 99.99), 9999);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(table[10000], 0);
}

TEST(TradeSeries, ZeroPercentLosesEveryTradeWithoutFillingTheTable) {
  for (const bool real : {true, false}) {
    SCOPED_TRACE(real);
    TForm1 form;
    SetSeries(form, "50", "0", real);
    // No flag is wanted, so the only draws are the per-trade ones; even a draw of 0 loses.
    ScriptedClock clock(real ? std::vector<Draw>(50, Draw{100, 0}) : std::vector<Draw>{});
    form.Button5Click();
    EXPECT_EQ(clock.used(), clock.size());
    EXPECT_EQ(CountLinesWith(form.mmo_lot3.lines, "убыточная сделка"), 50);
    EXPECT_EQ(form.mmo_lot3.lines[53], "Прибыльных сделок:0, убыточных сделок:50");
  }
}

TEST(TradeSeries, DrawnTradesWinBelowThePercentage) {
  struct Case {
    const char* trades;
    const char* percent;
    std::vector<Draw> table;  // draws that fill the winners table first
    std::int32_t winning;     // highest draw that still wins
  };
  std::vector<Draw> fortyNine;
  for (std::int32_t k = 1; k <= 49; ++k) fortyNine.push_back({50, k});
  const Case cases[] = {
      // The table is filled with 49 flags although this way of drawing never reads it.
      {"50", "98", fortyNine, 97},
      // 2 × 0.405 asks for one flag; draws 0 to 40 win, 41 of the 100.
      {"2", "40.5", {{2, 1}}, 40},
      {"2", "40", {{2, 1}}, 39},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.percent);
    TForm1 form;
    SetSeries(form, c.trades, c.percent, true);
    std::vector<Draw> draws = c.table;
    draws.push_back({100, c.winning});
    draws.push_back({100, c.winning + 1});
    while (draws.size() < c.table.size() + std::stoul(c.trades)) draws.push_back({100, 99});
    ScriptedClock clock(draws);
    form.Button5Click();
    EXPECT_EQ(clock.used(), clock.size());
    EXPECT_NE(form.mmo_lot3.lines[2].find("прибыльная сделка"), std::string::npos);
    EXPECT_NE(form.mmo_lot3.lines[3].find("убыточная сделка"), std::string::npos);
  }
}

TEST(TradeSeries, RefusesSeriesThatCannotBeDrawnBeforeWritingAnything) {
  const std::string tooMany = "Слишком много сделок: не больше 10000.";
  const std::string bothNegative =
      "Количество сделок и процент прибыльных сделок не могут быть отрицательными одновременно.";
  const std::string tooManyWinners =
      "Слишком высокий процент прибыльных сделок: прибыльных, с округлением вверх, должно быть "
      "меньше, чем всего сделок.";
  struct Case {
    const char* trades;
    const char* percent;
    const std::string& message;
  };
  const Case cases[] = {
      {"10001", "40", tooMany},
      {"10001", "0", tooMany},
      {"2147483647", "-5", tooMany},
      {"-1", "-1", bothNegative},
      {"-2147483648", "-1E300", bothNegative},
      {"50", "100", tooManyWinners},
      {"50", "98.5", tooManyWinners},  // 49.25 rounds up to all 50
      {"1", "1", tooManyWinners},
      {"1", "1E-300", tooManyWinners},
      {"50", "1E300", tooManyWinners},
      {"10000", "1E308", tooManyWinners},
  };
  for (const bool real : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.trades) + " at " + c.percent + (real ? " real" : ""));
      TForm1 form;
      SetSeries(form, c.trades, c.percent, real);
      form.mmo_lot3.lines = {"from the last run"};
      ScriptedClock clock({});  // any draw at all fails the test
      const auto start = std::chrono::steady_clock::now();
      EXPECT_EQ(testing::RunExpectingError(form, &TForm1::Button5Click), c.message);
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
      EXPECT_TRUE(form.mmo_lot3.lines.empty());
    }
  }
}

TEST(TradeSeries, NoTradesGivesOnlyHeadingsAndSummary) {
  for (const char* trades : {"0", "-3"}) {
    for (const char* percent : {"40", "0", "-10"}) {
      if (std::string(trades) == "-3" && std::string(percent) == "-10") continue;  // refused
      SCOPED_TRACE(std::string(trades) + " at " + percent);
      TForm1 form;
      SetSeries(form, trades, percent, true, true);
      ScriptedClock clock({});
      form.Button5Click();
      EXPECT_EQ(form.mmo_lot3.lines,
                (Lines{"Линейный расчет:", kRealLine, "Итого депозит:100$",
                       "Прибыльных сделок:0, убыточных сделок:0",
                       "Подряд прибыльных сделок:0, убыточных сделок:0",
                       "Матожидание: 0$, ожидание выигрыша на каждую сделку!"}));
    }
  }
}

TEST(TradeSeries, ExpectancyIsTheGainPerTradeOfTheSeries) {
  struct Case {
    const char* name;
    const char* trades;
    std::vector<std::int32_t> outcomes;  // per-trade draws at 40 %
    const char* expectancy;
  };
  const Case cases[] = {
      // 1/3 × 5 × 4 − 2/3 × 5 = 3.333…
      {"one win of three", "3", {0, 50, 50}, "3.33"},
      {"three losses", "3", {40, 50, 60}, "-5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TForm1 form;
    SetSeries(form, c.trades, "40", true, true);
    const std::int32_t n = std::stoi(c.trades);
    std::vector<Draw> draws;
    for (std::int32_t k = 1; k <= 2; ++k) draws.push_back({n, k});  // two flags in both cases
    for (const std::int32_t r : c.outcomes) draws.push_back({100, r});
    ScriptedClock clock(draws);
    form.Button5Click();
    const Lines& lines = form.mmo_lot3.lines;
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "Линейный расчет:");
    EXPECT_EQ(lines.back(), "Матожидание: " + std::string(c.expectancy) +
                                "$, ожидание выигрыша на каждую сделку!");
    EXPECT_EQ(CountLinesWith(lines, "Матожидание"), 1);
  }
}

TEST(TradeSeries, FixedAmountTradeLines) {
  TForm1 form;
  SetSeries(form, "4", "40", false, true);
  ScriptedClock clock({{4, 1}, {4, 3}});
  form.Button5Click();
  EXPECT_EQ(
      form.mmo_lot3.lines,
      (Lines{"Линейный расчет:", "Отключен реальный расчет",
             "1) Депозит: 120$ , прибыльная сделка:20$", "2) Депозит: 115$ , убыточная сделка:5$",
             "3) Депозит: 135$ , прибыльная сделка:20$", "4) Депозит: 130$ , убыточная сделка:5$",
             "Итого депозит:130$", "Прибыльных сделок:2, убыточных сделок:2",
             "Подряд прибыльных сделок:0, убыточных сделок:0",
             "Матожидание: 7.5$, ожидание выигрыша на каждую сделку!"}));
}

TEST(TradeSeries, FirstBadFieldIsReportedAndMemoStaysEmpty) {
  struct Case {
    const char* field;
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"edt_Kapital3", "сто", "'сто' is not a valid floating point value"},
      {"edt_Kapital3", "1E400", "Floating point overflow"},
      {"edt_count3", "50.0", "'50.0' is not a valid integer value"},
      {"edit_risk3", "5 %", "'5 %' is not a valid floating point value"},
      {"edit_risk3a", "", "'' is not a valid floating point value"},
      {"edit_sootonoshenie3", "1:4", "'1:4' is not a valid floating point value"},
      {"kol_prib3", "40%", "'40%' is not a valid floating point value"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    TForm1 form;
    const std::string field = c.field;
    TEdit& edit = field == "edt_Kapital3"          ? form.edt_Kapital3
                  : field == "edt_count3"          ? form.edt_count3
                  : field == "edit_risk3"          ? form.edit_risk3
                  : field == "edit_risk3a"         ? form.edit_risk3a
                  : field == "edit_sootonoshenie3" ? form.edit_sootonoshenie3
                                                   : form.kol_prib3;
    edit.text = c.text;
    if (field != "kol_prib3") form.kol_prib3.text = "x";  // a later bad field is not the one named
    form.mmo_lot3.lines = {"from the last run"};
    ScriptedClock clock({});
    EXPECT_EQ(testing::RunExpectingError(form, &TForm1::Button5Click), c.message);
    EXPECT_TRUE(form.mmo_lot3.lines.empty());
  }
}

TEST(TradeSeries, OverflowKeepsTheLinesWrittenBefore) {
  TForm1 form;
  SetSeries(form, "2", "50", true, true);
  form.edit_sootonoshenie3.text = "1E308";
  ScriptedClock clock({{2, 1}, {100, 99}, {100, 0}});  // a loss, then a win of 5 × 1E308
  EXPECT_EQ(testing::RunExpectingError(form, &TForm1::Button5Click), "Floating point overflow");
  EXPECT_EQ(form.mmo_lot3.lines,
            (Lines{"Линейный расчет:", kRealLine, "1) Депозит: 95$ , убыточная сделка:5$"}));
}

}  // namespace
}  // namespace tiramon
