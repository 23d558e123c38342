// The assistant's recalculation: margin, point value and lot sizing for the selected pair, then
// the money at stake, the price levels, the ratio and the warnings. Every input is read from its
// control's text at the moment it is needed, so a run always reflects what the user sees, and a
// text that does not convert simply ends the run where it is used.
#include "assistant/recalc.h"

#include <cstddef>

#include "app/broker_conditions.h"
#include "app/pairs.h"
#include "assistant/broker_figures.h"
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
  form.Punkt.caption = General(Round2(InAccount(form, scaled / Num(price)).v));
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
  if (pairs::QuotedInDollars(pair) && !pairs::DollarBased(pair)) return perPoint;
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
  form.Punkt.caption = General(Round2(InAccount(form, ref * lotUnits / Num(price)).v));
}

// R × D ÷ 100: the money the user is prepared to put at stake.
Ext RiskMoney(const TForm1& form) {
  const Ext risk = Num(form.ComboBox_LotProc.text);
  const Ext deposit = Num(form.Edit_Deposit.text);
  return risk * deposit / 100;
}

// The lot whose margin is the risk money, for a one-lot margin in dollars kept, in the account's
// money, as a double; rounded down to the broker's lot step.
void WriteLotFromMargin(TForm1& form, Ext oneLotMarginInDollars) {
  const double oneLotMargin = StoreDouble(InAccount(form, oneLotMarginInDollars));
  form.Edit_ProcLot.text = General(StepDown(form, RiskMoney(form) / oneLotMargin));
}

Ext StopLossDivisor(const TForm1& form) { return Num(form.ComboBox_los.text); }

