// Cost of one assistant recalculation, which runs on every keystroke in its input boxes, beside
// the trade engine alone counting the same trade: what the recalculation adds is reading the
// boxes and writing the figures.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

#include "app/market.h"
#include "app/trade.h"
#include "app/unit1.h"
#include "support/numtext.h"

namespace tiramon {
namespace {

TForm1 PreparedForm(bool percentMode) {
  DecimalMark = '.';
  TForm1 form;
  form.ListView1.items.push_back(TListItem{"EUR/USD", {"1.1234", "1.1236", "0.0002"}});
  form.ListView1.items.push_back(TListItem{"EUR/GBP", {"0.8512", "0.8514", "0.0002"}});
  form.RefBid_EURUSD = "1.1234";
  form.TableRates.Add("EUR/USD", 1.1234L);
  form.ListView1.selectedIndex = 0;
  form.RadioButton11.checked = !percentMode;
  form.RadioButton9.checked = percentMode;
  return form;
}

void BM_RecalcLots(benchmark::State& state) {
  TForm1 form = PreparedForm(false);
  for (auto _ : state) {
    form.ListView1Click();
    benchmark::DoNotOptimize(form.Label_Profit.caption.data());
  }
}
BENCHMARK(BM_RecalcLots);

void BM_RecalcPercent(benchmark::State& state) {
  TForm1 form = PreparedForm(true);
  for (auto _ : state) {
    form.ListView1Click();
    benchmark::DoNotOptimize(form.Edit_ProcLot.text.data());
  }
}
BENCHMARK(BM_RecalcPercent);

void BM_RecalcCrossPercent(benchmark::State& state) {
  TForm1 form = PreparedForm(true);
  form.ListView1.selectedIndex = 1;
  for (auto _ : state) {
    form.ListView1Click();
    benchmark::DoNotOptimize(form.Punkt.caption.data());
  }
}
BENCHMARK(BM_RecalcCrossPercent);

// The trade of the lots-mode recalculation, counted by the engine alone.
struct EngineTrade {
  DollarRates rates;
  TradeRequest request;
  BrokerConditions broker;
  AccountRates accountRates;
  EngineTrade() {
    rates.Add("EUR/USD", 1.1234L);
    request.instrument = *KnownInstrument("EUR/GBP");
    request.bid = 0.8512;
    request.ask = 0.8514;
    request.deposit = 100;
    request.lots = 0.1;
    request.stopPoints = 150;
    request.takePoints = 500;
    accountRates = RatesForTrade(rates, "USD", request.instrument, request.ask);
  }
};

void BM_EngineOneTrade(benchmark::State& state) {
  const EngineTrade trade;
  for (auto _ : state) {
    const TradeFigures figures = FiguresOf(trade.request, trade.broker, trade.accountRates);
    benchmark::DoNotOptimize(figures.lossAtStop);
  }
}
BENCHMARK(BM_EngineOneTrade);

// A plain figure for the log: the mean of many runs in each mode, and of the engine alone.
void PrintTimePerRun() {
  {
    constexpr int kTrades = 1000000;
    const EngineTrade trade;
    double sink = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kTrades; ++i) {
      sink += FiguresOf(trade.request, trade.broker, trade.accountRates).lossAtStop;
    }
    const std::chrono::duration<double, std::micro> elapsed =
        std::chrono::steady_clock::now() - start;
    benchmark::DoNotOptimize(sink);
    std::printf("trade engine, one trade: %.3f us per trade\n", elapsed.count() / kTrades);
  }
  constexpr int kRuns = 20000;
  for (bool percentMode : {false, true}) {
    TForm1 form = PreparedForm(percentMode);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRuns; ++i) form.ListView1Click();
    const std::chrono::duration<double, std::micro> elapsed =
        std::chrono::steady_clock::now() - start;
    std::printf("recalculation, %s mode: %.2f us per run\n", percentMode ? "percent" : "lots",
                elapsed.count() / kRuns);
  }
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
