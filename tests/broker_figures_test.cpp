// The broker's conditions in the assistant's figures, on every pair of the demo feed's quote book,
// for each account currency, with and without a commission, against plain trading arithmetic:
//   - dollars become the account's money at the table's bids: ÷ EUR/USD, × USD/RUB;
//   - one point of one lot is 100000 × point units of the quote currency (a point is 0.001 of a
//     yen or rouble price, 0.00001 of any other), worth $1 a unit (…/USD), 1 ÷ entry (USD/…), or
//     the base's dollar value ÷ entry (crosses);
//   - the loss at the stop is SL points at that value plus the commission of the lot; the lot
//     "from the stop" is the largest multiple of the lot step whose loss is within the risk;
//   - the stop-out comes when the deposit less the commission and the loss so far is the
//     stop-out share of the margin;
//   - a stop typed as a price is the same stop as the points it lies from the entry.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <string>

#include "app/unit1.h"
#include "quotes/page_parser.h"
#include "support/numtext.h"
#include "tests/support/dollar_values.h"
#include "tools/quote_feed/quote_book.h"

namespace tiramon {
namespace {

using testing::BaseInDollars;
using testing::Book;
using testing::FiveDecimalsHalfUp;
using testing::Prices;

// The account's money per dollar.
long double PerDollar(const Book& book, const std::string& currency) {
  if (currency == "EUR") return 1 / book.at("EUR/USD").bid;
  if (currency == "RUB") return book.at("USD/RUB").bid;
  return 1;
}

long double Money(const std::string& label, const char* sign) {
  EXPECT_NE(label.find(std::string(sign) + " или "), std::string::npos) << label;
  return std::stold(label);
}

// The stop-out price of "стоп-аут на 1.07512".
std::optional<long double> StopOutPrice(const std::string& label) {
  const std::string prefix = "стоп-аут на ";
  if (label.rfind(prefix, 0) != 0) return std::nullopt;
  return std::stold(label.substr(prefix.size()));
}

bool HasLineStarting(const TMemo& memo, const std::string& start) {
  for (const std::string& line : memo.lines) {
    if (line.rfind(start, 0) == 0) return true;
  }
  return false;
}

struct Shown {
  std::string zalog, punkt, procLot, procLot2, profit, loss, count, ratio, stopOut;
  std::vector<std::string> memo;
  friend bool operator==(const Shown&, const Shown&) = default;
};
Shown Snapshot(const TForm1& f) {
  return {f.Zalog.caption,       f.Punkt.caption,        f.Edit_ProcLot.text,
          f.Edit_ProcLot2.text,  f.Label_Profit.caption, f.Label_Loss.caption,
          f.Label_Loss2.caption, f.Soot.caption,         f.Label_StopOut.caption,
          f.Memo1.lines};
}

TEST(BrokerFigures, EveryDemoPairEveryAccountWithAndWithoutCommission) {
  DecimalMark = '.';
  feed::QuoteBook quoteBook(23);
  quoteBook.Step();
  TForm1 form;
  quotes::ParseQuotePage(form, quoteBook.Page(0));
  ASSERT_EQ(form.ListView1.items.size(), quoteBook.quotes().size());
  Book book;
  for (const TListItem& row : form.ListView1.items) {
    book[row.caption] = {std::stold(row.subItems[0]), std::stold(row.subItems[1])};
  }

  const long double deposit = 10000, risk = 5, leverage = 100, stop = 150, take = 500;
  const long double stopOutLevel = 50, step = 0.01L;
  form.Edit_Deposit.text = "10000";
  form.ComboBox_LotProc.text = "5";
  form.ComboBox_Plecho.text = "100";
  int checked = 0, warned = 0, quiet = 0;
  for (const char* currency : {"USD", "EUR", "RUB"}) {
    const char* sign = currency[0] == 'U' ? "$" : (currency[0] == 'E' ? "€" : "₽");
    const long double perDollar = PerDollar(book, currency);
    for (const long double commission : {0.0L, 7.0L}) {
      form.Broker = BrokerConditions{currency, static_cast<double>(commission), 0.01, 0, 0, 50};
      for (std::size_t i = 0; i < form.ListView1.items.size(); ++i) {
        const std::string pair = form.ListView1.items[i].caption;
        const std::string base = pair.substr(0, 3), quote = pair.substr(4, 3);
        const long double point = (quote == "JPY" || quote == "RUB") ? 0.001L : 0.00001L;
        for (const bool buying : {true, false}) {
          SCOPED_TRACE(pair + " " + currency + (commission > 0 ? " commission 7" : "") +
                       (buying ? " bought" : " sold"));
          const long double entry = buying ? book.at(pair).ask : book.at(pair).bid;
          const std::optional<long double> baseInDollars = BaseInDollars(book, base, entry, pair);
          // SGD/JPY is valued through USD/SGD, a rate these definitions leave out.
          if (!baseInDollars) continue;
          const long double quoteInDollars =
              quote == "USD" ? 1 : (base == "USD" ? 1 / entry : *baseInDollars / entry);
          // A unit of the account's own currency is worth itself: a rouble account trading
          // USD/RUB counts a point of a lot as 100 roubles, and the lot's value at the entry.
          const bool inOwnMoney = quote == currency;
          const long double onePoint =
              inOwnMoney ? 100000 * point : 100000 * point * quoteInDollars * perDollar;
          const long double side = buying ? 1 : -1;

          // Percent mode: the lot from the stop.
          form.CheckBox_StopLevels.checked = false;
          form.RadioButton_Buy.checked = buying;
          form.RadioButton_sell.checked = !buying;
          form.RadioButton11.checked = false;
          form.RadioButton9.checked = true;
          form.ComboBox_los.text = "150";
          form.ComboBox_Teik.text = "500";
          form.ListView1.selectedIndex = static_cast<int>(i);
          form.ListView1Click();
          const long double riskMoney = risk * deposit / 100;
          const long double lossPerLot = stop * onePoint + commission;
          const long double lot = std::stold(form.Edit_ProcLot2.text);
          ASSERT_GT(lot, 0) << "the sweep's risk buys at least one step";
          EXPECT_NEAR(lot / step, std::round(lot / step), 1e-6L) << form.Edit_ProcLot2.text;
          EXPECT_LE(lot * lossPerLot, riskMoney * (1 + 1e-12L)) << "risks more than asked";
          EXPECT_GT(lot * lossPerLot, riskMoney - step * lossPerLot) << "a whole step short";
          // The lot from the margin: its margin, in the account's money, within the risk share.
          const long double marginPerLot = inOwnMoney
                                               ? 100000 * entry / leverage
                                               : 100000 * *baseInDollars / leverage * perDollar;
          const long double marginLot = std::stold(form.Edit_ProcLot.text);
          EXPECT_LE(marginLot * marginPerLot, riskMoney * (1 + 1e-12L));
          EXPECT_GT(marginLot * marginPerLot, riskMoney - step * marginPerLot);

          // That lot typed into the lots box: its loss at the stop, commission included, is the
          // risk share within the step and the cent the point value is shown to.
          form.RadioButton9.checked = false;
          form.RadioButton11.checked = true;
          for (const int times : {1, 5}) {
            SCOPED_TRACE(times);
            const long double traded = lot * times;
            char lotText[32];
            std::snprintf(lotText, sizeof lotText, "%.2Lf", traded);
            form.ComboBox_Lot.text = lotText;
            form.ListView1Click();
            const long double shownPoint = std::stold(form.Punkt.caption);
            EXPECT_NEAR(shownPoint, traded * onePoint, 0.005L + 1e-9L) << form.Punkt.caption;
            const long double loss = Money(form.Label_Loss.caption, sign);
            EXPECT_NEAR(loss, traded * lossPerLot, stop * 0.005L + 1e-6L)
                << form.Label_Loss.caption;
            EXPECT_NEAR(Money(form.Label_Profit.caption, sign),
                        traded * (take * onePoint - commission), take * 0.005L + 1e-6L);
            if (times == 1) {
              EXPECT_LE(loss, riskMoney + stop * 0.005L);
              EXPECT_GT(loss, riskMoney - step * lossPerLot - stop * 0.005L);
            }
            // The margin is shown to the cent.
            const long double margin = std::stold(form.Zalog.caption);
            EXPECT_NEAR(margin, traded * marginPerLot, 0.005L + 1e-9L * margin);

            // The stop-out price: there the funds are the stop-out share of the margin, counted
            // with the exact money of a point, not the point value as shown.
            const long double funds = deposit - commission * traded;
            const long double exactPoint = traded * onePoint;
            const long double exactMargin = traded * marginPerLot;
            const long double pointsToStopOut =
                std::max(0.0L, (funds - stopOutLevel / 100 * exactMargin) / exactPoint);
            const std::optional<long double> stopOut = StopOutPrice(form.Label_StopOut.caption);
            if (buying && entry - pointsToStopOut * point <= 0) {
              EXPECT_EQ(form.Label_StopOut.caption, "стоп-аут не наступит");
            } else {
              ASSERT_TRUE(stopOut.has_value()) << form.Label_StopOut.caption;
              const long double pointsAgainst = side * (entry - *stopOut) / point;
              if (pointsToStopOut > 0) {
                // Shown at the whole point at or before it: there the margin level has not yet
                // fallen to the stop-out level, and one point further it has.
                EXPECT_NEAR(pointsAgainst, std::floor(pointsToStopOut), 1e-6L)
                    << form.Label_StopOut.caption;
                const long double level = (funds - pointsAgainst * exactPoint) / exactMargin * 100;
                const long double onePointMore =
                    (funds - (pointsAgainst + 1) * exactPoint) / exactMargin * 100;
                EXPECT_GE(level, stopOutLevel - 1e-9L) << form.Label_StopOut.caption;
                EXPECT_LT(onePointMore, stopOutLevel + 1e-9L) << form.Label_StopOut.caption;
              } else {
                EXPECT_NEAR(*stopOut, entry, 1e-9L);
              }
              const bool warning =
                  HasLineStarting(form.Memo1, "Стоп-аут наступит раньше стопа: на ");
              EXPECT_EQ(warning, stop > pointsToStopOut) << pointsToStopOut;
              (warning ? warned : quiet) += 1;
            }

            // The same stop and take profit typed as prices: the same figures.
            const Shown inPoints = Snapshot(form);
            const std::string stopLevel = form.Edit_Loss.text;
            form.CheckBox_StopLevels.checked = true;
            form.ComboBox_los.text = "1";  // stale points, which the levels replace
            form.ComboBox_Teik.text = "1";
            form.ListView1Click();
            EXPECT_EQ(Snapshot(form), inPoints);
            EXPECT_EQ(form.ComboBox_los.text, "150");
            EXPECT_EQ(form.ComboBox_Teik.text, "500");
            EXPECT_EQ(form.Edit_Loss.text, stopLevel) << "the typed level stays as typed";
            form.CheckBox_StopLevels.checked = false;
            ++checked;
          }
        }
      }
    }
  }
  EXPECT_GE(checked, 3 * 2 * 30 * 2 * 2);
  EXPECT_GT(warned, 0) << "no case where the stop-out comes first";
  EXPECT_GT(quiet, 0) << "no case where the stop comes first";
}

}  // namespace
}  // namespace tiramon
