// The quote table: each row's prices as the table shows them, the reference bids and the
// selection the rows keep current, the rates the rows give, and the derived columns (margins,
// positions, pip value) worked out by the trade engine once the whole table is read.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/trade.h"
#include "app/unit1.h"

namespace tiramon::quotes {

// A price as the table shows it: as the source gave it, with the decimals the instrument's prices
// have where the text has fewer ("1.1234" → "1.12340", "150" → "150.000"); never shortened.
std::string PriceCell(std::string_view price, const std::optional<Instrument>& instrument);

// A row's bid and ask as values, read from its cells (a cell shows the source's price, so it
// reads back as the same number). Throws ConversionError for a row without them.
long double RowBid(const TListItem& row);
long double RowAsk(const TListItem& row);

// What one row of a source does besides its cells: the reference bid of a dollar pair, the
// selection's prices and the direction captions, and the row's rate (`bidValue`, the bid read)
// for the table's crosses.
void RecordQuote(TForm1& form, std::string_view name, std::string_view bid, std::string_view ask,
                 long double bidValue);

// Empties the table and the rates its rows gave, before a source fills it again.
void ClearQuoteTable(TForm1& form);

// Columns 4 to 10 of every row, from the prices in the rows and the rates of this table, so a
// cross is valued at the dollar rate of its own page whatever the page's order. The lot and the
// deposit are those under the table; when either cannot be used the rows keep their first four
// columns and Label_TableNote says which box is wrong. The caption of column 4 follows the lot.
void CompleteQuoteTable(TForm1& form);

// Header of column 4 for the lot text as typed: "0.1" gives "0.1 лот (без плеча)".
std::string Column4Caption(std::string_view lotText);

}  // namespace tiramon::quotes
