// The two drawing handlers of the window model and the rules behind them.
#include "quotes/indicator.h"

#include <string>

#include "app/pairs.h"
#include "app/unit1.h"

namespace tiramon::quotes {

std::optional<TColor> RowColour(std::string_view caption) {
  switch (pairs::Classify(caption)) {
    case pairs::Kind::QuotedInDollars:
      return colors::Green;
    case pairs::Kind::DollarBased:
      return colors::Blue;
    default:
      return std::nullopt;
  }
}

TPanelDrawing IndicatorDrawing(bool quotesAvailable) {
  TPanelDrawing drawing;
  drawing.imageIndex = quotesAvailable ? 0 : 1;
  drawing.imageX = 5;
  drawing.imageY = 2;
  drawing.text = std::string(quotesAvailable ? kQuotesAvailableText : kQuotesUnavailableText);
  drawing.textX = 25;
  drawing.textY = 2;
  drawing.fontColor = colors::Gray;
  return drawing;
}

}  // namespace tiramon::quotes

namespace tiramon {

std::optional<TColor> TForm1::ListView1CustomDrawItem(const TListItem& item) const {
  return quotes::RowColour(item.caption);
}

TPanelDrawing TForm1::StatusBar1DrawPanel() const {
  return quotes::IndicatorDrawing(QuotesAvailable);
}

}  // namespace tiramon
