// Cost of the risk analysis: the default run (10,000 series of 100 trades), which the tab runs on
// the event thread, and once the largest run (100,000 × 10,000), which must keep both cores busy,
// beside its floor: the same steps doing only what every step must (draw, compare, multiply, keep
// the peak). Every figure is printed with the load average beside it: the machine is shared.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/risk_analysis.h"
#include "app/risk_lanes.h"

namespace tiramon {
namespace {

std::string LoadAverage() {
  std::ifstream file("/proc/loadavg");
  std::string one, five, fifteen;
  file >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The floor plays the analysis's own layout and generator: 512 series to a chunk, one
// xoshiro256++ lane per pair of series, a win when 32 bits fall below the hit rate's share.
constexpr int kFloorChunk = 512;
constexpr int kFloorLanes = kFloorChunk / 2;

struct FloorChunk {
  std::uint64_t s0[kFloorLanes], s1[kFloorLanes], s2[kFloorLanes], s3[kFloorLanes];
  double deposit[kFloorChunk], peak[kFloorChunk];
};

TIRAMON_EACH_X86_LEVEL void FloorTrade(FloorChunk& c, double winBelow, double up, double down) {
  alignas(64) double draw[kFloorChunk];
  for (int p = 0; p < kFloorLanes; ++p) {
    std::uint64_t a = c.s0[p], b = c.s1[p], x = c.s2[p], y = c.s3[p];
    const std::uint64_t bits = XoshiroNext(a, b, x, y);
    c.s0[p] = a;
    c.s1[p] = b;
    c.s2[p] = x;
    c.s3[p] = y;
    draw[p] = BiasedDraw(bits & 0xFFFFFFFFULL);
    draw[p + kFloorLanes] = BiasedDraw(bits >> 32);
  }
  for (int i = 0; i < kFloorChunk; ++i) {
    const double next = c.deposit[i] * (draw[i] < winBelow ? up : down);
    c.deposit[i] = next;
    c.peak[i] = c.peak[i] < next ? next : c.peak[i];
  }
}

// Seconds of wall time for series × trades steps on two threads.
double FloorSeconds(int series, int trades) {
  const int chunks = (series + kFloorChunk - 1) / kFloorChunk;
  std::vector<FloorChunk> state(static_cast<std::size_t>(chunks));
  std::uint64_t z = 1;
  for (FloorChunk& c : state) {
    for (auto* s : {c.s0, c.s1, c.s2, c.s3}) {
      for (int p = 0; p < kFloorLanes; ++p) {
        z = z * 6364136223846793005ULL + 1442695040888963407ULL;
        s[p] = z | 1;
      }
    }
    std::fill(std::begin(c.deposit), std::end(c.deposit), 100.0);
    std::fill(std::begin(c.peak), std::end(c.peak), 100.0);
  }
  const double winBelow = 0x1p52 + 0.4 * 0x1p32;
  const auto start = std::chrono::steady_clock::now();
  {
    // Chunks are taken, not dealt, as the analysis takes them, so a neighbour on one core slows
    // the floor no more than the analysis; each chunk plays all its trades while in the cache.
    std::atomic<int> next{0};
    auto work = [&] {
      for (int c = next++; c < chunks; c = next++) {
        for (int t = 0; t < trades; ++t)
          FloorTrade(state[static_cast<std::size_t>(c)], winBelow, 1.2, 0.95);
      }
    };
    std::jthread other(work);
    work();
  }
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  double sum = 0;
  for (const FloorChunk& c : state) sum += c.peak[0];
  benchmark::DoNotOptimize(sum);
  return wall;
}

void BM_AnalyseRiskDefaults(benchmark::State& state) {
  RiskInputs in;
  in.percentRisk = state.range(0) != 0;
  for (auto _ : state) benchmark::DoNotOptimize(AnalyseRisk(in).finalMedian);
  state.SetLabel("load average " + LoadAverage());
}
BENCHMARK(BM_AnalyseRiskDefaults)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AnalyseRiskOneThread(benchmark::State& state) {
  RiskInputs in;
  for (auto _ : state) benchmark::DoNotOptimize(RunRiskAnalysis(in, {.threads = 1}));
  state.SetLabel("load average " + LoadAverage());
}
BENCHMARK(BM_AnalyseRiskOneThread)->Unit(benchmark::kMillisecond)->UseRealTime();

// The figures the perf script collects: the median wall time of the default run over many
// repeats, and the largest run once with its CPU time, which exceeds its wall time only when more
// than one core works.
void PrintFigures(bool largest) {
  RiskInputs in;
  std::vector<double> ms;
  const double cpuBefore = ProcessCpuSeconds();
  for (int i = 0; i < 31; ++i) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(AnalyseRisk(in).finalMedian);
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count());
  }
  const double cpuPerRun = (ProcessCpuSeconds() - cpuBefore) / static_cast<double>(ms.size());
  std::sort(ms.begin(), ms.end());
  // The CPU time of all threads says how much work a run is, whatever the neighbours do.
  std::printf(
      "risk analysis 10000 x 100: %.2f ms wall (median of %zu, min %.2f), %.2f ms CPU of all "
      "threads per run, load average %s\n",
      ms[ms.size() / 2], ms.size(), ms.front(), cpuPerRun * 1e3, LoadAverage().c_str());
  if (!largest) return;
  in.series = kMaxRiskSeries;
  in.trades = kMaxRiskTrades;
  // The analysis and its floor take turns, and each keeps its fastest round: a neighbour on the
  // other virtual core of the same physical one slows a round by up to twice, and a ratio of two
  // single rounds said more about the neighbour than about the analysis.
  constexpr int kRounds = 3;
  double wall = 0, cpu = 0, floor = 0;
  for (int round = 0; round < kRounds; ++round) {
    const double cpuStart = ProcessCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(AnalyseRisk(in).finalMedian);
    const double roundWall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double roundCpu = ProcessCpuSeconds() - cpuStart;
    if (round == 0 || roundWall < wall) {
      wall = roundWall;
      cpu = roundCpu;
    }
    const double roundFloor = FloorSeconds(in.series, in.trades);
    if (round == 0 || roundFloor < floor) floor = roundFloor;
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf(
      "risk analysis 100000 x 10000: %.2f s wall, %.2f s CPU (%.2f cores busy), peak RSS %ld "
      "KiB, fastest of %d, load average %s\n",
      wall, cpu, cpu / wall, usage.ru_maxrss, kRounds, LoadAverage().c_str());
  std::printf(
      "risk analysis floor 100000 x 10000: %.2f s wall, analysis / floor %.2f, fastest of %d, "
      "load average %s\n",
      floor, wall / floor, kRounds, LoadAverage().c_str());
}

}  // namespace
}  // namespace tiramon

int main(int argc, char** argv) {
  // --largest also times the biggest run and its floor, three rounds each (a few seconds).
  bool largest = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--largest") == 0) {
      largest = true;
      for (int j = i; j + 1 < argc; ++j) argv[j] = argv[j + 1];
      --argc;
      break;
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  tiramon::PrintFigures(largest);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
