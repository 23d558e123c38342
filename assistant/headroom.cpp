#include "assistant/headroom.h"

#include <cmath>
#include <string>
#include <vector>

#include "app/book.h"
#include "app/book_trades.h"
#include "app/figure_texts.h"
#include "assistant/broker_figures.h"

namespace tiramon::assistant {
namespace {

std::string Money(const TForm1& form, long double money) {
  return MoneyText(money) + " " + std::string(CurrencySign(form.Broker.accountCurrency));
}

}  // namespace

void ShowHeadroom(TForm1& form, const PricedTrade& trade) {
  if (!LimitsSet(form.Prop)) return;
  // The lines go into the warnings box, which every recalculation empties first, so they never
  // outlive the trade they were worked out for.
  TMemo& memo = form.Memo1;
  // The account is the book's; a book not given one yet counts with the assistant's own.
  const TradeRequest& next = trade.request;
  const double balance = form.BookKept.balance > 0 ? form.BookKept.balance : next.deposit;
  const double leverage = form.BookKept.leverage > 0 ? form.BookKept.leverage : next.leverage;
  std::vector<TradeRequest> book;
  for (const CountedPosition& position : CountBook(form, balance, leverage)) {
    if (!position.trade) {
      Warn(form, "Лимиты проп-фирмы не посчитать: в портфеле " + position.problem);
      return;
    }
    book.push_back(position.trade->request);
  }
  const AccountRates rates = BookRates(form);
  Headroom room, limits;
  try {
    room = HeadroomFor(book, balance, next, form.Prop, form.Broker, rates);
    // The limit the trade on screen would breach is a prop firm's, whatever lot its own risk
    // allows.
    TradeRequest withoutOwnRisk = next;
    withoutOwnRisk.riskPercent = 0;
    limits = next.riskPercent > 0
                 ? HeadroomFor(book, balance, withoutOwnRisk, form.Prop, form.Broker, rates)
                 : room;
  } catch (const TradeError& error) {
    Warn(form, std::string("Лимиты проп-фирмы не посчитать: ") + error.what());
    return;
  }
  if (!(next.stopPoints > 0)) {
    Warn(form, "Без стопа убыток сделки не ограничен:");
    Warn(form, "она может нарушить " + limits.binding + ".");
    return;
  }
  // Short lines: the box does not wrap them.
  memo.Add("Лимиты проп-фирмы: лот не больше " + LotText(room.maxLots) + ",");
  memo.Add("держит " + room.binding + ".");
  memo.Add("При всех стопах портфеля можно потерять ещё " + Money(form, limits.money) + ".");
  // The trade as the tab shows it, its loss to the cent against the room to the cent.
  if (RoundedMoney(trade.figures.lossAtStop) > RoundedMoney(limits.money)) {
    Warn(form, "Сделка нарушит " + limits.binding + ":");
    Warn(form, "убыток по стопу " + Money(form, trade.figures.lossAtStop) + " больше запаса " +
                   Money(form, limits.money) + ".");
  }
}

}  // namespace tiramon::assistant
