// The trade engine: any trade as numbers. An instrument is known by its contract terms,
// the money is counted in the account's currency at the rates the caller gives, and nothing here
// reads or writes a text of the window, so the assistant, the book, the risk tab and the quote
// table all count a trade the same way.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/broker_conditions.h"
#include "support/errors.h"

namespace tiramon {

struct Instrument {
  std::string symbol;            // "EUR/USD"
  std::string baseCurrency;      // "EUR"; empty when the base is not a currency (an index)
  std::string quoteCurrency;     // "USD": prices, points and profits are in it
  double contractSize = 100000;  // units of the base per lot
  double pointSize = 0.00001;    // the price step one point stands for
  double marginPercent = 0;      // 0: margin = value ÷ leverage; otherwise this % of the value
  friend bool operator==(const Instrument&, const Instrument&) = default;
};

// The instruments the program knows without being told: every currency pair of two known
// currencies (a lot of 100000 units, a point of 0.001 for yen and rouble quotes, 0.00001
// otherwise) and the four metals quoted in dollars (gold, platinum and palladium 100 ounces a lot
// with a point of 0.01, silver 5000 ounces with a point of 0.001). Nothing for any other name.
std::optional<Instrument> KnownInstrument(std::string_view symbol);

// A pair of two currencies, as opposed to a metal, an index or any other instrument.
bool IsCurrencyPair(const Instrument& instrument);

// Decimals a price of the instrument is written with: those of its point (5 for EUR/USD, 3 for
// USD/JPY, 2 for gold), at most 8.
int PriceDecimals(const Instrument& instrument);

struct TradeRequest {
  Instrument instrument;
  bool buying = true;
  double bid = 0, ask = 0;  // the entry is the ask when buying, the bid when selling
  double deposit = 0;       // in the account's currency
  double leverage = 500;
  double lots = 0;         // > 0: this lot
  double riskPercent = 0;  // lots == 0: the lot whose loss at the stop is this % of the deposit
  double stopPoints = 0, takePoints = 0;  // 0: none
  // With lots == 0, trade the lot whose margin is riskPercent % of the deposit instead, as the
  // assistant's «расчет от маржи» does; the stop's lot is worked out beside it all the same.
  bool sizeByMargin = false;
};

// What one unit of a currency is worth in the account's currency; nothing when unknown. Kept in
// extended precision: a yen of USD/JPY at 150.02 is 1 ÷ 150.02, and a lot's value 150.02 × that
// must come out as the whole lot, or a margin of exactly the risk asked counts as a hair above it.
// A callable that returns std::optional<double> serves as well.
using AccountRates = std::function<std::optional<long double>(std::string_view currency)>;

struct TradeFigures {
  double lots = 0;               // traded; in risk mode rounded down to the broker's lot step
  double entry = 0, margin = 0;  // margin in the account's currency
  double pointValue = 0;         // account currency one point is worth at `lots`
  double lossAtStop = 0;         // commission included
  double profitAtTake = 0;       // net of commission
  double stopLevel = 0, takeLevel = 0;
  std::optional<double> stopOutPrice;  // with a stop-out level set

  double commission = 0;  // of `lots`, round turn
  // Risk mode: the lot whose margin is the risk money, and the one that loses it at the stop
  // (0 without a stop), each rounded down to the lot step (0.01 when the broker sets none).
  double lotsByMargin = 0, lotsByStop = 0;
  // Whole points from the entry to where the account is closed: the stop-out, or without a
  // stop-out level, where the equity is gone; infinity when the price cannot get there.
  double closeOutPoints = 0;
  std::optional<double> closeOutPrice;  // the price there, when there is one
};

// A trade with the figures the engine gave it.
struct PricedTrade {
  TradeRequest request;
  TradeFigures figures;
};

// Which input of a trade is unusable, so a caller can say which box is wrong.
enum class TradeField { Instrument, Price, Deposit, Leverage, Lots, Risk, Stop, Take, Rate };

// A trade that cannot be valued: what() is the Russian message, field names the input at fault.
class TradeError : public UserError {
 public:
  TradeError(TradeField field, const std::string& message) : UserError(message), field_(field) {}
  TradeField field() const { return field_; }

 private:
  TradeField field_;
};

// The largest values a trade is counted with; anything above is a typing slip, not a trade.
inline constexpr double kMaxLots = 100000;
inline constexpr double kMaxLeverage = 10000;
inline constexpr double kMaxPoints = 100000000;
inline constexpr double kMaxDeposit = 1e13;

// Throws TradeError with a Russian message when the trade cannot be valued (no rate, no price, an
// input out of its range).
TradeFigures FiguresOf(const TradeRequest&, const BrokerConditions&, const AccountRates&);

// One lot of the instrument at `entry`, in the account's money: what it is worth (its contract at
// the entry price) and what one point of it is worth. Throws TradeError without a price or a rate
// for the quote currency.
struct LotValues {
  long double value = 0, point = 0;
};
LotValues ValuesOfLot(const Instrument& instrument, double entry, const AccountRates& rates);

// The margin of `lots` lots worth `valueOfLot` each: the instrument's margin percentage of the
// value, or with none the value ÷ the leverage.
long double MarginOf(const Instrument& instrument, long double valueOfLot, long double lots,
                     double leverage);

// `lots` rounded down to the broker's lot step, or to 0.01 when it sets none: a computed lot never
// risks more than was asked.
double LotsDownToStep(double lots, const BrokerConditions& broker);

// A price `points` of the instrument's points away from `price`, the offset formed first.
double PointsFrom(double price, double points, const Instrument& instrument);

}  // namespace tiramon
