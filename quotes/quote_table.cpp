// The derived columns of a quote row. Every figure is worked in extended precision with trapping
// operators, in the order the formula is written, so that a zero lot, deposit or price stops the
// refresh with the arithmetic error instead of writing an infinity into the table.
#include "quotes/quote_table.h"

#include <cmath>
#include <string>

#include "support/checked.h"
#include "support/numtext.h"

namespace tiramon::quotes {

namespace {

constexpr long double kContractSize = 100000;
constexpr long double kLeverages[] = {50, 100, 500, 1000, 2000};

bool Contains(std::string_view name, std::string_view part) {
  return name.find(part) != std::string_view::npos;
}

// Lot and deposit are read from the window at every use: the first formula that needs a text
// the conversion rejects stops the refresh with its message.
Ext Lot(const TForm1& form) { return ParseDecimal(form.edit_lot.text); }
Ext Deposit(const TForm1& form) { return ParseDecimal(form.Edit8.text); }

// "224.68 (0.4)": the margin, then how many such positions the deposit covers.
std::string MarginCell(const TForm1& form, Ext margin) {
  std::string cell = FormatGeneral(margin.v);
  const Ext positions = Deposit(form) / margin;
  cell += " (";
  cell += FormatPattern("0.#", positions.v);
  cell += ')';
  return cell;
}

// Column 4 (the margin without leverage) and columns 5 to 9 (at each leverage). Each cell is
// appended as soon as it is complete.
void AppendMargins(const TForm1& form, TListItem& row, Ext withoutLeverage) {
  row.subItems.push_back(FormatGeneral(withoutLeverage.v));
  for (const long double leverage : kLeverages) {
    row.subItems.push_back(MarginCell(form, withoutLeverage / leverage));
  }
}

void AppendPipValue(TListItem& row, Ext value) {
  row.subItems.push_back(FormatGeneral(RoundToPlaces(value.v, 2)));
}

struct QuoteCurrency {
  std::string_view suffix;
  long double factor;
};

// The quote currencies of dollar-based pairs whose pip value the table shows.
constexpr QuoteCurrency kDollarBasedPipFactors[] = {
    {"/JPY", 1000}, {"/CHF", 10}, {"/CAD", 10}, {"/CNY", 10}, {"/RUB", 1000},
    {"/SEK", 10},   {"/DKK", 10}, {"/HKD", 10}, {"/TRY", 10}, {"/SGD", 10},
};

struct CrossBase {
  std::string_view prefix;
  std::string TForm1::*reference;
};

// Crosses are valued through the dollar pair of their base currency. The margins and the pip
// value look the base up in different orders; each name holds one base, so the order only
// decides which comes first for a name that holds several.
constexpr CrossBase kMarginBases[] = {
    {"EUR/", &TForm1::RefBid_EURUSD}, {"GBP/", &TForm1::RefBid_GBPUSD},
    {"AUD/", &TForm1::RefBid_AUDUSD}, {"NZD/", &TForm1::RefBid_NZDUSD},
    {"CHF/", &TForm1::RefBid_USDCHF}, {"CAD/", &TForm1::RefBid_USDCAD},
};
constexpr CrossBase kPipBases[] = {
    {"GBP/", &TForm1::RefBid_GBPUSD}, {"CHF/", &TForm1::RefBid_USDCHF},
    {"CAD/", &TForm1::RefBid_USDCAD}, {"EUR/", &TForm1::RefBid_EURUSD},
    {"AUD/", &TForm1::RefBid_AUDUSD}, {"NZD/", &TForm1::RefBid_NZDUSD},
};

struct ReferencePair {
  std::string_view name;
  std::string TForm1::*reference;
};

constexpr ReferencePair kReferencePairs[] = {
    {"EUR/USD", &TForm1::RefBid_EURUSD}, {"GBP/USD", &TForm1::RefBid_GBPUSD},
    {"AUD/USD", &TForm1::RefBid_AUDUSD}, {"NZD/USD", &TForm1::RefBid_NZDUSD},
    {"USD/CHF", &TForm1::RefBid_USDCHF}, {"USD/CAD", &TForm1::RefBid_USDCAD},
};

void RecordReferencesAndSelection(TForm1& form, std::string_view name, std::string_view bid,
                                  std::string_view ask) {
  for (const ReferencePair& pair : kReferencePairs) {
    if (Contains(name, pair.name)) form.*pair.reference = std::string(bid);
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
void CompleteQuotedInDollars(const TForm1& form, TListItem& row, std::string_view bid) {
  const Ext base = Ext(ParseDecimal(bid)) * kContractSize;
  AppendMargins(form, row, Lot(form) * base);
  const Ext pips = Lot(form) * 10;
  row.subItems.push_back(FormatGeneral(std::nearbyint(pips.v)));  // ties to even
}

// USD/JPY and the like: a lot is 100000 dollars; the pip value is converted back to dollars.
void CompleteDollarBased(const TForm1& form, TListItem& row, std::string_view name,
                         std::string_view bid) {
  AppendMargins(form, row, Lot(form) * kContractSize);
  for (const QuoteCurrency& quote : kDollarBasedPipFactors) {
    if (Contains(name, quote.suffix)) {
      const Ext perLot = Lot(form) * quote.factor;
      AppendPipValue(row, perLot / Ext(ParseDecimal(bid)));
    }
  }
}

// EUR/GBP and the like: valued through the reference bid of the base currency.
void CompleteCross(const TForm1& form, TListItem& row, std::string_view name,
                   std::string_view bid) {
  for (const CrossBase& base : kMarginBases) {
    if (Contains(name, base.prefix)) {
      const Ext reference = ParseDecimal(form.*base.reference);
      const Ext perLot = reference * kContractSize;
      AppendMargins(form, row, perLot * Lot(form));
    }
  }
  const long double pipFactor = Contains(name, "JPY") ? 1000 : 10;
  for (const CrossBase& base : kPipBases) {
    if (Contains(name, base.prefix)) {
      const Ext reference = ParseDecimal(form.*base.reference);
      const Ext pips = Lot(form) * pipFactor;
      const Ext inQuote = reference * pips;
      AppendPipValue(row, inQuote / Ext(ParseDecimal(bid)));
    }
  }
}

}  // namespace

void CompleteQuoteRow(TForm1& form, TListItem& row, std::string_view name, std::string_view bid,
                      std::string_view ask) {
  RecordReferencesAndSelection(form, name, bid, ask);
  if (Contains(name, "/USD")) CompleteQuotedInDollars(form, row, bid);
  if (Contains(name, "USD/")) CompleteDollarBased(form, row, name, bid);
  if (!Contains(name, "USD")) CompleteCross(form, row, name, bid);
}

std::string Column4Caption(std::string_view lotText) {
  return std::string(lotText) + " лот (без плеча)";
}

}  // namespace tiramon::quotes
