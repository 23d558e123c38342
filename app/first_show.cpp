// The first show of the window fills every tab, so the user never sees an empty table or memo.
// The official rates come from servers far away: the first show puts up their cached copies and
// the download runs once the window is on screen, so the window never waits on the network.
#include "app/unit1.h"
#include "app/wiring.h"
#include "support/numtext.h"

namespace tiramon {

void TForm1::FormShow() {
  if (!FirstShow) return;
  UseDecimalPoint();
  if (environment.quoteSource == QuoteSource::OfficialRates) {
    ShowCachedRates();
    RefreshAfterShow = true;
  } else {
    Button9Click();
  }
  Button1Click();
  Button4Click();
  Button5Click();
  for (TMemo* memo : {&mmo_lot, &mmo_lot2, &mmo_lot3}) memo->caretLine = 0;
  RunHandler(*this, &TForm1::ListView1Click);
  // Only a sequence that got this far counts: after an error it runs again at the next show.
  FirstShow = false;
  PageControl1.activePageIndex = 0;
}

void TForm1::FormActivate() {
  if (!RefreshAfterShow) return;
  RefreshAfterShow = false;
  // With what follows a refresh in the wiring: the assistant counts with the new prices.
  RunHandler(*this, &TForm1::Button9Click);
}

}  // namespace tiramon
