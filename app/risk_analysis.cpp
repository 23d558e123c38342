// The series are played in lockstep, one deposit per series, so memory stays bounded by the number
// of series however long they are: after every block of trades the five band percentiles of each
// trade are taken from that block's deposits and the deposits are forgotten.
//
// Reproducibility: the series are cut into fixed chunks, each with its own generator seeded from
// (seed, chunk number) and drawn in a fixed order, and a win is decided by exact arithmetic on
// 32 of the generator's bits. Which thread plays a chunk therefore changes nothing.
#include "app/risk_analysis.h"

#include <algorithm>
#include <barrier>
#include <bit>
#include <cmath>
#include <memory>
#include <random>
#include <stdexcept>
#include <thread>

namespace tiramon {
namespace {

constexpr int kChunkSeries = 512;
// Trades played between two percentile passes: as many as keep about half a million deposits (4 MB)
// in the block. Few blocks mean few meetings of the threads, which cost most on a busy machine; the
// block never changes the figures, as each chunk draws trade after trade in any case.
constexpr std::size_t kBlockDeposits = std::size_t{1} << 19;
// Compounding can outgrow a double; a deposit this large says all there is to say.
constexpr double kDepositCeiling = 1e300;
constexpr double kLargestAmount = 1e15;
constexpr double kLargestRatio = 1e6;
constexpr std::array<int, 5> kBandPercents = {5, 25, 50, 75, 95};

void Refuse(const char* message) { throw std::invalid_argument(message); }

}  // namespace

void ValidateRiskInputs(const RiskInputs& in) {
  if (in.trades < 1 || in.trades > kMaxRiskTrades)
    Refuse("Число сделок в серии должно быть от 1 до 10000");
  if (in.series < 1 || in.series > kMaxRiskSeries) Refuse("Число серий должно быть от 1 до 100000");
  if (!(in.deposit > 0 && in.deposit <= kLargestAmount))
    Refuse("Начальный депозит должен быть больше нуля и не больше 1e15 $");
  if (!(in.winShare >= 0 && in.winShare <= 1))
    Refuse("Доля прибыльных сделок должна быть от 0 до 1 (от 0 до 100 %)");
  if (!(in.risk >= 0)) Refuse("Риск на сделку не может быть отрицательным");
  if (in.percentRisk && !(in.risk < 100))
    Refuse("Риск должен быть меньше 100 % депозита: такая сделка забирает весь депозит");
  if (!in.percentRisk && !(in.risk <= kLargestAmount))
    Refuse("Риск на сделку не может быть больше 1e15 $");
  if (!(in.rewardToRisk >= 0 && in.rewardToRisk <= kLargestRatio))
    Refuse("Соотношение прибыль/риск должно быть от 0 до 1000000");
  if (!(in.ruinDrawdown > 0 && in.ruinDrawdown <= 1))
    Refuse("Уровень разорения должен быть больше 0 и не больше 1 (до 100 % депозита)");
}

namespace {

std::uint64_t Mix(std::uint64_t z) {
  z += 0x9E3779B97F4A7C15ULL;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

std::uint64_t ChunkSeed(std::uint64_t seed, int chunk) {
  return Mix(Mix(seed) ^ static_cast<std::uint64_t>(chunk));
}

// Zero-based index of the nearest-rank percentile among count values.
std::size_t RankIndex(std::size_t count, int percent) {
  return (static_cast<std::size_t>(percent) * count + 99) / 100 - 1;
}

// Puts the values at the given ascending, distinct indices where a full sort would, touching
// only what each selection needs.
template <class T>
void SelectIndices(T* base, std::size_t lo, std::size_t hi, const std::size_t* index, int n) {
  if (n == 0) return;
  const int middle = n / 2;
  std::nth_element(base + lo, base + index[middle], base + hi);
  SelectIndices(base, lo, index[middle], index, middle);
  SelectIndices(base, index[middle] + 1, hi, index + middle + 1, n - middle - 1);
}

// The five band percentiles of values, which are reordered.
template <class T>
std::array<T, 5> BandPercentiles(std::vector<T>& values) {
  std::array<std::size_t, 5> index{};
  std::size_t distinct = 0;
  for (int percent : kBandPercents) {
    const std::size_t i = RankIndex(values.size(), percent);
    if (distinct == 0 || index[distinct - 1] != i) index[distinct++] = i;
  }
  SelectIndices(values.data(), 0, values.size(), index.data(), static_cast<int>(distinct));
  std::array<T, 5> result{};
  for (std::size_t k = 0; k < result.size(); ++k)
    result[k] = values[RankIndex(values.size(), kBandPercents[k])];
  return result;
}

// The five band percentiles of one trade's deposits, exact and in about three passes. The bits
// of non-negative doubles sort as the values do, so a count over their upper bits narrows each
// rank to one bucket and only that bucket's few values need ordering. A general selection on
// every trade cost more than the trades themselves.
class RowPercentiles {
 public:
  std::array<double, 5> operator()(const double* row, std::size_t n) {
    // Series that lost everything sit at zero, far below the rest in bits; they are counted
    // apart so the buckets span only the positive deposits.
    std::size_t zeros = 0;
    std::uint64_t low = ~std::uint64_t{0};
    std::uint64_t high = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint64_t b = std::bit_cast<std::uint64_t>(row[i]);
      zeros += b == 0;
      if (b != 0) low = std::min(low, b);
      high = std::max(high, b);
    }
    std::array<double, 5> result{};
    std::array<std::size_t, 5> rank{};
    for (std::size_t k = 0; k < 5; ++k) rank[k] = RankIndex(n, kBandPercents[k]);
    if (zeros == n || low == high) {
      for (std::size_t k = 0; k < 5; ++k)
        result[k] = rank[k] < zeros ? 0 : std::bit_cast<double>(high);
      return result;
    }
    const int shift = std::max(0, static_cast<int>(std::bit_width(high - low)) - kBucketBits);
    const std::size_t buckets = static_cast<std::size_t>((high - low) >> shift) + 1;
    counts_.assign(buckets, 0);
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint64_t b = std::bit_cast<std::uint64_t>(row[i]);
      if (b != 0) ++counts_[(b - low) >> shift];
    }

    // The bucket of each rank among the positive deposits and the rank's place inside it.
    std::array<std::size_t, 5> bucket{}, place{};
    std::size_t k = 0;
    while (k < 5 && rank[k] < zeros) result[k++] = 0;
    const std::size_t firstPositive = k;
    std::size_t below = zeros;
    for (std::size_t b = 0; b < buckets && k < 5; ++b) {
      while (k < 5 && rank[k] < below + counts_[b]) {
        bucket[k] = b;
        place[k] = rank[k] - below;
        ++k;
      }
      below += counts_[b];
    }
    slotOf_.assign(buckets, -1);
    int slots = 0;
    for (std::size_t j = firstPositive; j < 5; ++j) {
      if (slotOf_[bucket[j]] < 0) slotOf_[bucket[j]] = slots++;
    }
    for (int j = 0; j < slots; ++j) gathered_[static_cast<std::size_t>(j)].clear();
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint64_t b = std::bit_cast<std::uint64_t>(row[i]);
      if (b == 0) continue;
      const int slot = slotOf_[(b - low) >> shift];
      if (slot >= 0) gathered_[static_cast<std::size_t>(slot)].push_back(row[i]);
    }
    for (std::size_t j = firstPositive; j < 5; ++j) {
      std::vector<double>& values = gathered_[static_cast<std::size_t>(slotOf_[bucket[j]])];
      std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(place[j]),
                       values.end());
      result[j] = values[place[j]];
    }
    return result;
  }

 private:
  static constexpr int kBucketBits = 11;
  std::vector<std::uint32_t> counts_;
  std::vector<int> slotOf_;
  std::array<std::vector<double>, 5> gathered_;
};

