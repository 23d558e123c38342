// What the currencies of the quote table are worth, read once from its rows: the dollar value of
// every currency that a row quotes against the dollar, and from it the account rates a trade is
// counted at. The quote table, the assistant and the book take their rates from here.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/trade.h"

namespace tiramon {

class DollarRates {
 public:
  // Takes a row's bid when the row quotes a currency against the dollar (EUR/USD, USD/JPY,
  // XAU/USD); a later row of the same pair replaces an earlier one. Other rows change nothing.
  void Add(std::string_view symbol, long double bid);
  void Clear() { rates_.clear(); }

  // Dollars one unit is worth, and units one dollar buys; the dollar itself is 1 either way.
  // A currency quoted per dollar is worth 1 ÷ its bid; francs and Canadian dollars are read the
  // way a CHF/USD or CAD/USD quote would show it, 1 ÷ the bid rounded half up to five decimals.
  std::optional<long double> DollarsPer(std::string_view currency) const;
  std::optional<long double> PerDollar(std::string_view currency) const;

 private:
  struct Rate {
    std::string currency;
    long double dollarsPer = 0, perDollar = 0;
  };
  std::vector<Rate> rates_;
};

// The instrument of a symbol: the trader's own contract when he has given one, otherwise the
// one the program knows.
std::optional<Instrument> InstrumentFor(const std::vector<Instrument>& own,
                                        std::string_view symbol);

// What a unit of `currency` is worth in the account's currency at these rates: 1 for the
// account's own, through the dollar for any other; nothing when a rate is missing.
std::optional<long double> InAccountCurrency(const DollarRates& rates, std::string_view account,
                                             std::string_view currency);

// The rates one trade is counted at. The quote currency of a pair whose base has a rate is valued
// through the pair's own price, as a terminal does (a yen of USD/JPY bought at 150.02 is
// 1 ÷ 150.02 dollars, a pound of EUR/GBP is the euro's dollars ÷ the EUR/GBP price); the dollar
// and the account's own currency are valued directly, and so is everything else.
AccountRates RatesForTrade(const DollarRates& rates, std::string account,
                           const Instrument& instrument, double entry);

}  // namespace tiramon
