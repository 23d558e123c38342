// Reading the quote page: every entry of the page's quotes table becomes one row of the quote
// table (pair, bid, ask, spread); the rows are completed once the whole page is read.
#pragma once

#include <string>
#include <string_view>

#include "app/unit1.h"
#include "quotes/quote_table.h"

namespace tiramon::quotes {

// The entry of one currency pair in the page's HTML: link text, bid cell, ask cell.
inline constexpr std::string_view kQuoteRowPattern =
    R"re(<a href=\"/currencies.*?\"  title=\".*?\" >(.*?)</a></td>)re"
    R"re(<td class=\".*?\">(.*?)</td><td class=\".*?\">(.*?)</td>)re";

// Appends the row of one pair to form.ListView1: its name, the bid and the ask as the table shows
// them, the spread; and records its quote (RecordQuote). `cell` is room to build a text in, kept
// by the caller across rows. The row joins the table before its prices are read, so that a row
// cut short by a price the conversion rejects is still there to see.
void AppendQuoteRow(TForm1& form, std::string_view name, std::string_view bid, std::string_view ask,
                    std::string& cell);

// Appends one row to form.ListView1 per entry, in page order, then completes the table. A price
// the conversion rejects stops the parse with its error; the rows added so far stay, completed.
void ParseQuotePage(TForm1& form, std::string_view page);

}  // namespace tiramon::quotes
