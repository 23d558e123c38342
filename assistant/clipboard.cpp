// Copy commands of the assistant: each puts one figure on the clipboard, unchanged, so the
// trader can paste it into a trading terminal.
#include <string>

#include "app/unit1.h"

namespace tiramon {
namespace {

void Copy(const TForm1& form, const std::string& text) {
  if (form.environment.copyToClipboard) form.environment.copyToClipboard(text);
}

}  // namespace

void TForm1::SpeedButton1Click() { Copy(*this, Edit_ProcLot.text); }
void TForm1::SpeedButton2Click() { Copy(*this, Edit_Teik.text); }
void TForm1::SpeedButton3Click() { Copy(*this, Edit_Loss.text); }
void TForm1::SpeedButton4Click() { Copy(*this, Edit_ProcLot2.text); }

// "Скопировать лот" copies the lot the assistant currently works with: the lot from the stop
// when the risk is given in percent, otherwise the lot chosen in the lots box.
void TForm1::N5Click() {
  Copy(*this, RadioButton9.checked ? Edit_ProcLot2.text : ComboBox_Lot.text);
}

}  // namespace tiramon
