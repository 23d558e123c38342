// The trader's book: every open and planned trade at once, counted by the trade engine. What all
// of them lose if every stop is hit, the margin they hold together, the net position they make in
// each currency, and how much room a prop firm's loss limits leave for the next trade.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/trade.h"

namespace tiramon {

struct BookFigures {
  double lossAtStops = 0;  // every stop hit, commissions included; infinity when one has no stop
  double margin = 0;
  double freeMargin = 0;                     // deposit − margin
  std::optional<double> marginLevelAtStops;  // (deposit − lossAtStops) ÷ margin × 100
  std::map<std::string, double> exposure;    // currency (or the symbol of a base that is none)
                                             // → net position in the account's money, long +
};

// Each position is a TradeRequest whose bid and ask are its open price and whose lots are set;
// `deposit` is the account's balance. Throws TradeError for a position the engine cannot count.
BookFigures FiguresOfBook(const std::vector<TradeRequest>& positions, double deposit,
                          const BrokerConditions&, const AccountRates&);

// The same sums of trades the engine has already counted, for a caller that shows each
// position's own figures too and would otherwise count every one twice.
BookFigures SumOfBook(const std::vector<PricedTrade>& trades, double deposit,
                      const AccountRates& rates);

// A net currency position as the book lists them, with what a 1 % move of that currency against
// the book costs: 1 % of the position's value.
struct CurrencyPosition {
  std::string currency;
  double net = 0;
  double lossAtOnePercent = 0;
};
// The exposure largest first (by size, whichever the sign); ties in the order of the names.
std::vector<CurrencyPosition> LargestFirst(const std::map<std::string, double>& exposure);

// What a counted trade would bring if closed at these prices now: a buy closes at the bid, a sell
// at the ask; commission included. Throws TradeError without a rate for its quote currency.
double ResultAt(const PricedTrade& trade, double bid, double ask, const AccountRates& rates);

struct PropLimits {
  double startBalance = 0, dayStartBalance = 0, highestBalance = 0;
  double dailyLossPercent = 0;  // of startBalance; 0: none
  double maxLossPercent = 0;    // of startBalance; 0: none
  bool trailing = false;        // the maximum loss counts down from highestBalance
  friend bool operator==(const PropLimits&, const PropLimits&) = default;
};

// Whether any loss limit is set: without one there is nothing to keep the book under.
bool LimitsSet(const PropLimits& limits);

// The equity a limit must stay above, as the window names the limit.
struct LimitFloor {
  std::string name;
  double floor = 0;
};
// The floors of the limits set, the daily one first: daily — dayStartBalance − dailyLossPercent %
// of startBalance; maximum — startBalance (highestBalance when trailing) − maxLossPercent % of
// startBalance.
std::vector<LimitFloor> FloorsOf(const PropLimits& limits);

// The name the window gives the trader's own risk when it is what limits the lot.
inline constexpr const char* kOwnRiskLimit = "ваш риск на сделку";

struct Headroom {
  double money = 0;     // what `next` may lose at its stop without breaching a limit
  double maxLots = 0;   // the largest lot of `next` within it and its own risk percent
  std::string binding;  // the limit that binds, as the window names it
};
// The floors as FloorsOf gives them; the equity if every stop of the book and of `next` is hit
// must stay above each. `money` is never below 0 and is infinity with no limit set; `maxLots` is
// rounded down to the broker's lot step, 0 for a `next` without a stop (its loss has no bound),
// infinity when nothing limits it. Throws TradeError for a trade the engine cannot count.
Headroom HeadroomFor(const std::vector<TradeRequest>& book, double balance,
                     const TradeRequest& next, const PropLimits&, const BrokerConditions&,
                     const AccountRates&);

}  // namespace tiramon
