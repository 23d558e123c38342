#include "app/assistant_trade.h"

#include <stdexcept>
#include <string>

namespace tiramon {
namespace {

[[noreturn]] void Refuse(const std::string& message) { throw std::invalid_argument(message); }

}  // namespace

AssistantTrade ReadAssistantTrade(const TForm1& form) {
  if (!form.AssistantFigures) {
    Refuse("Помощник: " + (form.AssistantIssue.empty()
                               ? std::string("сделка ещё не посчитана — выберите валютную пару")
                               : form.AssistantIssue));
  }
  const TradeRequest& request = form.AssistantFigures->request;
  const TradeFigures& figures = form.AssistantFigures->figures;
  if (!(request.stopPoints > 0)) Refuse("Помощник: стоп-лосс должен быть больше нуля");
  if (!(figures.pointValue > 0))
    Refuse("Помощник: лот сделки равен нулю — риска не хватает на лот");
  // The broker's commission of the lot traded is lost at the stop and taken from the profit.
  if (figures.profitAtTake < 0) {
    Refuse("Помощник: прибыль по тейк-профиту не покрывает комиссию брокера");
  }
  const AssistantTrade trade{figures.lossAtStop / request.deposit * 100,
                             figures.commission == 0 ? request.takePoints / request.stopPoints
                                                     : figures.profitAtTake / figures.lossAtStop};
  if (!(trade.riskPercent < 100)) {
    Refuse("Помощник: убыток по стоп-лоссу не меньше депозита — такой риск не рассчитать");
  }
  return trade;
}

}  // namespace tiramon
