// The series are played in lockstep, one deposit per series, so memory stays bounded by the number
// of series however long they are. The fan needs the deposits only at the trades it draws: after
// every block of those trades their five band percentiles are taken from the block's deposits and
// the deposits are forgotten.
//
// Reproducibility: the series are cut into fixed chunks, each pair of series with its own
// generator seeded from (seed, pair number) and drawn once per trade, played or not, and a win is
// decided by exact arithmetic on 32 of the generator's bits. Which thread plays a chunk, and which
// instruction set the machine has, therefore changes nothing.
#include "app/risk_analysis.h"

#include <algorithm>
#include <barrier>
#include <cmath>
#include <memory>
#include <random>
#include <stdexcept>
#include <thread>

#include "app/risk_lanes.h"
#include "app/risk_percentiles.h"

namespace tiramon {
namespace {

constexpr int kChunkSeries = 512;
constexpr int kChunkLanes = kChunkSeries / 2;
// Trades played between two percentile passes: as many as keep about half a million deposits (4 MB)
// in the block. Few blocks mean few meetings of the threads, which cost most on a busy machine; the
// block never changes the figures, as each chunk draws trade after trade in any case.
constexpr std::size_t kBlockDeposits = std::size_t{1} << 19;
// Compounding can outgrow a double; a deposit this large says all there is to say.
constexpr double kDepositCeiling = 1e300;
constexpr double kLargestAmount = 1e15;
constexpr double kLargestRatio = 1e6;

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

// The generator: xoshiro256++, one per pair of series, so a chunk's draws for one trade are
// independent lanes the compiler can play side by side. Each lane is seeded by splitmix64 from
// (seed, lane number); its 64 bits decide two series of the chunk, one per half.

struct Step {
  double winBelow, up, down, deposit, ratio, risk;
};

// The state of one chunk's series, a field per array so that a trade is a loop over the series
// with no branch in it. Counts are doubles (exact far beyond 10000) to keep every lane as wide as
// a deposit; `lowest` is the smallest deposit after any trade, which says whether ruin came.
struct Chunk {
  std::uint64_t *s0, *s1, *s2, *s3;
  double *deposit, *peak, *worst, *lowest, *run, *longest, *wins, *losses;
};

// By value, unlike std::min and std::max, whose references to an array cell or a local keep the
// loop from becoming branch-free.
[[gnu::always_inline]] inline double Lesser(double a, double b) { return b < a ? b : a; }
[[gnu::always_inline]] inline double Greater(double a, double b) { return a < b ? b : a; }

// The kernel below is built once per instruction set (TIRAMON_EACH_X86_LEVEL). A fused
// multiply-add would round the fixed amount's deposit once where the plain build rounds twice, so
// fusing stays off here and every copy gives the same figures on every machine.
#pragma GCC push_options
#pragma GCC optimize("fp-contract=off")

// The next trades' 64 bits of every lane, as two draws each: the lane's own series and its
// partner half a chunk further on.
template <int kTrades>
[[gnu::always_inline]] inline void Draw(std::uint64_t* __restrict s0, std::uint64_t* __restrict s1,
                                        std::uint64_t* __restrict s2, std::uint64_t* __restrict s3,
                                        double* __restrict draw) {
  for (int p = 0; p < kChunkLanes; ++p) {
    std::uint64_t a = s0[p], b = s1[p], x = s2[p], y = s3[p];
#pragma GCC unroll 16
    for (int t = 0; t < kTrades; ++t) {
      const std::uint64_t bits = XoshiroNext(a, b, x, y);
      draw[t * kChunkSeries + p] = BiasedDraw(bits & 0xFFFFFFFFULL);
      draw[t * kChunkSeries + p + kChunkLanes] = BiasedDraw(bits >> 32);
    }
    s0[p] = a;
    s1[p] = b;
    s2[p] = x;
    s3[p] = y;
  }
}

// The next trades of every series of a chunk, each series' state held in registers across them;
// with kStore the deposits after each trade also go to one row each, stride apart. kMayEnd is
// false when no series can run out, so none needs asking whether it still plays.
template <bool kPercent, bool kMayEnd, int kTrades, bool kStore>
[[gnu::always_inline]] inline void Play(const double* __restrict draw, double* __restrict deposit,
                                        double* __restrict peak, double* __restrict worst,
                                        double* __restrict lowest, double* __restrict run,
                                        double* __restrict longest, double* __restrict wins,
                                        double* __restrict losses, Step step,
                                        double* __restrict rows, std::size_t stride) {
  // Copies, so the loop reads no constant from memory a store might have changed.
  const double winBelow = step.winBelow, up = step.up, down = step.down;
  const double start = step.deposit, ratio = step.ratio, risk = step.risk;
  double* out[static_cast<std::size_t>(kTrades)] = {};
  if constexpr (kStore) {
    for (int t = 0; t < kTrades; ++t) out[t] = rows + static_cast<std::size_t>(t) * stride;
  }
  // Series are independent and the rows never overlap: no cell is touched by two series.
#pragma GCC ivdep
  for (int i = 0; i < kChunkSeries; ++i) {
    double d = deposit[i], top = peak[i], deepest = worst[i], low = lowest[i];
    double r = run[i], longestRun = longest[i], w = 0, l = 0;
    if constexpr (!kPercent) {
      w = wins[i];
      l = losses[i];
    }
#pragma GCC unroll 16
    for (int t = 0; t < kTrades; ++t) {
      // Counts move by 0/1 factors rather than by choices, which the compiler will not make
      // branch-free when a comparison might trap; both are exact on whole numbers.
      // A series whose deposit ran out has ended (d == 0): nothing of it changes any more.
      const double u = draw[t * kChunkSeries + i];
      const double lost = u < winBelow ? 0.0 : 1.0;
      const double alive = d > 0 ? 1.0 : 0.0;
      double next;
      if constexpr (kPercent) {
        // An ended series stays at zero under any factor.
        next = Lesser(d * (u < winBelow ? up : down), kDepositCeiling);
      } else {
        w += alive * (1 - lost);
        l += alive * lost;
        // From the counts rather than summed trade by trade, so no rounding accumulates. A
        // fixed amount can lose more than is left: the deposit is gone and the series ends.
        next = start + (w * ratio - l) * risk;
        next = next > 0 ? next : 0.0;
      }
      if constexpr (kMayEnd) {
        r += alive * ((r + 1) * lost - r);
      } else {
        r = (r + 1) * lost;
      }
      longestRun = Greater(longestRun, r);
      top = Greater(top, next);
      deepest = Greater(deepest, (top - next) / top);
      low = Lesser(low, next);
      d = next;
      if constexpr (kStore) out[t][i] = next;
    }
    deposit[i] = d;
    peak[i] = top;
    worst[i] = deepest;
    lowest[i] = low;
    run[i] = r;
    longest[i] = longestRun;
    if constexpr (!kPercent) {
      wins[i] = w;
      losses[i] = l;
    }
  }
}

// Trades at a time that each series' state stays in registers for.
constexpr int kRegisterTrades = 8;

template <bool kPercent, bool kMayEnd, bool kStore, int kTrades>
[[gnu::always_inline]] inline void PlaySome(const Chunk& c, const Step& step, double* draw,
                                            double*& rows, std::size_t stride) {
  Draw<kTrades>(c.s0, c.s1, c.s2, c.s3, draw);
  Play<kPercent, kMayEnd, kTrades, kStore>(draw, c.deposit, c.peak, c.worst, c.lowest, c.run,
                                           c.longest, c.wins, c.losses, step, rows, stride);
  if constexpr (kStore) rows += static_cast<std::size_t>(kTrades) * stride;
}

// Plays count trades as many at a time as fit: eights, then the rest as a four, a two and a one.
template <bool kPercent, bool kMayEnd, bool kStore>
[[gnu::always_inline]] inline void PlayTrades(const Chunk& c, const Step& step, int count,
                                              double* rows, std::size_t stride) {
  alignas(64) double draw[kRegisterTrades * kChunkSeries];
  for (; count >= kRegisterTrades; count -= kRegisterTrades)
    PlaySome<kPercent, kMayEnd, kStore, kRegisterTrades>(c, step, draw, rows, stride);
  if (count & 4) PlaySome<kPercent, kMayEnd, kStore, 4>(c, step, draw, rows, stride);
  if (count & 2) PlaySome<kPercent, kMayEnd, kStore, 2>(c, step, draw, rows, stride);
  if (count & 1) PlaySome<kPercent, kMayEnd, kStore, 1>(c, step, draw, rows, stride);
}

// Plays count trades; with rows, the deposits after each go to a row each, stride apart. One
// copy per instruction set, chosen when the program starts.
TIRAMON_EACH_X86_LEVEL void PlayPercent(const Chunk& c, const Step& step, int count, double* rows,
                                        std::size_t stride, bool mayEnd) {
  if (mayEnd) {
    if (rows) {
      PlayTrades<true, true, true>(c, step, count, rows, stride);
    } else {
      PlayTrades<true, true, false>(c, step, count, rows, stride);
    }
  } else if (rows) {
    PlayTrades<true, false, true>(c, step, count, rows, stride);
  } else {
    PlayTrades<true, false, false>(c, step, count, rows, stride);
  }
}

TIRAMON_EACH_X86_LEVEL void PlayFixed(const Chunk& c, const Step& step, int count, double* rows,
                                      std::size_t stride) {
  if (rows) {
    PlayTrades<false, true, true>(c, step, count, rows, stride);
  } else {
    PlayTrades<false, true, false>(c, step, count, rows, stride);
  }
}

#pragma GCC pop_options

class Analysis {
 public:
  Analysis(const RiskInputs& in, const RiskControl& control)
      : in_(in),
        control_(control),
        chunks_((in.series + kChunkSeries - 1) / kChunkSeries),
        step_{std::ceil(in.winShare * 0x1p32) + 0x1p52,
              1 + in.risk / 100 * in.rewardToRisk,
              1 - in.risk / 100,
              in.deposit,
              in.rewardToRisk,
              in.risk},
        ruinLevel_(in.deposit * (1 - in.ruinDrawdown)),
        // A percentage of what is left never takes all of it; only a deposit shrunk below the
        // smallest double by loss after loss, far beyond any rounding, could reach zero.
        mayEnd_(!in.percentRisk ||
                !(std::log10(in.deposit) + in.trades * std::log10(1 - in.risk / 100) > -290)),
        bandTrades_(control.bandAtEveryTrade ? EveryTrade(in.trades) : RiskBandTrades(in.trades)),
        blockRows_(static_cast<int>(
            std::clamp<std::size_t>(kBlockDeposits / static_cast<std::size_t>(in.series), 1, 256))),
        // Rows as long as the padded chunks, so a chunk writes its rows whole. Left
        // uninitialised: every cell is written by the trades before it is read.
        stride_(static_cast<std::size_t>(chunks_) * kChunkSeries),
        block_(new double[static_cast<std::size_t>(blockRows_) * stride_]),
        band_(bandTrades_.size()),
        ended_(static_cast<std::size_t>(chunks_), 0) {
    int threads = control.threads > 0 ? control.threads
                                      : static_cast<int>(std::thread::hardware_concurrency());
    threads_ = std::clamp(threads, 1, chunks_);
    const std::size_t lanes = static_cast<std::size_t>(chunks_) * kChunkLanes;
    for (auto* s : {&s0_, &s1_, &s2_, &s3_}) s->resize(lanes);
    const std::uint64_t key = SplitMix(in.seed);
    for (std::size_t g = 0; g < lanes; ++g) {
      const std::uint64_t z = SplitMix(key ^ g);
      s0_[g] = SplitMix(z);
      s1_[g] = SplitMix(z + 0x9E3779B97F4A7C15ULL);
      s2_[g] = SplitMix(z + 2 * 0x9E3779B97F4A7C15ULL);
      s3_[g] = SplitMix(z + 3 * 0x9E3779B97F4A7C15ULL);
    }
    // The last chunk is padded to full size: its extra series are played and never read.
    const std::size_t cells = static_cast<std::size_t>(chunks_) * kChunkSeries;
    for (auto* f : {&deposit_, &peak_}) f->assign(cells, in.deposit);
    for (auto* f : {&worst_, &run_, &longest_, &wins_, &losses_}) f->assign(cells, 0.0);
    lowest_.assign(cells, HUGE_VAL);
    selectors_.resize(static_cast<std::size_t>(threads_));
    band_[0].fill(in.deposit);
  }

