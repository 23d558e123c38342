// The page parser. The matcher runs case-insensitively ("." takes line breaks by default), so
// tags in capitals and entries spread over several lines are read as well.
#include "quotes/page_parser.h"

#include <string>

#include "quotes/quote_table.h"
#include "support/checked.h"
#include "support/numtext.h"
#include "support/regexpr.h"

namespace tiramon::quotes {

void ParseQuotePage(TForm1& form, std::string_view page) {
  TRegExpr matcher;
  matcher.SetModifier('m', true);
  matcher.SetModifier('i', true);
  matcher.SetInputString(page);
  matcher.SetExpression(kQuoteRowPattern);

  for (bool found = matcher.Exec(); found; found = matcher.ExecNext()) {
    const std::string name = matcher.GroupText(1);
    const std::string bid = matcher.GroupText(2);
    const std::string ask = matcher.GroupText(3);

    // The row joins the table before its columns are filled, so that a row cut short by an
    // error is still there to see.
    TListItem& row = form.ListView1.items.emplace_back();
    row.caption = name;
    row.subItems.push_back(bid + "0");
    row.subItems.push_back(ask + "0");
    const Ext askValue = ParseDecimal(ask);
    const Ext bidValue = ParseDecimal(bid);
    row.subItems.push_back(FormatGeneral((askValue - bidValue).v));
    DecimalMark = '.';
    CompleteQuoteRow(form, row, name, bid, ask);
  }
}

}  // namespace tiramon::quotes
