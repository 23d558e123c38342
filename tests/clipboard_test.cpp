// The assistant's copy commands and the direction buttons.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/unit1.h"
#include "tests/assistant_market.h"

namespace tiramon::assistant_test {
namespace {

class AssistantClipboard : public AssistantTest {};

TEST_F(AssistantClipboard, EachCommandCopiesItsBox) {
  struct Row {
    const char* command;
    void (TForm1::*click)();
    bool percentMode;
    const char* expected;
  };
  const Row rows[] = {
      {"SpeedButton1: lot from the margin", &TForm1::SpeedButton1Click, false, "0.41"},
      {"SpeedButton2: take-profit price", &TForm1::SpeedButton2Click, false, "1.10500"},
      {"SpeedButton3: stop-loss price", &TForm1::SpeedButton3Click, false, "1.09850"},
      {"SpeedButton4: lot from the stop", &TForm1::SpeedButton4Click, false, "0.6 "},
      {"N5 in lots mode: the chosen lot", &TForm1::N5Click, false, "0.2"},
      {"N5 in percent mode: the lot from the stop", &TForm1::N5Click, true, "0.6 "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command);
    std::vector<std::string> copied;
    Environment environment;
    environment.copyToClipboard = [&copied](const std::string& text) { copied.push_back(text); };
    TForm1 form(environment);
    form.Edit_ProcLot.text = "0.41";
    form.Edit_ProcLot2.text = "0.6 ";  // copied as it stands
    form.Edit_Teik.text = "1.10500";
    form.Edit_Loss.text = "1.09850";
    form.ComboBox_Lot.text = "0.2";
    if (row.percentMode) PercentMode(form);
    (form.*row.click)();
    EXPECT_EQ(copied, std::vector<std::string>{row.expected});
  }
}

TEST_F(AssistantClipboard, AnEmptyBoxCopiesAnEmptyText) {
  std::vector<std::string> copied;
  Environment environment;
  environment.copyToClipboard = [&copied](const std::string& text) { copied.push_back(text); };
  TForm1 form(environment);
  // Before any lots-mode run the price boxes are empty.
  form.SpeedButton3Click();
  form.SpeedButton2Click();
  EXPECT_EQ(copied, (std::vector<std::string>{"", ""}));
}

TEST_F(AssistantClipboard, NoClipboardIsHarmless) {
  TForm1 form;
  form.Edit_Loss.text = "1.09850";
  EXPECT_NO_THROW(form.SpeedButton3Click());
  EXPECT_NO_THROW(form.N5Click());
}

class AssistantDirection : public AssistantTest {};

TEST_F(AssistantDirection, SellingRecoloursAndRecomputesFromTheBid) {
  TForm1 form = MarketForm();
  Select(form, "EUR/USD");
  form.ListView1Click();
  ASSERT_EQ(form.Edit_Loss.text, "1.09870");  // bought at the ask 1.1002, stop 0.0015 below

  Sell(form);
  form.RadioButton_sellClick();
  EXPECT_EQ(form.RadioButton_sell.fontColor, colors::Blue);
  EXPECT_EQ(form.RadioButton_Buy.fontColor, colors::Black);
  // Sold at the bid 1.1: margin 110000 × 0.1 ÷ 500, stop 0.0015 above, take 0.005 below.
  EXPECT_EQ(form.Zalog.caption, "22");
  EXPECT_EQ(form.Edit_Loss.text, "1.10150");
  EXPECT_EQ(form.Edit_Teik.text, "1.09500");

  form.RadioButton_sell.checked = false;
  form.RadioButton_Buy.checked = true;
  form.RadioButton_BuyClick();
  EXPECT_EQ(form.RadioButton_Buy.fontColor, colors::Blue);
  EXPECT_EQ(form.RadioButton_sell.fontColor, colors::Black);
  // 110020 × 0.1 ÷ 500 = 22.004, written to the cent.
  EXPECT_EQ(form.Zalog.caption, "22");
  EXPECT_EQ(form.Edit_Loss.text, "1.09870");
}

TEST_F(AssistantDirection, AClickThatLeavesTheButtonUncheckedStillRecomputes) {
  TForm1 form = MarketForm();
  Select(form, "EUR/USD");
  form.RadioButton_Buy.fontColor = colors::Gray;  // so an unwanted recolouring would show
  form.RadioButton_sell.fontColor = colors::Gray;
  form.RadioButton_sellClick();  // sell is not checked
  EXPECT_EQ(form.RadioButton_Buy.fontColor, colors::Gray);
  EXPECT_EQ(form.RadioButton_sell.fontColor, colors::Gray);
  // Still buying, at the ask 1.1002: the stop 1.1002 − 0.0015.
  EXPECT_EQ(form.Edit_Loss.text, "1.09870");
  EXPECT_TRUE(form.Memo1.lines.empty());

  form.RadioButton_Buy.checked = false;
  form.RadioButton_BuyClick();
  EXPECT_EQ(form.RadioButton_Buy.fontColor, colors::Gray);
}

TEST_F(AssistantDirection, DoubleClickBringsTheAssistantTabForward) {
  TForm1 form = MarketForm();
  Select(form, "GBP/USD");
  form.ListView1Click();  // the click that comes with every double click
  form.ListView1DblClick();
  EXPECT_EQ(form.PageControl1.activePageIndex, 2);
  EXPECT_EQ(form.Label_Valuta.caption, "GBP/USD");
}

}  // namespace
}  // namespace tiramon::assistant_test
