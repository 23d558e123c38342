// The derived columns of the quote table. Every figure comes from the trade engine's value of one
// lot, at the row's bid, in dollars; the texts are those the table has always shown.
#include "quotes/quote_table.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/figure_texts.h"
#include "app/market.h"
#include "app/pairs.h"
#include "support/checked.h"
#include "support/numtext.h"
#include "support/typed_number.h"

namespace tiramon::quotes {

namespace {

constexpr double kLeverages[] = {50, 100, 500, 1000, 2000};
constexpr std::size_t kPriceCells = 3;  // bid, ask, spread
constexpr int kPointsPerPip = 10;
constexpr std::string_view kTableCurrency = "USD";

bool Contains(std::string_view name, std::string_view part) {
  return name.find(part) != std::string_view::npos;
}

// How many positions of `margin` the deposit covers, rounded down to a tenth: 0.95 positions do
// not make one.
void AppendPositions(std::string& cell, long double deposit, long double margin) {
  const long double positions = std::floor(deposit / margin * 10 + 1e-9L) / 10;
  AppendFormatPattern(cell, "0.#", positions);
}

// "224.68 (0.4)": the margin to the cent, then how many such positions the deposit covers.
void AppendMarginCell(TListItem& row, std::string& cell, long double deposit, long double margin) {
  cell = MoneyText(margin);
  cell += " (";
  AppendPositions(cell, deposit, margin);
  cell += ')';
  row.subItems.push_back(cell);
}

// Columns 4 to 10 of one row; nothing for an instrument the program does not know or cannot
// value in dollars at this table's rates.
void CompleteRow(const TForm1& form, TListItem& row, long double lot, long double deposit,
                 std::string& cell) {
  const std::optional<Instrument> instrument = InstrumentFor(form.OwnInstruments, row.caption);
  if (!instrument) return;
  LotValues ofLot;
  try {
    // A row cut short by a price its source got wrong has nothing to count with.
    const auto bid = static_cast<double>(RowBid(row));
    ofLot =
        ValuesOfLot(*instrument, bid,
                    RatesForTrade(form.TableRates, std::string(kTableCurrency), *instrument, bid));
  } catch (const UserError&) {
    return;
  }
  row.subItems.push_back(MoneyText(lot * ofLot.value));
  for (const double leverage : kLeverages) {
    AppendMarginCell(row, cell, deposit, MarginOf(*instrument, ofLot.value, lot, leverage));
  }
  // A pip is ten points, in cents; the value passes through a double before it is rounded, as
  // every stored figure does.
  const long double pip = lot * kPointsPerPip * ofLot.point;
  row.subItems.push_back(FormatGeneral(Round2(pip)));
}

std::optional<long double> LotOrDeposit(const TForm1& form, const TEdit* deposit) {
  const std::string& text = deposit ? deposit->text : form.edit_lot.text;
  const std::optional<double> value = ReadTypedNumber(text);
  if (!value) return std::nullopt;
  if (deposit ? !(*value >= 0) : !(*value > 0 && *value <= kMaxLots)) return std::nullopt;
  return *value;
}

}  // namespace

std::string PriceCell(std::string_view price, const std::optional<Instrument>& instrument) {
  std::string cell(price);
  // A text that is no plain decimal is shown as the source gave it, with the pipette's "0".
  const bool plain = !price.empty() &&
                     price.find_first_not_of("0123456789.") == std::string::npos &&
                     price.find('.') == price.rfind('.') && price != ".";
  if (!plain) return cell.append("0");
  const std::size_t point = cell.find('.');
  // Without the decimals of a known instrument, one more than the source gave.
  if (!instrument) return point == std::string::npos ? cell.append(".0") : cell.append("0");
  const int decimals = point == std::string::npos ? 0 : static_cast<int>(cell.size() - point - 1);
  const int wanted = PriceDecimals(*instrument);
  if (decimals >= wanted) return cell;
  if (point == std::string::npos) cell += '.';
  return cell.append(static_cast<std::size_t>(wanted - decimals), '0');
}

long double RowBid(const TListItem& row) {
  return ParseDecimal(row.subItems.empty() ? std::string_view() : row.subItems[0]);
}

long double RowAsk(const TListItem& row) {
  return ParseDecimal(row.subItems.size() < 2 ? std::string_view() : row.subItems[1]);
}

void RecordQuote(TForm1& form, std::string_view name, std::string_view bid, std::string_view ask,
                 long double bidValue) {
  for (const pairs::ReferencePair& pair : pairs::kReferencePairs) {
    if (Contains(name, pair.name)) form.*pair.bid = std::string(bid);
  }
  if (form.SelectedPair.empty()) {
    form.SelectedPair = "EUR/USD";
    form.Label_Valuta.caption = "EUR/USD";
  }
  if (form.SelectedPair == name) {
    form.SelectedBid = std::string(bid);
    form.SelectedAsk = std::string(ask);
    form.RadioButton_Buy.caption = "Покупка (ask): " + std::string(ask);
    form.RadioButton_sell.caption = "Продажа (bid): " + std::string(bid);
  }
  form.TableRates.Add(name, bidValue);
}

void ClearQuoteTable(TForm1& form) {
  ++form.ListView1.changes;
  form.ListView1.items.clear();
  form.ListView1.selectedIndex = -1;
  form.TableRates.Clear();
}

void CompleteQuoteTable(TForm1& form) {
  ++form.ListView1.changes;
  if (form.ListView1.columns.size() > 4) {
    form.ListView1.columns[4].caption = Column4Caption(form.edit_lot.text);
  }
  for (TListItem& row : form.ListView1.items) row.subItems.truncate(kPriceCells);
  const std::optional<long double> lot = LotOrDeposit(form, nullptr);
  const std::optional<long double> deposit = LotOrDeposit(form, &form.Edit8);
  form.Label_TableNote.caption.clear();
  if (!lot) {
    form.Label_TableNote.caption =
        "Размер позиции: «" + form.edit_lot.text + "» — введите лот больше нуля, например 0.1.";
    return;
  }
  if (!deposit) {
    form.Label_TableNote.caption =
        "Депозит: «" + form.Edit8.text + "» — введите сумму в долларах, например 100.";
    return;
  }
  // A large page repeats a few pairs at one price many times: a row like one before it gets that
  // row's figures, worked out once.
  struct Done {
    std::string caption, bid;
    std::size_t row;
  };
  std::vector<Done> done;
  constexpr std::size_t kRemembered = 64;
  std::string cell;
  std::vector<TListItem>& items = form.ListView1.items;
  for (std::size_t i = 0; i < items.size(); ++i) {
    TListItem& row = items[i];
    if (row.subItems.size() < kPriceCells) continue;
    const std::string_view bid = row.subItems[0];
    const auto same = std::find_if(done.begin(), done.end(), [&](const Done& d) {
      return d.caption == row.caption && d.bid == bid;
    });
    if (same != done.end()) {
      const TSubItems& cells = items[same->row].subItems;
      for (std::size_t c = kPriceCells; c < cells.size(); ++c) row.subItems.push_back(cells[c]);
      continue;
    }
    CompleteRow(form, row, *lot, *deposit, cell);
    if (done.size() < kRemembered) done.push_back({row.caption, std::string(bid), i});
  }
}

std::string Column4Caption(std::string_view lotText) {
  return std::string(lotText) + " лот (без плеча)";
}

}  // namespace tiramon::quotes

namespace tiramon {

void TForm1::edit_lotChange() { quotes::CompleteQuoteTable(*this); }

}  // namespace tiramon
