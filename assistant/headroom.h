// The room the prop firm's limits leave the assistant's trade, in its warnings box: the largest
// lot it may take with every stop of the book and its own hit, under the limits and the trader's
// own risk, naming the limit that binds, and a red warning when the trade on screen would breach
// a limit. Nothing while no limit is set.
#pragma once

#include "app/trade.h"
#include "app/unit1.h"

namespace tiramon::assistant {

void ShowHeadroom(TForm1& form, const PricedTrade& trade);

}  // namespace tiramon::assistant