struct SeriesState {
  double deposit;
  double peak;
  double worstDrawdown = 0;
  int wins = 0;
  int losses = 0;
  int run = 0;
  int longestRun = 0;
  bool ruined = false;
  bool alive = true;
};

class Analysis {
 public:
  Analysis(const RiskInputs& in, const RiskControl& control)
      : in_(in),
        control_(control),
        chunks_((in.series + kChunkSeries - 1) / kChunkSeries),
        winBelow_(in.winShare * 0x1p32),
        up_(1 + in.risk / 100 * in.rewardToRisk),
        down_(1 - in.risk / 100),
        ruinLevel_(in.deposit * (1 - in.ruinDrawdown)),
        states_(static_cast<std::size_t>(in.series), SeriesState{in.deposit, in.deposit}),
        blockTrades_(static_cast<int>(
            std::clamp<std::size_t>(kBlockDeposits / static_cast<std::size_t>(in.series), 1, 256))),
        // Left uninitialised: every cell is written by the trades before it is read.
        block_(new double[static_cast<std::size_t>(blockTrades_) *
                          static_cast<std::size_t>(in.series)]),
        band_(static_cast<std::size_t>(in.trades) + 1) {
    int threads = control.threads > 0 ? control.threads
                                      : static_cast<int>(std::thread::hardware_concurrency());
    threads_ = std::clamp(threads, 1, chunks_);
    generators_.reserve(static_cast<std::size_t>(chunks_));
    for (int c = 0; c < chunks_; ++c) generators_.emplace_back(ChunkSeed(in.seed, c));
    selectors_.resize(static_cast<std::size_t>(threads_));
    band_[0].fill(in.deposit);
  }