  // False when cancelled.
  bool Run() {
    auto checkpoint = [this]() noexcept {
      nextChunk_ = 0;
      nextRow_ = 0;
      if (++phase_ % 2 != 0) return;
      const std::size_t last =
          std::min(bandTrades_.size() - 1, static_cast<std::size_t>(phase_ / 2 * blockRows_));
      if (control_.progress)
        control_.progress->store(static_cast<double>(bandTrades_[last]) / in_.trades);
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
    const std::size_t n = static_cast<std::size_t>(in_.series);
    std::vector<double>& finals = result.finalDeposits;
    finals.assign(deposit_.begin(), deposit_.begin() + in_.series);
    std::vector<double> drawdowns(worst_.begin(), worst_.begin() + in_.series);
    std::vector<int> runs(n);
    std::size_t ruined = 0;
    for (std::size_t i = 0; i < n; ++i) {
      runs[i] = static_cast<int>(longest_[i]);
      ruined += lowest_[i] <= ruinLevel_;
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
    s.bandTrades = std::move(bandTrades_);
    return result;
  }

 private:
  static std::vector<int> EveryTrade(int trades) {
    std::vector<int> all(static_cast<std::size_t>(trades) + 1);
    for (std::size_t t = 0; t < all.size(); ++t) all[t] = static_cast<int>(t);
    return all;
  }

  // Rows of the band are taken in blocks: the block's drawn trades are played chunk by chunk, the
  // deposits at each drawn trade go to the block, then the threads share the block's rows.
  template <class Barrier>
  void Work(int k, Barrier& sync) {
    const int rows = static_cast<int>(bandTrades_.size()) - 1;  // row 0 is the deposit itself
    for (int first = 1; first <= rows; first += blockRows_) {
      const int count = std::min(blockRows_, rows - first + 1);
      // Work is taken, not dealt: on a busy machine the thread that runs does the most.
      for (int c = nextChunk_++; c < chunks_; c = nextChunk_++) PlayChunk(c, first, count);
      sync.arrive_and_wait();
      RowPercentiles& select = selectors_[static_cast<std::size_t>(k)];
      const std::size_t series = static_cast<std::size_t>(in_.series);
      for (int b = nextRow_++; b < count; b = nextRow_++) {
        const double* row = block_.get() + static_cast<std::size_t>(b) * stride_;
        band_[static_cast<std::size_t>(first + b)] = select(row, series);
      }
      sync.arrive_and_wait();
      if (stop_) return;
    }
  }

  // Plays one chunk's series up to each drawn trade of the block and keeps their deposits there.
  void PlayChunk(int chunk, int first, int count) {
    const std::size_t begin = static_cast<std::size_t>(chunk) * kChunkSeries;
    const std::size_t lane = static_cast<std::size_t>(chunk) * kChunkLanes;
    const Chunk c{s0_.data() + lane,       s1_.data() + lane,       s2_.data() + lane,
                  s3_.data() + lane,       deposit_.data() + begin, peak_.data() + begin,
                  worst_.data() + begin,   lowest_.data() + begin,  run_.data() + begin,
                  longest_.data() + begin, wins_.data() + begin,    losses_.data() + begin};
    double* out = block_.get() + begin;
    char& ended = ended_[static_cast<std::size_t>(chunk)];
    const auto play = [&](int trades, double* rows) {
      if (in_.percentRisk) {
        PlayPercent(c, step_, trades, rows, stride_, mayEnd_);
      } else {
        PlayFixed(c, step_, trades, rows, stride_);
      }
    };
    const auto gap = [&](int b) {
      const std::size_t row = static_cast<std::size_t>(first + b);
      return bandTrades_[row] - bandTrades_[row - 1];
    };
    for (int b = 0; b < count;) {
      double* rows = out + static_cast<std::size_t>(b) * stride_;
      if (ended) {
        // Series that have all ended keep their zeros; their lanes decide no other series.
        std::fill_n(rows, kChunkSeries, 0.0);
        ++b;
      } else if (const int trades = gap(b); trades > 1) {
        play(trades, nullptr);
        std::copy_n(c.deposit, kChunkSeries, rows);
        ++b;
      } else {
        // Rows one trade apart, every trade of a short series, are played in one go.
        int run = 1;
        while (b + run < count && gap(b + run) == 1) ++run;
        play(run, rows);
        b += run;
      }
    }
    ended = std::all_of(deposit_.begin() + static_cast<std::ptrdiff_t>(begin),
                        deposit_.begin() + static_cast<std::ptrdiff_t>(begin + kChunkSeries),
                        [](double d) { return d == 0; });
  }

  const RiskInputs in_;
  const RiskControl control_;
  const int chunks_;
  int threads_ = 1;
  const Step step_;
  const double ruinLevel_;
  const bool mayEnd_;
  std::vector<int> bandTrades_;
  std::vector<std::uint64_t> s0_, s1_, s2_, s3_;
  std::vector<double> deposit_, peak_, worst_, lowest_, run_, longest_, wins_, losses_;
  const int blockRows_;
  const std::size_t stride_;
  std::unique_ptr<double[]> block_;
  std::vector<RowPercentiles> selectors_;
  std::vector<std::array<double, 5>> band_;
  std::vector<char> ended_;
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

std::vector<int> RiskBandTrades(int trades) {
  const int points = std::min(trades, kRiskBandPoints - 1);
  std::vector<int> drawn(static_cast<std::size_t>(points) + 1);
  // Evenly spread and rounded to the nearest trade; with more trades than points no two meet.
  for (int k = 0; k <= points; ++k) {
    const long long t = (static_cast<long long>(k) * trades * 2 + points) / (2LL * points);
    drawn[static_cast<std::size_t>(k)] = static_cast<int>(t);
  }
  return drawn;
}

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
