// The trade being sized on the assistant tab, as the risk analysis takes it: the loss at the stop
// as a share of the deposit and the take profit over the stop loss.
// Declared beside the window model, so the desktop reaches it without a subsystem header;
// defined in simulators/assistant_trade.cpp, the way the model's handlers are.
#pragma once

#include "app/unit1.h"

namespace tiramon {

struct AssistantTrade {
  double riskPercent;   // (stop loss × point value + commission) ÷ deposit × 100
  double rewardToRisk;  // take profit ÷ stop loss; with a commission, net profit ÷ that loss
};

// Reads the assistant's stop loss, take profit, point value and deposit texts. A text that is not
// a number, or figures that make no trade, are refused with a Russian message
// (std::invalid_argument) that names the field.
AssistantTrade ReadAssistantTrade(const TForm1& form);

}  // namespace tiramon