  // False when cancelled.
  bool Run() {
    auto checkpoint = [this]() noexcept {
      nextChunk_ = 0;
      nextRow_ = 0;
      if (++phase_ % 2 != 0) return;
      const int done = std::min(in_.trades, phase_ / 2 * blockTrades_);
      if (control_.progress) control_.progress->store(static_cast<double>(done) / in_.trades);
      if (control_.cancel && control_.cancel->load()) stop_ = true;
    };
    std::barrier sync(threads_, checkpoint);
    std::vector<std::jthread> helpers;
    for (int k = 1; k < threads_; ++k) helpers.emplace_back([this, k, &sync] { Work(k, sync); });
    Work(0, sync);
    helpers.clear();
    return !stop_;
  }

  RiskResult Summarise() {
    RiskResult result;
    RiskSummary& s = result.summary;
    const std::size_t n = states_.size();
    std::vector<double>& finals = result.finalDeposits;
    std::vector<double> drawdowns;
    std::vector<int> runs;
    finals.reserve(n);
    drawdowns.reserve(n);
    runs.reserve(n);
    std::size_t ruined = 0;
    for (const SeriesState& st : states_) {
      finals.push_back(st.deposit);
      drawdowns.push_back(st.worstDrawdown);
      runs.push_back(st.longestRun);
      ruined += st.ruined;
    }
    std::sort(finals.begin(), finals.end());
    s.ruinProbability = static_cast<double>(ruined) / static_cast<double>(n);
    s.finalP05 = NearestRank(finals, 5);
    s.finalP25 = NearestRank(finals, 25);
    s.finalMedian = NearestRank(finals, 50);
    s.finalP75 = NearestRank(finals, 75);
    s.finalP95 = NearestRank(finals, 95);
    const std::array<double, 5> dd = BandPercentiles(drawdowns);
    s.maxDrawdownMedian = dd[2];
    s.maxDrawdownP95 = dd[4];
    const std::array<int, 5> longest = BandPercentiles(runs);
    s.longestLosingMedian = longest[2];
    s.longestLosingP95 = longest[4];
    const double riskMoney = in_.percentRisk ? in_.deposit * in_.risk / 100 : in_.risk;
    s.expectancyPerTrade =
        in_.winShare * in_.rewardToRisk * riskMoney - (1 - in_.winShare) * riskMoney;
    s.band = std::move(band_);
    return result;
  }

 private:
  template <class Barrier>
  void Work(int k, Barrier& sync) {
    for (int first = 0; first < in_.trades; first += blockTrades_) {
      const int count = std::min(blockTrades_, in_.trades - first);
      // Work is taken, not dealt: on a busy machine the thread that runs does the most.
      for (int c = nextChunk_++; c < chunks_; c = nextChunk_++) PlayChunk(c, count);
      sync.arrive_and_wait();
      RowPercentiles& select = selectors_[static_cast<std::size_t>(k)];
      const std::size_t series = states_.size();
      for (int b = nextRow_++; b < count; b = nextRow_++) {
        const double* row = block_.get() + static_cast<std::size_t>(b) * series;
        band_[static_cast<std::size_t>(first + b + 1)] = select(row, series);
      }
      sync.arrive_and_wait();
      if (stop_) return;
    }
  }

  // Plays count trades of every series of one chunk; the deposits after each trade go to the
  // block, one row per trade. Each draw of the generator decides two series, one per half.
  void PlayChunk(int chunk, int count) {
    if (in_.percentRisk) {
      PlayChunkIn<true>(chunk, count);
    } else {
      PlayChunkIn<false>(chunk, count);
    }
  }

  template <bool kPercent>
  void PlayChunkIn(int chunk, int count) {
    std::mt19937_64& generator = generators_[static_cast<std::size_t>(chunk)];
    const std::size_t series = states_.size();
    const std::size_t begin = static_cast<std::size_t>(chunk) * kChunkSeries;
    const std::size_t end = std::min(series, begin + kChunkSeries);
    const Step step{winBelow_, up_, down_, in_.deposit, in_.rewardToRisk, in_.risk, ruinLevel_};
    SeriesState* states = states_.data();
    for (int b = 0; b < count; ++b) {
      double* row = block_.get() + static_cast<std::size_t>(b) * series;
      for (std::size_t i = begin; i < end; i += 2) {
        // Every series draws on every trade, played or not, so the stream never depends on
        // which series stopped.
        const std::uint64_t bits = generator();
        PlayOne<kPercent>(states[i], static_cast<std::uint32_t>(bits), step);
        row[i] = states[i].deposit;
        if (i + 1 < end) {
          PlayOne<kPercent>(states[i + 1], static_cast<std::uint32_t>(bits >> 32), step);
          row[i + 1] = states[i + 1].deposit;
        }
      }
    }
  }

