// The assistant's recalculation: margin, point value and lot sizing for the selected pair, then
// the money at stake, the price levels, the ratio and the warnings. Every input is read from its
// control's text at the moment it is needed, so a run always reflects what the user sees, and a
// text that does not convert simply ends the run where it is used.
#include "assistant/recalc.h"

#include <cstddef>

#include "app/pairs.h"
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

std::string General(Ext value) { return FormatGeneral(value.v); }
std::string Pattern(std::string_view pattern, Ext value) { return FormatPattern(pattern, value.v); }

// Point value of a dollar-based pair: one point of a lot is 1 (or, for yen and rouble, 100 less
// a hair, so that a value on a rounding tie falls just below it) of the quote currency, turned
// into dollars at the price.
void PointValueByQuote(TForm1& form, std::string_view price, const std::string& lotText) {
  const std::string pair = form.Label_Valuta.caption;
  const long double k = pairs::ThousandthPoint(pair) ? kHundredMinus : 1;
  const Ext scaled = Num(lotText) * k;
  form.Punkt.caption = General(Round2((scaled / Num(price)).v));
}

// Dollars that one point of one lot of a dollar-based pair or a cross with a known base is
// worth, unrounded: the quote currency's units per point of a lot, converted at the price and,
// for a cross, through the base's dollar rate.
Ext PointValueOfOneLot(const TForm1& form, std::string_view price) {
  const std::string& pair = form.Label_Valuta.caption;
  const Ext perPoint = pairs::QuoteUnitsPerPointOfLot(pair);
  if (pairs::Cross(pair)) {
    return pairs::DollarsPerBaseUnit(form, *pairs::BaseOf(pair)) * perPoint / Num(price);
  }
  return perPoint / Num(price);
}

// Point value of a cross: one point of a lot is 1 (100 for yen and rouble quotes) of the quote
// currency, worth 1 ÷ price of the base, which the reference turns into dollars. A cross whose
// base has no dollar reference cannot be valued: its point value reads 0 rather than the value
// of whatever pair came before.
void PointValueByBase(TForm1& form, std::string_view price, const std::string& lotText) {
  const std::string pair = form.Label_Valuta.caption;
  const pairs::CrossBase* base = pairs::BaseOf(pair);
  if (base == nullptr) {
    form.Punkt.caption = "0";
    return;
  }
  const Ext ref = pairs::DollarsPerBaseUnit(form, *base);
  const Ext lotUnits = Num(lotText) * pairs::QuoteUnitsPerPointOfLot(pair);
  form.Punkt.caption = General(Round2((ref * lotUnits / Num(price)).v));
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

// The lot that loses the risk money over the stop: risk ÷ SL ÷ the dollars one point of a lot
// is worth. For a dollar-quoted pair that value is exactly 1.
void WriteLotFromStop(TForm1& form, std::string_view price) {
  const Ext lotFromStop = RiskMoney(form) / StopLossDivisor(form);
  form.Edit_ProcLot2.text = General(lotFromStop / PointValueOfOneLot(form, price));
}

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
  // The entry: a position is bought at the ask and sold at the bid, the prices the two buttons
  // show. It is sized at that price and its levels are set from it, so the loss shown is what a
  // stop hit at the level shown loses, spread included.
  std::string price;
  if (form.RadioButton_Buy.checked) price = form.SelectedAsk;
  if (form.RadioButton_sell.checked) price = form.SelectedBid;
  return price;
}

