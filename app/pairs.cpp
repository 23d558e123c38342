#include "app/pairs.h"

#include <cstddef>

#include "support/numtext.h"

namespace tiramon::pairs {

namespace {

bool Has(std::string_view name, std::string_view part) {
  return name.find(part) != std::string_view::npos;
}

constexpr CrossBase kCrossBases[] = {
    {"EUR/", &TForm1::RefBid_EURUSD, false}, {"GBP/", &TForm1::RefBid_GBPUSD, false},
    {"AUD/", &TForm1::RefBid_AUDUSD, false}, {"NZD/", &TForm1::RefBid_NZDUSD, false},
    {"CHF/", &TForm1::RefBid_USDCHF, true},  {"CAD/", &TForm1::RefBid_USDCAD, true},
};

}  // namespace

bool QuotedInDollars(std::string_view name) { return Has(name, "/USD"); }
bool DollarBased(std::string_view name) { return Has(name, "USD/"); }
bool Cross(std::string_view name) { return !Has(name, "USD"); }

Kind Classify(std::string_view name) {
  if (DollarBased(name)) return Kind::DollarBased;
  if (QuotedInDollars(name)) return Kind::QuotedInDollars;
  if (Cross(name)) return Kind::Cross;
  return Kind::Other;
}

bool ThousandthPoint(std::string_view name) { return Has(name, "JPY") || Has(name, "/RUB"); }

long double PointsPerPriceUnit(std::string_view name) {
  return ThousandthPoint(name) ? 1000 : 100000;
}

long double QuoteUnitsPerPointOfLot(std::string_view name) {
  return ThousandthPoint(name) ? 100 : 1;
}

const CrossBase* BaseOf(std::string_view name) {
  // A well-formed name holds one prefix; for a malformed one the first in the name is its base,
  // so the row gets one set of figures rather than one per prefix.
  const CrossBase* found = nullptr;
  std::size_t foundAt = std::string_view::npos;
  for (const CrossBase& base : kCrossBases) {
    const std::size_t at = name.find(base.prefix);
    if (at < foundAt) {
      found = &base;
      foundAt = at;
    }
  }
  return found;
}

Ext DollarsPerBaseUnit(const TForm1& form, const CrossBase& base) {
  if (!base.inverted) return ParseDecimal(form.*base.bid);
  return RoundedReciprocal(form.*base.bid, kInvertedRatePlaces);
}

}  // namespace tiramon::pairs
