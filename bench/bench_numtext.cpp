// Speed of the number texts next to the C library conversions they are built on: formatting
// against snprintf("%.17Le") and reading against strtold, on the same values and texts. After the
// timings it prints each ratio (ours / C library); the quote table formats thousands of numbers,
// so each should stay within three times its peer.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "support/numtext.h"

namespace {

std::vector<long double> MakeValues() {
  // Prices, lots, margins and money sums of the kind the calculators write, plus random spreads.
  std::vector<long double> values = {1.23456L,  1234.567L, 0.004L, 1e-5L,        100000.0L,
                                     0.125L,    5.55,      2.675,  -2.5L,        1.0L / 3,
                                     0.1 + 0.2, 99.995L,   1e15L,  123456789.0L, 0.0L};
  std::mt19937_64 random(12345);
  std::uniform_real_distribution<double> mantissa(1.0, 10.0);
  std::uniform_int_distribution<int> exponent(-5, 8);
  while (values.size() < 256) {
    values.push_back(static_cast<long double>(mantissa(random)) *
                     std::pow(10.0L, static_cast<long double>(exponent(random))));
  }
  return values;
}

std::vector<std::string> MakeTexts() {
  std::vector<std::string> texts = {"1.2345",    "10000", "0.15",   "2.5e-3",
                                    "123456.78", " 1.5 ", "100",    "0.01",
                                    "1.10825",   "2",     "0.0001", "50",
                                    "1E5",       "99.99", "-7.25",  "3.14159265358979323846"};
  std::mt19937_64 random(54321);
  std::uniform_int_distribution<int> digit(0, 9);
  std::uniform_int_distribution<int> length(1, 8);
  while (texts.size() < 256) {
    std::string text;
    const int whole = length(random);
    for (int i = 0; i < whole; ++i) text += static_cast<char>('0' + digit(random));
    text += '.';
    const int fraction = length(random);
    for (int i = 0; i < fraction; ++i) text += static_cast<char>('0' + digit(random));
    texts.push_back(text);
  }
  return texts;
}

const std::vector<long double> kValues = MakeValues();
const std::vector<std::string> kTexts = MakeTexts();

void BM_FormatGeneral(benchmark::State& state) {
  for (auto _ : state) {
    for (long double v : kValues) benchmark::DoNotOptimize(tiramon::FormatGeneral(v));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long long>(kValues.size()));
}

void BM_FormatPattern(benchmark::State& state) {
  for (auto _ : state) {
    for (long double v : kValues) benchmark::DoNotOptimize(tiramon::FormatPattern("0.##", v));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long long>(kValues.size()));
}

void BM_Snprintf(benchmark::State& state) {
  char buffer[64];
  for (auto _ : state) {
    for (long double v : kValues) {
      benchmark::DoNotOptimize(std::snprintf(buffer, sizeof buffer, "%.17Le", v));
      benchmark::ClobberMemory();
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long long>(kValues.size()));
}

void BM_ParseDecimal(benchmark::State& state) {
  for (auto _ : state) {
    for (const std::string& t : kTexts) benchmark::DoNotOptimize(tiramon::ParseDecimal(t));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long long>(kTexts.size()));
}

void BM_Strtold(benchmark::State& state) {
  for (auto _ : state) {
    for (const std::string& t : kTexts) {
      benchmark::DoNotOptimize(std::strtold(t.c_str(), nullptr));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long long>(kTexts.size()));
}

BENCHMARK(BM_FormatGeneral);
BENCHMARK(BM_FormatPattern);
BENCHMARK(BM_Snprintf);
BENCHMARK(BM_ParseDecimal);
BENCHMARK(BM_Strtold);

// Prints the usual table and keeps each benchmark's CPU time per iteration for the ratios (the
// machine is shared, so wall time says more about the neighbours than about the code).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
      times_[run.benchmark_name()] = run.GetAdjustedCPUTime();
    }
  }

  void PrintRatio(const std::string& ours, const std::string& peer) const {
    const auto a = times_.find(ours);
    const auto b = times_.find(peer);
    if (a == times_.end() || b == times_.end() || b->second <= 0) return;
    const double ratio = a->second / b->second;
    std::printf("%-18s / %-12s = %5.2f %s\n", ours.c_str(), peer.c_str(), ratio,
                ratio <= 3.0 ? "(within 3x)" : "(SLOWER THAN 3x)");
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::printf("\nRatios (ours / C library):\n");
  reporter.PrintRatio("BM_FormatGeneral", "BM_Snprintf");
  reporter.PrintRatio("BM_FormatPattern", "BM_Snprintf");
  reporter.PrintRatio("BM_ParseDecimal", "BM_Strtold");
  return 0;
}
