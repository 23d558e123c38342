// What the trader's broker changes in the assistant's figures: money in the account's currency,
// the commission inside the loss and the profit, lots rounded down to the broker's step, the
// stop-out price and the stops typed as prices. With the conditions at their defaults every
// function here leaves the dollar figures exactly as they are.
#pragma once

#include <string>
#include <string_view>

#include "app/unit1.h"
#include "support/checked.h"

namespace tiramon::assistant {

// The quote-table pair whose bid turns dollars into the account's money: "EUR/USD" for a euro
// account, "USD/RUB" for a rouble one, empty for a dollar account.
std::string_view AccountRatePair(std::string_view currency);
// That pair's bid as the table shows it, without the "0" the table appends; empty when the table
// has no such row (or the account is in dollars).
std::string AccountRateText(const TForm1& form);
// Dollars in the account's currency: unchanged for a dollar account, ÷ the EUR/USD bid for a euro
// one, × the USD/RUB bid for a rouble one. Throws ConversionError when the table has no rate.
Ext InAccount(const TForm1& form, Ext dollars);

// The lot the figures of this run are for: the lots box in lots mode, the lot from the margin as
// just written in percent mode.
const std::string& TradedLotText(const TForm1& form);
// The commission of `lot` lots, in the account's currency.
Ext CommissionOf(const TForm1& form, Ext lot);
// A computed lot rounded down to the broker's lot step, so it never risks more than was asked;
// unchanged when no step is set.
Ext StepDown(const TForm1& form, Ext lot);

// Stops typed as prices: the stop loss and take profit in points, derived from the levels typed
// into Edit_Loss and Edit_Teik and the entry `price`, written into the points boxes. False (with a
// warning line) when a level lies on the wrong side of the entry.
bool DeriveStopPoints(TForm1& form, std::string_view price);

// A warning line for each lot of this run that the broker would not open as it stands.
void WarnLots(TForm1& form);

// The price at which the broker's stop-out closes the position, beside the stop level, and the
// warning when the stop lies beyond it. Clears it when no stop-out level is set.
void WriteStopOut(TForm1& form, std::string_view price);

// The line under the broker's button: the account's currency with the rate the figures use, and
// the conditions set. Empty with the defaults.
void ShowBrokerLine(TForm1& form);

}  // namespace tiramon::assistant
