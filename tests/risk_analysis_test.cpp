// The risk analysis against what probability says exactly: the binomial law of the win count, the
// recursion of losing runs and a dynamic program over wins and losses, each within four standard
// errors of the estimate; then reproducibility, the refusals, the cancel and the assistant's trade.
#include "app/risk_analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "app/assistant_trade.h"
#include "app/unit1.h"
#include "support/numtext.h"

namespace tiramon {
namespace {

constexpr double kSigmas = 4;

double StandardError(double p, int n) { return std::sqrt(p * (1 - p) / n); }

// P(W ≤ w) for w = 0..n, W binomial(n, p).
std::vector<double> BinomialCdf(int n, double p) {
  std::vector<double> cdf;
  double sum = 0;
  for (int w = 0; w <= n; ++w) {
    sum += std::exp(std::lgamma(n + 1.0) - std::lgamma(w + 1.0) - std::lgamma(n - w + 1.0) +
                    w * std::log(p) + (n - w) * std::log(1 - p));
    cdf.push_back(sum);
  }
  return cdf;
}

// The nearest-rank quantile q of a sample of size n of a discrete law with this cdf is the exact
// quantile unless the sample cdf may cross q at a neighbour; -1 when that is within kSigmas.
int SharpQuantile(const std::vector<double>& cdf, double q, int n) {
  int k = 0;
  while (cdf[static_cast<std::size_t>(k)] < q) ++k;
  const double below = k > 0 ? cdf[static_cast<std::size_t>(k - 1)] : 0;
  const double margin = kSigmas * StandardError(q, n);
  return (q - below > margin && cdf[static_cast<std::size_t>(k)] - q > margin) ? k : -1;
}

TEST(RiskAnalysis, PercentRiskDepositsFollowTheBinomialWinCount) {
  struct Row {
    int trades;
    double winShare, riskPercent, ratio;
  };
  const Row rows[] = {{100, 0.4, 5, 4}, {120, 0.45, 2, 1.5}, {60, 0.5, 10, 1}, {1, 0.4, 5, 4}};
  const double percents[] = {0.05, 0.25, 0.5, 0.75, 0.95};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.trades);
    RiskInputs in;
    in.trades = row.trades;
    in.winShare = row.winShare;
    in.risk = row.riskPercent;
    in.rewardToRisk = row.ratio;
    const RiskSummary s = AnalyseRisk(in);
    ASSERT_EQ(s.band.size(), static_cast<std::size_t>(row.trades) + 1);
    const double f = row.riskPercent / 100;
    const auto deposit = [&](int wins, int losses) {
      return in.deposit * std::pow(1 + f * row.ratio, wins) * std::pow(1 - f, losses);
    };
    int checks = 0;
    for (int t : {1, row.trades / 2, row.trades}) {
      if (t < 1) continue;
      const std::vector<double> cdf = BinomialCdf(t, row.winShare);
      for (int k = 0; k < 5; ++k) {
        const int wins = SharpQuantile(cdf, percents[k], in.series);
        if (wins < 0) continue;
        ++checks;
        const double expected = deposit(wins, t - wins);
        EXPECT_NEAR(s.band[static_cast<std::size_t>(t)][static_cast<std::size_t>(k)], expected,
                    expected * 1e-9)
            << "trade " << t << ", P" << percents[k] * 100;
      }
    }
    EXPECT_GE(checks, 4);
    EXPECT_EQ(s.finalMedian, s.band.back()[2]);
    EXPECT_EQ(s.finalP05, s.band.back()[0]);
    EXPECT_EQ(s.finalP95, s.band.back()[4]);
    // The binomial median lies within one of n·p, so the median deposit lies within one win's
    // worth of the growth-rate formula.
    const double growth =
        row.winShare * std::log(1 + f * row.ratio) + (1 - row.winShare) * std::log(1 - f);
    const double closedForm = in.deposit * std::exp(row.trades * growth);
    EXPECT_LE(std::abs(std::log(s.finalMedian / closedForm)),
              std::log((1 + f * row.ratio) / (1 - f)) + 1e-12);
    EXPECT_DOUBLE_EQ(s.expectancyPerTrade, row.winShare * row.ratio * in.deposit * f -
                                               (1 - row.winShare) * in.deposit * f);
  }
}

