// The assistant's one recalculation: its boxes read into a trade request, the trade engine run
// once, and the figures written into the tab. A box that cannot be used clears the figures it
// decides and says in the warnings which box it is and what it expects.
#pragma once

#include <string>

#include "app/trade.h"
#include "app/unit1.h"

namespace tiramon::assistant {

// Takes the selected table row (if any) as the assistant's pair, with its prices.
void PickUpPair(TForm1& form);

// The tab's boxes as a trade request. Throws TradeError naming the box for a pair, price,
// deposit, leverage, lot or risk that cannot be used; a stop loss or take profit that cannot be
// used is left out (0), with its message in `notes`.
struct AskedTrade {
  TradeRequest request;
  bool stopUsable = true, takeUsable = true;
  std::vector<std::string> notes;
};
AskedTrade ReadAskedTrade(TForm1& form);

// The account rates the tab's trade is counted at: the table's, through the pair's own price.
AccountRates RatesOfTrade(const TForm1& form, const TradeRequest& request);

// Writes a counted trade into the tab: margin, point value, lots of percent mode, money at the
// stop and the take profit, levels, stop-out, ratio and every warning that goes with them.
void ShowTrade(TForm1& form, const PricedTrade& trade, bool stopUsable, bool takeUsable);

// Every figure of the tab emptied, for a run whose inputs give no trade: nothing of an earlier
// input or another pair stays to be read or copied. Levels typed as prices are the user's own.
void ClearFigures(TForm1& form);

// "<money>$ или <percent of the deposit>%", with the sign of the account's currency.
std::string MoneyAndPercent(const TForm1& form, long double money, long double deposit);

}  // namespace tiramon::assistant
