// The wiring table: which handler each user event runs, and the window's close and minimise
// answers with and without a notification area.
#include "app/wiring.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>

#include "app/window_rules.h"

namespace tiramon {
namespace {

TEST(Wiring, TheEightInputsOfTheAssistantRecalculateIt) {
  const std::pair<const char*, Event> inputs[] = {
      {"Edit_Deposit", Event::Change}, {"ComboBox_Plecho", Event::Change},
      {"ComboBox_Lot", Event::Change}, {"ComboBox_LotProc", Event::Change},
      {"ComboBox_los", Event::Change}, {"ComboBox_Teik", Event::Change},
      {"RadioButton9", Event::Click},  {"RadioButton11", Event::Click},
  };
  for (const auto& [control, event] : inputs) {
    SCOPED_TRACE(control);
    EXPECT_EQ(WiredHandler(control, event), &TForm1::ListView1Click);
  }
  // Boxes of other tabs do not recalculate the assistant while the user types: the quote table's
  // two boxes work out the table's own figures, the others nothing at all.
  for (const char* control : {"edit_lot", "Edit8"}) {
    EXPECT_EQ(WiredHandler(control, Event::Change), &TForm1::edit_lotChange) << control;
  }
  for (const char* control : {"edt_Kapital", "Edit_ProcLot"}) {
    EXPECT_EQ(WiredHandler(control, Event::Change), nullptr) << control;
  }
}

// What follows a handler is declared in the wiring, and runs once after it: new prices or
// the trader's own bring the assistant's figures up to date, the assistant's run puts the
// prices' origin into words, a change of the settings is stored.
TEST(Wiring, FollowUpsRunAfterTheirHandlerOnce) {
  const std::pair<Handler, Handler> declared[] = {
      {&TForm1::Button9Click, &TForm1::ListView1Click},
      {&TForm1::Button_OwnPricesClick, &TForm1::ListView1Click},
      {&TForm1::Button_ClearOwnPricesClick, &TForm1::ListView1Click},
      {&TForm1::ComboBox_SourceChange, &TForm1::ListView1Click},
      {&TForm1::ComboBox_SourceChange, &TForm1::StoreSettings},
      {&TForm1::Button_BrokerSaveClick, &TForm1::StoreSettings},
      {&TForm1::ListView1Click, &TForm1::ShowPriceOrigin},
      {&TForm1::ComboBox_InstrumentChange, &TForm1::ShowPriceOrigin},
      {&TForm1::RadioButton_sellClick, &TForm1::ShowPriceOrigin},
      {&TForm1::FormCreate, &TForm1::ShowAccountCurrency},
      // The book: read at the start, its results after new prices, a change written and
      // counted again by the assistant's room under the limits.
      {&TForm1::FormCreate, &TForm1::LoadBookFile},
      {&TForm1::Button9Click, &TForm1::ShowBook},
      {&TForm1::Timer_AgeTimer, &TForm1::ShowBook},
      {&TForm1::Button_ToBookClick, &TForm1::StoreBook},
      {&TForm1::Button_ToBookClick, &TForm1::ListView1Click},
      {&TForm1::Button_BookRemoveClick, &TForm1::ListView1Click},
      {&TForm1::Button_PropSaveClick, &TForm1::StoreSettings},
      {&TForm1::Button_PropSaveClick, &TForm1::ListView1Click},
  };
  for (const auto& [after, then] : declared) {
    int found = 0;
    for (const FollowUp& followUp : FollowUps()) {
      found += followUp.after == after && followUp.then == then ? 1 : 0;
    }
    EXPECT_EQ(found, 1);
  }
  // Run as the window runs it, a click on the table leaves the price's origin said.
  TForm1 form;
  form.Label_PriceSource.caption = "stale";
  RunHandler(form, &TForm1::ListView1Click);
  EXPECT_NE(form.Label_PriceSource.caption, "stale");
  // Storing follows only a change: the save is called once for one change, not for none.
  int saves = 0;
  Environment environment;
  environment.saveSettings = [&saves](const Environment&) {
    ++saves;
    return std::string();
  };
  TForm1 saving(environment);
  RunHandler(saving, &TForm1::Button_BrokerSaveClick);  // the dialog as it opened: no change
  EXPECT_EQ(saves, 0);
  saving.Edit_Commission.text = "7";
  RunHandler(saving, &TForm1::Button_BrokerSaveClick);
  EXPECT_EQ(saves, 1);
}

TEST(Wiring, EveryHandlerIsWiredAndNoEventTwice) {
  // How many control events run each handler.
  const std::pair<Handler, int> expected[] = {
      {&TForm1::FormCreate, 1},
      {&TForm1::FormShow, 1},
      {&TForm1::lbl30Click, 1},
      {&TForm1::Image1Click, 1},
      {&TForm1::Image2Click, 1},
      {&TForm1::Image3Click, 1},
      {&TForm1::Image4Click, 1},
      {&TForm1::Image5Click, 1},
      {&TForm1::Image6Click, 1},
      {&TForm1::Button9Click, 1},
      {&TForm1::edit_lotChange, 2},
      {&TForm1::ListView1Click, 11},
      {&TForm1::ListView1DblClick, 1},
      {&TForm1::RadioButton_BuyClick, 1},
      {&TForm1::RadioButton_sellClick, 1},
      {&TForm1::SpeedButton1Click, 1},
      {&TForm1::SpeedButton2Click, 2},
      {&TForm1::SpeedButton3Click, 2},
      {&TForm1::SpeedButton4Click, 1},
      {&TForm1::N5Click, 1},
      {&TForm1::N6Click, 2},
      {&TForm1::N3Click, 1},
      {&TForm1::Button1Click, 3},
      {&TForm1::Button4Click, 1},
      {&TForm1::Button5Click, 1},
      {&TForm1::RadioButton1Click, 1},
      {&TForm1::RadioButton2Click, 1},
      {&TForm1::RadioButton3Click, 1},
      {&TForm1::RadioButton4Click, 1},
      {&TForm1::RadioButton31Click, 1},
      {&TForm1::RadioButton32Click, 1},
      {&TForm1::RiskModeClick, 2},
      {&TForm1::RiskFromAssistantClick, 1},
      {&TForm1::RiskCalculateClick, 1},
      {&TForm1::RiskCancelClick, 1},
      {&TForm1::Timer_RiskTimer, 1},
      {&TForm1::FormActivate, 1},
      {&TForm1::Timer_AgeTimer, 1},
      {&TForm1::ComboBox_SourceChange, 1},
      {&TForm1::Button_SaveUrlsClick, 1},
      {&TForm1::Button_OwnPricesClick, 1},
      {&TForm1::Button_ClearOwnPricesClick, 1},
      {&TForm1::CheckBox_StopLevelsClick, 1},
      {&TForm1::Button_BrokerClick, 1},
      {&TForm1::Button_BrokerSaveClick, 1},
      {&TForm1::Button_BrokerCancelClick, 1},
      {&TForm1::Button_ToBookClick, 1},
      {&TForm1::BookListClick, 1},
      {&TForm1::Button_BookApplyClick, 1},
      {&TForm1::Button_BookAddClick, 1},
      {&TForm1::Button_BookRemoveClick, 1},
      {&TForm1::BookAccountChange, 2},
      {&TForm1::Button_PropSaveClick, 1},
      {&TForm1::ComboBox_InstrumentChange, 1},
      {&TForm1::Button_InstrumentsClick, 1},
      {&TForm1::ComboBox_InstrumentEditChange, 1},
      {&TForm1::Button_InstrumentSaveClick, 1},
      {&TForm1::Button_InstrumentRemoveClick, 1},
      {&TForm1::Button_InstrumentsCloseClick, 1},
  };
  std::set<std::pair<std::string, Event>> events;
  int rows = 0;
  for (const Wire& wire : Wiring()) {
    ++rows;
    EXPECT_TRUE(events.emplace(std::string(wire.control), wire.event).second)
        << wire.control << " is wired twice for one event";
    ASSERT_NE(wire.handler, nullptr) << wire.control;
  }
  int total = 0;
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    int wired = 0;
    for (const Wire& wire : Wiring()) wired += wire.handler == expected[i].first ? 1 : 0;
    EXPECT_EQ(wired, expected[i].second) << "handler in row " << i + 1;
    total += expected[i].second;
  }
  EXPECT_EQ(rows, total) << "a row runs a handler missing from this list";
  EXPECT_EQ(WiredHandler("Button2", Event::Click), &TForm1::Button1Click);
  EXPECT_EQ(WiredHandler("CoolTrayIcon1", Event::DoubleClick), &TForm1::N6Click);
  EXPECT_EQ(WiredHandler("N1", Event::Click), &TForm1::SpeedButton2Click);
  EXPECT_EQ(WiredHandler("N4", Event::Click), &TForm1::SpeedButton3Click);
}

TEST(Wiring, OnlyTheDepositAndTheQuoteLotBoxesFilterTheirKeys) {
  EXPECT_EQ(WiredKeyFilter("Edit_Deposit"), &TForm1::Edit_DepositKeyPress);
  EXPECT_EQ(WiredKeyFilter("edit_lot"), &TForm1::edit_lotKeyPress);
  for (const char* control : {"ComboBox_Lot", "Edit8", "Edit_ProcLot", "Form1"}) {
    EXPECT_EQ(WiredKeyFilter(control), nullptr) << control;
  }
}

TEST(WindowRules, TheTrayPresentAtTheRequestDecides) {
  struct Row {
    bool tray;
    WindowAnswer close;
    WindowAnswer minimise;
  };
  for (const Row& row : {Row{true, WindowAnswer::HideToTray, WindowAnswer::HideToTray},
                         Row{false, WindowAnswer::EndProgram, WindowAnswer::StayMinimised}}) {
    SCOPED_TRACE(row.tray ? "with a tray" : "without a tray");
    EXPECT_EQ(AnswerCloseRequest(row.tray), row.close);
    EXPECT_EQ(AnswerMinimise(row.tray), row.minimise);
  }
}

}  // namespace
}  // namespace tiramon
