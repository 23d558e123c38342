// What the trader's broker adds to the assistant's figures: the account's currency and its rate,
// lots the broker would not open, the stop-out and the stops typed as prices.
#pragma once

#include <string>
#include <string_view>

#include "app/trade.h"
#include "app/unit1.h"

namespace tiramon::assistant {

// A red line in the warnings box.
void Warn(TForm1& form, std::string line);

// The quote-table pair whose bid turns dollars into the account's money: "EUR/USD" for a euro
// account, "USD/RUB" for a rouble one, empty for a dollar account.
std::string_view AccountRatePair(std::string_view currency);

// Stops typed as prices: the stop loss and take profit in points, derived from the levels typed
// into Edit_Loss and Edit_Teik and the entry of `request`, written into the points boxes, rounded
// to a whole point. Throws TradeError for a level that is not a number or lies on the wrong side
// of the entry.
void DeriveStopPoints(TForm1& form, const TradeRequest& request);

// A warning line for each lot of this trade that the broker would not open as it stands.
void WarnLots(TForm1& form, const PricedTrade& trade);

// Where the account is closed: the stop-out price under the stop level when the broker has a
// stop-out level, and a warning when the stop lies beyond it, or, without one, beyond where the
// deposit is gone.
void ShowCloseOut(TForm1& form, const PricedTrade& trade, bool stopUsable);

// The line under the broker's button: the account's currency with the rate the figures use, and
// the conditions set. Empty with the defaults.
void ShowBrokerLine(TForm1& form);

}  // namespace tiramon::assistant
