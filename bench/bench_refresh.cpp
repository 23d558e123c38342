// A whole quote refresh (status file and a ~300 KiB quotes page, parsed into the table and
// cached) against the demo feed, next to curl fetching the same two addresses in one run. The
// refresh should take at most 1.5 times as long as curl.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "app/unit1.h"
#include "support/numtext.h"
#include "tests/support/feed_process.h"
#include "tests/support/test_files.h"

namespace {

constexpr const char* kStatusPath = "/down/news.txt";
constexpr const char* kQuotesPath = "/quotes/streaming-forex-rates-%E2%80%93-majors";

tiramon::testing::FeedProcess* feed = nullptr;
tiramon::testing::TempDir* folder = nullptr;

void BM_Refresh(benchmark::State& state) {
  tiramon::DecimalMark = '.';
  const tiramon::Environment environment = feed->EnvironmentIn(folder->path());
  tiramon::TForm1 form(environment);
  for (auto _ : state) {
    form.Button9Click();
    if (!form.QuotesAvailable || form.ListView1.items.size() < 20) {
      state.SkipWithError("the refresh did not show live quotes");
      break;
    }
  }
}

void BM_Curl(benchmark::State& state) {
  const std::string command = "curl -s -o /dev/null '" + feed->Url(kStatusPath) +
                              "' -o /dev/null '" + feed->Url(kQuotesPath) + "'";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("curl failed");
      break;
    }
  }
}

BENCHMARK(BM_Refresh)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_Curl)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Keeps the mean wall time of each benchmark for the ratio printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0) {
        meanSeconds[run.run_name.function_name] =
            run.real_accumulated_time / static_cast<double>(run.iterations);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> meanSeconds;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  tiramon::testing::FeedProcess process(TIRAMON_QUOTE_FEED, {"--page-kib", "300"});
  if (process.port() == 0) {
    std::fprintf(stderr, "the quote feed did not start\n");
    return 1;
  }
  tiramon::testing::TempDir dir;
  feed = &process;
  folder = &dir;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto refresh = reporter.meanSeconds.find("BM_Refresh");
  const auto curl = reporter.meanSeconds.find("BM_Curl");
  if (refresh != reporter.meanSeconds.end() && curl != reporter.meanSeconds.end()) {
    std::printf("refresh %.2f ms, curl %.2f ms: ratio %.2f (target <= 1.5)\n",
                refresh->second * 1e3, curl->second * 1e3, refresh->second / curl->second);
  }
  benchmark::Shutdown();
  return 0;
}
