// The trader's broker: its dialog, opened from the assistant tab, and the switch that lets the
// stops be typed as prices. A change of conditions is stored in the settings file at once and
// every figure of the tab is worked out again with it.
#include <string>

#include "app/broker_conditions.h"
#include "app/unit1.h"
#include "support/errors.h"

namespace tiramon {
namespace assistant {
namespace {

int CurrencyIndex(std::string_view currency) {
  for (std::size_t i = 0; i < std::size(kAccountCurrencies); ++i) {
    if (kAccountCurrencies[i] == currency) return static_cast<int>(i);
  }
  return 0;
}

}  // namespace
}  // namespace assistant

void TForm1::ShowAccountCurrency() {
  const std::string sign(CurrencySign(Broker.accountCurrency));
  Label38.caption = sign;
  Label42.caption = "Залог в " + sign + ":";
  Label45.caption = "Стоимость 1 пункта в " + sign + ":";
}

void TForm1::Button_BrokerClick() {
  const BrokerTexts texts = ToTexts(Broker);
  ComboBox_AccountCurrency.itemIndex = assistant::CurrencyIndex(texts.accountCurrency);
  ComboBox_AccountCurrency.text = texts.accountCurrency;
  Edit_Commission.text = texts.commissionPerLot;
  Edit_LotStep.text = texts.lotStep;
  Edit_MinLot.text = texts.minLot;
  Edit_MaxLot.text = texts.maxLot;
  Edit_StopOutLevel.text = texts.stopOutLevel;
  BrokerDialogVisible = true;
}

void TForm1::Button_BrokerSaveClick() {
  const int index = ComboBox_AccountCurrency.itemIndex;
  const bool listed = index >= 0 && index < static_cast<int>(std::size(kAccountCurrencies));
  const BrokerConditions chosen = ParseBrokerConditions(
      BrokerTexts{listed ? std::string(kAccountCurrencies[index]) : ComboBox_AccountCurrency.text,
                  Edit_Commission.text, Edit_LotStep.text, Edit_MinLot.text, Edit_MaxLot.text,
                  Edit_StopOutLevel.text});
  BrokerDialogVisible = false;
  if (chosen == Broker) return;
  Broker = chosen;
  SettingsChanged = true;
  ShowAccountCurrency();
  ListView1Click();
}

void TForm1::Button_BrokerCancelClick() { BrokerDialogVisible = false; }

void TForm1::CheckBox_StopLevelsClick() {
  // Typed as prices, the level boxes take the keys and the points follow from them; back in
  // points, the boxes show the levels again and the points stay what the levels made them.
  Edit_Loss.enabled = CheckBox_StopLevels.checked;
  Edit_Teik.enabled = CheckBox_StopLevels.checked;
  ListView1Click();
}

}  // namespace tiramon
