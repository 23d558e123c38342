// The page parser. The matcher runs case-insensitively ("." takes line breaks by default), so
// tags in capitals and entries spread over several lines are read as well.
#include "quotes/page_parser.h"

#include <string>

#include "quotes/quote_table.h"
#include "support/checked.h"
#include "support/numtext.h"
#include "support/regexpr.h"

namespace tiramon::quotes {

namespace {

// Group n of the last match, read in place in the matcher's text.
std::string_view Group(const TRegExpr& matcher, int n) {
  const int position = matcher.MatchPos(n);
  const int length = matcher.MatchLen(n);
  if (position < 1 || length < 0) return {};
  return std::string_view(matcher.InputString())
      .substr(static_cast<std::size_t>(position - 1), static_cast<std::size_t>(length));
}

// Room for the eleven cells a row usually gets, so that filling it allocates once.
constexpr std::size_t kRowCells = 10;
constexpr std::size_t kRowTextBytes = 100;

}  // namespace

void ParseQuotePage(TForm1& form, std::string_view page) {
  TRegExpr matcher;
  matcher.SetModifier('m', true);
  matcher.SetModifier('i', true);
  matcher.SetInputString(page);
  matcher.SetExpression(kQuoteRowPattern);

  std::string cell;
  for (bool found = matcher.Exec(); found; found = matcher.ExecNext()) {
    const std::string_view name = Group(matcher, 1);
    const std::string_view bid = Group(matcher, 2);
    const std::string_view ask = Group(matcher, 3);

    // The row joins the table before its columns are filled, so that a row cut short by an
    // error is still there to see.
    TListItem& row = form.ListView1.items.emplace_back();
    row.caption = name;
    row.subItems.reserve(kRowCells, kRowTextBytes);
    cell.assign(bid).push_back('0');
    row.subItems.push_back(cell);
    cell.assign(ask).push_back('0');
    row.subItems.push_back(cell);
    const Ext askValue = ParseDecimal(ask);
    const Ext bidValue = ParseDecimal(bid);
    row.subItems.push_back(FormatGeneral((askValue - bidValue).v));
    DecimalMark = '.';
    CompleteQuoteRow(form, row, name, bid, ask);
  }
}

}  // namespace tiramon::quotes
