// Row colours of the quote table and the availability indicator of the status bar.
#include "quotes/indicator.h"

#include <gtest/gtest.h>

#include "app/unit1.h"

namespace tiramon {
namespace {

TEST(IndicatorTest, RowColourFollowsTheDollar) {
  struct Case {
    const char* caption;
    std::optional<TColor> colour;
  };
  const Case cases[] = {
      {"EUR/USD", colors::Green}, {"GBP/USD", colors::Green},
      {"USD/JPY", colors::Blue},  {"USD/CHF", colors::Blue},
      {"EUR/GBP", std::nullopt},  {"USDX", std::nullopt},
      {"eur/usd", std::nullopt},  {"", std::nullopt},
      {"USD/USD", colors::Blue},  // both: the dollar-based test comes second and wins
  };
  TForm1 form;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    EXPECT_EQ(quotes::RowColour(c.caption), c.colour);
    EXPECT_EQ(form.ListView1CustomDrawItem(TListItem{c.caption, {"1.10", "1.20"}}), c.colour);
  }
}

TEST(IndicatorTest, StatusPanelShowsWhetherQuotesAreLive) {
  TForm1 form;
  for (const bool available : {false, true}) {
    SCOPED_TRACE(available);
    form.QuotesAvailable = available;
    const TPanelDrawing drawing = form.StatusBar1DrawPanel();
    EXPECT_EQ(drawing.imageIndex, available ? 0 : 1);
    EXPECT_EQ(drawing.text, available ? "Котировки валют доступны" : "Котировки валют недоступны");
    EXPECT_EQ(drawing.fontColor, (TColor{128, 128, 128}));
    EXPECT_EQ(std::pair(drawing.imageX, drawing.imageY), std::pair(5, 2));
    EXPECT_EQ(std::pair(drawing.textX, drawing.textY), std::pair(25, 2));
  }
}

}  // namespace
}  // namespace tiramon