// P(no run of k losses in n trades), by the recursion over the length of the current run.
double NoLosingRun(int n, double winShare, int k) {
  std::vector<double> run(static_cast<std::size_t>(k), 0.0);
  run[0] = 1;
  for (int t = 0; t < n; ++t) {
    std::vector<double> next(static_cast<std::size_t>(k), 0.0);
    for (int r = 0; r < k; ++r) {
      next[0] += run[static_cast<std::size_t>(r)] * winShare;
      if (r + 1 < k)
        next[static_cast<std::size_t>(r + 1)] += run[static_cast<std::size_t>(r)] * (1 - winShare);
    }
    run = next;
  }
  double sum = 0;
  for (double m : run) sum += m;
  return sum;
}

TEST(RiskAnalysis, LongestLosingRunFollowsItsExactRecursion) {
  struct Row {
    int trades;
    double winShare;
  };
  for (const Row row : {Row{200, 0.45}, Row{500, 0.6}, Row{1000, 0.5}, Row{30, 0.7}}) {
    SCOPED_TRACE(row.trades);
    RiskInputs in;
    in.trades = row.trades;
    in.winShare = row.winShare;
    in.risk = 1;
    const RiskSummary s = AnalyseRisk(in);
    std::vector<double> cdf;  // P(longest run ≤ k)
    for (int k = 0; k <= row.trades && (cdf.empty() || cdf.back() < 1 - 1e-12); ++k)
      cdf.push_back(NoLosingRun(row.trades, row.winShare, k + 1));
    const int median = SharpQuantile(cdf, 0.5, in.series);
    const int p95 = SharpQuantile(cdf, 0.95, in.series);
    ASSERT_TRUE(median >= 0 || p95 >= 0) << "the row checks nothing";
    if (median >= 0) {
      EXPECT_EQ(s.longestLosingMedian, median);
    }
    if (p95 >= 0) {
      EXPECT_EQ(s.longestLosingP95, p95);
    }
  }
}

// The deposit is a function of the wins and losses so far, so a dynamic program over the win
// count, with ruin and the end of a series as absorbing flags, gives every probability exactly.
struct ExactLaw {
  double ruin = 0;
  std::map<double, double> finals;  // final deposit → probability
};

ExactLaw DynamicProgram(const RiskInputs& in) {
  const double f = in.risk / 100;
  const auto deposit = [&](int w, int l) {
    return in.percentRisk ? in.deposit * std::pow(1 + f * in.rewardToRisk, w) * std::pow(1 - f, l)
                          : in.deposit + (w * in.rewardToRisk - l) * in.risk;
  };
  const double ruinLevel = in.deposit * (1 - in.ruinDrawdown);
  // mass[w][ruined] of series still playing after t trades; gone: series whose deposit ran out.
  std::vector<std::array<double, 2>> mass(1, {1.0, 0.0});
  double gone = 0;
  for (int t = 0; t < in.trades; ++t) {
    std::vector<std::array<double, 2>> next(mass.size() + 1, {0.0, 0.0});
    for (int w = 0; w < static_cast<int>(mass.size()); ++w) {
      for (int ruined = 0; ruined < 2; ++ruined) {
        const double m = mass[static_cast<std::size_t>(w)][static_cast<std::size_t>(ruined)];
        for (int win = 0; win < 2; ++win) {
          const double share = win ? in.winShare : 1 - in.winShare;
          const int w2 = w + win;
          const double d = deposit(w2, t + 1 - w2);
          if (d <= 0) {
            gone += m * share;
          } else {
            next[static_cast<std::size_t>(w2)][ruined || d <= ruinLevel] += m * share;
          }
        }
      }
    }
    mass = next;
  }
  ExactLaw law;
  law.ruin = gone;
  if (gone > 0) law.finals[0] += gone;
  for (int w = 0; w < static_cast<int>(mass.size()); ++w) {
    const auto& m = mass[static_cast<std::size_t>(w)];
    law.ruin += m[1];
    if (m[0] + m[1] > 0) law.finals[deposit(w, in.trades - w)] += m[0] + m[1];
  }
  return law;
}

