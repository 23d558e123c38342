// The book's sums and the room under a prop firm's limits, against arithmetic written beside each
// row. Every row counts at one market: EUR/USD 1.1, GBP/USD 1.25, USD/JPY 150, a dollar account.
#include "app/book.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "app/market.h"

namespace tiramon {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

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

// A position of the book: `lots` at `open`, the stop and take in points (0: none).
TradeRequest Position(const char* symbol, bool buying, double lots, double open, double stop,
                      double take = 0, double deposit = 10000) {
  TradeRequest r;
  r.instrument = *KnownInstrument(symbol);
  r.buying = buying;
  r.bid = r.ask = open;
  r.deposit = deposit;
  r.leverage = 100;
  r.lots = lots;
  r.stopPoints = stop;
  r.takePoints = take;
  return r;
}

// A: EUR/USD bought 1 lot at 1.1, 500 points of 1 $: loses 500, margin 110000 ÷ 100 = 1100.
// B: GBP/USD sold 0.5 at 1.25, 1000 points of 0.5 $: 500, margin 62500 ÷ 100 = 625.
// C: USD/JPY bought 0.2 at 150, 1000 points of 0.2 × 100 ¥ = 20 ¥ = 2/15 $: 133.33, margin
//    20000 $ ÷ 100 = 200.
// D: EUR/USD sold 1 at 1.1, 500 points: 500, margin 1100; its euros cancel A's.
std::vector<TradeRequest> FourPositions() {
  return {Position("EUR/USD", true, 1, 1.1, 500, 1000), Position("GBP/USD", false, 0.5, 1.25, 1000),
          Position("USD/JPY", true, 0.2, 150, 1000), Position("EUR/USD", false, 1, 1.1, 500)};
}

TEST(Book, FiguresOfSeveralPositions) {
  struct Row {
    const char* what;
    std::vector<TradeRequest> positions;
    double deposit, commission;
    double loss, margin;
    std::optional<double> levelAtStops;
  };
  std::vector<TradeRequest> withoutStop = FourPositions();
  withoutStop.push_back(Position("EUR/USD", true, 0.1, 1.1, 0));
  const Row rows[] = {
      // 500 + 500 + 133.333 + 500; 1100 + 625 + 200 + 1100; (10000 − 1633.333) ÷ 3025 × 100.
      {"four", FourPositions(), 10000, 0, 1633.3333333333333, 3025, 8366.6666666666667 / 30.25},
      // Commission 7 a lot on 1 + 0.5 + 0.2 + 1 lots adds 18.9: (3000 − 1652.2333) ÷ 30.25.
      {"with commission", FourPositions(), 3000, 7, 1652.2333333333333, 3025,
       1347.7666666666667 / 30.25},
      // A fifth position without a stop leaves the loss without a bound; its margin 110.
      {"one without a stop", withoutStop, 10000, 0, kInf, 3135, std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const BrokerConditions broker{"USD", row.commission, 0, 0, 0, 50};
    const BookFigures f = FiguresOfBook(row.positions, row.deposit, broker, Dollars());
    if (std::isinf(row.loss)) {
      EXPECT_EQ(f.lossAtStops, row.loss);
    } else {
      EXPECT_NEAR(f.lossAtStops, row.loss, 1e-9);
    }
    EXPECT_NEAR(f.margin, row.margin, 1e-9);
    EXPECT_NEAR(f.freeMargin, row.deposit - row.margin, 1e-9);
    ASSERT_EQ(f.marginLevelAtStops.has_value(), row.levelAtStops.has_value());
    if (row.levelAtStops) {
      EXPECT_NEAR(*f.marginLevelAtStops, *row.levelAtStops, 1e-9);
    }
  }
}

TEST(Book, NetPositionsPerCurrencyLargestFirst) {
  // Euros: +110000 (A) − 110000 (D) = 0. Dollars: −110000 (A) + 62500 (B sold pounds for them)
  // + 20000 (C bought them with yen) + 110000 (D) = 82500. Pounds −62500; yen −3000000 ¥ = −20000.
  const BookFigures f = FiguresOfBook(FourPositions(), 10000, BrokerConditions{}, Dollars());
  const std::vector<CurrencyPosition> list = LargestFirst(f.exposure);
  ASSERT_EQ(list.size(), 4u);
  const std::vector<std::pair<std::string, double>> expected = {
      {"USD", 82500}, {"GBP", -62500}, {"JPY", -20000}, {"EUR", 0}};
  for (std::size_t i = 0; i < list.size(); ++i) {
    EXPECT_EQ(list[i].currency, expected[i].first);
    EXPECT_NEAR(list[i].net, expected[i].second, 1e-6);
    EXPECT_NEAR(list[i].lossAtOnePercent, std::fabs(expected[i].second) / 100, 1e-8);
  }
  // An index has no base currency: it counts under its own symbol, at its price in its quote.
  const Instrument index{"US500", "", "USD", 1, 0.01, 5};
  TradeRequest us500 = Position("EUR/USD", true, 2, 5000, 100);
  us500.instrument = index;
  const BookFigures indexFigures = FiguresOfBook({us500}, 10000, BrokerConditions{}, Dollars());
  EXPECT_NEAR(indexFigures.exposure.at("US500"), 10000, 1e-9);  // 2 × 1 × 5000
  EXPECT_NEAR(indexFigures.exposure.at("USD"), -10000, 1e-9);
}

TEST(Book, ResultNowClosesABuyAtTheBidAndASellAtTheAsk) {
  const BrokerConditions broker{"USD", 7, 0, 0, 0, 0};
  // 0.1 lot at 1.1 with 0.7 of commission, the table at 1.104 / 1.1042: bought, sold at the bid,
  // 0.004 × 10000 − 0.7 = 39.3; sold, bought back at the ask, −0.0042 × 10000 − 0.7 = −42.7.
  for (const auto& [buying, expected] : {std::pair{true, 39.3}, std::pair{false, -42.7}}) {
    const TradeRequest r = Position("EUR/USD", buying, 0.1, 1.1, 150);
    const PricedTrade trade{r, FiguresOf(r, broker, Dollars())};
    EXPECT_NEAR(ResultAt(trade, 1.104, 1.1042, Dollars()), expected, 1e-9);
  }
}

TEST(Book, HeadroomUnderTheLimits) {
  // Start 100000, a daily limit of 5 % (5000) and a maximum of 10 % (10000). The book holds A'
  // (EUR/USD 1 lot, 500 points: 500 $); the next trade is EUR/USD with a stop of 500 points,
  // 500 $ a lot, lot step 0.01 unless the row says otherwise.
  struct Row {
    const char* what;
    double balance, dayStart, highest;
    bool trailing;
    double nextStop, riskPercent, step, commission;
    bool bookStopless;
    double money, maxLots;
    const char* binding;
  };
  const Row rows[] = {
      // Daily floor 100000 − 5000 = 95000, maximum 90000; equity at stops 99000 − 500 = 98500:
      // 3500 to the daily floor, 3500 ÷ 500 = 7 lots.
      {"daily binds", 99000, 100000, 0, false, 500, 0, 0.01, 0, false, 3500, 7,
       "дневной лимит убытка"},
      // Daily 92500 − 5000 = 87500, maximum 90000; equity 91500: 1500, 3 lots.
      {"maximum binds", 92000, 92500, 0, false, 500, 0, 0.01, 0, false, 1500, 3,
       "максимальный убыток"},
      // Trailing from 106000: maximum floor 96000, daily 99500 − 5000 = 94500; equity 96500: 500.
      {"trailing", 97000, 99500, 106000, true, 500, 0, 0.01, 0, false, 500, 1,
       "максимальный убыток"},
      // The same without trailing: the maximum floor is 90000, the daily 94500 binds with 2000.
      {"not trailing", 97000, 99500, 106000, false, 500, 0, 0.01, 0, false, 2000, 4,
       "дневной лимит убытка"},
      // Equity 95400 − 500 = 94900 is below the daily floor 95000 already: no room at all.
      {"no room left", 95400, 100000, 0, false, 500, 0, 0.01, 0, false, 0, 0,
       "дневной лимит убытка"},
      // 3500 ÷ (300 + 7 commission) = 11.40065: 11.4 lots at step 0.01 (11.4 × 307 = 3499.8),
      // 11.4 at 0.1, 11 at 1. The book's own loss is 500 + 7.
      {"step 0.01", 99007, 100000, 0, false, 300, 0, 0.01, 7, false, 3500, 11.4,
       "дневной лимит убытка"},
      {"step 1", 99007, 100000, 0, false, 300, 0, 1, 7, false, 3500, 11, "дневной лимит убытка"},
      // 3500 ÷ 300 = 11.67 at step 0.01 rounds down to 11.66.
      {"step down", 99000, 100000, 0, false, 300, 0, 0.01, 0, false, 3500, 11.66,
       "дневной лимит убытка"},
      // 1 % of 99000 is 990: 1.98 lots, fewer than the limit's 7.
      {"own risk binds", 99000, 100000, 0, false, 500, 1, 0.01, 0, false, 3500, 1.98,
       kOwnRiskLimit},
      // A next trade without a stop may lose anything: no lot fits.
      {"next without a stop", 99000, 100000, 0, false, 0, 0, 0.01, 0, false, 3500, 0,
       "дневной лимит убытка"},
      // A position of the book without a stop leaves no room under any limit.
      {"book without a stop", 99000, 100000, 0, false, 500, 0, 0.01, 0, true, 0, 0,
       "дневной лимит убытка"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const PropLimits limits{100000, row.dayStart, row.highest, 5, 10, row.trailing};
    const BrokerConditions broker{"USD", row.commission, row.step, 0, 0, 0};
    const std::vector<TradeRequest> book = {
        Position("EUR/USD", true, 1, 1.1, row.bookStopless ? 0 : 500)};
    TradeRequest next = Position("EUR/USD", true, 0.1, 1.1, row.nextStop);
    next.riskPercent = row.riskPercent;
    const Headroom h = HeadroomFor(book, row.balance, next, limits, broker, Dollars());
    EXPECT_NEAR(h.money, row.money, 1e-6);
    EXPECT_NEAR(h.maxLots, row.maxLots, 1e-12);
    EXPECT_EQ(h.binding, row.binding);
  }
}

}  // namespace
}  // namespace tiramon
