// What the program reads from a currency pair's name itself, as the quote table has always read
// it: how the pair relates to the dollar (the rows' colours) and which rows keep a reference bid.
// What a pair is worth is the trade engine's (app/trade.h), by its contract, not by its name.
#pragma once

#include <string>
#include <string_view>

#include "app/unit1.h"

namespace tiramon::pairs {

// The tests are substring tests on the name as the page spells it, case-sensitive. They are
// independent: a malformed name that holds both "/USD" and "USD/" passes both.
bool QuotedInDollars(std::string_view name);  // EUR/USD: holds "/USD"
bool DollarBased(std::string_view name);      // USD/JPY: holds "USD/"

enum class Kind { QuotedInDollars, DollarBased, Other };
// One kind per name; a name holding both dollar tests counts as dollar-based.
Kind Classify(std::string_view name);

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

}  // namespace tiramon::pairs
