// Cost of the risk analysis: the default run (10,000 series of 100 trades), which the tab runs on
// the event thread, and once the largest run (100,000 × 10,000), which must keep both cores busy.
// Every figure is printed with the load average beside it: the machine is shared.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/risk_analysis.h"

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

// What the largest analysis cannot do without, and nothing more: per series and trade one half
// of a draw of the same generator, a compare, a multiply and the peak kept, over the same
// series and trades, in chunks of the analysis's size, on two threads. The analysis's wall time
// over this one says how much goes to everything else (percentiles, drawdowns, streaks, ruin).
double FloorSeconds(const RiskInputs& in) {
  constexpr int kChunk = 512;
  const double winBelow = in.winShare * 0x1p32;
  const double up = 1 + in.risk / 100 * in.rewardToRisk;
  const double down = 1 - in.risk / 100;
  const int chunks = (in.series + kChunk - 1) / kChunk;
  std::vector<double> kept(2, 0);
  const auto work = [&](int first, int step, double& sink) {
    std::vector<double> deposit(kChunk), peak(kChunk);
    for (int c = first; c < chunks; c += step) {
      std::mt19937_64 generator(static_cast<std::uint64_t>(c) + 1);
      std::fill(deposit.begin(), deposit.end(), in.deposit);
      std::fill(peak.begin(), peak.end(), in.deposit);
      for (int t = 0; t < in.trades; ++t) {
        for (int i = 0; i < kChunk; i += 2) {
          const std::uint64_t bits = generator();
          const double a = static_cast<double>(static_cast<std::uint32_t>(bits));
          const double b = static_cast<double>(static_cast<std::uint32_t>(bits >> 32));
          deposit[i] *= a < winBelow ? up : down;
          deposit[i + 1] *= b < winBelow ? up : down;
          peak[i] = std::max(peak[i], deposit[i]);
          peak[i + 1] = std::max(peak[i + 1], deposit[i + 1]);
        }
      }
      for (int i = 0; i < kChunk; ++i) sink += deposit[i] + peak[i];
    }
  };
  const auto start = std::chrono::steady_clock::now();
  std::thread other(work, 1, 2, std::ref(kept[1]));
  work(0, 2, kept[0]);
  other.join();
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  benchmark::DoNotOptimize(kept.data());
  return wall;
}

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
  const double cpuStart = ProcessCpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  benchmark::DoNotOptimize(AnalyseRisk(in).finalMedian);
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpu = ProcessCpuSeconds() - cpuStart;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf(
      "risk analysis 100000 x 10000: %.2f s wall, %.2f s CPU (%.2f cores busy), peak RSS %ld "
      "KiB, load average %s\n",
      wall, cpu, cpu / wall, usage.ru_maxrss, LoadAverage().c_str());
  const double floor = FloorSeconds(in);
  std::printf(
      "risk analysis floor 100000 x 10000: %.2f s wall, analysis / floor %.2f, load average %s\n",
      floor, wall / floor, LoadAverage().c_str());
}

}  // namespace
}  // namespace tiramon

int main(int argc, char** argv) {
  // --largest also times the biggest run once (several seconds).
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
