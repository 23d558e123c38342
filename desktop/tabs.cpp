// The layout of the six tabs: where each control of the window model sits and how it looks.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "desktop/main_window.h"

namespace tiramon::desktop {
namespace {
constexpr TColor kMemoBackground{0, 0, 0};
// The About tab's pictures: the single one at the top, the four panels, the advertisement.
constexpr const char* kAboutPictures[] = {":/about/image5.jpg", ":/about/image1.jpg",
                                          ":/about/image2.jpg", ":/about/image3.jpg",
                                          ":/about/image4.jpg", ":/about/image6.jpg"};
}  // namespace

void MainWindow::RiskModeGroup(QWidget* parent, const char* name, const TGroupBox& box, int y,
                               const RiskRow& percent, const RiskRow& money) {
  QGroupBox* group = Group(parent, name, box, 10, y, 310, 92);
  int rowY = 24;
  for (const RiskRow* row : {&percent, &money}) {
    Radio(group, row->radioName, row->radio, 10, rowY, 150);
    Edit(group, row->editName, row->edit, 170, rowY, 110);
    Label(group, row->unitName, row->unit, 286, rowY + 4);
    rowY += 32;
  }
}

void MainWindow::FieldRow(QWidget* parent, const char* labelName, const TLabel& label,
                          const char* editName, TEdit& edit, const char* unitName,
                          const TLabel* unit, int y) {
  Label(parent, labelName, label, 14, y + 4, 0, kBold);
  Edit(parent, editName, edit, 180, y, 110);
  if (unit) Label(parent, unitName, *unit, 296, y + 4);
}

std::vector<QString> MainWindow::AboutPictures() {
  return {std::begin(kAboutPictures), std::end(kAboutPictures)};
}

void MainWindow::BuildAboutTab(QWidget* page) {
  TForm1& m = *model_;
  QGroupBox* about = Group(page, "grp5", m.grp5, 10, 8, 330, 112);
  Label(about, "lbl28", m.lbl28, 16, 18, 0, kLarge);
  Label(about, "lbl29", m.lbl29, 16, 54, 0, kUnderline);
  QLabel* link = Label(about, "lbl30", m.lbl30, 16, 80, 0, kUnderline);
  OnClick(link);

  QGroupBox* single = Group(page, "GroupBox_Image5", TGroupBox{m.Image5.title}, 350, 8, 340, 112);
  Picture(single, "Image5", m.Image5, kAboutPictures[0], 10, 24, 320, 78);

  struct Panel {
    const char* name;
    const TImage* image;
    const char* resource;
  };
  const Panel panels[] = {
      {"Image1", &m.Image1, kAboutPictures[1]},
      {"Image2", &m.Image2, kAboutPictures[2]},
      {"Image3", &m.Image3, kAboutPictures[3]},
      {"Image4", &m.Image4, kAboutPictures[4]},
  };
  for (int i = 0; i < 4; ++i) {
    const int x = 10 + (i % 2) * 340;
    const int y = 130 + (i / 2) * 260;
    auto* frame = new QGroupBox(page);
    frame->setObjectName(QString("Panel_%1").arg(panels[i].name));
    frame->setGeometry(x, y, 330, 250);
    auto* title = new QLabel(QString::fromStdString(panels[i].image->title), frame);
    title->setObjectName(QString("Title_%1").arg(panels[i].name));
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    title->setFont(bold);
    title->setGeometry(8, 8, 314, 26);
    title->setAlignment(Qt::AlignCenter);
    Picture(frame, panels[i].name, *panels[i].image, panels[i].resource, 8, 40, 314, 200);
  }

  QGroupBox* ads = Group(page, "Panel_Ads", m.Panel_Ads, 700, 8, 222, 630);
  Label(ads, "Label_Ads", m.Label_Ads, 12, 26, 196, kBold)->setAlignment(Qt::AlignCenter);
  Picture(ads, "Image6", m.Image6, kAboutPictures[5], 12, 54, 196, 560);
}

void MainWindow::BuildQuotesTab(QWidget* page) {
  TForm1& m = *model_;
  QGroupBox* box = Group(page, "GroupBox11", TGroupBox{}, 10, 6, 910, 86);
  Label(box, "Label52", m.Label52, 14, 18, 0, kBold);
  Combo(box, "edit_lot", m.edit_lot, 200, 14, 80);
  Label(box, "Label53", m.Label53, 292, 18);
  Label(box, "Label55", m.Label55, 14, 52, 0, kBold);
  Edit(box, "Edit8", m.Edit8, 200, 48, 80);
  Label(box, "Label41", m.Label41, 292, 52);
  Label(box, "Label_TableNote", m.Label_TableNote, 292, 34, 400, kSmall);
  Button(box, "Button9", m.Button9, 700, 22, 190, 44);

  Table(page, 10, 100, 910, 456);
  Label(page, "Label39", m.Label39, 12, 566);
  Label(page, "Label_Source", m.Label_Source, 470, 566, 0, kBold);
  Choice(page, "ComboBox_Source", m.ComboBox_Source, 560, 562, 360);
  Label(page, "Label_StatusUrl", m.Label_StatusUrl, 12, 600);
  Edit(page, "Edit_StatusUrl", m.Edit_StatusUrl, 104, 596, 290);
  Label(page, "Label_QuotesUrl", m.Label_QuotesUrl, 404, 600);
  Edit(page, "Edit_QuotesUrl", m.Edit_QuotesUrl, 472, 596, 300);
  Button(page, "Button_SaveUrls", m.Button_SaveUrls, 782, 594, 138, 28);
  Memo(page, "Memo_Back", m.Memo_Back, 0, 0, 10, 10, kMemoBackground);
}

void MainWindow::BuildAssistantTab(QWidget* page) {
  TForm1& m = *model_;
  QGroupBox* pair = Group(page, "GroupBox12", m.GroupBox12, 10, 6, 450, 150);
  Label(pair, "Label_Valuta", m.Label_Valuta, 16, 22, 270, kLarge);
  Choice(pair, "ComboBox_Instrument", m.ComboBox_Instrument, 300, 22, 138);
  Label(pair, "Label_PriceSource", m.Label_PriceSource, 16, 52, 420, kSmall);
  Radio(pair, "RadioButton_Buy", m.RadioButton_Buy, 16, 84, 216);
  Radio(pair, "RadioButton_sell", m.RadioButton_sell, 16, 114, 216);
  Label(pair, "Label_OwnPrices", m.Label_OwnPrices, 240, 72, 200, kSmall);
  Edit(pair, "Edit_OwnBid", m.Edit_OwnBid, 240, 90, 96);
  Edit(pair, "Edit_OwnAsk", m.Edit_OwnAsk, 342, 90, 96);
  Button(pair, "Button_OwnPrices", m.Button_OwnPrices, 240, 118, 96, 24);
  Button(pair, "Button_ClearOwnPrices", m.Button_ClearOwnPrices, 342, 118, 96, 24);

  QGroupBox* deposit = Group(page, "GroupBox8", m.GroupBox8, 10, 164, 450, 474);
  Label(deposit, "Label36", m.Label36, 16, 36, 0, kBold);
  Edit(deposit, "Edit_Deposit", m.Edit_Deposit, 190, 32, 110);
  Label(deposit, "Label38", m.Label38, 306, 36, 0, kBold);
  Label(deposit, "Label50", m.Label50, 16, 78, 0, kBold);
  Combo(deposit, "ComboBox_Plecho", m.ComboBox_Plecho, 190, 74, 110);
  Label(deposit, "Label54", m.Label54, 16, 124, 0, kBold);
  Radio(deposit, "RadioButton11", m.RadioButton11, 30, 154, 150);
  Combo(deposit, "ComboBox_Lot", m.ComboBox_Lot, 190, 154, 110);
  Radio(deposit, "RadioButton9", m.RadioButton9, 30, 194, 150);
  Combo(deposit, "ComboBox_LotProc", m.ComboBox_LotProc, 190, 194, 110);
  Label(deposit, "Label49", m.Label49, 50, 240);
  Edit(deposit, "Edit_ProcLot", m.Edit_ProcLot, 190, 236, 110);
  CopyButton(deposit, "SpeedButton1", m.SpeedButton1, 306, 236);
  Label(deposit, "Label51", m.Label51, 50, 280);
  Edit(deposit, "Edit_ProcLot2", m.Edit_ProcLot2, 190, 276, 110);
  CopyButton(deposit, "SpeedButton4", m.SpeedButton4, 306, 276);
  Label(deposit, "Label42", m.Label42, 16, 322, 0, kBold);
  Label(deposit, "Zalog", m.Zalog, 220, 322, 210, kBold);
  Label(deposit, "Label45", m.Label45, 16, 356, 0, kBold);
  Label(deposit, "Punkt", m.Punkt, 220, 356, 210, kBold);
  Button(deposit, "Button_Broker", m.Button_Broker, 16, 388, 150, 30);
  Button(deposit, "Button_Instruments", m.Button_Instruments, 174, 388, 130, 30);
  QLabel* broker = Label(deposit, "Label_Broker", m.Label_Broker, 16, 424, 424, kSmall);
  broker->setWordWrap(true);
  broker->setFixedHeight(40);
  BuildBrokerDialog();
  BuildInstrumentsDialog();

  QGroupBox* stops = Group(page, "GroupBox13", m.GroupBox13, 470, 6, 450, 350);
  Label(stops, "Label35", m.Label35, 16, 32, 0, kBold);
  Combo(stops, "ComboBox_los", m.ComboBox_los, 140, 28, 90);
  Edit(stops, "Edit_Loss", m.Edit_Loss, 240, 28, 150);
  CopyButton(stops, "SpeedButton3", m.SpeedButton3, 396, 28);
  Label(stops, "Label44", m.Label44, 16, 66, 0, kBold);
  Combo(stops, "ComboBox_Teik", m.ComboBox_Teik, 140, 62, 90);
  Edit(stops, "Edit_Teik", m.Edit_Teik, 240, 62, 150);
  CopyButton(stops, "SpeedButton2", m.SpeedButton2, 396, 62);
  Check(stops, "CheckBox_StopLevels", m.CheckBox_StopLevels, 240, 94, 80);
  Label(stops, "Label_StopOut", m.Label_StopOut, 16, 98, 220, kSmall);
  Label(stops, "Label59", m.Label59, 16, 136, 0, kBold);
  Label(stops, "Label_Loss", m.Label_Loss, 180, 136, 260);
  Label(stops, "Label_Loss2", m.Label_Loss2, 180, 164, 260);
  Label(stops, "Label43", m.Label43, 16, 204, 0, kBold);
  Label(stops, "Label_Profit", m.Label_Profit, 180, 204, 260);
  Label(stops, "Label34", m.Label34, 16, 250, 0, kBold);
  Label(stops, "Soot", m.Soot, 240, 250, 190, kBold);
  // The trade on screen into the book.
  Button(stops, "Button_ToBook", m.Button_ToBook, 16, 296, 130, 30);
  QLabel* added = Label(stops, "Label_ToBook", m.Label_ToBook, 156, 292, 284, kSmall);
  added->setWordWrap(true);
  added->setFixedHeight(40);

  QGroupBox* warnings = Group(page, "GroupBox10", m.GroupBox10, 470, 364, 450, 274);
  auto* memo = Memo(warnings, "Memo1", m.Memo1, 12, 28, 426, 230, TColor{255, 255, 255});
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void MainWindow::BuildGrowthTab(QWidget* page) {
  TForm1& m = *model_;
  Label(page, "Label5", m.Label5, 12, 8, 0, kLarge);
  QGroupBox* params = Group(page, "grp1", m.grp1, 10, 48, 330, 350);
  FieldRow(params, "lbl1", m.lbl1, "edt_Kapital", m.edt_Kapital, "lbl6", &m.lbl6, 28);
  FieldRow(params, "lbl3", m.lbl3, "edt_count", m.edt_count, "Label46", &m.Label46, 60);
  RiskModeGroup(params, "GroupBox1", m.GroupBox1, 96,
                {"RadioButton1", m.RadioButton1, "edit_risk", m.edit_risk, "Label11", m.Label11},
                {"RadioButton2", m.RadioButton2, "edit_risk2", m.edit_risk2, "Label6", m.Label6});
  Label(params, "Label1", m.Label1, 14, 202, 0, kBold);
  Label(params, "Label2", m.Label2, 14, 232);
  Edit(params, "edit_sootonoshenie", m.edit_sootonoshenie, 180, 228, 110);
  Button(params, "Button1", m.Button1, 90, 280, 150, 40);
  Memo(page, "mmo_lot", m.mmo_lot, 350, 48, 570, 590, kMemoBackground);
  QGroupBox* notes = Group(page, "GroupBox7", m.GroupBox7, 10, 410, 330, 140);
  Label(notes, "Label3", m.Label3, 14, 28, 0, kBold);
  Label(notes, "Label32", m.Label32, 14, 58);
  Label(notes, "Label4", m.Label4, 14, 84);
  Label(notes, "Label33", m.Label33, 14, 106);
}

void MainWindow::BuildDrainTab(QWidget* page) {
  TForm1& m = *model_;
  Label(page, "Label17", m.Label17, 12, 8, 0, kLarge);
  QGroupBox* params = Group(page, "GroupBox2", m.GroupBox2, 10, 48, 330, 250);
  FieldRow(params, "Label7", m.Label7, "edt_Kapital2", m.edt_Kapital2, "Label9", &m.Label9, 28);
  FieldRow(params, "Label8", m.Label8, "edt_count2", m.edt_count2, nullptr, nullptr, 60);
  RiskModeGroup(
      params, "GroupBox3", m.GroupBox3, 70,
      {"RadioButton3", m.RadioButton3, "edit_riska1", m.edit_riska1, "Label15", m.Label15},
      {"RadioButton4", m.RadioButton4, "edit_riska2", m.edit_riska2, "Label16", m.Label16});
  Button(params, "Button4", m.Button4, 90, 186, 150, 40);
  Label(page, "Label10", m.Label10, 14, 312);
  Label(page, "Label12", m.Label12, 14, 336);
  Label(page, "Label13", m.Label13, 14, 360);
  // Two old buttons lie under the memo; they are never shown but still run the growth table.
  Button(page, "Button2", m.Button2, 360, 60, 100, 30);
  Button(page, "Button3", m.Button3, 360, 100, 100, 30);
  Memo(page, "mmo_lot2", m.mmo_lot2, 350, 48, 570, 590, kMemoBackground);
  QGroupBox* notes = Group(page, "GroupBox4", m.GroupBox4, 10, 400, 330, 190);
  Label(notes, "Label14", m.Label14, 14, 28, 0, kBold);
  Label(notes, "Label19", m.Label19, 14, 58);
  Label(notes, "Label18", m.Label18, 14, 84);
  Label(notes, "Label20", m.Label20, 14, 110);
  Label(notes, "Label21", m.Label21, 14, 136);
  Label(notes, "Label22", m.Label22, 14, 162);
}

void MainWindow::BuildSeriesTab(QWidget* page) {
  TForm1& m = *model_;
  Label(page, "Label47", m.Label47, 12, 8, 0, kLarge);
  QGroupBox* params = Group(page, "GroupBox5", m.GroupBox5, 10, 48, 330, 420);
  FieldRow(params, "Label23", m.Label23, "edt_Kapital3", m.edt_Kapital3, "Label25", &m.Label25, 28);
  FieldRow(params, "Label24", m.Label24, "edt_count3", m.edt_count3, nullptr, nullptr, 60);
  RiskModeGroup(
      params, "GroupBox6", m.GroupBox6, 96,
      {"RadioButton31", m.RadioButton31, "edit_risk3", m.edit_risk3, "Label30", m.Label30},
      {"RadioButton32", m.RadioButton32, "edit_risk3a", m.edit_risk3a, "Label31", m.Label31});
  Label(params, "Label26", m.Label26, 14, 202, 0, kBold);
  Label(params, "Label27", m.Label27, 14, 232);
  Edit(params, "edit_sootonoshenie3", m.edit_sootonoshenie3, 180, 228, 110);
  Label(params, "Label28", m.Label28, 14, 268, 0, kBold);
  Edit(params, "kol_prib3", m.kol_prib3, 236, 264, 54);
  Label(params, "Label29", m.Label29, 296, 268);
  Check(params, "CheckBox_Real", m.CheckBox_Real, 14, 304, 300);
  Button(params, "Button5", m.Button5, 90, 350, 150, 40);
  Memo(page, "mmo_lot3", m.mmo_lot3, 350, 48, 570, 590, kMemoBackground);
  QGroupBox* notes = Group(page, "GroupBox9", m.GroupBox9, 10, 480, 330, 140);
  Label(notes, "Label62", m.Label62, 14, 30);
  Label(notes, "Label65", m.Label65, 14, 56);
  Label(notes, "Label66", m.Label66, 14, 82);
  Label(notes, "Label67", m.Label67, 14, 108);
}

}  // namespace tiramon::desktop
