// Reading the quote page: every entry of the page's quotes table becomes one row of the quote
// table (pair, bid, ask, spread), completed by CompleteQuoteRow.
#pragma once

#include <string_view>

#include "app/unit1.h"

namespace tiramon::quotes {

// The entry of one currency pair in the page's HTML: link text, bid cell, ask cell.
inline constexpr std::string_view kQuoteRowPattern =
    R"re(<a href=\"/currencies.*?\"  title=\".*?\" >(.*?)</a></td>)re"
    R"re(<td class=\".*?\">(.*?)</td><td class=\".*?\">(.*?)</td>)re";

// Appends one row to form.ListView1 per entry, in page order. A price the conversion rejects or
// an arithmetic error stops the parse with its error; the rows added so far stay.
void ParseQuotePage(TForm1& form, std::string_view page);

}  // namespace tiramon::quotes
