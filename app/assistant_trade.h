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

// The trade the assistant counted last (TForm1::AssistantFigures), never its captions. No trade, or
// figures that make no risk to analyse, are refused with a Russian message (std::invalid_argument).
AssistantTrade ReadAssistantTrade(const TForm1& form);

}  // namespace tiramon