// The lot that loses the risk money over the stop: risk ÷ SL ÷ what one point of a lot is worth.
// With a commission, the lot whose loss over the stop and commission together are the risk
// money: risk ÷ (SL × point value + commission of one lot). Rounded down to the lot step.
void WriteLotFromStop(TForm1& form, std::string_view price) {
  const Ext onePoint = InAccount(form, PointValueOfOneLot(form, price));
  const double commission = form.Broker.commissionPerLot;
  Ext lot;
  if (commission == 0) {
    lot = RiskMoney(form) / StopLossDivisor(form) / onePoint;
  } else {
    lot = RiskMoney(form) / (StopLossDivisor(form) * onePoint + commission);
  }
  form.Edit_ProcLot2.text = General(StepDown(form, lot));
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
    form.Zalog.caption = General(InAccount(form, value / Num(leverageText)));
    form.Punkt.caption = Pattern("0.00#", InAccount(form, Num(lotText)));
  }
  if (pairs::DollarBased(pair)) {
    const Ext units = Num(lotText) * 100000;
    form.Zalog.caption = General(InAccount(form, units / Num(leverageText)));
    PointValueByQuote(form, price, lotText);
  }
  if (pairs::Cross(pair)) {
    if (const pairs::CrossBase* base = pairs::BaseOf(pair)) {
      const Ext units = pairs::DollarsPerBaseUnit(form, *base) * 100000;
      const Ext value = units * Num(lotText);
      form.Zalog.caption = General(InAccount(form, value / Num(leverageText)));
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
    WriteLotFromMargin(form, units / Num(leverageText));
    WriteLotFromStop(form, price);
    const Ext value = Num(price) * 100000 * Num(lotText);
    form.Zalog.caption = Pattern("0.0#", InAccount(form, value / Num(leverageText)));
    form.Punkt.caption = Pattern("0.00#", InAccount(form, Num(lotText)));
  }
  if (pairs::DollarBased(pair)) {
    WriteLotFromMargin(form, Ext(100000) / Num(leverageText));
    const Ext units = Num(lotText) * 100000;
    form.Zalog.caption = Pattern("0.0#", InAccount(form, units / Num(leverageText)));
    PointValueByQuote(form, price, lotText);
    WriteLotFromStop(form, price);
  }
  if (pairs::Cross(pair)) {
    if (const pairs::CrossBase* base = pairs::BaseOf(pair)) {
      const Ext units = pairs::DollarsPerBaseUnit(form, *base) * 100000;
      WriteLotFromMargin(form, units / Num(leverageText));
      const Ext value = pairs::DollarsPerBaseUnit(form, *base) * 100000 * Num(lotText);
      form.Zalog.caption = General(InAccount(form, value / Num(leverageText)));
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

// The money at the take profit, net of the commission of the lot traded.
static Ext NetProfit(const TForm1& form) {
  const Ext gross = Num(form.ComboBox_Teik.text) * Num(form.Punkt.caption);
  if (form.Broker.commissionPerLot == 0) return gross;
  return gross - CommissionOf(form, Num(TradedLotText(form)));
}

// The money lost at the stop, the commission of the lot traded included.
static Ext GrossLoss(const TForm1& form) {
  const Ext loss = Num(form.ComboBox_los.text) * Num(form.Punkt.caption);
  if (form.Broker.commissionPerLot == 0) return loss;
  return loss + CommissionOf(form, Num(TradedLotText(form)));
}

// "<money>$ или <percent of the deposit>%", with the sign of the account's currency.
static std::string MoneyAndPercent(const TForm1& form, Ext money) {
  const Ext percent = money / Num(form.Edit_Deposit.text) * 100;
  std::string text = General(money);
  text.append(CurrencySign(form.Broker.accountCurrency))
      .append(" или ")
      .append(General(percent))
      .append("%");
  return text;
}

void WriteProfitText(TForm1& form) {
  form.Label_Profit.caption = MoneyAndPercent(form, NetProfit(form));
}

void WriteLossText(TForm1& form) {
  form.Label_Loss.caption = MoneyAndPercent(form, GrossLoss(form));
}

void WriteLossCount(TForm1& form) {
  if (!(Num(form.ComboBox_los.text) > 0)) return;
  const Ext loss = GrossLoss(form);
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
  // Typed as prices, the levels are the user's own text.
  if (form.CheckBox_StopLevels.checked) return;
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
    // Without a commission the money on either side is the same point value times the points.
    if (form.Broker.commissionPerLot == 0) {
      form.Soot.caption =
          Pattern("0.#", Num(form.ComboBox_Teik.text) / Num(form.ComboBox_los.text));
    } else {
      form.Soot.caption = Pattern("0.#", NetProfit(form) / GrossLoss(form));
    }
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

namespace assistant {
namespace {

// Steps 3 to 6 of a run that passed the deposit gate. Records how far it got for the caller's
// clean-up after a failure.
void RunPastTheGate(TForm1& form, bool& pairTakenUp, bool& levelsWritten) {
  const std::string price = PickUpPair(form);
  pairTakenUp = true;
  // Stops typed as prices become points before anything counts with them; a level on the wrong
  // side of the entry ends the run with its warning.
  if (!DeriveStopPoints(form, price)) return;
  if (form.RadioButton11.checked) {
    form.Memo1.fontColor = colors::Black;
    form.Zalog.caption = "0";
    form.Label42.fontColor = colors::Gray;
    SizeByLots(form, price);
    // Before the money: a lot too small to count with still says why.
    WarnLots(form);
    WriteProfitText(form);
    WriteLossText(form);
    WriteLossCount(form);
    WarnFunds(form);
    WritePriceLevels(form, price);
    levelsWritten = true;
    WriteStopOut(form, price);
    WriteRatio(form);
  }
  if (form.RadioButton9.checked) {
    SizeByPercent(form, price);
    WarnLots(form);
    WriteProfitText(form);
    WriteLossText(form);
    WriteLossCount(form);
    WarnRisk(form);
    WritePriceLevels(form, price);
    levelsWritten = true;
    WriteStopOut(form, price);
    // Take profit over stop loss does not depend on the lot, so the ratio and its colour
    // are as current here as in lots mode.
    WriteRatio(form);
  }
  WarnRatio(form);
  FormatLotBoxes(form);
}

}  // namespace
}  // namespace assistant

void TForm1::ListView1Click() {
  // The warnings always start afresh, even when the run ends at its first conversion.
  Memo1.Clear();
  // The rate the account's money is counted at is the table's, which a refresh has just changed.
  assistant::ShowBrokerLine(*this);
  // The price boxes feed the clipboard and the trading terminal: a run that has taken up a pair
  // and its price but ends before it sets them must not leave the levels of another pair or
  // price there. A run that ends at the deposit gate has not looked at the pair yet. Levels the
  // user types as prices are his own text and stay.
  bool pairTakenUp = false;
  bool levelsWritten = false;
  const bool levelsTyped = CheckBox_StopLevels.checked;
  try {
    if (assistant::DepositGatePasses(*this)) {
      assistant::RunPastTheGate(*this, pairTakenUp, levelsWritten);
    } else {
      assistant::FormatLotBoxes(*this);
    }
  } catch (const ConversionError&) {
    // The recalculation runs on every keystroke: a half-typed figure is normal, not an error
    // worth a message box. What was written so far stays; the rest keeps its previous state.
    if (pairTakenUp && !levelsWritten && !levelsTyped) assistant::ClearPriceLevels(*this);
  } catch (const FloatError&) {
    // Same for a zero leverage, a zero point value and the like.
    if (pairTakenUp && !levelsWritten && !levelsTyped) assistant::ClearPriceLevels(*this);
  }
  // The pair may have changed: say where its price comes from.
  ShowPriceOrigin();
}

}  // namespace tiramon
