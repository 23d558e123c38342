// The refresh of a very large quote page: the demo feed serves 320,000 rows (about 32 MiB, just
// within the client's body limit) and the whole refresh runs as the button does: status file,
// page, cache, parse into the table. Wall time per refresh (it waits on the loopback network)
// next to the time of fetching the same page alone, and the growth of the peak resident set.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <string>

#include "app/unit1.h"
#include "support/http_client.h"
#include "support/numtext.h"
#include "tests/support/feed_process.h"
#include "tests/support/test_files.h"

namespace {

constexpr const char* kQuotesPath = "/quotes/streaming-forex-rates-%E2%80%93-majors";
constexpr int kRows = 320000;

tiramon::testing::FeedProcess* feed = nullptr;
tiramon::testing::TempDir* folder = nullptr;
long baselineKiB = 0;  // the peak before any refresh: the benchmark runs its function repeatedly

long PeakKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void BM_RefreshLargePage(benchmark::State& state) {
  tiramon::DecimalMark = '.';
  const tiramon::Environment environment = feed->EnvironmentIn(folder->path());
  tiramon::TForm1 form(environment);
  for (auto _ : state) {
    form.Button9Click();
    if (!form.QuotesAvailable || form.ListView1.items.size() != kRows) {
      state.SkipWithError("the refresh did not show the large page");
      break;
    }
  }
  state.counters["peak_growth_MiB"] = static_cast<double>(PeakKiB() - baselineKiB) / 1024;
}

void BM_FetchLargePage(benchmark::State& state) {
  for (auto _ : state) {
    tiramon::HttpClient client;
    const std::string page = client.FetchPageText(feed->Url(kQuotesPath));
    benchmark::DoNotOptimize(page.data());
  }
}

BENCHMARK(BM_RefreshLargePage)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_FetchLargePage)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  tiramon::testing::FeedProcess process(TIRAMON_QUOTE_FEED, {"--rows", std::to_string(kRows)});
  if (process.port() == 0) {
    std::fprintf(stderr, "the quote feed did not start\n");
    return 1;
  }
  tiramon::testing::TempDir dir;
  feed = &process;
  folder = &dir;
  baselineKiB = PeakKiB();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
