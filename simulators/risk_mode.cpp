// Highlighting of the risk-mode radio pairs of the three simulator tabs: the checked button of a
// pair is blue, its partner black.
#include "app/unit1.h"

namespace tiramon {

void TForm1::RadioButton1Click() { HighlightCheckedRadio(RadioButton1, RadioButton2); }
void TForm1::RadioButton2Click() { HighlightCheckedRadio(RadioButton2, RadioButton1); }
void TForm1::RadioButton3Click() { HighlightCheckedRadio(RadioButton3, RadioButton4); }
void TForm1::RadioButton4Click() { HighlightCheckedRadio(RadioButton4, RadioButton3); }
void TForm1::RadioButton31Click() { HighlightCheckedRadio(RadioButton31, RadioButton32); }
void TForm1::RadioButton32Click() { HighlightCheckedRadio(RadioButton32, RadioButton31); }

}  // namespace tiramon
