// How fast the quote page parser is: a half-megabyte page of ordinary HTML with 40 quote rows,
// against one memmem pass over the same text that counts the links to /currencies, and the
// one-megabyte pages made to be slow, which must stay linear. Prints the parse / memmem ratio.
#include <benchmark/benchmark.h>

#include <cstring>
#include <iostream>
#include <map>
#include <string>
#include <string_view>

#include "app/unit1.h"
#include "quotes/page_parser.h"
#include "support/numtext.h"
#include "support/regexpr.h"
#include "tests/quote_pages.h"

namespace {

using namespace tiramon;

constexpr std::size_t kMiB = 1 << 20;
constexpr std::string_view kLinkStart = "<a href=\"/currencies";

const std::string& RealisticPage() {
  static const std::string page = test_pages::RealisticPage(kMiB / 2, 40);
  return page;
}

std::size_t CountLinks(std::string_view text) {
  std::size_t count = 0;
  const char* at = text.data();
  const char* const end = text.data() + text.size();
  while (const void* hit =
             memmem(at, static_cast<std::size_t>(end - at), kLinkStart.data(), kLinkStart.size())) {
    ++count;
    at = static_cast<const char*>(hit) + kLinkStart.size();
  }
  return count;
}

void ParsePage(benchmark::State& state, const std::string& page, std::size_t expectedRows) {
  DecimalMark = '.';
  TForm1 form;
  for (auto _ : state) {
    form.ListView1.items.clear();
    quotes::ParseQuotePage(form, page);
    benchmark::DoNotOptimize(form.ListView1.items.data());
  }
  if (form.ListView1.items.size() != expectedRows) state.SkipWithError("unexpected row count");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

void BM_ParseRealisticPage(benchmark::State& state) { ParsePage(state, RealisticPage(), 40); }

void BM_MemmemCountLinks(benchmark::State& state) {
  const std::string& page = RealisticPage();
  for (auto _ : state) benchmark::DoNotOptimize(CountLinks(page));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

// The matcher alone on the same page: copying the text in and finding the 40 entries.
void BM_MatchRealisticPage(benchmark::State& state) {
  const std::string& page = RealisticPage();
  std::size_t rows = 0;
  for (auto _ : state) {
    TRegExpr re;
    re.SetModifier('m', true);
    re.SetModifier('i', true);
    re.SetInputString(page);
    re.SetExpression(quotes::kQuoteRowPattern);
    rows = 0;
    for (bool found = re.Exec(); found; found = re.ExecNext()) ++rows;
    benchmark::DoNotOptimize(rows);
  }
  if (rows != 40) state.SkipWithError("unexpected match count");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

void BM_AdversarialLinksWithoutTitle(benchmark::State& state) {
  static const std::string page = test_pages::Repeated(test_pages::kLinkWithoutTitle, kMiB);
  ParsePage(state, page, 0);
}

void BM_AdversarialOneBlankEntries(benchmark::State& state) {
  static const std::string page = test_pages::Repeated(test_pages::kOneBlankEntry, kMiB) +
                                  test_pages::QuoteEntry("GBP/USD", "1.3051", "1.3054");
  ParsePage(state, page, 1);
}

void BM_AdversarialUnclosedEntries(benchmark::State& state) {
  static const std::string page = test_pages::Repeated(test_pages::kUnclosedEntry, kMiB);
  ParsePage(state, page, 0);
}

void BM_AdversarialUnclosedCells(benchmark::State& state) {
  static const std::string page = test_pages::Repeated(test_pages::kUnclosedCellEntry, kMiB);
  ParsePage(state, page, 0);
}

// The general backtracking engine on the unclosed-cell layout, for scale: its time grows far
// faster than the page, and from a few tens of kilobytes it gives up at its search limit.
void BM_BacktrackingUnclosedCells(benchmark::State& state) {
  const std::string page = test_pages::Repeated(test_pages::kUnclosedCellEntry,
                                                static_cast<std::size_t>(state.range(0)));
  TRegExpr re;
  re.SetEngine(TRegExpr::Engine::kBacktracking);
  re.SetModifier('i', true);
  re.SetExpression(quotes::kQuoteRowPattern);
  re.SetInputString(page);
  for (auto _ : state) {
    try {
      benchmark::DoNotOptimize(re.Exec());
    } catch (const ERegExpr& e) {
      state.SkipWithError(e.what());
      break;
    }
  }
}

BENCHMARK(BM_ParseRealisticPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemmemCountLinks)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MatchRealisticPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AdversarialLinksWithoutTitle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AdversarialOneBlankEntries)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AdversarialUnclosedEntries)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AdversarialUnclosedCells)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BacktrackingUnclosedCells)
    ->Arg(4 << 10)
    ->Arg(8 << 10)
    ->Arg(16 << 10)
    ->Arg(32 << 10)
    ->Unit(benchmark::kMillisecond);

// Keeps the CPU time per iteration of every run (the median when runs are repeated), so that
// main can print the ratio. CPU time
// rather than wall time, because the machines this runs on are often shared.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const bool single = run.run_type == Run::RT_Iteration;
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if ((single || median) && !run.error_occurred) {
        nanoseconds[run.run_name.function_name] =
            run.GetAdjustedCPUTime() * benchmark::GetTimeUnitMultiplier(benchmark::kNanosecond) /
            benchmark::GetTimeUnitMultiplier(run.time_unit);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> nanoseconds;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto scan = reporter.nanoseconds.find("BM_MemmemCountLinks");
  if (scan != reporter.nanoseconds.end() && scan->second > 0) {
    const std::pair<const char*, const char*> ratios[] = {
        {"BM_ParseRealisticPage", "parse / memmem ratio on the 512 KiB page: "},
        {"BM_MatchRealisticPage", "matcher alone / memmem ratio on the same page: "},
    };
    for (const auto& [name, label] : ratios) {
      const auto run = reporter.nanoseconds.find(name);
      if (run != reporter.nanoseconds.end()) {
        std::cout << label << run->second / scan->second << " (target <= 3)\n";
      }
    }
  }
  benchmark::Shutdown();
  return 0;
}
