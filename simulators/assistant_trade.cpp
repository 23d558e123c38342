#include "app/assistant_trade.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "support/numtext.h"

namespace tiramon {
namespace {

[[noreturn]] void Refuse(const std::string& message) { throw std::invalid_argument(message); }

double Number(const std::string& text, const char* field) {
  double value = 0;
  try {
    value = static_cast<double>(ParseDecimal(text));
  } catch (const ConversionError&) {
    Refuse(std::string("Помощник: ") + field + " «" + text + "» — не число");
  }
  if (!std::isfinite(value))
    Refuse(std::string("Помощник: ") + field + " «" + text + "» — не число");
  return value;
}

}  // namespace

AssistantTrade ReadAssistantTrade(const TForm1& form) {
  const double stop = Number(form.ComboBox_los.text, "стоп-лосс");
  const double take = Number(form.ComboBox_Teik.text, "тейк-профит");
  const double point = Number(form.Punkt.caption, "стоимость пункта");
  const double deposit = Number(form.Edit_Deposit.text, "депозит");
  if (!(stop > 0)) Refuse("Помощник: стоп-лосс должен быть больше нуля");
  if (!(take >= 0)) Refuse("Помощник: тейк-профит не может быть отрицательным");
  if (!(deposit > 0)) Refuse("Помощник: депозит должен быть больше нуля");
  if (!(point > 0))
    Refuse(
        "Помощник: стоимость пункта ещё не посчитана — выберите валютную пару на вкладке "
        "«Форекс валютные пары»");
  // The broker's commission of the lot traded is lost at the stop and taken from the profit.
  double commission = 0;
  if (form.Broker.commissionPerLot != 0) {
    const std::string& lot =
        form.RadioButton11.checked ? form.ComboBox_Lot.text : form.Edit_ProcLot.text;
    commission = form.Broker.commissionPerLot * Number(lot, "лот");
  }
  const double loss = stop * point + commission;
  const double profit = take * point - commission;
  if (profit < 0) Refuse("Помощник: прибыль по тейк-профиту не покрывает комиссию брокера");
  const AssistantTrade trade{loss / deposit * 100, commission == 0 ? take / stop : profit / loss};
  if (!(trade.riskPercent < 100))
    Refuse("Помощник: убыток по стоп-лоссу не меньше депозита — такой риск не рассчитать");
  return trade;
}

}  // namespace tiramon
