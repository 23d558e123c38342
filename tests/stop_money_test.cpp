// The money at the stop and the stop price for every pair the demo feed quotes, in both modes,
// checked against plain trading arithmetic on the feed's own rates: a point is 0.001 of a yen or
// rouble price and 0.00001 of any other, a lot is 100000 units of the base, and the loss in
// the quote currency is turned into dollars through that currency's own dollar pair.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "app/unit1.h"
#include "support/numtext.h"
#include "tests/support/feed_process.h"
#include "tests/support/test_files.h"

namespace tiramon {
namespace {

using Bids = std::map<std::string, long double>;

// Dollars per unit of `currency` from the feed's dollar pairs; nullopt when it has none.
std::optional<long double> DollarsPer(const Bids& bids, const std::string& currency) {
  if (currency == "USD") return 1.0L;
  if (bids.count("USD/" + currency)) return 1 / bids.at("USD/" + currency);
  if (bids.count(currency + "/USD")) return bids.at(currency + "/USD");
  return std::nullopt;
}

// The currencies whose dollar pair the program keeps as a reference rate.
const std::set<std::string> kReferenceBases = {"USD", "EUR", "GBP", "AUD", "NZD", "CHF", "CAD"};

TEST(StopMoneyTest, EveryDemoPairLosesWhatItsPointsAreWorth) {
  DecimalMark = '.';
  testing::FeedProcess feed(TIRAMON_QUOTE_FEED, {"--seed", "11"});
  ASSERT_NE(feed.port(), 0);
  testing::TempDir dir;
  const Environment environment = feed.EnvironmentIn(dir.path());
  TForm1 form(environment);
  form.Button9Click();
  ASSERT_GE(form.ListView1.items.size(), 30u);
  Bids bids;
  for (const TListItem& row : form.ListView1.items) bids[row.caption] = std::stold(row.subItems[0]);

  const long double deposit = 10000, risk = 5, leverage = 100, stop = 150;
  form.Edit_Deposit.text = "10000";
  form.ComboBox_LotProc.text = "5";
  form.ComboBox_Plecho.text = "100";
  form.ComboBox_los.text = "150";
  form.ComboBox_Lot.text = "1";
  for (std::size_t i = 0; i < form.ListView1.items.size(); ++i) {
    const std::string pair = form.ListView1.items[i].caption;
    const std::string base = pair.substr(0, 3), quote = pair.substr(4, 3);
    const long double bid = bids.at(pair);
    const long double point = (quote == "JPY" || quote == "RUB") ? 0.001L : 0.00001L;
    const std::optional<long double> quoteInDollars = DollarsPer(bids, quote);
    const std::optional<long double> baseInDollars = DollarsPer(bids, base);
    ASSERT_TRUE(quoteInDollars.has_value()) << pair;
    for (const bool percent : {false, true}) {
      SCOPED_TRACE(pair + (percent ? " in percent mode" : " in lots mode"));
      form.RadioButton11.checked = !percent;
      form.RadioButton9.checked = percent;
      form.ListView1.selectedIndex = static_cast<int>(i);
      form.ListView1Click();
      if (!baseInDollars || !kReferenceBases.contains(base)) {
        // SGD/JPY: the program keeps no dollar rate for the base and says so with a zero point
        // value; nothing of the pair before may stay to be copied.
        EXPECT_EQ(form.Punkt.caption, "0");
        EXPECT_EQ(form.Edit_Loss.text, "");
        continue;
      }
      // Percent mode takes the lot whose margin (100000 units of the base at the leverage) is
      // the risk share of the deposit.
      const long double lot =
          percent ? risk * deposit / 100 / (100000 * *baseInDollars / leverage) : 1;
      const long double expected = stop * point * 100000 * lot * *quoteInDollars;
      const std::string& loss = form.Label_Loss.caption;
      ASSERT_NE(loss.find("$ или "), std::string::npos) << loss;
      // The point value is shown to two decimals, and the feed's crosses agree with its dollar
      // pairs to well within 0.1 %.
      EXPECT_NEAR(std::stold(loss), expected, stop * 0.005L + expected * 0.001L) << loss;
      EXPECT_NEAR(std::stold(form.Edit_Loss.text), bid - stop * point, 1e-9L);
    }
  }
}

}  // namespace
}  // namespace tiramon