void SizeByLots(TForm1& form, std::string_view price) {
  const std::string pair = form.Label_Valuta.caption;
  const std::string& lotText = form.ComboBox_Lot.text;
  const std::string& leverageText = form.ComboBox_Plecho.text;
  if (pairs::QuotedInDollars(pair)) {
    const Ext p = Num(price);
    const Ext units = p * 100000;
    const Ext value = units * Num(lotText);
    form.Zalog.caption = General(value / Num(leverageText));
    form.Punkt.caption = Pattern("0.00#", Num(lotText));
  }
  if (pairs::DollarBased(pair)) {
    const Ext units = Num(lotText) * 100000;
    form.Zalog.caption = General(units / Num(leverageText));
    PointValueByQuote(form, price, lotText);
  }
  if (pairs::Cross(pair)) {
    if (const pairs::CrossBase* base = pairs::BaseOf(pair)) {
      const Ext units = pairs::DollarsPerBaseUnit(form, *base) * 100000;
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
  if (pairs::QuotedInDollars(pair)) {
    const Ext units = Num(price) * 100000;
    WriteLotFromMargin(form, StoreDouble(units / Num(leverageText)));
    form.Edit_ProcLot2.text = General(RiskMoney(form) / StopLossDivisor(form));
    const Ext value = Num(price) * 100000 * Num(lotText);
    form.Zalog.caption = Pattern("0.0#", value / Num(leverageText));
    form.Punkt.caption = Pattern("0.00#", Num(lotText));
  }
  if (pairs::DollarBased(pair)) {
    WriteLotFromMargin(form, StoreDouble(Ext(100000) / Num(leverageText)));
    const Ext units = Num(lotText) * 100000;
    form.Zalog.caption = Pattern("0.0#", units / Num(leverageText));
    PointValueByQuote(form, price, lotText);
    WriteLotFromStop(form, price);
  }
  if (pairs::Cross(pair)) {
    if (const pairs::CrossBase* base = pairs::BaseOf(pair)) {
      const Ext units = pairs::DollarsPerBaseUnit(form, *base) * 100000;
      WriteLotFromMargin(form, StoreDouble(units / Num(leverageText)));
      const Ext value = pairs::DollarsPerBaseUnit(form, *base) * 100000 * Num(lotText);
      form.Zalog.caption = General(value / Num(leverageText));
    }
    PointValueByBase(form, price, lotText);
    // Without a dollar rate for the base there is no lot to offer, and the box must not keep the
    // lot of the pair before.
    if (pairs::BaseOf(pair) == nullptr) {
      form.Edit_ProcLot2.text.clear();
    } else {
      WriteLotFromStop(form, price);
    }
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

void WritePriceLevels(TForm1& form, std::string_view price) {
  // The levels lie the stop and the take profit away from the entry, counted in the pair's own
  // points, the same points its loss is counted in; the offset is formed before it is applied.
  const long double points = pairs::PointsPerPriceUnit(form.Label_Valuta.caption);
  if (form.RadioButton_Buy.checked) {
    const Ext entry = Num(price);
    form.Edit_Loss.text = Pattern("0.00000#", entry - Num(form.ComboBox_los.text) / points);
    form.Edit_Teik.text = Pattern("0.00000#", entry + Num(form.ComboBox_Teik.text) / points);
  }
  if (form.RadioButton_sell.checked) {
    const Ext entry = Num(price);
    form.Edit_Loss.text = Pattern("0.00000#", entry + Num(form.ComboBox_los.text) / points);
    form.Edit_Teik.text = Pattern("0.00000#", entry - Num(form.ComboBox_Teik.text) / points);
  }
}

void ClearPriceLevels(TForm1& form) {
  form.Edit_Loss.text.clear();
  form.Edit_Teik.text.clear();
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
  // The price boxes feed the clipboard and the trading terminal: a run that has taken up a pair
  // and its price but ends before it sets them must not leave the levels of another pair or
  // price there. A run that ends at the deposit gate has not looked at the pair yet.
  bool pairTakenUp = false;
  bool levelsWritten = false;
  try {
    if (assistant::DepositGatePasses(*this)) {
      const std::string price = assistant::PickUpPair(*this);
      pairTakenUp = true;
      if (RadioButton11.checked) {
        Memo1.fontColor = colors::Black;
        Zalog.caption = "0";
        Label42.fontColor = colors::Gray;
        assistant::SizeByLots(*this, price);
        assistant::WriteProfitText(*this);
        assistant::WriteLossText(*this);
        assistant::WriteLossCount(*this);
        assistant::WarnFunds(*this);
        assistant::WritePriceLevels(*this, price);
        levelsWritten = true;
        assistant::WriteRatio(*this);
      }
      if (RadioButton9.checked) {
        assistant::SizeByPercent(*this, price);
        assistant::WriteProfitText(*this);
        assistant::WriteLossText(*this);
        assistant::WriteLossCount(*this);
        assistant::WarnRisk(*this);
        assistant::WritePriceLevels(*this, price);
        levelsWritten = true;
        // Take profit over stop loss does not depend on the lot, so the ratio and its colour
        // are as current here as in lots mode.
        assistant::WriteRatio(*this);
      }
      assistant::WarnRatio(*this);
    }
    assistant::FormatLotBoxes(*this);
  } catch (const ConversionError&) {
    // The recalculation runs on every keystroke: a half-typed figure is normal, not an error
    // worth a message box. What was written so far stays; the rest keeps its previous state.
    if (pairTakenUp && !levelsWritten) assistant::ClearPriceLevels(*this);
  } catch (const FloatError&) {
    // Same for a zero leverage, a zero point value and the like.
    if (pairTakenUp && !levelsWritten) assistant::ClearPriceLevels(*this);
  }
  // The pair may have changed: say where its price comes from.
  ShowPriceOrigin();
}

}  // namespace tiramon
