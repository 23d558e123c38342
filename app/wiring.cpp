#include "app/wiring.h"

#include <algorithm>
#include <vector>

namespace tiramon {
namespace {

// The eight inputs of the assistant all recalculate it.
constexpr Handler kRecalc = &TForm1::ListView1Click;

constexpr Wire kWires[] = {
    {"Form1", Event::Create, &TForm1::FormCreate},
    {"Form1", Event::Show, &TForm1::FormShow},
    {"Form1", Event::Shown, &TForm1::FormActivate},
    {"Timer_Age", Event::Timer, &TForm1::Timer_AgeTimer},

    // About tab
    {"lbl30", Event::Click, &TForm1::lbl30Click},
    {"Image1", Event::Click, &TForm1::Image1Click},
    {"Image2", Event::Click, &TForm1::Image2Click},
    {"Image3", Event::Click, &TForm1::Image3Click},
    {"Image4", Event::Click, &TForm1::Image4Click},
    {"Image5", Event::Click, &TForm1::Image5Click},
    {"Image6", Event::Click, &TForm1::Image6Click},

    // Quotes tab
    {"Button9", Event::Click, &TForm1::Button9Click},
    {"ListView1", Event::Click, &TForm1::ListView1Click},
    {"ListView1", Event::DoubleClick, &TForm1::ListView1DblClick},
    {"ComboBox_Source", Event::Change, &TForm1::ComboBox_SourceChange},
    // The table's figures follow its lot and deposit as they are typed.
    {"edit_lot", Event::Change, &TForm1::edit_lotChange},
    {"Edit8", Event::Change, &TForm1::edit_lotChange},
    {"Button_SaveUrls", Event::Click, &TForm1::Button_SaveUrlsClick},

    // Assistant tab
    {"RadioButton_Buy", Event::Click, &TForm1::RadioButton_BuyClick},
    {"RadioButton_sell", Event::Click, &TForm1::RadioButton_sellClick},
    {"Edit_Deposit", Event::Change, kRecalc},
    {"ComboBox_Plecho", Event::Change, kRecalc},
    {"ComboBox_Lot", Event::Change, kRecalc},
    {"ComboBox_LotProc", Event::Change, kRecalc},
    {"ComboBox_los", Event::Change, kRecalc},
    {"ComboBox_Teik", Event::Change, kRecalc},
    {"RadioButton9", Event::Click, kRecalc},
    {"RadioButton11", Event::Click, kRecalc},
    {"SpeedButton1", Event::Click, &TForm1::SpeedButton1Click},
    {"SpeedButton2", Event::Click, &TForm1::SpeedButton2Click},
    {"SpeedButton3", Event::Click, &TForm1::SpeedButton3Click},
    {"SpeedButton4", Event::Click, &TForm1::SpeedButton4Click},
    {"Button_OwnPrices", Event::Click, &TForm1::Button_OwnPricesClick},
    {"Button_ClearOwnPrices", Event::Click, &TForm1::Button_ClearOwnPricesClick},
    // Levels typed as prices recalculate the tab like the points do.
    {"Edit_Loss", Event::Change, kRecalc},
    {"Edit_Teik", Event::Change, kRecalc},
    {"CheckBox_StopLevels", Event::Click, &TForm1::CheckBox_StopLevelsClick},
    {"Button_Broker", Event::Click, &TForm1::Button_BrokerClick},
    {"Button_BrokerSave", Event::Click, &TForm1::Button_BrokerSaveClick},
    {"Button_BrokerCancel", Event::Click, &TForm1::Button_BrokerCancelClick},
    {"ComboBox_Instrument", Event::Change, &TForm1::ComboBox_InstrumentChange},
    {"Button_Instruments", Event::Click, &TForm1::Button_InstrumentsClick},
    {"ComboBox_InstrumentEdit", Event::Change, &TForm1::ComboBox_InstrumentEditChange},
    {"Button_InstrumentSave", Event::Click, &TForm1::Button_InstrumentSaveClick},
    {"Button_InstrumentRemove", Event::Click, &TForm1::Button_InstrumentRemoveClick},
    {"Button_InstrumentsClose", Event::Click, &TForm1::Button_InstrumentsCloseClick},

    // Simulator tabs; the two buttons under the drain memo still run the growth table.
    {"Button1", Event::Click, &TForm1::Button1Click},
    {"Button2", Event::Click, &TForm1::Button1Click},
    {"Button3", Event::Click, &TForm1::Button1Click},
    {"Button4", Event::Click, &TForm1::Button4Click},
    {"Button5", Event::Click, &TForm1::Button5Click},
    {"RadioButton1", Event::Click, &TForm1::RadioButton1Click},
    {"RadioButton2", Event::Click, &TForm1::RadioButton2Click},
    {"RadioButton3", Event::Click, &TForm1::RadioButton3Click},
    {"RadioButton4", Event::Click, &TForm1::RadioButton4Click},
    {"RadioButton31", Event::Click, &TForm1::RadioButton31Click},
    {"RadioButton32", Event::Click, &TForm1::RadioButton32Click},

    // Risk analysis tab
    {"RiskPercentMode", Event::Click, &TForm1::RiskModeClick},
    {"RiskMoneyMode", Event::Click, &TForm1::RiskModeClick},
    {"RiskFromAssistant", Event::Click, &TForm1::RiskFromAssistantClick},
    {"RiskCalculate", Event::Click, &TForm1::RiskCalculateClick},
    {"RiskCancel", Event::Click, &TForm1::RiskCancelClick},
    {"Timer_Risk", Event::Timer, &TForm1::Timer_RiskTimer},

    // Book tab, and the assistant's button that adds to it
    {"Button_ToBook", Event::Click, &TForm1::Button_ToBookClick},
    {"BookList", Event::Click, &TForm1::BookListClick},
    {"Button_BookApply", Event::Click, &TForm1::Button_BookApplyClick},
    {"Button_BookAdd", Event::Click, &TForm1::Button_BookAddClick},
    {"Button_BookRemove", Event::Click, &TForm1::Button_BookRemoveClick},
    {"Edit_BookBalance", Event::Change, &TForm1::BookAccountChange},
    {"ComboBox_BookLeverage", Event::Change, &TForm1::BookAccountChange},
    {"Button_PropSave", Event::Click, &TForm1::Button_PropSaveClick},

    // Tray icon and its menu
    {"CoolTrayIcon1", Event::DoubleClick, &TForm1::N6Click},
    {"N1", Event::Click, &TForm1::SpeedButton2Click},
    {"N4", Event::Click, &TForm1::SpeedButton3Click},
    {"N5", Event::Click, &TForm1::N5Click},
    {"N6", Event::Click, &TForm1::N6Click},
    {"N3", Event::Click, &TForm1::N3Click},
};

constexpr FollowUp kFollowUps[] = {
    {&TForm1::FormCreate, &TForm1::ShowAccountCurrency},
    {&TForm1::FormCreate, &TForm1::ShowSourceControls},
    // New prices, a new source or the trader's own prices: the assistant counts again with them.
    {&TForm1::Button9Click, &TForm1::ListView1Click},
    {&TForm1::ComboBox_SourceChange, &TForm1::StoreSettings},
    {&TForm1::ComboBox_SourceChange, &TForm1::ListView1Click},
    {&TForm1::Button_SaveUrlsClick, &TForm1::StoreSettings},
    {&TForm1::Button_SaveUrlsClick, &TForm1::ListView1Click},
    {&TForm1::Button_OwnPricesClick, &TForm1::ListView1Click},
    {&TForm1::Button_ClearOwnPricesClick, &TForm1::ListView1Click},
    {&TForm1::Button_BrokerSaveClick, &TForm1::StoreSettings},
    // A changed contract changes the table's figures and the assistant's.
    {&TForm1::Button_InstrumentSaveClick, &TForm1::StoreSettings},
    {&TForm1::Button_InstrumentSaveClick, &TForm1::edit_lotChange},
    {&TForm1::Button_InstrumentSaveClick, &TForm1::ListView1Click},
    {&TForm1::Button_InstrumentRemoveClick, &TForm1::StoreSettings},
    {&TForm1::Button_InstrumentRemoveClick, &TForm1::edit_lotChange},
    {&TForm1::Button_InstrumentRemoveClick, &TForm1::ListView1Click},
    // The pair or the side may have changed: say where its price comes from.
    {&TForm1::ListView1Click, &TForm1::ShowPriceOrigin},
    {&TForm1::ComboBox_InstrumentChange, &TForm1::ShowPriceOrigin},
    {&TForm1::RadioButton_BuyClick, &TForm1::ShowPriceOrigin},
    {&TForm1::RadioButton_sellClick, &TForm1::ShowPriceOrigin},

    // The book: read when the window is created; its results follow every handler that brings
    // new prices or new words about their age (after the assistant's own follow-ups, so the
    // words are fresh), its figures the broker and the instruments' contracts; a change is
    // written to its file, and the assistant's room under the limits counts again with it. The
    // assistant's own keystrokes leave the book alone.
    {&TForm1::FormCreate, &TForm1::LoadBookFile},
    {&TForm1::FormShow, &TForm1::ShowBook},
    {&TForm1::Button9Click, &TForm1::ShowBook},
    {&TForm1::ComboBox_SourceChange, &TForm1::ShowBook},
    {&TForm1::Button_SaveUrlsClick, &TForm1::ShowBook},
    {&TForm1::Button_OwnPricesClick, &TForm1::ShowBook},
    {&TForm1::Button_ClearOwnPricesClick, &TForm1::ShowBook},
    {&TForm1::Timer_AgeTimer, &TForm1::ShowBook},
    {&TForm1::Button_BrokerSaveClick, &TForm1::ShowBook},
    {&TForm1::Button_InstrumentSaveClick, &TForm1::ShowBook},
    {&TForm1::Button_InstrumentRemoveClick, &TForm1::ShowBook},
    {&TForm1::Button_ToBookClick, &TForm1::StoreBook},
    {&TForm1::Button_ToBookClick, &TForm1::ListView1Click},
    {&TForm1::Button_BookApplyClick, &TForm1::StoreBook},
    {&TForm1::Button_BookApplyClick, &TForm1::ListView1Click},
    {&TForm1::Button_BookAddClick, &TForm1::StoreBook},
    {&TForm1::Button_BookAddClick, &TForm1::ListView1Click},
    {&TForm1::Button_BookRemoveClick, &TForm1::StoreBook},
    {&TForm1::Button_BookRemoveClick, &TForm1::ListView1Click},
    {&TForm1::BookAccountChange, &TForm1::StoreBook},
    {&TForm1::BookAccountChange, &TForm1::ListView1Click},
    {&TForm1::Button_PropSaveClick, &TForm1::StoreSettings},
    {&TForm1::Button_PropSaveClick, &TForm1::ListView1Click},
};

constexpr KeyWire kKeyWires[] = {
    {"Edit_Deposit", &TForm1::Edit_DepositKeyPress},
    {"edit_lot", &TForm1::edit_lotKeyPress},
};

}  // namespace

std::span<const Wire> Wiring() { return kWires; }
std::span<const FollowUp> FollowUps() { return kFollowUps; }

namespace {

void RunWithFollowUps(TForm1& form, Handler handler, std::vector<Handler>& done) {
  if (std::find(done.begin(), done.end(), handler) != done.end()) return;
  done.push_back(handler);
  (form.*handler)();
  for (const FollowUp& followUp : kFollowUps) {
    if (followUp.after == handler) RunWithFollowUps(form, followUp.then, done);
  }
}

}  // namespace

void RunHandler(TForm1& form, Handler handler) {
  std::vector<Handler> done;
  RunWithFollowUps(form, handler, done);
}

Handler WiredHandler(std::string_view control, Event event) {
  for (const Wire& wire : kWires) {
    if (wire.control == control && wire.event == event) return wire.handler;
  }
  return nullptr;
}

KeyFilter WiredKeyFilter(std::string_view control) {
  for (const KeyWire& wire : kKeyWires) {
    if (wire.control == control) return wire.filter;
  }
  return nullptr;
}

}  // namespace tiramon
