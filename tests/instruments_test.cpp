// Instruments beyond currency pairs: the trader's own typed in the dialog and kept in the settings
// file, chosen from the assistant's list with or without a row in the table, and counted by their
// contract: gold, silver, an index in euros, a yen index in a rouble account.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/instrument_rules.h"
#include "app/settings_rules.h"
#include "app/wiring.h"
#include "support/numtext.h"
#include "tests/assistant_market.h"

namespace tiramon {
namespace {

using assistant_test::AssistantTest;

// An index in euros, a point of 0.1, 5 % of its value as margin.
const Instrument kDe40{"DE40", "", "EUR", 1, 0.1, 5};
const Instrument kJp225{"JP225", "", "JPY", 1, 1, 5};

TEST(InstrumentRules, WhatMayBeTypedForOne) {
  const struct {
    InstrumentTexts texts;
    const char* refused;  // the start of the message; nullptr: accepted
  } rows[] = {
      {{"DE40", "", "EUR", "1", "0,1", "5"}, nullptr},  // a decimal comma is a point
      {{" US500 ", "", "USD", "1", "0.25", ""}, nullptr},
      {{"XAU/USD", "XAU", "USD", "1", "0.01", "0"}, nullptr},  // metals have currency codes too
      {{"GOLD", "GOLD", "USD", "1", "0.01", "0"}, "Базовая валюта: «GOLD»"},
      {{"", "", "USD", "1", "1", "0"}, "Инструмент: введите его символ"},
      {{"A;B", "", "USD", "1", "1", "0"}, "Инструмент: «A;B»"},
      {{"US500", "", "usd", "1", "1", "0"}, "Валюта котировки: «usd»"},
      {{"EURX", "EUR", "EUR", "1", "1", "0"}, "Базовая валюта не может совпадать"},
      {{"US500", "", "USD", "0", "1", "0"}, "Размер контракта должен быть больше 0"},
      {{"US500", "", "USD", "abc", "1", "0"}, "Размер контракта: «abc» — не число"},
      {{"US500", "", "USD", "1", "-1", "0"}, "Размер пункта должен быть больше 0"},
      {{"US500", "", "USD", "1", "1", "120"}, "Маржа в % должен быть от 0 до 100"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.texts.symbol + "/" + row.texts.contractSize);
    if (!row.refused) {
      const Instrument read = ParseInstrument(row.texts);
      EXPECT_EQ(ReadStoredInstrument(StoredInstrument(read)), read);
      continue;
    }
    try {
      ParseInstrument(row.texts);
      ADD_FAILURE() << "accepted";
    } catch (const UserError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(row.refused, 0), 0u) << e.what();
    }
  }
  EXPECT_EQ(ParseInstrument({"DE40", "", "EUR", "1", "0,1", "5"}), kDe40);
  EXPECT_EQ(StoredInstrument(kDe40), "DE40;;EUR;1;0.1;5");
}

// The settings file's instruments: each on its own, a bad or a second one left out with a note.
TEST(InstrumentRules, TheSettingsFileKeepsThem) {
  const struct {
    const char* what;
    std::map<std::string, std::string> values;
    std::vector<std::string> symbols;
    const char* note;  // a part of the note; "" for none
  } rows[] = {
      {"good",
       {{"instruments/1", "DE40;;EUR;1;0.1;5"}, {"instruments/2", "JP225;;JPY;1;1;5"}},
       {"DE40", "JP225"},
       ""},
      {"a bad field",
       {{"instruments/1", "DE40;;EUR;0;0.1;5"}, {"instruments/2", "JP225;;JPY;1;1;5"}},
       {"JP225"},
       "инструмент 1 (Размер контракта"},
      {"the same symbol twice",
       {{"instruments/1", "DE40;;EUR;1;0.1;5"}, {"instruments/2", "DE40;;EUR;25;0.1;5"}},
       {"DE40"},
       "DE40 — второй раз"},
      {"garbage", {{"instruments/1", "\x01\xff;;"}}, {}, "нужно шесть полей"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    StoredSettings stored;
    stored.state = StoredSettings::State::Read;
    stored.values = row.values;
    Environment environment;
    ApplySettings(stored, environment);
    std::vector<std::string> symbols;
    for (const Instrument& instrument : environment.instruments)
      symbols.push_back(instrument.symbol);
    EXPECT_EQ(symbols, row.symbols);
    EXPECT_NE(environment.settingsNote.find(row.note), std::string::npos)
        << environment.settingsNote;
  }
  // A save of one changed instrument writes the section whole, and nothing else.
  StoredSettings stored;
  stored.state = StoredSettings::State::Read;
  stored.values = {{"instruments/1", "DE40;;EUR;1;0.1;5"}, {"quotes/source", "page"}};
  Environment wanted;
  ApplySettings(stored, wanted);
  wanted.instruments.push_back(kJp225);
  const SettingsChange change = SettingsChangeFor(stored, wanted);
  EXPECT_EQ(change.emptiedSections, std::vector<std::string>{"instruments"});
  EXPECT_EQ(change.values,
            (std::vector<std::pair<std::string, std::string>>{
                {"instruments/1", "DE40;;EUR;1;0.1;5"}, {"instruments/2", "JP225;;JPY;1;1;5"}}));
}

class InstrumentsTest : public AssistantTest {
 protected:
  // A table of the dollar pairs and gold, bought at the price itself.
  TForm1 Market(std::vector<Instrument> own = {}) {
    Environment environment;
    environment.instruments = std::move(own);
    TForm1 form(environment);
    for (const auto& [pair, bid] :
         std::vector<std::pair<const char*, const char*>>{{"EUR/USD", "1.1"},
                                                          {"USD/JPY", "150"},
                                                          {"USD/RUB", "92.5"},
                                                          {"XAU/USD", "4146.26"},
                                                          {"XAG/USD", "30.5"}}) {
      form.ListView1.items.push_back(TListItem{pair, {bid, bid, "0"}});
      form.TableRates.Add(pair, ParseDecimal(bid));
    }
    return form;
  }
  void Choose(TForm1& form, const std::string& symbol) {
    const auto& items = form.ComboBox_Instrument.items;
    const auto at = std::find(items.begin(), items.end(), symbol);
    ASSERT_NE(at, items.end()) << symbol;
    form.ComboBox_Instrument.itemIndex = static_cast<int>(at - items.begin());
    RunHandler(form, WiredHandler("ComboBox_Instrument", Event::Change));
  }
  void OwnPrices(TForm1& form, const char* bid, const char* ask) {
    form.Edit_OwnBid.text = bid;
    form.Edit_OwnAsk.text = ask;
    RunHandler(form, WiredHandler("Button_OwnPrices", Event::Click));
  }
};

TEST_F(InstrumentsTest, EachIsCountedByItsContract) {
  const struct {
    const char* what;
    std::vector<Instrument> own;
    const char* account;
    const char* symbol;
    const char* bid;  // typed as the trader's own prices; nullptr: the table's
    const char* lot;
    const char* leverage;
    const char* stop;
    const char* zalog;
    const char* punkt;
    const char* loss;
    const char* stopLevel;
  } rows[] = {
      // 0.1 × 100 oz × 4146.26 ÷ 100 = 414.626; a point of 0.01 is 0.1 × 100 × 0.01 = $0.10;
      // 500 points $50; the stop 4146.26 − 5.00 with gold's two decimals.
      {"gold",
       {},
       "USD",
       "XAU/USD",
       nullptr,
       "0.1",
       "100",
       "500",
       "414.63",
       "0.10",
       "50$ или 50%",
       "4141.26"},
      // 0.1 × 5000 oz × 30.5 ÷ 100 = 152.5; a point of 0.001 is 0.1 × 5000 × 0.001 = $0.50.
      {"silver",
       {},
       "USD",
       "XAG/USD",
       nullptr,
       "0.1",
       "100",
       "100",
       "152.5",
       "0.50",
       "50$ или 50%",
       "30.400"},
      // 18000 € × 1.1 = $19800, 5 % of it $990; a point of 0.1 € = $0.11, 300 points $33.
      {"an index in euros",
       {kDe40},
       "USD",
       "DE40",
       "18000",
       "1",
       "500",
       "300",
       "990",
       "0.11",
       "33$ или 33%",
       "17970.0"},
      // A yen is 92.5 ÷ 150 roubles: 38000 ¥ = 23433.33 ₽, 5 % of it 1171.67 ₽; a point of
      // ¥1
      // = 0.6167 ₽, 100 points 61.67 ₽.
      {"a yen index in a rouble account",
       {kJp225},
       "RUB",
       "JP225",
       "38000",
       "1",
       "500",
       "100",
       "1171.67",
       "0.62",
       "61.67₽ или 61.67%",
       "37900"},
      // A broker that sells gold by the ounce: 1 oz a lot, so a lot is 4146.26 $ of gold.
      {"gold by the ounce",
       {Instrument{"XAU/USD", "XAU", "USD", 1, 0.01, 0}},
       "USD",
       "XAU/USD",
       nullptr,
       "1",
       "100",
       "500",
       "41.46",
       "0.01",
       "5$ или 5%",
       "4141.26"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    TForm1 form = Market(row.own);
    form.Broker.accountCurrency = row.account;
    form.Edit_Deposit.text = "100";
    form.ComboBox_Lot.text = row.lot;
    form.ComboBox_Plecho.text = row.leverage;
    form.ComboBox_los.text = row.stop;
    Choose(form, row.symbol);
    if (row.bid) OwnPrices(form, row.bid, row.bid);
    EXPECT_EQ(form.Label_Valuta.caption, row.symbol);
    EXPECT_EQ(form.Zalog.caption, row.zalog) << form.Memo1.lines.size();
    EXPECT_EQ(form.Punkt.caption, row.punkt);
    EXPECT_EQ(form.Label_Loss.caption, row.loss);
    EXPECT_EQ(form.Edit_Loss.text, row.stopLevel);
  }
}

// An instrument no source quotes has no price until the trader types his own; then it has a row
// of the table, which goes again when his prices are cleared.
TEST_F(InstrumentsTest, WithoutATableRowTheTradersPricesGiveOne) {
  TForm1 form = Market({kDe40});
  Choose(form, "DE40");
  EXPECT_EQ(form.Zalog.caption, "—");
  EXPECT_EQ(form.Memo1.lines.front().rfind("Нет цены DE40 для покупки (ask)", 0), 0u);
  OwnPrices(form, "18000", "18001,5");
  ASSERT_EQ(form.ListView1.items.back().caption, "DE40");
  EXPECT_EQ(form.SelectedAsk, "18001.5");
  EXPECT_EQ(form.Edit_Loss.text, "17986.5");  // 150 points of 0.1 below the ask
  RunHandler(form, WiredHandler("Button_ClearOwnPrices", Event::Click));
  EXPECT_NE(form.ListView1.items.back().caption, "DE40");
  EXPECT_EQ(form.Zalog.caption, "—");
  // Choosing a pair of the table takes its row, as a click on it does.
  Choose(form, "EUR/USD");
  EXPECT_EQ(form.ListView1.selectedIndex, 0);
  EXPECT_EQ(form.Zalog.caption, "22");
}

// The dialog: a new instrument, a metal changed and put back, nothing of the program's removed.
TEST_F(InstrumentsTest, TheDialogAddsChangesAndRemoves) {
  int saves = 0;
  Environment environment;
  environment.saveSettings = [&saves](const Environment&) {
    ++saves;
    return std::string();
  };
  TForm1 form(environment);
  RunHandler(form, WiredHandler("Button_Instruments", Event::Click));
  EXPECT_TRUE(form.InstrumentsDialogVisible);
  EXPECT_EQ(
      form.ComboBox_InstrumentEdit.items,
      (std::vector<std::string>{"Новый инструмент", "XAU/USD", "XAG/USD", "XPT/USD", "XPD/USD"}));
  form.Edit_InstSymbol.text = "US500";
  form.Edit_InstQuote.text = "USD";
  form.Edit_InstContract.text = "1";
  form.Edit_InstPoint.text = "0.25";
  form.Edit_InstMargin.text = "5";
  RunHandler(form, WiredHandler("Button_InstrumentSave", Event::Click));
  EXPECT_EQ(form.OwnInstruments, (std::vector<Instrument>{{"US500", "", "USD", 1, 0.25, 5}}));
  EXPECT_EQ(form.ComboBox_Instrument.items.back(), "US500");
  EXPECT_EQ(saves, 1);

  form.Edit_InstContract.text = "0";  // refused, nothing lost
  EXPECT_THROW(RunHandler(form, WiredHandler("Button_InstrumentSave", Event::Click)), UserError);
  EXPECT_EQ(form.OwnInstruments.size(), 1u);

  form.ComboBox_InstrumentEdit.text = "XAU/USD";
  RunHandler(form, WiredHandler("ComboBox_InstrumentEdit", Event::Change));
  EXPECT_EQ(form.Edit_InstContract.text, "100");
  EXPECT_THROW(RunHandler(form, WiredHandler("Button_InstrumentRemove", Event::Click)), UserError);
  form.Edit_InstContract.text = "1";
  RunHandler(form, WiredHandler("Button_InstrumentSave", Event::Click));
  EXPECT_EQ(form.OwnInstruments.back().contractSize, 1);
  RunHandler(form, WiredHandler("Button_InstrumentRemove", Event::Click));
  EXPECT_EQ(form.Edit_InstContract.text, "100");  // the program's contract again
  EXPECT_EQ(form.OwnInstruments.size(), 1u);
  EXPECT_EQ(saves, 3);
}

}  // namespace
}  // namespace tiramon
