// The dialog of the trader's own instruments: which one to change, its symbol, currencies and
// contract, bound to the window model like every other control. Not modal, like the broker's.
#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "desktop/main_window.h"

namespace tiramon::desktop {

void MainWindow::BuildInstrumentsDialog() {
  TForm1& m = *model_;
  auto* dialog = new QDialog(this, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  dialog->setObjectName("InstrumentsDialog");
  dialog->setWindowTitle(QString::fromStdString(m.GroupBox_Instruments.caption));
  dialog->setFixedSize(460, 330);
  Label(dialog, "Label_InstrumentEdit", m.Label_InstrumentEdit, 16, 20);
  Choice(dialog, "ComboBox_InstrumentEdit", m.ComboBox_InstrumentEdit, 294, 16, 150);
  struct Row {
    const char* labelName;
    const TLabel& label;
    const char* editName;
    TEdit& edit;
  };
  const Row rows[] = {
      {"Label_InstSymbol", m.Label_InstSymbol, "Edit_InstSymbol", m.Edit_InstSymbol},
      {"Label_InstBase", m.Label_InstBase, "Edit_InstBase", m.Edit_InstBase},
      {"Label_InstQuote", m.Label_InstQuote, "Edit_InstQuote", m.Edit_InstQuote},
      {"Label_InstContract", m.Label_InstContract, "Edit_InstContract", m.Edit_InstContract},
      {"Label_InstPoint", m.Label_InstPoint, "Edit_InstPoint", m.Edit_InstPoint},
      {"Label_InstMargin", m.Label_InstMargin, "Edit_InstMargin", m.Edit_InstMargin},
  };
  int y = 52;
  for (const Row& row : rows) {
    Label(dialog, row.labelName, row.label, 16, y + 4);
    Edit(dialog, row.editName, row.edit, 294, y, 150);
    y += 34;
  }
  Label(dialog, "Label_InstrumentsNote", m.Label_InstrumentsNote, 16, y + 6, 428, kSmall);
  Button(dialog, "Button_InstrumentSave", m.Button_InstrumentSave, 106, 284, 106, 30)
      ->setDefault(true);
  Button(dialog, "Button_InstrumentRemove", m.Button_InstrumentRemove, 222, 284, 106, 30);
  Button(dialog, "Button_InstrumentsClose", m.Button_InstrumentsClose, 338, 284, 106, 30);

  // Escape and the title bar's close button close it, as its button does.
  BindDialog(dialog, &TForm1::InstrumentsDialogVisible, "Button_InstrumentsClose");
}

}  // namespace tiramon::desktop
