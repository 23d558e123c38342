// What the program reads from a currency pair's name: how the pair relates to the dollar, which
// reference rate turns its base currency into dollars, and how large one point of its price is.
// The quote table, the assistant and the row colours all ask here, so they cannot drift apart.
#pragma once

#include <string>
#include <string_view>

#include "app/unit1.h"
#include "support/checked.h"

namespace tiramon::pairs {

// The tests are substring tests on the name as the page spells it, case-sensitive. They are
// independent: a malformed name that holds both "/USD" and "USD/" passes both.
bool QuotedInDollars(std::string_view name);  // EUR/USD: holds "/USD"
bool DollarBased(std::string_view name);      // USD/JPY: holds "USD/"
bool Cross(std::string_view name);            // EUR/GBP: no "USD" anywhere

enum class Kind { QuotedInDollars, DollarBased, Cross, Other };
// One kind per name; a name holding both dollar tests counts as dollar-based.
Kind Classify(std::string_view name);

// Points per unit of price: a point is 0.001 for yen and rouble quotes, 0.00001 otherwise.
long double PointsPerPriceUnit(std::string_view name);
// Units of the quote currency that one point of one lot (100000 units) is worth: 1 or 100.
long double QuoteUnitsPerPointOfLot(std::string_view name);
// True for the names whose point is 0.001: yen anywhere in the name, or a rouble quote.
bool ThousandthPoint(std::string_view name);

// The quote currencies of dollar-based pairs for which the quote table shows a pip value.
inline constexpr std::string_view kPipQuotedCurrencies[] = {
    "/JPY", "/CHF", "/CAD", "/CNY", "/RUB", "/SEK", "/DKK", "/HKD", "/TRY", "/SGD",
};

// The six dollar pairs whose bids the program keeps as reference rates.
struct ReferencePair {
  std::string_view name;
  std::string TForm1::*bid;
};
inline constexpr ReferencePair kReferencePairs[] = {
    {"EUR/USD", &TForm1::RefBid_EURUSD}, {"GBP/USD", &TForm1::RefBid_GBPUSD},
    {"AUD/USD", &TForm1::RefBid_AUDUSD}, {"NZD/USD", &TForm1::RefBid_NZDUSD},
    {"USD/CHF", &TForm1::RefBid_USDCHF}, {"USD/CAD", &TForm1::RefBid_USDCAD},
};

// The base currency of a cross, with the reference that converts it into dollars. For EUR, GBP,
// AUD and NZD the reference bid is dollars per unit already; USD/CHF and USD/CAD quote the other
// way round, so their bid is inverted and read as a CHF/USD (CAD/USD) quote would be: 1 ÷ the
// bid rounded half up to five decimals (USD/CHF 0.9123 gives 1.09613 dollars a franc).
struct CrossBase {
  std::string_view prefix;  // "EUR/"
  std::string TForm1::*bid;
  bool inverted;
};
// The base of a cross name: the known prefix that stands first in it; nullptr when none does
// (SGD/JPY), in which case the program cannot value the pair.
const CrossBase* BaseOf(std::string_view name);
inline constexpr int kInvertedRatePlaces = 5;
// Dollars per unit of the base, converted from the reference text at the moment of use. Throws
// ConversionError for an empty or malformed reference and FloatError for a zero one that must be
// inverted.
Ext DollarsPerBaseUnit(const TForm1& form, const CrossBase& base);

}  // namespace tiramon::pairs
