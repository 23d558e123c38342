// "Слив депозита": how many losing trades in a row empty a deposit when every trade loses a
// percentage of the deposit or a fixed amount, so the two ways of sizing the risk can be compared.
#include "app/unit1.h"
#include "support/checked.h"
#include "support/numtext.h"

namespace tiramon {
namespace {

// The table stops here even if the deposit is never drained (a small percentage only shrinks it,
// a zero or negative loss never does).
constexpr std::int32_t kMaxDrainTrades = 200;

}  // namespace

void TForm1::Button4Click() {
  mmo_lot2.Clear();

  double deposit = StoreDouble(ParseDecimal(edt_Kapital2.text));
  // The hidden trade count is still converted, so a bad text in it is reported like any other.
  static_cast<void>(ParseInteger(edt_count2.text));
  const double lossPercent = StoreDouble(ParseDecimal(edit_riska1.text));
  const double lossMoney = StoreDouble(ParseDecimal(edit_riska2.text));

  const bool percentMode = RadioButton3.checked;
  const bool moneyMode = RadioButton4.checked;
  if (percentMode) mmo_lot2.Add("Экспоненциальный расчет:");
  if (moneyMode) mmo_lot2.Add("Линейный расчет:");

  double risk = 0;
  for (std::int32_t trade = 1; trade <= kMaxDrainTrades; ++trade) {
    if (percentMode) risk = StoreDouble(Ext(deposit) / 100 * lossPercent);
    if (moneyMode) risk = lossMoney;
    mmo_lot2.Add(IntegerToText(trade) + ") Депозит: " + FormatGeneral(deposit) +
                 ", риск: " + FormatPattern("0.##", risk));
    deposit = StoreDouble(Ext(deposit) - risk);
    // Written so that an unordered comparison also counts as drained.
    if (!(deposit >= 1)) {
      mmo_lot2.Add("Чтобы слить депозит потребуется " + IntegerToText(trade) + " сделок!");
      break;
    }
  }
  mmo_lot2.Add("Итого депозит:" + FormatGeneral(deposit));
}

}  // namespace tiramon
