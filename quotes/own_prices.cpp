// The trader's own prices: the bid and ask his terminal shows for the pair he is about to trade,
// put over whatever the source gave. The whole table is worked out again, since a dollar pair's
// bid is also the reference rate of the crosses on its base. They last until he clears them or
// the next refresh brings the source's prices back.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/unit1.h"
#include "quotes/page_parser.h"
#include "quotes/quote_table.h"
#include "support/errors.h"
#include "support/numtext.h"
#include "support/typed_number.h"

namespace tiramon {
namespace quotes {
namespace {

struct RowPrices {
  std::string name, bid, ask;
};

// A price as a terminal shows it: digits with at most one decimal point (a comma is one too, as
// a Russian keyboard types it), above zero; returned with the point.
std::string CheckedPrice(const std::string& typed, const char* which) {
  std::string text = std::string(TrimSpaces(typed));
  std::replace(text.begin(), text.end(), ',', '.');
  std::size_t points = 0;
  std::size_t digits = 0;
  for (const char c : text) {
    if (c == '.') {
      ++points;
    } else if (c >= '0' && c <= '9') {
      ++digits;
    } else {
      digits = 0;
      break;
    }
  }
  const std::string example = " Введите цену так, как её показывает терминал, например 1.0855.";
  if (text.empty()) throw UserError(std::string("Введите ") + which + "." + example);
  if (digits == 0 || points > 1 || digits > 12) {
    throw UserError(std::string(which) + " введён неверно: «" + text + "»." + example);
  }
  UseDecimalPoint();
  if (!(ParseDecimal(text) > 0)) throw UserError(std::string(which) + " должен быть больше нуля.");
  return text;
}

// The prices each row was built from, as its cells show them.
std::vector<RowPrices> TablePrices(const TForm1& form) {
  std::vector<RowPrices> rows;
  for (const TListItem& item : form.ListView1.items) {
    if (item.subItems.size() < 2) continue;
    rows.push_back({item.caption, item.subItems[0], item.subItems[1]});
  }
  return rows;
}

// Builds the table again from `rows`, keeping the highlighted row.
void RebuildTable(TForm1& form, const std::vector<RowPrices>& rows) {
  const int selected = form.ListView1.selectedIndex;
  ClearQuoteTable(form);
  form.ListView1.items.reserve(rows.size());
  std::string cell;
  for (const RowPrices& row : rows) AppendQuoteRow(form, row.name, row.bid, row.ask, cell);
  CompleteQuoteTable(form);
  form.ListView1.selectedIndex = selected;
}

// Puts the source's prices back into the row of the pair that had the user's own; a row the
// source never had (an instrument of the trader's own) goes again.
void RestoreSourcePrices(TForm1& form, std::vector<RowPrices>& rows) {
  for (RowPrices& row : rows) {
    if (row.name == form.Prices.ownPair) {
      row.bid = form.Prices.sourceBid;
      row.ask = form.Prices.sourceAsk;
    }
  }
  const std::size_t before = rows.size();
  std::erase_if(rows, [&form](const RowPrices& row) {
    return row.name == form.Prices.ownPair && row.bid.empty();
  });
  // Its prices went with it: nothing is left to count that instrument at.
  if (rows.size() != before && form.SelectedPair == form.Prices.ownPair) {
    form.SelectedBid.clear();
    form.SelectedAsk.clear();
  }
  form.Prices.ownPair.clear();
  form.Prices.sourceBid.clear();
  form.Prices.sourceAsk.clear();
}

}  // namespace
}  // namespace quotes

void TForm1::Button_OwnPricesClick() {
  if (SelectedPair.empty()) {
    throw UserError(
        "Сначала выберите инструмент: в списке помощника или щелчком по строке таблицы "
        "котировок.");
  }
  const std::string bid = quotes::CheckedPrice(Edit_OwnBid.text, "Bid");
  const std::string ask = quotes::CheckedPrice(Edit_OwnAsk.text, "Ask");
  if (ParseDecimal(ask) < ParseDecimal(bid)) {
    throw UserError("Ask не может быть меньше bid: цена покупки не ниже цены продажи.");
  }
  std::vector<quotes::RowPrices> rows = quotes::TablePrices(*this);
  // One pair at a time: the pair typed before gets its source's prices back.
  if (!Prices.ownPair.empty()) quotes::RestoreSourcePrices(*this, rows);
  auto selected = std::find_if(rows.begin(), rows.end(),
                               [this](const auto& row) { return row.name == SelectedPair; });
  // An instrument no source quotes (an index, or any pair when the network is down) gets a row
  // of its own with the prices typed for it.
  if (selected == rows.end()) selected = rows.insert(rows.end(), {SelectedPair, "", ""});
  Prices.sourceBid = std::exchange(selected->bid, bid);
  Prices.sourceAsk = std::exchange(selected->ask, ask);
  Prices.ownPair = SelectedPair;
  quotes::RebuildTable(*this, rows);
  ShowPriceOrigin();
}

void TForm1::Button_ClearOwnPricesClick() {
  if (Prices.ownPair.empty()) return;
  std::vector<quotes::RowPrices> rows = quotes::TablePrices(*this);
  quotes::RestoreSourcePrices(*this, rows);
  quotes::RebuildTable(*this, rows);
  ShowPriceOrigin();
}

}  // namespace tiramon