TEST(RiskAnalysis, RuinAndFinalDepositsMatchTheDynamicProgram) {
  struct Row {
    bool percent;
    double risk, ratio, winShare, ruinDrawdown;
    int trades;
  };
  const Row rows[] = {
      {false, 10, 2, 0.4, 0.5, 50},   // fixed $10, ruin at $50
      {false, 30, 1.5, 0.45, 1, 40},  // $30 losses overshoot zero: the series ends at nothing
      {false, 5, 4, 0.25, 0.3, 80},
      {true, 10, 1.5, 0.45, 0.5, 40},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.risk);
    RiskInputs in;
    in.percentRisk = row.percent;
    in.risk = row.risk;
    in.rewardToRisk = row.ratio;
    in.winShare = row.winShare;
    in.ruinDrawdown = row.ruinDrawdown;
    in.trades = row.trades;
    in.series = 20000;
    in.seed = 7;
    const ExactLaw law = DynamicProgram(in);
    const std::optional<RiskResult> result = RunRiskAnalysis(in, {});
    ASSERT_TRUE(result);
    EXPECT_GT(law.ruin, 0.01);
    EXPECT_NEAR(result->summary.ruinProbability, law.ruin,
                kSigmas * StandardError(law.ruin, in.series));

    // Every final deposit is one of the lattice values, each as often as the law says.
    std::map<double, int> seen;
    int matched = 0;
    for (double d : result->finalDeposits) {
      auto it = law.finals.lower_bound(d - 1e-9 * std::max(1.0, d));
      if (it == law.finals.end() || std::abs(it->first - d) > 1e-9 * std::max(1.0, d)) continue;
      ++seen[it->first];
      ++matched;
    }
    EXPECT_EQ(matched, in.series);
    // The last trade's band is the percentiles of the final deposits, zeros of ended series
    // included, as a full sort gives them.
    const int percents[] = {5, 25, 50, 75, 95};
    for (int k = 0; k < 5; ++k) {
      const std::size_t rank = (percents[k] * result->finalDeposits.size() + 99) / 100;
      EXPECT_EQ(result->summary.band.back()[static_cast<std::size_t>(k)],
                result->finalDeposits[rank - 1]);
    }
    for (const auto& [value, p] : law.finals) {
      const double share = static_cast<double>(seen[value]) / in.series;
      EXPECT_NEAR(share, p, kSigmas * StandardError(p, in.series) + 1.0 / in.series)
          << "final deposit " << value;
    }
  }
}

TEST(RiskAnalysis, CertainOutcomesGiveExactFigures) {
  struct Row {
    bool percent;
    double risk, winShare;
    int trades;
    double finalDeposit, drawdown, ruin;
    int longestRun;
  };
  const Row rows[] = {
      {true, 10, 0, 5, 100 * std::pow(0.9, 5), 1 - std::pow(0.9, 5), 0, 5},
      {true, 10, 0, 7, 100 * std::pow(0.9, 7), 1 - std::pow(0.9, 7), 1, 7},  // 47.8 ≤ 50
      {true, 10, 1, 6, 100 * std::pow(1.4, 6), 0, 0, 0},
      {false, 30, 0, 10, 0, 1, 1, 4},  // stopped after the fourth loss
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.trades);
    RiskInputs in;
    in.percentRisk = row.percent;
    in.risk = row.risk;
    in.winShare = row.winShare;
    in.trades = row.trades;
    in.series = 300;
    const RiskSummary s = AnalyseRisk(in);
    for (double v : {s.finalP05, s.finalMedian, s.finalP95}) EXPECT_NEAR(v, row.finalDeposit, 1e-9);
    EXPECT_NEAR(s.maxDrawdownMedian, row.drawdown, 1e-12);
    EXPECT_NEAR(s.maxDrawdownP95, row.drawdown, 1e-12);
    EXPECT_EQ(s.ruinProbability, row.ruin);
    EXPECT_EQ(s.longestLosingMedian, row.longestRun);
    EXPECT_EQ(s.band[0][0], 100);
    for (double v : s.band.back()) EXPECT_NEAR(v, row.finalDeposit, 1e-9);
  }
}

// A percentage of the deposit never takes all of it, but loss after loss can shrink it below the
// smallest double: then the series has ended, and its losing run stops with it.
TEST(RiskAnalysis, ACompoundedDepositThatUnderflowsEndsItsSeries) {
  RiskInputs in;
  in.risk = 99;
  in.winShare = 0;
  in.trades = 400;
  in.series = 700;  // a chunk and a part
  const double down = 1 - in.risk / 100;
  int lossesToZero = 0;
  for (double d = in.deposit; d > 0; d *= down) ++lossesToZero;
  ASSERT_LT(lossesToZero, in.trades);
  const RiskSummary s = AnalyseRisk(in);
  EXPECT_EQ(s.longestLosingMedian, lossesToZero);
  EXPECT_EQ(s.longestLosingP95, lossesToZero);
  EXPECT_EQ(s.finalP95, 0);
  EXPECT_EQ(s.maxDrawdownMedian, 1);
  EXPECT_EQ(s.ruinProbability, 1);
}