  // The constants of one trade, held apart from the states so the loop keeps them in registers.
  struct Step {
    double winBelow, up, down, deposit, ratio, risk, ruinLevel;
  };

  template <bool kPercent>
  static void PlayOne(SeriesState& st, std::uint32_t draw, const Step& step) {
    if (!st.alive) return;
    const bool win = static_cast<double>(draw) < step.winBelow;
    st.wins += win;
    st.losses += !win;
    if constexpr (kPercent) {
      st.deposit = std::min(st.deposit * (win ? step.up : step.down), kDepositCeiling);
    } else {
      // From the counts rather than summed trade by trade, so no rounding accumulates.
      st.deposit = step.deposit + (st.wins * step.ratio - st.losses) * step.risk;
    }
    st.run = win ? 0 : st.run + 1;
    st.longestRun = std::max(st.longestRun, st.run);
    if (st.deposit <= 0) {
      // A fixed amount can lose more than is left: the deposit is gone and the series ends.
      st.deposit = 0;
      st.alive = false;
    }
    st.peak = std::max(st.peak, st.deposit);
    st.worstDrawdown = std::max(st.worstDrawdown, (st.peak - st.deposit) / st.peak);
    st.ruined = st.ruined || st.deposit <= step.ruinLevel;
  }

  const RiskInputs in_;
  const RiskControl control_;
  const int chunks_;
  int threads_ = 1;
  const double winBelow_;
  const double up_;
  const double down_;
  const double ruinLevel_;
  std::vector<SeriesState> states_;
  std::vector<std::mt19937_64> generators_;
  const int blockTrades_;
  std::unique_ptr<double[]> block_;
  std::vector<RowPercentiles> selectors_;
  std::vector<std::array<double, 5>> band_;
  std::atomic<int> nextChunk_{0};
  std::atomic<int> nextRow_{0};
  int phase_ = 0;
  bool stop_ = false;
};

}  // namespace

double NearestRank(const std::vector<double>& sorted, int percent) {
  return sorted.at(RankIndex(sorted.size(), std::clamp(percent, 1, 100)));
}

std::optional<RiskResult> RunRiskAnalysis(const RiskInputs& in, const RiskControl& control) {
  ValidateRiskInputs(in);
  Analysis analysis(in, control);
  if (!analysis.Run()) return std::nullopt;
  return analysis.Summarise();
}

RiskSummary AnalyseRisk(const RiskInputs& in) { return RunRiskAnalysis(in, {})->summary; }

bool RiskLogScale(double low, double high) { return low > 0 && high / low > 100; }

DepositHistogram HistogramOfDeposits(const std::vector<double>& sortedDeposits, int bins) {
  DepositHistogram h;
  if (sortedDeposits.empty() || bins < 1) return h;
  h.low = sortedDeposits.front();
  h.high = sortedDeposits.back();
  h.logScale = RiskLogScale(h.low, h.high);
  const auto scale = [&h](double v) { return h.logScale ? std::log10(v) : v; };
  const double lo = scale(h.low);
  const double width = scale(h.high) - lo;
  // A short series ends on few deposits, evenly spaced on their scale: one bin per place of that
  // lattice keeps bins of the wrong width from leaving gaps and spikes in the picture.
  double smallestGap = width;
  for (std::size_t i = 1; i < sortedDeposits.size(); ++i) {
    const double gap = scale(sortedDeposits[i]) - scale(sortedDeposits[i - 1]);
    if (gap > 1e-9 * std::max(1.0, std::abs(scale(sortedDeposits[i])))) {
      smallestGap = std::min(smallestGap, gap);
    }
  }
  if (!(width > 0)) {
    bins = 1;
  } else if (const double places = std::round(width / smallestGap) + 1; places <= 2.0 * bins) {
    bins = static_cast<int>(places);
  }
  h.counts.assign(static_cast<std::size_t>(bins), 0);
  for (double v : sortedDeposits) {
    int bin = width > 0 ? static_cast<int>((scale(v) - lo) / width * bins) : 0;
    ++h.counts[static_cast<std::size_t>(std::clamp(bin, 0, bins - 1))];
  }
  return h;
}

}  // namespace tiramon
