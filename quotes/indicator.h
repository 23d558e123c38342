// What the quote indicator and the row colours of the quote table look like, as pure functions
// of the program state; the desktop paints what they return.
#pragma once

#include <optional>
#include <string_view>

#include "app/controls.h"

namespace tiramon::quotes {

inline constexpr std::string_view kQuotesAvailableText = "Котировки валют доступны";
inline constexpr std::string_view kQuotesUnavailableText = "Котировки валют недоступны";

// Text colour of a quote-table row: green for pairs quoted in dollars, blue for pairs based on
// the dollar (so USD/USD is blue), nullopt (the list's own colour) for everything else.
std::optional<TColor> RowColour(std::string_view caption);

// Status-bar panel 0: picture 0 and the "available" text, or picture 1 and the "unavailable"
// text, in grey.
TPanelDrawing IndicatorDrawing(bool quotesAvailable);

}  // namespace tiramon::quotes
