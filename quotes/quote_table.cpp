// The derived columns of a quote row. Every figure is worked in extended precision with trapping
// operators, in the order the formula is written, so that a zero lot, deposit or price stops the
// refresh with the arithmetic error instead of writing an infinity into the table.
#include "quotes/quote_table.h"

#include <cmath>
#include <string>

#include "app/pairs.h"
#include "support/checked.h"
#include "support/numtext.h"

namespace tiramon::quotes {

namespace {

constexpr long double kContractSize = 100000;
constexpr long double kLeverages[] = {50, 100, 500, 1000, 2000};

bool Contains(std::string_view name, std::string_view part) {
  return name.find(part) != std::string_view::npos;
}

// "224.68 (0.4)": the margin, then how many such positions the deposit covers.
void AppendMarginCell(QuoteInputs& inputs, TListItem& row, Ext margin) {
  std::string& cell = inputs.Scratch();
  cell.clear();
  AppendFormatGeneral(cell, margin.v);
  const Ext positions = inputs.Deposit() / margin;
  cell += " (";
  AppendFormatPattern(cell, "0.#", positions.v);
  cell += ')';
  row.subItems.push_back(cell);
}

// Column 4 (the margin without leverage) and columns 5 to 9 (at each leverage). Each cell is
// appended as soon as it is complete.
void AppendMargins(QuoteInputs& inputs, TListItem& row, Ext withoutLeverage) {
  std::string& cell = inputs.Scratch();
  cell.clear();
  AppendFormatGeneral(cell, withoutLeverage.v);
  row.subItems.push_back(cell);
  for (const long double leverage : kLeverages) {
    AppendMarginCell(inputs, row, withoutLeverage / leverage);
  }
}

// The pip value passes through a double before it is rounded, as every stored figure does; the
// extended value can sit a hair below a tie that the double lands on.
void AppendPipValue(TListItem& row, Ext value) {
  row.subItems.push_back(FormatGeneral(RoundToPlaces(StoreDouble(value), 2)));
}

void RecordReferencesAndSelection(TForm1& form, std::string_view name, std::string_view bid,
                                  std::string_view ask) {
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
}

// EUR/USD and the like: the margin follows the price, one pip of a lot is worth $10.
void CompleteQuotedInDollars(QuoteInputs& inputs, TListItem& row, std::string_view bid) {
  const Ext base = Ext(ParseDecimal(bid)) * kContractSize;
  AppendMargins(inputs, row, inputs.Lot() * base);
  std::optional<std::string>& cell = inputs.DollarPipCell();
  if (!cell) {
    const Ext pips = inputs.Lot() * 10;
    cell = FormatGeneral(std::nearbyint(pips.v));  // ties to even
  }
  row.subItems.push_back(*cell);
}

// USD/JPY and the like: a lot is 100000 dollars; the pip value is converted back to dollars.
void CompleteDollarBased(QuoteInputs& inputs, TListItem& row, std::string_view name,
                         std::string_view bid) {
  AppendMargins(inputs, row, inputs.Lot() * kContractSize);
  for (const std::string_view quote : pairs::kPipQuotedCurrencies) {
    if (Contains(name, quote)) {
      // A pip is ten points of the quote currency's point size.
      const Ext perLot = inputs.Lot() * (10 * pairs::QuoteUnitsPerPointOfLot(quote));
      AppendPipValue(row, perLot / Ext(ParseDecimal(bid)));
    }
  }
}

// EUR/GBP and the like: valued through the dollar rate of the base currency.
void CompleteCross(const TForm1& form, QuoteInputs& inputs, TListItem& row, std::string_view name,
                   std::string_view bid) {
  const pairs::CrossBase* base = pairs::BaseOf(name);
  if (base == nullptr) return;
  const Ext reference = pairs::DollarsPerBaseUnit(form, *base);
  AppendMargins(inputs, row, reference * kContractSize * inputs.Lot());
  const Ext pips = inputs.Lot() * (10 * pairs::QuoteUnitsPerPointOfLot(name));
  const Ext inQuote = reference * pips;
  AppendPipValue(row, inQuote / Ext(ParseDecimal(bid)));
}

}  // namespace

Ext QuoteInputs::Lot() {
  if (!lot_) lot_ = ParseDecimal(form_.edit_lot.text);
  return *lot_;
}

Ext QuoteInputs::Deposit() {
  if (!deposit_) deposit_ = ParseDecimal(form_.Edit8.text);
  return *deposit_;
}

void CompleteQuoteRow(TForm1& form, TListItem& row, std::string_view name, std::string_view bid,
                      std::string_view ask, QuoteInputs& inputs) {
  RecordReferencesAndSelection(form, name, bid, ask);
  if (pairs::QuotedInDollars(name)) CompleteQuotedInDollars(inputs, row, bid);
  if (pairs::DollarBased(name)) CompleteDollarBased(inputs, row, name, bid);
  if (pairs::Cross(name)) CompleteCross(form, inputs, row, name, bid);
}

void CompleteQuoteRow(TForm1& form, TListItem& row, std::string_view name, std::string_view bid,
                      std::string_view ask) {
  QuoteInputs inputs(form);
  CompleteQuoteRow(form, row, name, bid, ask, inputs);
}

std::string Column4Caption(std::string_view lotText) {
  return std::string(lotText) + " лот (без плеча)";
}

}  // namespace tiramon::quotes
