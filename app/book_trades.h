// The window model's book as the trade engine counts it, for the book's tab and for the
// assistant's room under the limits alike: the rates, the table's prices and each position's
// figures, so both count the same book the same way.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/trade.h"
#include "app/unit1.h"

namespace tiramon {

// The rates the book is counted at: every currency at the quote table's one rate, so the money of
// all positions adds up and opposite positions in a currency cancel exactly, whatever prices they
// were opened at. (The assistant values one trade's quote currency through the pair's own entry
// price, as a terminal does at the opening; for a pair quoted in neither the dollar nor the
// account's currency the two differ by the distance between that price and the table's.)
AccountRates BookRates(const TForm1& form);

// The bid and ask of the quote table's row of this symbol; nothing when it has none.
struct TablePrices {
  double bid = 0, ask = 0;
};
std::optional<TablePrices> TablePricesOf(const TForm1& form, std::string_view symbol);

// One position of the book: the engine's figures, or why it cannot be counted.
struct CountedPosition {
  std::optional<PricedTrade> trade;
  std::string problem;
};
// Every position at this balance and leverage, in the book's order.
std::vector<CountedPosition> CountBook(const TForm1& form, double balance, double leverage);

}  // namespace tiramon
