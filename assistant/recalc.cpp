// The assistant's recalculation: margin, point value and lot sizing for the selected pair, then
// the money at stake, the price levels, the ratio and the warnings. Every input is read from its
// control's text at the moment it is needed, so a run always reflects what the user sees, and a
// text that does not convert simply ends the run where it is used.
#include "assistant/recalc.h"

#include <cstddef>

#include "support/checked.h"
#include "support/numtext.h"

namespace tiramon {
namespace assistant {

const long double kHundredMinus = 100.0L - 0x1p-57L;

namespace {

constexpr const char* kNoFunds = "Не хватает средств!";
constexpr const char* kRiskTooHigh = "Слишком большой риск!";
constexpr const char* kRatioTooLow = "Слишком маленькое соотношение риск прибыль.";

Ext Num(std::string_view text) { return Ext(ParseDecimal(text)); }

bool Has(std::string_view name, std::string_view part) {
  return name.find(part) != std::string_view::npos;
}

std::string General(Ext value) { return FormatGeneral(value.v); }
std::string Pattern(std::string_view pattern, Ext value) { return FormatPattern(pattern, value.v); }

// Quote currencies of dollar-based pairs whose point value the assistant knows. The factor text
// converts the lot from the stop back from the quote currency in percent mode; only three
// currencies have one.
struct QuoteRow {
  const char* test;
  long double k;
  const char* factor;  // nullptr: none
};

const QuoteRow kQuoteTable[] = {
    {"/JPY", kHundredMinus, "1.01"},
    {"/CHF", 1, "1.1"},
    {"/CAD", 1, "0.96"},
    {"/CNY", 1, nullptr},
    {"/RUB", kHundredMinus, nullptr},
    {"/SEK", 1, nullptr},
    {"/DKK", 1, nullptr},
    {"/HKD", 1, nullptr},
    {"/SGD", 1, nullptr},
    {"/TRY", 1, nullptr},
};

// Base currencies of crosses, with the reference bid that values one unit of the base. CHF and
// CAD use the dollar pair's bid as it stands, like the others.
struct BaseRow {
  const char* test;
  std::string TForm1::*ref;
};

const BaseRow kMarginBases[] = {
    {"EUR/", &TForm1::RefBid_EURUSD}, {"GBP/", &TForm1::RefBid_GBPUSD},
    {"AUD/", &TForm1::RefBid_AUDUSD}, {"NZD/", &TForm1::RefBid_NZDUSD},
    {"CHF/", &TForm1::RefBid_USDCHF}, {"CAD/", &TForm1::RefBid_USDCAD},
};

const BaseRow kPointBases[] = {
    {"GBP/", &TForm1::RefBid_GBPUSD}, {"CHF/", &TForm1::RefBid_USDCHF},
    {"CAD/", &TForm1::RefBid_USDCAD}, {"EUR/", &TForm1::RefBid_EURUSD},
    {"AUD/", &TForm1::RefBid_AUDUSD}, {"NZD/", &TForm1::RefBid_NZDUSD},
};

// Point value of a dollar-based pair by its quote currency; returns the factor text of the last
// matching row that has one (empty when none does).
std::string PointValueByQuote(TForm1& form, std::string_view price, const std::string& lotText) {
  const std::string pair = form.Label_Valuta.caption;
  std::string factor;
  for (const QuoteRow& row : kQuoteTable) {
    if (!Has(pair, row.test)) continue;
    const Ext lot = Num(lotText);
    const Ext scaled = lot * row.k;
    form.Punkt.caption = General(Round2((scaled / Num(price)).v));
    if (row.factor != nullptr) factor = row.factor;
  }
  return factor;
}

// Point value of a cross by its base currency; yen crosses move a hundred times more per point.
void PointValueByBase(TForm1& form, std::string_view price, const std::string& lotText) {
  const std::string pair = form.Label_Valuta.caption;
  const long double perPoint = Has(pair, "JPY") ? 1000 : 10;
  for (const BaseRow& row : kPointBases) {
    if (!Has(pair, row.test)) continue;
    const Ext ref = Num(form.*row.ref);
    const Ext lotUnits = Num(lotText) * perPoint;
    form.Punkt.caption = General(Round2((ref * lotUnits / Num(price)).v));
  }
}

// R × D ÷ 100: the money the user is prepared to put at stake.
Ext RiskMoney(const TForm1& form) {
  const Ext risk = Num(form.ComboBox_LotProc.text);
  const Ext deposit = Num(form.Edit_Deposit.text);
  return risk * deposit / 100;
}

// The lot whose margin is the risk money, for a one-lot margin kept as a double.
void WriteLotFromMargin(TForm1& form, double oneLotMargin) {
  form.Edit_ProcLot.text = General(RiskMoney(form) / oneLotMargin);
}

Ext StopLossDivisor(const TForm1& form) { return Num(form.ComboBox_los.text); }

}  // namespace

double Round2(long double x) { return RoundToPlaces(StoreDouble(x), 2); }

bool DepositGatePasses(const TForm1& form) {
  if (form.Edit_Deposit.text.empty()) return false;
  return ParseInteger(form.Edit_Deposit.text) > 0;
}

std::string PickUpPair(TForm1& form) {
  const int selected = form.ListView1.selectedIndex;
  if (selected >= 0 && static_cast<std::size_t>(selected) < form.ListView1.items.size()) {
    const TListItem& row = form.ListView1.items[static_cast<std::size_t>(selected)];
    // A row always carries bid and ask, but a half-built one must not take the program down.
    const std::string bid = row.subItems.size() > 0 ? row.subItems[0] : std::string();
    const std::string ask = row.subItems.size() > 1 ? row.subItems[1] : std::string();
    form.Label_Valuta.caption = row.caption;
    form.RadioButton_Buy.caption = "Покупка (ask): " + ask;
    form.RadioButton_sell.caption = "Продажа (bid): " + bid;
    form.SelectedBid = bid;
    form.SelectedAsk = ask;
    form.SelectedPair = form.Label_Valuta.caption;
  }
  // Buying closes at the bid and selling at the ask, so that is the price the position is
  // sized and its levels are set from.
  std::string price;
  if (form.RadioButton_Buy.checked) price = form.SelectedBid;
  if (form.RadioButton_sell.checked) price = form.SelectedAsk;
  return price;
}

void SizeByLots(TForm1& form, std::string_view price) {
  const std::string pair = form.Label_Valuta.caption;
  const std::string& lotText = form.ComboBox_Lot.text;
  const std::string& leverageText = form.ComboBox_Plecho.text;
  if (Has(pair, "/USD")) {
    const Ext p = Num(price);
    const Ext units = p * 100000;
    const Ext value = units * Num(lotText);
    form.Zalog.caption = General(value / Num(leverageText));
    form.Punkt.caption = Pattern("0.00#", Num(lotText));
  }
  if (Has(pair, "USD/")) {
    const Ext units = Num(lotText) * 100000;
    form.Zalog.caption = General(units / Num(leverageText));
    PointValueByQuote(form, price, lotText);
  }
  if (!Has(pair, "USD")) {
    for (const BaseRow& row : kMarginBases) {
      if (!Has(pair, row.test)) continue;
      const Ext units = Num(form.*row.ref) * 100000;
      const Ext value = units * Num(lotText);
      form.Zalog.caption = General(value / Num(leverageText));
    }
    PointValueByBase(form, price, lotText);
  }
}

void SizeByPercent(TForm1& form, std::string_view price) {
  const std::string pair = form.Label_Valuta.caption;
  // The margin and point value use the lot exactly as written into its box, not the value it
  // was computed from, so what the user copies is what the figures describe.
  const std::string& lotText = form.Edit_ProcLot.text;
  const std::string& leverageText = form.ComboBox_Plecho.text;
  if (Has(pair, "/USD")) {
    const Ext units = Num(price) * 100000;
    WriteLotFromMargin(form, StoreDouble(units / Num(leverageText)));
    form.Edit_ProcLot2.text = General(RiskMoney(form) / StopLossDivisor(form));
    const Ext value = Num(price) * 100000 * Num(lotText);
    form.Zalog.caption = Pattern("0.0#", value / Num(leverageText));
    form.Punkt.caption = Pattern("0.00#", Num(lotText));
  }
  if (Has(pair, "USD/")) {
    WriteLotFromMargin(form, StoreDouble(Ext(100000) / Num(leverageText)));
    const Ext units = Num(lotText) * 100000;
    form.Zalog.caption = Pattern("0.0#", units / Num(leverageText));
    const std::string factor = PointValueByQuote(form, price, lotText);
    const Ext lotFromStop = RiskMoney(form) / StopLossDivisor(form);
    form.Edit_ProcLot2.text = General(lotFromStop / Num(factor));
  }
  if (!Has(pair, "USD")) {
    for (const BaseRow& row : kMarginBases) {
      if (!Has(pair, row.test)) continue;
      const Ext units = Num(form.*row.ref) * 100000;
      WriteLotFromMargin(form, StoreDouble(units / Num(leverageText)));
      const Ext value = Num(form.*row.ref) * 100000 * Num(lotText);
      form.Zalog.caption = General(value / Num(leverageText));
    }
    PointValueByBase(form, price, lotText);
  }
}

// "<money>$ или <percent of the deposit>%" for a number of points at the point value.
static std::string MoneyAndPercent(const TForm1& form, const std::string& pointsText) {
  const Ext money = Num(pointsText) * Num(form.Punkt.caption);
  const Ext percent = money / Num(form.Edit_Deposit.text) * 100;
  std::string text = General(money);
  text.append("$ или ").append(General(percent)).append("%");
  return text;
}

void WriteProfitText(TForm1& form) {
  form.Label_Profit.caption = MoneyAndPercent(form, form.ComboBox_Teik.text);
}

void WriteLossText(TForm1& form) {
  form.Label_Loss.caption = MoneyAndPercent(form, form.ComboBox_los.text);
}

void WriteLossCount(TForm1& form) {
  if (!(Num(form.ComboBox_los.text) > 0)) return;
  const Ext loss = Num(form.ComboBox_los.text) * Num(form.Punkt.caption);
  std::string text = "можно ошибится ";
  text.append(Pattern("0.0#", Num(form.Edit_Deposit.text) / loss)).append(" раз");
  form.Label_Loss2.caption = std::move(text);
}

void WarnFunds(TForm1& form) {
  if (!(Num(form.Zalog.caption) > Num(form.Edit_Deposit.text))) return;
  form.Memo1.Add(kNoFunds);
  form.Memo1.fontColor = colors::Red;
  form.Label42.fontColor = colors::Red;
}

void WritePriceLevels(TForm1& form) {
  // A point is 0.00001 of the price for every pair; the offset is formed before it is applied.
  if (form.RadioButton_Buy.checked) {
    const Ext bid = Num(form.SelectedBid);
    form.Edit_Loss.text = Pattern("0.00000#", bid - Num(form.ComboBox_los.text) / 100000);
    form.Edit_Teik.text = Pattern("0.00000#", bid + Num(form.ComboBox_Teik.text) / 100000);
  }
  if (form.RadioButton_sell.checked) {
    const Ext ask = Num(form.SelectedAsk);
    form.Edit_Loss.text = Pattern("0.00000#", ask + Num(form.ComboBox_los.text) / 100000);
    form.Edit_Teik.text = Pattern("0.00000#", ask - Num(form.ComboBox_Teik.text) / 100000);
  }
}

void WriteRatio(TForm1& form) {
  if (Num(form.ComboBox_Teik.text) > 0 && Num(form.ComboBox_los.text) > 0) {
    form.Soot.caption = Pattern("0.#", Num(form.ComboBox_Teik.text) / Num(form.ComboBox_los.text));
  }
  if (Num(form.Soot.caption) > 3) form.Label34.fontColor = colors::Green;
}

void WarnRisk(TForm1& form) {
  if (!(Num(form.ComboBox_LotProc.text) > 70)) return;
  form.Memo1.Add(kRiskTooHigh);
  form.Memo1.fontColor = colors::Red;
}

void WarnRatio(TForm1& form) {
  if (!(Num(form.Soot.caption) < 3)) return;
  form.Label34.fontColor = colors::Red;
  form.Memo1.Add(kRatioTooLow);
  form.Memo1.fontColor = colors::Red;
}

void FormatLotBoxes(TForm1& form) {
  if (!form.Edit_ProcLot.text.empty()) {
    form.Edit_ProcLot.text = Pattern("0.##", Num(form.Edit_ProcLot.text));
  }
  if (!form.Edit_ProcLot2.text.empty()) {
    form.Edit_ProcLot2.text = Pattern("0.##", Num(form.Edit_ProcLot2.text));
  }
}

}  // namespace assistant

void TForm1::ListView1Click() {
  // The warnings always start afresh, even when the run ends at its first conversion.
  Memo1.Clear();
  try {
    if (assistant::DepositGatePasses(*this)) {
      const std::string price = assistant::PickUpPair(*this);
      if (RadioButton11.checked) {
        Memo1.fontColor = colors::Black;
        Zalog.caption = "0";
        Label42.fontColor = colors::Gray;
        assistant::SizeByLots(*this, price);
        assistant::WriteProfitText(*this);
        assistant::WriteLossText(*this);
        assistant::WriteLossCount(*this);
        assistant::WarnFunds(*this);
        assistant::WritePriceLevels(*this);
        assistant::WriteRatio(*this);
      }
      if (RadioButton9.checked) {
        assistant::SizeByPercent(*this, price);
        assistant::WriteProfitText(*this);
        assistant::WriteLossText(*this);
        assistant::WriteLossCount(*this);
        assistant::WarnRisk(*this);
      }
      assistant::WarnRatio(*this);
    }
    assistant::FormatLotBoxes(*this);
  } catch (const ConversionError&) {
    // The recalculation runs on every keystroke: a half-typed figure is normal, not an error
    // worth a message box. What was written so far stays; the rest keeps its previous state.
  } catch (const FloatError&) {
    // Same for a zero leverage, a zero point value and the like.
  }
}

}  // namespace tiramon
