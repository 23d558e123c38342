// Dollar values of currencies from a book of quotes, written from the definitions the trading
// tests check the program against: a base is valued at its dollar pair's bid, francs and
// Canadian dollars at 1 ÷ the USD/CHF or USD/CAD bid rounded half up to five decimals.
#pragma once

#include <cmath>
#include <map>
#include <optional>
#include <string>

namespace tiramon::testing {

struct Prices {
  long double bid, ask;
};
using Book = std::map<std::string, Prices>;

inline long double FiveDecimalsHalfUp(long double x) {
  return std::floor(x * 100000 + 0.5L) / 100000;
}

// Dollars per unit of a base currency, as the margin and a cross's point value count it; nullopt
// for a base the program keeps no dollar rate of (SGD).
inline std::optional<long double> BaseInDollars(const Book& book, const std::string& base,
                                                long double entry, const std::string& pair) {
  if (base == "USD") return 1.0L;
  if (pair == base + "/USD") return entry;  // the pair's own price
  if (base == "CHF" || base == "CAD") return FiveDecimalsHalfUp(1 / book.at("USD/" + base).bid);
  if (base == "EUR" || base == "GBP" || base == "AUD" || base == "NZD") {
    return book.at(base + "/USD").bid;
  }
  return std::nullopt;
}

}  // namespace tiramon::testing
