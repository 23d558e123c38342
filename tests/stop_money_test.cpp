// The money at the stop and the price levels for every pair the demo feed quotes, buying and
// selling, in both modes, checked against plain trading arithmetic on the feed's own rates:
//   - a position is opened at the entry, the ask when buying and the bid when selling;
//   - a point is 0.001 of a yen or rouble price and 0.00001 of any other;
//   - the stop lies SL points from the entry on the losing side (below it when buying), the take
//     profit TP points away on the winning side;
//   - a lot is 100000 units of the base, so a point of L lots is L × 100000 × point units of the
//     quote currency; the quote currency is worth $1 (…/USD), 1 ÷ entry dollars (USD/…), or the
//     base's dollar value ÷ entry (crosses); a franc and a Canadian dollar are worth 1 ÷ the
//     USD/CHF (USD/CAD) bid rounded half up to five decimals, the other bases their …/USD bid;
//   - so the loss at the stop is (entry − stop level) in points × the value of a point, to the
//     cent, whatever the point value is shown rounded to.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "app/unit1.h"
#include "support/numtext.h"
#include "tests/support/dollar_values.h"
#include "tests/support/feed_process.h"
#include "tests/support/test_files.h"

namespace tiramon {
namespace {

using testing::BaseInDollars;
using testing::Book;
using testing::FiveDecimalsHalfUp;
using testing::Prices;

// Dollars per unit of the quote currency straight from its own dollar pair, a check on the
// cross's valuation through its base that does not go through the program's route.
long double QuoteInDollarsDirect(const Book& book, const std::string& quote) {
  if (quote == "USD") return 1;
  if (book.count("USD/" + quote)) return 1 / book.at("USD/" + quote).bid;
  return book.at(quote + "/USD").bid;
}

// The money of a "<money>$ или <percent>%" label.
long double Money(const std::string& label) {
  EXPECT_NE(label.find("$ или "), std::string::npos) << label;
  return std::stold(label);
}

TEST(StopMoneyTest, EveryDemoPairBuyingAndSellingLosesWhatItsPointsAreWorth) {
  DecimalMark = '.';
  testing::FeedProcess feed(TIRAMON_QUOTE_FEED, {"--seed", "11"});
  ASSERT_NE(feed.port(), 0);
  testing::TempDir dir;
  const Environment environment = feed.EnvironmentIn(dir.path());
  TForm1 form(environment);
  form.Button9Click();
  ASSERT_GE(form.ListView1.items.size(), 30u);
  Book book;
  for (const TListItem& row : form.ListView1.items) {
    book[row.caption] = {std::stold(row.subItems[0]), std::stold(row.subItems[1])};
  }

  const long double deposit = 10000, risk = 5, leverage = 100, stop = 150, take = 500;
  form.Edit_Deposit.text = "10000";
  form.ComboBox_LotProc.text = "5";
  form.ComboBox_Plecho.text = "100";
  form.ComboBox_los.text = "150";
  form.ComboBox_Teik.text = "500";
  form.ComboBox_Lot.text = "1";
  int checked = 0;
  for (std::size_t i = 0; i < form.ListView1.items.size(); ++i) {
    const std::string pair = form.ListView1.items[i].caption;
    const std::string base = pair.substr(0, 3), quote = pair.substr(4, 3);
    const long double point = (quote == "JPY" || quote == "RUB") ? 0.001L : 0.00001L;
    for (const bool buying : {true, false}) {
      for (const bool percent : {false, true}) {
        SCOPED_TRACE(pair + (buying ? " bought" : " sold") +
                     (percent ? " in percent" : " in lots"));
        form.RadioButton_Buy.checked = buying;
        form.RadioButton_sell.checked = !buying;
        form.RadioButton11.checked = !percent;
        form.RadioButton9.checked = percent;
        form.ListView1.selectedIndex = static_cast<int>(i);
        form.ListView1Click();

        const long double entry = buying ? book.at(pair).ask : book.at(pair).bid;
        const std::optional<long double> baseInDollars = BaseInDollars(book, base, entry, pair);
        if (!baseInDollars) {
          // SGD/JPY: valued through USD/SGD, a rate these definitions leave out; its figures are
          // there all the same.
          EXPECT_NE(form.Edit_Loss.text, "");
          continue;
        }
        const long double quoteInDollars =
            quote == "USD" ? 1 : (base == "USD" ? 1 / entry : *baseInDollars / entry);
        // Percent mode takes the lot whose margin (100000 units of the base at the leverage) is
        // the risk share of the deposit, rounded down to 0.01.
        const long double lot =
            percent ? std::floor(risk * deposit / 100 / (100000 * *baseInDollars / leverage) * 100 +
                                 1e-9L) /
                          100
                    : 1;
        const long double pointValue = lot * 100000 * point * quoteInDollars;

        // The levels: SL points from the entry on the losing side, TP on the winning side.
        const long double stopLevel = std::stold(form.Edit_Loss.text);
        const long double takeLevel = std::stold(form.Edit_Teik.text);
        const long double side = buying ? 1 : -1;
        EXPECT_NEAR(stopLevel, entry - side * stop * point, 1e-9L) << form.Edit_Loss.text;
        EXPECT_NEAR(takeLevel, entry + side * take * point, 1e-9L) << form.Edit_Teik.text;
        EXPECT_LT(side * stopLevel, side * entry) << "the stop is on the winning side";

        // The loss shown is what the stop shown loses: the points between entry and stop at
        // the exact value of a point, to the cent; the point value as shown is within 1 % of it.
        const long double pointsLost = side * (entry - stopLevel) / point;
        const long double shownPointValue = std::stold(form.Punkt.caption);
        EXPECT_NEAR(Money(form.Label_Loss.caption), pointsLost * pointValue, 0.005L + 1e-9L)
            << form.Label_Loss.caption;
        EXPECT_NEAR(shownPointValue, pointValue, 0.01L * pointValue + 1e-12L) << form.Punkt.caption;
        EXPECT_NEAR(Money(form.Label_Profit.caption),
                    side * (takeLevel - entry) / point * pointValue, 0.005L + 1e-9L)
            << form.Label_Profit.caption;

        // And a cross's valuation through its base agrees with its quote currency's own dollar
        // pair: the feed's crosses are within 0.1 % of its dollar pairs.
        const long double direct = lot * 100000 * point * QuoteInDollarsDirect(book, quote);
        EXPECT_NEAR(Money(form.Label_Loss.caption), stop * direct,
                    stop * 0.005L + stop * direct * 0.001L);
        ++checked;
      }
    }
  }
  EXPECT_GE(checked, 4 * 30);
}

}  // namespace
}  // namespace tiramon
