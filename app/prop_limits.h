// A prop firm's loss limits as the trader types them on the book's tab and the settings file
// keeps them: texts in, values out, each refusal in Russian naming its field.
#pragma once

#include <string>

#include "app/book.h"

namespace tiramon {

// Each number in its shortest exact form, empty when not set; `trailing` is "1" or empty.
struct PropTexts {
  std::string startBalance, dayStartBalance, highestBalance, dailyLossPercent, maxLossPercent,
      trailing;
};
PropTexts ToTexts(const PropLimits& limits);

// Reads limits from texts. An empty text or "0" leaves a value unset; "," is taken for a decimal
// point. Throws UserError naming the field for a value the limits cannot be counted with: not a
// number, a percentage above 100, a limit without the balance it is counted from.
PropLimits ParsePropLimits(const PropTexts& texts);

}  // namespace tiramon
