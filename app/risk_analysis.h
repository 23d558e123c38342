// "Анализ риска": many random trade series played at once from one risk per trade, hit rate and
// reward/risk ratio, summarised as the chance of ruin and the spread of deposits, drawdowns and
// losing streaks. Qt-free; the same seed gives the same figures on any machine and thread count.
// A pure computation like the trade engine, so it lives with the model: the risk tab's handlers
// in simulators/ and the desktop's pictures both build on it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <exception>
#include <optional>
#include <thread>
#include <vector>

namespace tiramon {

inline constexpr int kMaxRiskTrades = 10000;
inline constexpr int kMaxRiskSeries = 100000;

struct RiskInputs {
  double deposit = 100;       // starting deposit, $
  int trades = 100;           // trades per series, 1..10000
  bool percentRisk = true;    // risk as % of the current deposit, else fixed $
  double risk = 5;            // % or $
  double rewardToRisk = 4;    // a win earns risk × this
  double winShare = 0.4;      // 0..1
  double ruinDrawdown = 0.5;  // ruin = the deposit falls this share below its starting value
  int series = 10000;         // 1..100000
  std::uint64_t seed = 1;
};

struct RiskSummary {
  double ruinProbability;  // share of series that reached ruin
  double finalP05, finalP25, finalMedian, finalP75, finalP95;
  double maxDrawdownMedian, maxDrawdownP95;   // peak-to-trough, share of the peak
  int longestLosingMedian, longestLosingP95;  // longest run of losses in a series
  double expectancyPerTrade;                  // $ per trade at the starting deposit
  // P05 P25 median P75 P95 of the deposits after each trade number the fan draws (bandTrades).
  std::vector<std::array<double, 5>> band;
  std::vector<int> bandTrades;  // ascending, from 0 to trades: RiskBandTrades(trades)
};

// Trade numbers at which the fan of deposits is drawn: every trade of a short series, else
// kRiskBandPoints evenly spread from 0 to the last trade. More points than a chart is wide would
// only cost a percentile pass each.
inline constexpr int kRiskBandPoints = 501;
std::vector<int> RiskBandTrades(int trades);

// Refuses bad inputs with a Russian message (std::invalid_argument) before any work starts.
RiskSummary AnalyseRisk(const RiskInputs& in);
// The same refusals on their own, for a caller that must refuse before it starts a thread.
void ValidateRiskInputs(const RiskInputs& in);

// Series × trades up to which a run stays on the event thread: well under the 0.2 s a user
// notices even on a busy machine; anything longer runs as a RiskRun with a progress bar.
inline constexpr double kInlineRiskWork = 2e6;
// Bins of the histogram of final deposits the tab draws.
inline constexpr int kRiskHistogramBins = 40;

// Whether values from low to high are drawn on a logarithmic scale: all positive and more than
// two decades apart, as compounding spreads deposits. Both pictures and the histogram's bins
// follow this one rule, so bars and axis always agree.
bool RiskLogScale(double low, double high);

// How a long run is driven from a window: the threads it may use, a flag that stops it and the
// share of trades done so far, read by whoever shows the progress.
struct RiskControl {
  int threads = 0;  // 0: one per core
  const std::atomic<bool>* cancel = nullptr;
  std::atomic<double>* progress = nullptr;  // 0..1
  // The band at every trade number instead of the drawn ones: the slow reference a check of the
  // drawn band compares with.
  bool bandAtEveryTrade = false;
};

struct RiskResult {
  RiskSummary summary;
  std::vector<double> finalDeposits;  // every series' final deposit, ascending
};

// AnalyseRisk with control; nullopt when cancelled. Same refusals.
std::optional<RiskResult> RunRiskAnalysis(const RiskInputs& in, const RiskControl& control);

// A risk analysis on a thread of its own, so the window keeps answering during a long run. The
// owner polls Progress() and Done() from its own thread and collects the result with Take();
// nothing of the owner is touched from the worker. Destroying a run cancels it and waits.
class RiskRun {
 public:
  // Starts the worker at once; inputs that RunRiskAnalysis refuses come back from Take().
  explicit RiskRun(const RiskInputs& in, int threads = 0);
  ~RiskRun();
  RiskRun(const RiskRun&) = delete;
  RiskRun& operator=(const RiskRun&) = delete;

  const RiskInputs& Inputs() const { return in_; }
  double Progress() const { return progress_.load(); }  // share of the trades played, 0..1
  bool Done() const { return done_.load(std::memory_order_acquire); }
  // Asks the worker to stop at its next checkpoint; Take() then gives nullopt.
  void Cancel() { cancel_ = true; }
  // Blocks until the worker has stopped.
  void Wait();
  // Waits for the worker (at once after Done()), then hands over the result: nullopt when
  // cancelled; the worker's error, such as a refusal, is rethrown. Once only.
  std::optional<RiskResult> Take();

 private:
  const RiskInputs in_;
  std::atomic<bool> cancel_{false};
  std::atomic<double> progress_{0};
  std::atomic<bool> done_{false};
  std::optional<RiskResult> result_;
  std::exception_ptr error_;
  std::thread worker_;
};

// The nearest-rank percentile (1..100) of values already sorted ascending: the value at rank
// ⌈percent × count ÷ 100⌉.
double NearestRank(const std::vector<double>& sorted, int percent);

// Counts of the final deposits over equal bins between the smallest and largest value; when the
// values sit on an evenly spaced lattice of at most twice as many places as bins asked for, one
// bin per place. On a logarithmic scale when every value is positive and they span more than two
// decades, as compounding does.
struct DepositHistogram {
  double low = 0;
  double high = 0;
  bool logScale = false;
  std::vector<int> counts;
};
DepositHistogram HistogramOfDeposits(const std::vector<double>& sortedDeposits, int bins);

// What the two pictures of the tab show after a run; `revision` grows with every new run, so the
// view redraws only when there is something new.
struct RiskPictures {
  std::vector<std::array<double, 5>> band;  // the summary's band at bandTrades
  std::vector<int> bandTrades;
  double ruinLevel = 0;  // deposit at which a series counts as ruined, $
  DepositHistogram histogram;
  int series = 0;
  int revision = 0;
};

}  // namespace tiramon
