// The instruments the program knows by name: one table of currencies and one of metals, so the
// quote table, the assistant and the book take a pair's contract from the same place.
#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "app/trade.h"

namespace tiramon {
namespace {

// Currencies a retail account meets in a pair: those the two central banks publish rates of, and
// the few more that brokers quote against the dollar.
constexpr std::array<std::string_view, 38> kCurrencies = {
    "AED", "AUD", "BGN", "BRL", "CAD", "CHF", "CNH", "CNY", "CZK", "DKK", "EUR", "GBP", "HKD",
    "HUF", "IDR", "ILS", "INR", "ISK", "JPY", "KRW", "KZT", "MXN", "MYR", "NOK", "NZD", "PHP",
    "PLN", "RON", "RUB", "SAR", "SEK", "SGD", "THB", "TRY", "UAH", "USD", "ZAR", "CLP",
};

// Yen and rouble prices have three decimals, so their point is a thousandth.
constexpr std::array<std::string_view, 2> kThousandthQuotes = {"JPY", "RUB"};

struct Metal {
  std::string_view symbol, code;
  double ounces;
  double point;
};
constexpr std::array<Metal, 4> kMetals = {{
    {"XAU/USD", "XAU", 100, 0.01},
    {"XAG/USD", "XAG", 5000, 0.001},
    {"XPT/USD", "XPT", 100, 0.01},
    {"XPD/USD", "XPD", 100, 0.01},
}};

template <std::size_t N>
bool In(const std::array<std::string_view, N>& list, std::string_view code) {
  return std::find(list.begin(), list.end(), code) != list.end();
}

}  // namespace

std::optional<Instrument> KnownInstrument(std::string_view symbol) {
  for (const Metal& metal : kMetals) {
    if (symbol == metal.symbol) {
      return Instrument{
          std::string(symbol), std::string(metal.code), "USD", metal.ounces, metal.point, 0};
    }
  }
  if (symbol.size() != 7 || symbol[3] != '/') return std::nullopt;
  const std::string_view base = symbol.substr(0, 3);
  const std::string_view quote = symbol.substr(4);
  if (base == quote || !In(kCurrencies, base) || !In(kCurrencies, quote)) return std::nullopt;
  const double point = In(kThousandthQuotes, quote) ? 0.001 : 0.00001;
  return Instrument{std::string(symbol), std::string(base), std::string(quote), 100000, point, 0};
}

bool IsCurrencyPair(const Instrument& instrument) {
  return In(kCurrencies, instrument.baseCurrency) && In(kCurrencies, instrument.quoteCurrency);
}

int PriceDecimals(const Instrument& instrument) {
  // The usual points first: a power of ten.
  constexpr double kPowers[] = {1, 0.1, 0.01, 0.001, 0.0001, 0.00001, 0.000001, 0.0000001, 1e-8};
  for (int places = 0; places < 9; ++places) {
    if (instrument.pointSize == kPowers[places]) return places;
  }
  int decimals = 0;
  long double step = instrument.pointSize;
  // A point such as 0.25 has as many decimals as it takes to write it.
  while (decimals < 8 && std::fabs(step - std::nearbyint(step)) > 1e-9L * (1 + std::fabs(step))) {
    step *= 10;
    ++decimals;
  }
  return decimals;
}

}  // namespace tiramon
