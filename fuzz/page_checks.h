// Properties of reading a quote page into a fresh window: any page either fills the table or
// stops with a conversion or arithmetic error after its first row, never with anything else;
// and the rows are exactly the entries the general pattern engine finds, in page order, each
// with its pair, and its bid and ask as found, at most padded with zeros that leave the price's
// value as it is.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/unit1.h"
#include "fuzz/property.h"
#include "quotes/page_parser.h"
#include "support/numtext.h"
#include "support/regexpr.h"

namespace tiramon::fuzz {
namespace page_checks {

struct Entry {
  std::string pair, bid, ask;
};

// The entries as the backtracking engine finds them; false when it gives up on the page (it has
// a step limit that the linear scan of the parser does not need).
inline bool FindEntries(std::string_view page, std::vector<Entry>& entries) {
  TRegExpr matcher;
  matcher.SetEngine(TRegExpr::Engine::kBacktracking);
  matcher.SetModifier('m', true);
  matcher.SetModifier('i', true);
  matcher.SetInputString(page);
  matcher.SetExpression(quotes::kQuoteRowPattern);
  try {
    for (bool found = matcher.Exec(); found; found = matcher.ExecNext()) {
      entries.push_back({matcher.GroupText(1), matcher.GroupText(2), matcher.GroupText(3)});
    }
  } catch (const ERegExpr& e) {
    TIRAMON_FUZZ_REQUIRE(e.ErrorCode == regexpr_errors::kSearchTooComplex,
                         "the general engine fails with " + Shown(e.what()));
    return false;
  }
  return true;
}

// The cell shows the price as found, with only zeros (and the point before them) added; a price
// that reads as a number reads as the same number from the cell.
inline bool ShowsPrice(std::string_view cell, std::string_view price) {
  if (cell.substr(0, price.size()) != price) return false;
  const std::string_view added = cell.substr(price.size());
  if (added.find_first_not_of(".0") != std::string_view::npos) return false;
  if (added.find('.') != std::string_view::npos && added.find('.') != 0) return false;
  try {
    return ParseDecimal(cell) == ParseDecimal(price);
  } catch (const ConversionError&) {
    return true;  // not a price: shown as found, with the pipette's zero
  }
}

inline bool IsFloatMessage(std::string_view message) {
  return message == kInvalidOperation || message == kDivisionByZero || message == kOverflow;
}

inline bool IsConversionMessage(std::string_view message) {
  constexpr std::string_view kTail = "' is not a valid floating point value";
  return message.size() >= 1 + kTail.size() && message[0] == '\'' &&
         message.substr(message.size() - kTail.size()) == kTail;
}

}  // namespace page_checks

inline void CheckQuotePage(const std::uint8_t* data, std::size_t size) {
  using namespace page_checks;
  MarksGuard guard;
  DecimalMark = '.';
  const std::string_view page(reinterpret_cast<const char*>(data), size);
  TForm1 form;
  bool stopped = false;
  try {
    quotes::ParseQuotePage(form, page);
  } catch (const ConversionError& e) {
    stopped = true;
    TIRAMON_FUZZ_REQUIRE(IsConversionMessage(e.what()), "conversion message " + Shown(e.what()));
  } catch (const FloatError& e) {
    stopped = true;
    TIRAMON_FUZZ_REQUIRE(IsFloatMessage(e.what()), "arithmetic message " + Shown(e.what()));
  }
  const std::vector<TListItem>& rows = form.ListView1.items;
  TIRAMON_FUZZ_REQUIRE(!stopped || !rows.empty(), "an error before the first row");
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const bool last = i + 1 == rows.size();
    TIRAMON_FUZZ_REQUIRE(rows[i].subItems.size() >= ((stopped && last) ? 2u : 3u),
                         "row " + std::to_string(i) + " lacks its first columns");
  }

  std::vector<Entry> entries;
  if (!FindEntries(page, entries)) return;
  TIRAMON_FUZZ_REQUIRE(
      stopped ? rows.size() <= entries.size() : rows.size() == entries.size(),
      std::to_string(rows.size()) + " rows for " + std::to_string(entries.size()) + " entries");
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::string row = "row " + std::to_string(i) + ": ";
    TIRAMON_FUZZ_REQUIRE(rows[i].caption == entries[i].pair,
                         row + Shown(rows[i].caption) + " for " + Shown(entries[i].pair));
    TIRAMON_FUZZ_REQUIRE(
        ShowsPrice(rows[i].subItems[0], entries[i].bid),
        row + "bid " + Shown(rows[i].subItems[0]) + " for " + Shown(entries[i].bid));
    TIRAMON_FUZZ_REQUIRE(
        ShowsPrice(rows[i].subItems[1], entries[i].ask),
        row + "ask " + Shown(rows[i].subItems[1]) + " for " + Shown(entries[i].ask));
  }
}

}  // namespace tiramon::fuzz
