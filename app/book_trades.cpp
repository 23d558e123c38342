#include "app/book_trades.h"

#include "app/market.h"
#include "support/typed_number.h"

namespace tiramon {

AccountRates BookRates(const TForm1& form) {
  return [&rates = form.TableRates, account = form.Broker.accountCurrency](std::string_view c) {
    return InAccountCurrency(rates, account, c);
  };
}

std::optional<TablePrices> TablePricesOf(const TForm1& form, std::string_view symbol) {
  for (const TListItem& row : form.ListView1.items) {
    if (row.caption != symbol || row.subItems.size() < 2) continue;
    const std::optional<double> bid = ReadTypedNumber(row.subItems[0]);
    const std::optional<double> ask = ReadTypedNumber(row.subItems[1]);
    if (bid && ask && *bid > 0 && *ask > 0) return TablePrices{*bid, *ask};
    return std::nullopt;
  }
  return std::nullopt;
}

std::vector<CountedPosition> CountBook(const TForm1& form, double balance, double leverage) {
  const AccountRates rates = BookRates(form);
  std::vector<CountedPosition> counted(form.BookKept.positions.size());
  for (std::size_t i = 0; i < counted.size(); ++i) {
    const BookPosition& position = form.BookKept.positions[i];
    const std::optional<Instrument> instrument =
        InstrumentFor(form.OwnInstruments, position.symbol);
    if (!instrument) {
      counted[i].problem =
          "Инструмент «" + position.symbol + "» программе не известен: нет его спецификации.";
      continue;
    }
    try {
      const TradeRequest request = RequestOf(position, *instrument, balance, leverage);
      counted[i].trade = PricedTrade{request, FiguresOf(request, form.Broker, rates)};
    } catch (const TradeError& error) {
      counted[i].problem = position.symbol + ": " + error.what();
    }
  }
  return counted;
}

}  // namespace tiramon
