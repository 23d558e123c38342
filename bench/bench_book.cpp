// Cost of counting a book of 200 positions, which the book's tab does after every change of its
// positions or of the prices; its peer is the same 200 trades counted one by one by the engine.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "app/book.h"
#include "app/book_file.h"
#include "app/market.h"
#include "app/unit1.h"
#include "support/numtext.h"

namespace tiramon {
namespace {

constexpr int kPositions = 200;

DollarRates Market() {
  DollarRates rates;
  rates.Add("EUR/USD", 1.1L);
  rates.Add("GBP/USD", 1.25L);
  rates.Add("USD/JPY", 150);
  return rates;
}

const DollarRates& TheMarket() {
  static const DollarRates market = Market();
  return market;
}

AccountRates Dollars() {
  return [](std::string_view c) { return InAccountCurrency(TheMarket(), "USD", c); };
}

// Three instruments, both directions, lots from 0.01 to 2, stops from 100 to 1090 points.
std::vector<TradeRequest> Positions() {
  const struct {
    const char* symbol;
    double price;
  } instruments[] = {{"EUR/USD", 1.1}, {"GBP/USD", 1.25}, {"USD/JPY", 150}};
  std::vector<TradeRequest> positions;
  for (int i = 0; i < kPositions; ++i) {
    const auto& instrument = instruments[i % 3];
    TradeRequest r;
    r.instrument = *KnownInstrument(instrument.symbol);
    r.buying = i % 2 == 0;
    r.bid = r.ask = instrument.price;
    r.deposit = 100000;
    r.leverage = 100;
    r.lots = 0.01 * (1 + i % 200);
    r.stopPoints = 100 + 10 * (i % 100);
    r.takePoints = 3 * r.stopPoints;
    positions.push_back(r);
  }
  return positions;
}

const BrokerConditions kBroker{"USD", 7, 0.01, 0, 0, 50};

void BM_BookOf200(benchmark::State& state) {
  const std::vector<TradeRequest> positions = Positions();
  const AccountRates rates = Dollars();
  for (auto _ : state) {
    const BookFigures figures = FiguresOfBook(positions, 100000, kBroker, rates);
    benchmark::DoNotOptimize(figures.lossAtStops);
  }
}
BENCHMARK(BM_BookOf200);

void BM_FiguresOf200(benchmark::State& state) {
  const std::vector<TradeRequest> positions = Positions();
  const AccountRates rates = Dollars();
  for (auto _ : state) {
    for (const TradeRequest& position : positions) {
      const TradeFigures figures = FiguresOf(position, kBroker, rates);
      benchmark::DoNotOptimize(figures.lossAtStop);
    }
  }
}
BENCHMARK(BM_FiguresOf200);

// The whole tab: each position counted, its row worded, the totals, the currencies and the
// limits' room.
TForm1 BookForm() {
  DecimalMark = '.';
  TForm1 form;
  form.TableRates = TheMarket();
  form.Broker = kBroker;
  form.Prop = PropLimits{100000, 100000, 0, 5, 10, false};
  for (const TradeRequest& r : Positions()) {
    const double away = r.stopPoints * r.instrument.pointSize;
    form.BookKept.positions.push_back(BookPosition{r.instrument.symbol,
                                                   r.buying,
                                                   r.lots,
                                                   r.bid,
                                                   r.buying ? r.bid - away : r.bid + away,
                                                   std::nullopt,
                                                   false,
                                                   {}});
  }
  form.Edit_BookBalance.text = "100000";
  form.ComboBox_BookLeverage.text = "100";
  return form;
}

void BM_ShowBook200(benchmark::State& state) {
  TForm1 form = BookForm();
  for (auto _ : state) {
    form.ShowBook();
    benchmark::DoNotOptimize(form.BookLoss.caption.data());
  }
}
BENCHMARK(BM_ShowBook200);

template <typename Run>
double MicrosecondsPerRun(int runs, const Run& run) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < runs; ++i) run();
  const std::chrono::duration<double, std::micro> elapsed =
      std::chrono::steady_clock::now() - start;
  return elapsed.count() / runs;
}

// A plain line for the log: the means of many runs.
void PrintTimePerRun() {
  constexpr int kRuns = 2000;
  const std::vector<TradeRequest> positions = Positions();
  const AccountRates rates = Dollars();
  double sink = 0;
  const double book = MicrosecondsPerRun(
      kRuns, [&] { sink += FiguresOfBook(positions, 100000, kBroker, rates).margin; });
  const double single = MicrosecondsPerRun(kRuns, [&] {
    for (const TradeRequest& position : positions) {
      sink += FiguresOf(position, kBroker, rates).margin;
    }
  });
  TForm1 form = BookForm();
  const double tab = MicrosecondsPerRun(kRuns / 10, [&] { form.ShowBook(); });
  std::printf(
      "book of 200 positions: %.2f us, 200 single FiguresOf: %.2f us, the tab's whole "
      "recalculation: %.2f us (%g)\n",
      book, single, tab, sink > 0 ? 1.0 : 0.0);
}

}  // namespace
}  // namespace tiramon

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  tiramon::PrintTimePerRun();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
