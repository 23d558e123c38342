#include "app/wiring.h"

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

    // Tray icon and its menu
    {"CoolTrayIcon1", Event::DoubleClick, &TForm1::N6Click},
    {"N1", Event::Click, &TForm1::SpeedButton2Click},
    {"N4", Event::Click, &TForm1::SpeedButton3Click},
    {"N5", Event::Click, &TForm1::N5Click},
    {"N6", Event::Click, &TForm1::N6Click},
    {"N3", Event::Click, &TForm1::N3Click},
};

constexpr KeyWire kKeyWires[] = {
    {"Edit_Deposit", &TForm1::Edit_DepositKeyPress},
    {"edit_lot", &TForm1::edit_lotKeyPress},
};

}  // namespace

std::span<const Wire> Wiring() { return kWires; }
std::span<const KeyWire> KeyWiring() { return kKeyWires; }

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
