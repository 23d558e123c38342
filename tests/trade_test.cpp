// The trade engine as data: one row per trade, its inputs and the figures trading arithmetic
// gives for them, worked out by hand beside the row. Then a sweep over every pair of the demo
// feed, three account currencies, commission, both directions, lots and risk mode.
#include "app/trade.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "app/market.h"
#include "tools/quote_feed/quote_book.h"

namespace tiramon {
namespace {

// The market every row counts at: the dollar pairs' bids.
DollarRates Market() {
  DollarRates rates;
  for (const auto& [symbol, bid] : std::vector<std::pair<const char*, long double>>{
           {"EUR/USD", 1.1L},
           {"GBP/USD", 1.25L},
           {"AUD/USD", 0.65L},
           {"USD/JPY", 150},
           {"USD/CHF", 0.9L},
           {"USD/RUB", 92.5L},
       }) {
    rates.Add(symbol, bid);
  }
  return rates;
}

Instrument Index(const char* symbol, const char* quote, double point, double marginPercent) {
  return Instrument{symbol, "", quote, 1, point, marginPercent};
}

struct Row {
  const char* what;
  TradeRequest request;
  BrokerConditions broker;
  // Expected: lots, margin, point value, loss at the stop, profit at the take, stop and take
  // levels; the stop-out price, 0 for none.
  double lots, margin, point, loss, profit, stopLevel, takeLevel, stopOut;
};

TradeRequest Trade(const char* symbol, bool buying, double bid, double ask, double deposit,
                   double leverage, double lots, double stop, double take) {
  TradeRequest request;
  request.instrument = *KnownInstrument(symbol);
  request.buying = buying;
  request.bid = bid;
  request.ask = ask;
  request.deposit = deposit;
  request.leverage = leverage;
  request.lots = lots;
  request.stopPoints = stop;
  request.takePoints = take;
  return request;
}

TradeRequest Risk(TradeRequest request, double percent, bool byMargin = false) {
  request.lots = 0;
  request.riskPercent = percent;
  request.sizeByMargin = byMargin;
  return request;
}

TradeRequest On(Instrument instrument, TradeRequest request) {
  request.instrument = std::move(instrument);
  return request;
}

BrokerConditions Account(const char* currency, double commission = 0, double step = 0,
                         double stopOut = 0) {
  return BrokerConditions{currency, commission, step, 0, 0, stopOut};
}

void CheckRows(const std::vector<Row>& rows) {
  const DollarRates market = Market();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const TradeRequest& r = row.request;
    const double entry = r.buying ? r.ask : r.bid;
    const TradeFigures f = FiguresOf(
        r, row.broker, RatesForTrade(market, row.broker.accountCurrency, r.instrument, entry));
    const auto near = [](double expected) { return 1e-9 * std::max(1.0, std::fabs(expected)); };
    EXPECT_NEAR(f.lots, row.lots, 1e-12);
    EXPECT_NEAR(f.entry, entry, 0);
    EXPECT_NEAR(f.margin, row.margin, near(row.margin));
    EXPECT_NEAR(f.pointValue, row.point, near(row.point));
    EXPECT_NEAR(f.lossAtStop, row.loss, near(row.loss));
    EXPECT_NEAR(f.profitAtTake, row.profit, near(row.profit));
    EXPECT_NEAR(f.stopLevel, row.stopLevel, 1e-12);
    EXPECT_NEAR(f.takeLevel, row.takeLevel, 1e-12);
    EXPECT_EQ(f.stopOutPrice.has_value(), row.stopOut != 0);
    if (f.stopOutPrice) {
      EXPECT_NEAR(*f.stopOutPrice, row.stopOut, 1e-12);
    }
  }
}

TEST(TradeEngine, FiguresOfOneTrade) {
  const BrokerConditions usd = Account("USD");
  CheckRows({
      // 0.1 × 100000 × 1.1002 ÷ 500; a point 0.1 × 100000 × 0.00001 = $0.1; 1.1002 ∓ 0.0015.
      {"EUR/USD bought", Trade("EUR/USD", true, 1.1, 1.1002, 100, 500, 0.1, 150, 500), usd, 0.1,
       22.004, 0.1, 15, 50, 1.0987, 1.1052, 0},
      {"EUR/USD sold at the bid", Trade("EUR/USD", false, 1.1, 1.1002, 100, 500, 0.1, 150, 500),
       usd, 0.1, 22, 0.1, 15, 50, 1.1015, 1.095, 0},
      // A yen point of a micro lot: 0.01 × 100000 × 0.001 ¥ = ¥1 = 1 ÷ 150 $; 150 points $1.
      {"USD/JPY micro lot", Trade("USD/JPY", true, 150, 150, 100, 500, 0.01, 150, 500), usd, 0.01,
       2, 1 / 150.0, 1, 500 / 150.0, 149.85, 150.5, 0},
      // 0.01 × 100000 × 0.00001 = 0.01 franc a point, ÷ 0.9 = $0.0111; 150 points $1.67.
      {"USD/CHF micro lot", Trade("USD/CHF", true, 0.9, 0.9, 100, 500, 0.01, 150, 0), usd, 0.01, 2,
       0.01 / 0.9, 1.5 / 0.9, 0, 0.8985, 0.9, 0},
      // NZ$0.01 a point is worth the Australian dollar's $0.65 ÷ 1.06: 150 points $0.92.
      {"AUD/NZD through its base", Trade("AUD/NZD", true, 1.06, 1.06, 100, 500, 0.01, 150, 0), usd,
       0.01, 1000 * 0.65 / 500, 0.01 * 0.65 / 1.06, 1.5 * 0.65 / 1.06, 0, 1.0585, 1.06, 0},
      // Seven dollars a lot, round turn: 150 + 7 lost, 500 − 7 won.
      {"commission", Trade("EUR/USD", true, 1.1, 1.1, 1000, 100, 1, 150, 500), Account("USD", 7), 1,
       1100, 1, 157, 493, 1.0985, 1.105, 0},
      // A euro account: a dollar is 1 ÷ 1.1 euro.
      {"euro account", Trade("EUR/USD", true, 1.1, 1.1002, 1000, 500, 0.1, 150, 500),
       Account("EUR"), 0.1, 22.004 / 1.1, 0.1 / 1.1, 15 / 1.1, 50 / 1.1, 1.0987, 1.1052, 0},
      // A rouble account trading roubles: a point of a lot is exactly 100 roubles.
      {"rouble account, USD/RUB", Trade("USD/RUB", true, 92.5, 92.6, 100000, 500, 0.1, 150, 500),
       Account("RUB"), 0.1, 10000 * 92.6 / 500, 10, 1500, 5000, 92.45, 93.1, 0},
      // 2 % of $100 over 400 points: $2 ÷ $400 a lot = 0.005, down to 0.01 is nothing.
      {"risk below the smallest lot",
       Risk(Trade("EUR/USD", true, 1.1, 1.1, 100, 500, 0, 400, 0), 2), usd, 0, 0, 0, 0, 0, 1.096,
       1.1, 0},
      // 5 % of $1000 = $50 over (150 points + $7) a lot = 0.3184…, down to the step 0.318.
      {"risk with a fine step and commission",
       Risk(Trade("EUR/USD", true, 1.1, 1.1, 1000, 100, 0, 150, 500), 5), Account("USD", 7, 0.001),
       0.318, 0.318 * 1100, 0.318, 0.318 * 157, 0.318 * 493, 1.0985, 1.105, 0},
      // 5 % of $100 = $5 of margin at 108500 ÷ 500 = $217 a lot: 0.023, down to 0.02.
      {"risk by the margin",
       Risk(Trade("EUR/USD", true, 1.085, 1.085, 100, 500, 0, 150, 0), 5, true), usd, 0.02, 4.34,
       0.02, 3, 0, 1.0835, 1.085, 0},
      // Stop-out 50 % of the $20 margin: $90 to lose at $0.11346 a point is 793.2 points, so the
      // whole point 793 at 0.88135 − 0.00793.
      {"stop-out", Trade("USD/CHF", true, 0.88115, 0.88135, 100, 500, 0.1, 800, 0),
       Account("USD", 0, 0, 50), 0.1, 20, 0.1 / 0.88135, 80 / 0.88135, 0, 0.87335, 0.88135,
       0.87342},
      // Gold: 0.1 × 100 oz × 4146.26 ÷ 100; a point of 0.01 is 0.1 × 100 × 0.01 = $0.10.
      {"gold", Trade("XAU/USD", true, 4146.26, 4146.26, 1000, 100, 0.1, 500, 0), usd, 0.1, 414.626,
       0.1, 50, 0, 4141.26, 4146.26, 0},
      // Silver: 5000 oz a lot, a point of 0.001: 0.1 × 5000 × 0.001 = $0.50.
      {"silver", Trade("XAG/USD", true, 30.5, 30.5, 1000, 100, 0.1, 100, 0), usd, 0.1, 152.5, 0.5,
       50, 0, 30.4, 30.5, 0},
      // An index in euros in a dollar account: 18000 € × 1.1 = $19800, 5 % of it; a point of 0.1
      // of one contract is 0.1 € = $0.11.
      {"euro index",
       On(Index("DE40", "EUR", 0.1, 5), Trade("EUR/USD", true, 18000, 18000, 5000, 500, 1, 300, 0)),
       usd, 1, 990, 0.11, 33, 0, 17970, 18000, 0},
      // A yen index in a rouble account: a yen is 92.5 ÷ 150 roubles.
      {"yen index",
       On(Index("JP225", "JPY", 1, 5),
          Trade("USD/JPY", false, 38000, 38010, 100000, 500, 1, 100, 0)),
       Account("RUB"), 1, 38000 * 92.5 / 150 * 0.05, 92.5 / 150, 100 * 92.5 / 150, 0, 38100, 38000,
       0},
  });
}

TEST(TradeEngine, TradesThatCannotBeValuedSayWhy) {
  const DollarRates market = Market();
  const struct {
    const char* what;
    TradeRequest request;
    TradeField field;
  } rows[] = {
      {"no dollar rate of either currency", Trade("SGD/MXN", true, 13, 13, 100, 500, 0.1, 150, 0),
       TradeField::Rate},
      {"no price to buy at", Trade("EUR/USD", true, 1.1, 0, 100, 500, 0.1, 150, 0),
       TradeField::Price},
      {"no deposit", Trade("EUR/USD", true, 1.1, 1.1, 0, 500, 0.1, 150, 0), TradeField::Deposit},
      {"leverage 0", Trade("EUR/USD", true, 1.1, 1.1, 100, 0, 0.1, 150, 0), TradeField::Leverage},
      {"leverage beyond reason", Trade("EUR/USD", true, 1.1, 1.1, 100, 20000, 0.1, 150, 0),
       TradeField::Leverage},
      {"a negative lot", Trade("EUR/USD", true, 1.1, 1.1, 100, 500, -5, 150, 0), TradeField::Lots},
      {"a lot beyond reason", Trade("EUR/USD", true, 1.1, 1.1, 100, 500, 1e6, 150, 0),
       TradeField::Lots},
      {"neither a lot nor a risk", Trade("EUR/USD", true, 1.1, 1.1, 100, 500, 0, 150, 0),
       TradeField::Risk},
      {"a risk without a stop", Risk(Trade("EUR/USD", true, 1.1, 1.1, 100, 500, 0, 0, 0), 2),
       TradeField::Stop},
      {"a negative stop", Trade("EUR/USD", true, 1.1, 1.1, 100, 500, 0.1, -5, 0), TradeField::Stop},
      {"a take profit that is not a number",
       Trade("EUR/USD", true, 1.1, 1.1, 100, 500, 0.1, 150, std::nan("")), TradeField::Take},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    try {
      FiguresOf(row.request, Account("USD"),
                RatesForTrade(market, "USD", row.request.instrument, row.request.ask));
      ADD_FAILURE() << "no error";
    } catch (const TradeError& e) {
      EXPECT_EQ(e.field(), row.field) << e.what();
      EXPECT_GT(std::string(e.what()).size(), 20u) << e.what();
    }
  }
}

TEST(TradeEngine, KnownInstrumentsAndTheirDecimals) {
  EXPECT_EQ(*KnownInstrument("XAU/USD"), (Instrument{"XAU/USD", "XAU", "USD", 100, 0.01, 0}));
  EXPECT_EQ(*KnownInstrument("XAG/USD"), (Instrument{"XAG/USD", "XAG", "USD", 5000, 0.001, 0}));
  EXPECT_EQ(*KnownInstrument("USD/JPY"), (Instrument{"USD/JPY", "USD", "JPY", 100000, 0.001, 0}));
  EXPECT_EQ(KnownInstrument("EUR/RUB")->pointSize, 0.001);
  EXPECT_EQ(KnownInstrument("GBP/CHF")->pointSize, 0.00001);
  for (const char* unknown : {"eur/usd", "EURUSD", "USDX", "OLD/ROW", "USD/USD", "EUR/USD mini"}) {
    EXPECT_FALSE(KnownInstrument(unknown).has_value()) << unknown;
  }
  EXPECT_EQ(PriceDecimals(*KnownInstrument("EUR/USD")), 5);
  EXPECT_EQ(PriceDecimals(*KnownInstrument("USD/JPY")), 3);
  EXPECT_EQ(PriceDecimals(*KnownInstrument("XAU/USD")), 2);
  EXPECT_EQ(PriceDecimals(Index("US500", "USD", 0.25, 5)), 2);
  EXPECT_EQ(PriceDecimals(Index("JP225", "JPY", 1, 5)), 0);
}

// Every pair of the demo feed, in three account currencies, with and without a commission,
// bought and sold, by lot and by risk: the loss at the stop is the points × point size × contract
// × lots in the account's money, plus the commission; the stop lies that many points from the
// entry on the losing side; a lot from the risk loses no more than the risk, one step more would.
TEST(TradeEngine, EveryDemoPairAgainstTradingArithmetic) {
  feed::QuoteBook book(7);
  book.Step();
  DollarRates market;
  struct Quote {
    std::string symbol;
    long double bid, ask;
  };
  std::vector<Quote> quotes;
  for (const feed::Quote& q : book.quotes()) {
    const long double bid = std::stold(feed::QuoteBook::FormatPrice(q.bid, q.digits));
    const long double ask = std::stold(feed::QuoteBook::FormatPrice(q.bid + q.spread, q.digits));
    market.Add(q.name, bid);
    quotes.push_back({q.name, bid, ask});
  }
  int counted = 0;
  for (const char* account : {"USD", "EUR", "RUB"}) {
    // The account's money per dollar, from the table's own pairs.
    const long double perDollar = std::string(account) == "USD" ? 1
                                  : std::string(account) == "EUR"
                                      ? 1 / market.DollarsPer("EUR").value()
                                      : *market.PerDollar("RUB");
    for (const double commission : {0.0, 7.0}) {
      for (const Quote& q : quotes) {
        const Instrument instrument = *KnownInstrument(q.symbol);
        for (const bool buying : {true, false}) {
          SCOPED_TRACE(q.symbol + " " + account + (buying ? " bought" : " sold") +
                       (commission > 0 ? " with commission" : ""));
          const long double entry = buying ? q.ask : q.bid;
          // A unit of the quote currency in the account's money: the account's own is 1, the
          // dollar is its rate, any other currency is the base's worth ÷ the pair's price.
          long double quoteRate = 0;
          if (instrument.quoteCurrency == account) {
            quoteRate = 1;
          } else if (instrument.quoteCurrency == "USD") {
            quoteRate = perDollar;
          } else if (instrument.baseCurrency == account) {
            quoteRate = 1 / entry;
          } else if (const auto base = market.DollarsPer(instrument.baseCurrency)) {
            quoteRate = *base * perDollar / entry;
          } else {
            continue;
          }
          TradeRequest request = Trade(q.symbol.c_str(), buying, static_cast<double>(q.bid),
                                       static_cast<double>(q.ask), 10000, 100, 0.37, 150, 500);
          const BrokerConditions broker = Account(account, commission, 0.01);
          const AccountRates rates =
              RatesForTrade(market, account, instrument, static_cast<double>(entry));
          const TradeFigures f = FiguresOf(request, broker, rates);
          const long double onePointOfLot = 100000 * instrument.pointSize * quoteRate;
          EXPECT_NEAR(f.lossAtStop, 150 * onePointOfLot * 0.37 + commission * 0.37, 0.005);
          EXPECT_NEAR(f.profitAtTake, 500 * onePointOfLot * 0.37 - commission * 0.37, 0.005);
          const long double side = buying ? -1 : 1;
          EXPECT_NEAR(f.stopLevel, entry + side * 150 * instrument.pointSize, 1e-9);
          EXPECT_NEAR(f.takeLevel, entry - side * 500 * instrument.pointSize, 1e-9);

          request = Risk(request, 3);
          const TradeFigures risk = FiguresOf(request, broker, rates);
          const long double money = 300;  // 3 % of 10000
          const long double perLot = 150 * onePointOfLot + commission;
          // Within the binary digits a decimal lot cannot be written in exactly.
          EXPECT_LE(risk.lossAtStop, money * (1 + 1e-12L)) << risk.lots;
          EXPECT_GT((risk.lots + 0.01) * perLot, money) << risk.lots;
          EXPECT_NEAR(risk.lots * 100, std::round(risk.lots * 100), 1e-9);
          ++counted;
        }
      }
    }
  }
  EXPECT_GE(counted, 3 * 2 * 25 * 2);
}

}  // namespace
}  // namespace tiramon
