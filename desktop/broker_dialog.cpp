// The broker's dialog: the account's currency, the commission, the lots and the stop-out level,
// bound to the window model like every other control. It is not modal: the tab behind stays as it
// was, and the model says when the dialog is open (BindDialog, for every dialog of the window).
#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "desktop/main_window.h"

namespace tiramon::desktop {

void MainWindow::BuildBrokerDialog() {
  TForm1& m = *model_;
  auto* dialog = new QDialog(this, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  dialog->setObjectName("BrokerDialog");
  dialog->setWindowTitle(QString::fromStdString(m.GroupBox_Broker.caption));
  dialog->setFixedSize(420, 300);
  struct Row {
    const char* labelName;
    const TLabel& label;
    const char* editName;
    TEdit& edit;
  };
  const Row rows[] = {
      {"Label_Commission", m.Label_Commission, "Edit_Commission", m.Edit_Commission},
      {"Label_LotStep", m.Label_LotStep, "Edit_LotStep", m.Edit_LotStep},
      {"Label_MinLot", m.Label_MinLot, "Edit_MinLot", m.Edit_MinLot},
      {"Label_MaxLot", m.Label_MaxLot, "Edit_MaxLot", m.Edit_MaxLot},
      {"Label_StopOutLevel", m.Label_StopOutLevel, "Edit_StopOutLevel", m.Edit_StopOutLevel},
  };
  Label(dialog, "Label_AccountCurrency", m.Label_AccountCurrency, 16, 20);
  Choice(dialog, "ComboBox_AccountCurrency", m.ComboBox_AccountCurrency, 294, 16, 110);
  int y = 50;
  for (const Row& row : rows) {
    Label(dialog, row.labelName, row.label, 16, y + 4);
    Edit(dialog, row.editName, row.edit, 294, y, 110);
    y += 34;
  }
  Label(dialog, "Label_BrokerNote", m.Label_BrokerNote, 16, y + 6);
  Button(dialog, "Button_BrokerSave", m.Button_BrokerSave, 184, 254, 106, 30)->setDefault(true);
  Button(dialog, "Button_BrokerCancel", m.Button_BrokerCancel, 298, 254, 106, 30);

  // Escape and the title bar's close button cancel, as the cancel button does.
  BindDialog(dialog, &TForm1::BrokerDialogVisible, "Button_BrokerCancel");
}

void MainWindow::BindDialog(QDialog* dialog, bool TForm1::*open, const char* closeButton) {
  connect(dialog, &QDialog::rejected, this, [this, open, closeButton] {
    if (!rendering_ && (*model_).*open) Fire(closeButton, Event::Click);
  });
  renderers_.push_back([this, dialog, open] {
    const bool shown = (*model_).*open;
    if (dialog->isVisible() == shown) return;
    if (shown) {
      // Over the middle of the window, where the button that opened it is.
      dialog->move(mapToGlobal(rect().center()) - dialog->rect().center());
      dialog->show();
      dialog->raise();
      dialog->activateWindow();
    } else {
      dialog->hide();
      activateWindow();  // the keys go back to the tab
    }
  });
}

}  // namespace tiramon::desktop
