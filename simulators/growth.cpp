// "Рост депозита": how many winning trades grow a starting deposit to a target when every trade
// risks a percentage of the deposit (compound growth) or a fixed amount (linear growth).
#include "app/unit1.h"
#include "support/checked.h"
#include "support/errors.h"
#include "support/numtext.h"

namespace tiramon {
namespace {

// The loop has no natural end when a trade earns nothing, and a huge target with a tiny profit
// would fill the memo for minutes; both are refused instead.
constexpr int kMaxGrowthTrades = 100000;
constexpr const char* kNoProfitMessage =
    "Расчет невозможен: прибыль сделки должна быть больше нуля, иначе депозит никогда не "
    "достигнет конечного (проверьте депозит, риск и соотношение)";
constexpr const char* kTooManyTradesMessage =
    "Слишком длинный расчет: до конечного депозита больше 100000 сделок. Увеличьте риск или "
    "уменьшите конечный депозит.";

}  // namespace

void TForm1::Button1Click() {
  mmo_lot.Clear();

  double deposit = StoreDouble(ParseDecimal(edt_Kapital.text));
  const std::int32_t target = ParseInteger(edt_count.text);
  const double riskPercent = StoreDouble(ParseDecimal(edit_risk.text));
  const double riskMoney = StoreDouble(ParseDecimal(edit_risk2.text));
  const double ratio = StoreDouble(ParseDecimal(edit_sootonoshenie.text));

  const bool percentMode = RadioButton1.checked;
  const bool moneyMode = RadioButton2.checked;
  if (percentMode) mmo_lot.Add("Экспоненциальный расчет:");
  if (moneyMode) mmo_lot.Add("Линейный расчет:");

  const auto tradeRisk = [&](double current, double previousRisk) {
    double risk = previousRisk;
    if (percentMode) risk = StoreDouble(Ext(current) / 100 * riskPercent);
    if (moneyMode) risk = riskMoney;
    return risk;
  };

  const auto reachedTarget = [&](double current) {
    return !(static_cast<long double>(target) > current);
  };

  if (!reachedTarget(deposit) && !((Ext(tradeRisk(deposit, 0)) * ratio).v > 0)) {
    mmo_lot.Clear();
    throw UserError(kNoProfitMessage);
  }

  double risk = 0;
  std::int32_t trade = 0;
  while (!reachedTarget(deposit)) {
    if (trade == kMaxGrowthTrades) {
      mmo_lot.Clear();
      throw UserError(kTooManyTradesMessage);
    }
    ++trade;
    risk = tradeRisk(deposit, risk);
    const Ext profit = Ext(risk) * ratio;
    mmo_lot.Add(IntegerToText(trade) + ") Депозит:" + FormatGeneral(deposit) +
                ", риск:" + FormatGeneral(risk) + ", прибыль:" + FormatPattern("0.##", profit.v));
    deposit = StoreDouble(profit + deposit);
  }
  mmo_lot.Add("Итого депозит:" + FormatGeneral(deposit));
}

}  // namespace tiramon
