// The trade direction and the jump to the assistant: choosing buy or sell highlights the chosen
// button and recomputes at once, since the price the position is sized from changes with it.
#include "app/unit1.h"

namespace tiramon {

void TForm1::ListView1DblClick() {
  // The click before the double click has already recomputed, so the tab shows the new pair.
  PageControl1.activePageIndex = 2;
}

void TForm1::RadioButton_BuyClick() {
  if (RadioButton_Buy.checked) {
    RadioButton_sell.fontColor = colors::Black;
    RadioButton_Buy.fontColor = colors::Blue;
  }
  ListView1Click();
}

void TForm1::RadioButton_sellClick() {
  if (RadioButton_sell.checked) {
    RadioButton_Buy.fontColor = colors::Black;
    RadioButton_sell.fontColor = colors::Blue;
  }
  ListView1Click();
}

}  // namespace tiramon