void ExpectSameSummary(const RiskSummary& a, const RiskSummary& b) {
  EXPECT_EQ(a.ruinProbability, b.ruinProbability);
  EXPECT_EQ(a.finalP05, b.finalP05);
  EXPECT_EQ(a.finalMedian, b.finalMedian);
  EXPECT_EQ(a.finalP95, b.finalP95);
  EXPECT_EQ(a.maxDrawdownMedian, b.maxDrawdownMedian);
  EXPECT_EQ(a.maxDrawdownP95, b.maxDrawdownP95);
  EXPECT_EQ(a.longestLosingP95, b.longestLosingP95);
  EXPECT_EQ(a.band, b.band);
}

TEST(RiskAnalysis, SameSeedGivesTheSameSummaryOnAnyNumberOfThreads) {
  RiskInputs in;
  in.series = 5000;  // ten chunks, the last one short
  in.trades = 500;   // three blocks of trades, the last one short
  in.percentRisk = false;
  const RiskSummary once = AnalyseRisk(in);
  ExpectSameSummary(AnalyseRisk(in), once);
  for (int threads : {1, 2, 3, 7}) {
    SCOPED_TRACE(threads);
    const std::optional<RiskResult> again = RunRiskAnalysis(in, {.threads = threads});
    ASSERT_TRUE(again);
    ExpectSameSummary(again->summary, once);
  }
  in.seed = 2;
  EXPECT_NE(AnalyseRisk(in).band, once.band);
}

TEST(RiskAnalysis, TheFanIsDrawnAtEveryTradeOfAShortSeriesElseAtEvenlySpreadOnes) {
  struct Row {
    int trades;
    std::size_t points;
    std::vector<int> first;  // the first trade numbers drawn
  };
  const Row rows[] = {
      {1, 2, {0, 1}},
      {500, 501, {0, 1, 2, 3}},
      {501, 501, {0, 1, 2, 3}},  // 1.002 apart, rounded to the nearest trade
      {1000, 501, {0, 2, 4, 6}},
      {10000, 501, {0, 20, 40, 60}},
      {2999, 501, {0, 6, 12, 18, 24, 30}},  // 5.998 apart: 5.998 → 6, 11.996 → 12
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.trades);
    const std::vector<int> drawn = RiskBandTrades(row.trades);
    ASSERT_EQ(drawn.size(), row.points);
    EXPECT_EQ(std::vector<int>(drawn.begin(), drawn.begin() + row.first.size()), row.first);
    EXPECT_EQ(drawn.back(), row.trades);
    for (std::size_t k = 1; k < drawn.size(); ++k) ASSERT_LT(drawn[k - 1], drawn[k]) << k;
  }
}

// The band at the drawn trades is the band a computation at every trade has there, in both risk
// modes, with series that fill no whole chunk and fixed-amount series that end on the way.
TEST(RiskAnalysis, TheDrawnBandIsTheFullBandAtItsTrades) {
  for (const bool percent : {true, false}) {
    SCOPED_TRACE(percent);
    RiskInputs in;
    in.percentRisk = percent;
    in.risk = percent ? 5 : 30;
    in.rewardToRisk = 1.5;
    in.winShare = 0.4;
    in.trades = 1234;
    in.series = 1500;
    in.seed = 11;
    const std::optional<RiskResult> drawn = RunRiskAnalysis(in, {.threads = 2});
    const std::optional<RiskResult> full =
        RunRiskAnalysis(in, {.threads = 3, .bandAtEveryTrade = true});
    ASSERT_TRUE(drawn && full);
    const RiskSummary& d = drawn->summary;
    const RiskSummary& f = full->summary;
    ASSERT_EQ(d.bandTrades, RiskBandTrades(in.trades));
    ASSERT_EQ(f.band.size(), static_cast<std::size_t>(in.trades) + 1);
    ASSERT_EQ(d.band.size(), d.bandTrades.size());
    for (std::size_t k = 0; k < d.band.size(); ++k)
      ASSERT_EQ(d.band[k], f.band[static_cast<std::size_t>(d.bandTrades[k])]) << d.bandTrades[k];
    RiskSummary figuresOnly = f;  // every figure but the band's rows
    figuresOnly.band = d.band;
    ExpectSameSummary(d, figuresOnly);
    EXPECT_EQ(drawn->finalDeposits, full->finalDeposits);
    if (!percent) {
      EXPECT_EQ(d.finalP05, 0);  // some series ran out before the end
    }
  }
}

