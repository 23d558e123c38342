// The first show of the window fills every tab, so the user never sees an empty table or memo.
#include "app/unit1.h"
#include "support/numtext.h"

namespace tiramon {

void TForm1::FormShow() {
  if (!FirstShow) return;
  DecimalMark = '.';
  Button9Click();
  Button1Click();
  Button4Click();
  Button5Click();
  for (TMemo* memo : {&mmo_lot, &mmo_lot2, &mmo_lot3}) memo->caretLine = 0;
  ListView1Click();
  // Only a sequence that got this far counts: after an error it runs again at the next show.
  FirstShow = false;
  PageControl1.activePageIndex = 0;
}

}  // namespace tiramon
