// Instruments on the assistant tab: choosing one from the list, with or without a row in the quote
// table, and the dialog of the trader's own, each checked by the instrument rules and kept in the
// settings file.
#include <algorithm>
#include <string>

#include "app/instrument_rules.h"
#include "app/unit1.h"
#include "support/errors.h"

namespace tiramon {
namespace assistant {
namespace {

// The dialog's list: a new instrument first, then the ones that can be changed.
void FillInstrumentEdit(TForm1& form, const std::string& selected) {
  form.ComboBox_InstrumentEdit.items = {"Новый инструмент"};
  for (const Instrument& instrument : EditableInstruments(form.OwnInstruments)) {
    form.ComboBox_InstrumentEdit.items.push_back(instrument.symbol);
  }
  const auto& items = form.ComboBox_InstrumentEdit.items;
  const auto at = std::find(items.begin(), items.end(), selected);
  form.ComboBox_InstrumentEdit.itemIndex =
      at == items.end() ? 0 : static_cast<int>(at - items.begin());
  form.ComboBox_InstrumentEdit.text =
      items[static_cast<std::size_t>(form.ComboBox_InstrumentEdit.itemIndex)];
}

void ShowTexts(TForm1& form, const InstrumentTexts& texts) {
  form.Edit_InstSymbol.text = texts.symbol;
  form.Edit_InstBase.text = texts.baseCurrency;
  form.Edit_InstQuote.text = texts.quoteCurrency;
  form.Edit_InstContract.text = texts.contractSize;
  form.Edit_InstPoint.text = texts.pointSize;
  form.Edit_InstMargin.text = texts.marginPercent;
}

// The list of the tab follows the trader's instruments.
void RefreshChoices(TForm1& form) {
  form.ComboBox_Instrument.items = InstrumentChoices(form.OwnInstruments);
  const auto& items = form.ComboBox_Instrument.items;
  const auto at = std::find(items.begin(), items.end(), form.SelectedPair);
  form.ComboBox_Instrument.itemIndex =
      at == items.end() ? -1 : static_cast<int>(at - items.begin());
}

}  // namespace
}  // namespace assistant

void TForm1::ComboBox_InstrumentChange() {
  const int index = ComboBox_Instrument.itemIndex;
  if (index < 0 || static_cast<std::size_t>(index) >= ComboBox_Instrument.items.size()) return;
  const std::string symbol = ComboBox_Instrument.items[static_cast<std::size_t>(index)];
  // The table's row of the instrument when it has one, its prices with it; otherwise the
  // instrument alone, whose prices the trader types in.
  ListView1.selectedIndex = -1;
  for (std::size_t row = 0; row < ListView1.items.size(); ++row) {
    if (ListView1.items[row].caption == symbol) ListView1.selectedIndex = static_cast<int>(row);
  }
  if (ListView1.selectedIndex < 0) {
    Label_Valuta.caption = SelectedPair = symbol;
    SelectedBid.clear();
    SelectedAsk.clear();
    RadioButton_Buy.caption = "Покупка (ask): ";
    RadioButton_sell.caption = "Продажа (bid): ";
  }
  ListView1Click();
}

void TForm1::Button_InstrumentsClick() {
  assistant::FillInstrumentEdit(*this, SelectedPair);
  ComboBox_InstrumentEditChange();
  Label_InstrumentsNote.caption.clear();
  InstrumentsDialogVisible = true;
}

void TForm1::ComboBox_InstrumentEditChange() {
  const std::string& chosen = ComboBox_InstrumentEdit.text;
  for (const Instrument& instrument : EditableInstruments(OwnInstruments)) {
    if (instrument.symbol == chosen) {
      assistant::ShowTexts(*this, ToTexts(instrument));
      return;
    }
  }
  assistant::ShowTexts(*this, {"", "", "USD", "1", "0.01", "0"});
}

void TForm1::Button_InstrumentSaveClick() {
  const Instrument instrument =
      ParseInstrument({Edit_InstSymbol.text, Edit_InstBase.text, Edit_InstQuote.text,
                       Edit_InstContract.text, Edit_InstPoint.text, Edit_InstMargin.text});
  PutInstrument(OwnInstruments, instrument);
  SettingsChanged = true;
  assistant::FillInstrumentEdit(*this, instrument.symbol);
  assistant::RefreshChoices(*this);
  Label_InstrumentsNote.caption = instrument.symbol + " записан.";
}

void TForm1::Button_InstrumentRemoveClick() {
  const std::string symbol = ComboBox_InstrumentEdit.text;
  const auto own = std::find_if(OwnInstruments.begin(), OwnInstruments.end(),
                                [&](const Instrument& i) { return i.symbol == symbol; });
  if (own == OwnInstruments.end()) {
    throw UserError(KnownInstrument(symbol)
                        ? symbol + " — инструмент программы: его можно изменить, но не удалить."
                        : "Выберите в списке инструмент, который хотите удалить.");
  }
  OwnInstruments.erase(own);
  SettingsChanged = true;
  assistant::FillInstrumentEdit(*this, symbol);  // a metal shows its own contract again
  ComboBox_InstrumentEditChange();
  assistant::RefreshChoices(*this);
  Label_InstrumentsNote.caption =
      symbol + (KnownInstrument(symbol) ? " снова со спецификацией программы." : " удалён.");
}

void TForm1::Button_InstrumentsCloseClick() { InstrumentsDialogVisible = false; }

}  // namespace tiramon