// A series draws the same whatever its length, so a shorter run's final deposits are the longer
// run's deposits after that many trades: each band row must be their nearest-rank percentiles as
// a full sort gives them. Early trades leave the deposits in clusters a few units in the last
// place wide, thousands of series to a cluster, where a selection by buckets is easiest to get
// wrong; the shorter runs also split their trades into other blocks than the long one.
TEST(RiskAnalysis, EveryBandRowIsTheFullSortOfThatTradesDeposits) {
  for (const bool percent : {true, false}) {
    SCOPED_TRACE(percent);
    RiskInputs in;
    in.percentRisk = percent;
    in.risk = percent ? 7 : 25;
    in.rewardToRisk = 1.7;
    in.winShare = 0.42;
    in.trades = 61;
    in.series = 3000;
    in.seed = 5;
    const RiskSummary whole = AnalyseRisk(in);
    for (const int t : {1, 2, 3, 7, 12, 33, 61}) {
      SCOPED_TRACE(t);
      in.trades = t;
      const std::optional<RiskResult> shorter = RunRiskAnalysis(in, {.threads = 1});
      ASSERT_TRUE(shorter);
      const std::vector<double>& sorted = shorter->finalDeposits;
      ASSERT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
      const std::array<double, 5> expected = {NearestRank(sorted, 5), NearestRank(sorted, 25),
                                              NearestRank(sorted, 50), NearestRank(sorted, 75),
                                              NearestRank(sorted, 95)};
      EXPECT_EQ(whole.band[static_cast<std::size_t>(t)], expected);
    }
  }
}

TEST(RiskAnalysis, BadInputsAreRefusedBeforeAnyWork) {
  struct Row {
    const char* what;
    void (*spoil)(RiskInputs&);
    const char* message;
  };
  const Row rows[] = {
      {"no trades", [](RiskInputs& in) { in.trades = 0; }, "Число сделок в серии"},
      {"too many trades", [](RiskInputs& in) { in.trades = 10001; }, "от 1 до 10000"},
      {"no series", [](RiskInputs& in) { in.series = 0; }, "Число серий"},
      {"too many series", [](RiskInputs& in) { in.series = 100001; }, "от 1 до 100000"},
      {"negative deposit", [](RiskInputs& in) { in.deposit = -1; }, "депозит"},
      {"zero deposit", [](RiskInputs& in) { in.deposit = 0; }, "депозит"},
      {"win share above one", [](RiskInputs& in) { in.winShare = 1.01; }, "Доля прибыльных"},
      {"negative win share", [](RiskInputs& in) { in.winShare = -0.1; }, "Доля прибыльных"},
      {"not a number", [](RiskInputs& in) { in.winShare = std::nan(""); }, "Доля прибыльных"},
      {"whole deposit at risk", [](RiskInputs& in) { in.risk = 100; }, "меньше 100 %"},
      {"negative risk", [](RiskInputs& in) { in.risk = -1; }, "отрицательным"},
      {"negative ratio", [](RiskInputs& in) { in.rewardToRisk = -2; }, "прибыль/риск"},
      {"no ruin level", [](RiskInputs& in) { in.ruinDrawdown = 0; }, "разорения"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    RiskInputs in;
    row.spoil(in);
    std::atomic<double> progress{-1};
    try {
      RunRiskAnalysis(in, {.progress = &progress});
      ADD_FAILURE() << "accepted";
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find(row.message), std::string::npos) << e.what();
    }
    EXPECT_EQ(progress.load(), -1);
  }
  RiskInputs fixedLarge;
  fixedLarge.percentRisk = false;
  fixedLarge.risk = 150;  // more than the deposit is allowed as a fixed amount
  EXPECT_NO_THROW(AnalyseRisk(fixedLarge));
}

