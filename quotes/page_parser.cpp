// The page parser. The matcher runs case-insensitively ("." takes line breaks by default), so
// tags in capitals and entries spread over several lines are read as well.
#include "quotes/page_parser.h"

#include <string>
#include <vector>

#include "app/market.h"
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
  return matcher.InputString().substr(static_cast<std::size_t>(position - 1),
                                      static_cast<std::size_t>(length));
}

// Room for the eleven cells a row usually gets, so that filling it allocates once.
constexpr std::size_t kRowCells = 10;
constexpr std::size_t kRowTextBytes = 100;
constexpr std::size_t kMinEntryBytes = 64;

}  // namespace

void AppendQuoteRow(TForm1& form, std::string_view name, std::string_view bid, std::string_view ask,
                    std::string& cell) {
  ++form.ListView1.changes;
  TListItem& row = form.ListView1.items.emplace_back();
  row.caption = name;
  row.subItems.reserve(kRowCells, kRowTextBytes);
  const std::optional<Instrument> instrument = InstrumentFor(form.OwnInstruments, name);
  row.subItems.push_back(PriceCell(bid, instrument));
  row.subItems.push_back(PriceCell(ask, instrument));
  const Ext askValue = ParseDecimal(ask);
  const Ext bidValue = ParseDecimal(bid);
  cell.clear();
  AppendFormatGeneral(cell, (askValue - bidValue).v);
  row.subItems.push_back(cell);
  UseDecimalPoint();
  RecordQuote(form, name, bid, ask, bidValue.v);
}

void ParseQuotePage(TForm1& form, std::string_view page) {
  TRegExpr matcher;
  matcher.SetModifier('m', true);
  matcher.SetModifier('i', true);
  // The page is read in place: it outlives the matcher, and a copy of a large page would double
  // the parse's memory.
  matcher.SetInputView(page);
  matcher.SetExpression(kQuoteRowPattern);

  // No entry is shorter than the pattern's fixed text (some 78 bytes), so the page cannot hold
  // more rows than this. Room for them all up front spares a large page the copies of a growing
  // table, and the peak of holding it twice while it grows; memory never written stays address
  // space only.
  std::vector<TListItem>& items = form.ListView1.items;
  items.reserve(items.size() + page.size() / kMinEntryBytes);

  std::string cell;
  try {
    for (bool found = matcher.Exec(); found; found = matcher.ExecNext()) {
      AppendQuoteRow(form, Group(matcher, 1), Group(matcher, 2), Group(matcher, 3), cell);
    }
  } catch (const ConversionError&) {
    // The rows before the one the page got wrong are shown with their figures all the same.
    CompleteQuoteTable(form);
    throw;
  }
  CompleteQuoteTable(form);
}

}  // namespace tiramon::quotes