TEST(RiskAnalysis, CancelStopsTheLargestRunEarly) {
  RiskInputs in;
  in.series = kMaxRiskSeries;
  in.trades = kMaxRiskTrades;
  std::atomic<bool> cancel{true};
  EXPECT_FALSE(RunRiskAnalysis(in, {.cancel = &cancel}));

  cancel = false;
  std::atomic<double> progress{0};
  std::optional<std::optional<RiskResult>> result;
  const auto start = std::chrono::steady_clock::now();
  std::thread run(
      [&] { result = RunRiskAnalysis(in, {.cancel = &cancel, .progress = &progress}); });
  while (progress.load() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  cancel = true;
  run.join();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ASSERT_TRUE(result);
  EXPECT_FALSE(*result);
  EXPECT_LT(progress.load(), 0.5);
  EXPECT_LT(seconds, 5);
}

// The risk analysis takes the trade the assistant counted, never its captions: the loss at the
// stop over the deposit, and the take profit over the stop loss.
TEST(AssistantTrade, RiskAndRatioComeFromTheAssistantsTrade) {
  DecimalMark = '.';
  struct Row {
    const char *stop, *take, *lot, *deposit;
    double risk, ratio;
    const char* message;
  };
  const Row rows[] = {
      // EUR/USD at 1.1: 150 points of $0.1 are $15 of $100.
      {"150", "500", "0.1", "100", 15, 500.0 / 150, nullptr},
      // 20 points of $1.25 are $25 of $1000.
      {"20", "60", "1.25", "1000", 2.5, 3, nullptr},
      {"15х", "500", "0.1", "100", 0, 0, "«15х» — не число"},
      {"150", "", "0.1", "100", 0, 0, "Тэйк профит: введите число"},
      {"150", "500", "0.1", "abc", 0, 0, "«abc» — не число"},
      {"0", "500", "0.1", "100", 0, 0, "стоп-лосс должен быть больше нуля"},
      // 1500 points of $0.1 lose $150 of $100.
      {"1500", "5000", "0.1", "100", 0, 0, "не меньше депозита"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.stop);
    TForm1 form;
    form.ListView1.items.push_back(TListItem{"EUR/USD", {"1.1", "1.1", "0"}});
    form.TableRates.Add("EUR/USD", 1.1L);
    form.ListView1.selectedIndex = 0;
    form.ComboBox_los.text = row.stop;
    form.ComboBox_Teik.text = row.take;
    form.ComboBox_Lot.text = row.lot;
    form.Edit_Deposit.text = row.deposit;
    form.Punkt.caption = "77";  // a caption is never read back
    form.ListView1Click();
    if (!row.message) {
      const AssistantTrade trade = ReadAssistantTrade(form);
      EXPECT_NEAR(trade.riskPercent, row.risk, 1e-12);
      EXPECT_NEAR(trade.rewardToRisk, row.ratio, 1e-12);
      continue;
    }
    try {
      ReadAssistantTrade(form);
      ADD_FAILURE() << "accepted";
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find(row.message), std::string::npos) << e.what();
    }
  }
  TForm1 before;  // no pair chosen yet
  before.ListView1Click();
  EXPECT_THROW(ReadAssistantTrade(before), std::invalid_argument);
}

TEST(RiskAnalysis, HistogramBinsOnALinearOrALogarithmicScale) {
  struct Row {
    std::vector<double> values;
    int bins;
    bool logScale;
    std::vector<int> counts;
  };
  const Row rows[] = {
      {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 2, false, {5, 5}},
      {{0, 0, 50, 100, 200}, 3, false, {2, 1, 1, 0, 1}},  // one bin per $50 step
      {{1, 10, 100, 1000, 1000}, 2, true, {1, 1, 1, 2}},
      {{1, 2, 4, 8, 16, 32, 64, 128, 256, 512}, 4, true, {3, 2, 2, 3}},
      {{5, 5, 5}, 3, false, {3}},
  };
  for (const Row& row : rows) {
    const DepositHistogram h = HistogramOfDeposits(row.values, row.bins);
    EXPECT_EQ(h.logScale, row.logScale);
    EXPECT_EQ(h.counts, row.counts);
  }
  const std::vector<double> sorted = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  EXPECT_EQ(NearestRank(sorted, 5), 1);
  EXPECT_EQ(NearestRank(sorted, 50), 5);
  EXPECT_EQ(NearestRank(sorted, 95), 10);
}

}  // namespace
}  // namespace tiramon
