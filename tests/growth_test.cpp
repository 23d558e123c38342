// The growth table: worked examples line for line, the refusals of inputs that never finish, and
// the order in which bad fields are reported.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/unit1.h"
#include "support/numtext.h"
#include "tests/support/run_expecting_error.h"

namespace tiramon {
namespace {

TEST(GrowthSimulator, PercentageDefaultsCompoundTheDeposit) {
  TForm1 form;
  form.Button1Click();
  const auto& lines = form.mmo_lot.lines;
  ASSERT_EQ(lines.size(), 15u);  // heading, 13 trades, total
  EXPECT_EQ(lines[0], "Экспоненциальный расчет:");
  EXPECT_EQ(lines[1], "1) Депозит:100, риск:5, прибыль:20");
  EXPECT_EQ(lines[2], "2) Депозит:120, риск:6, прибыль:24");
  EXPECT_EQ(lines[3], "3) Депозит:144, риск:7.2, прибыль:28.8");
  EXPECT_EQ(lines[13], "13) Депозит:891.6100448256, риск:44.58050224128, прибыль:178.32");
  EXPECT_EQ(lines[14], "Итого депозит:1069.93205379072");
}

TEST(GrowthSimulator, ProfitIsRoundedToCentsWhileDepositKeepsFifteenDigits) {
  TForm1 form;
  form.Button1Click();
  // 5th trade: deposit 207.36, risk 10.368, profit 41.472 shown as 41.47.
  EXPECT_EQ(form.mmo_lot.lines[5], "5) Депозит:207.36, риск:10.368, прибыль:41.47");
}

TEST(GrowthSimulator, FixedAmountGrowsLinearly) {
  TForm1 form;
  form.RadioButton1.checked = false;
  form.RadioButton2.checked = true;
  form.Button1Click();
  const auto& lines = form.mmo_lot.lines;
  ASSERT_EQ(lines.size(), 47u);
  EXPECT_EQ(lines[0], "Линейный расчет:");
  for (int trade = 1; trade <= 45; ++trade) {
    EXPECT_EQ(lines[trade], std::to_string(trade) + ") Депозит:" +
                                std::to_string(100 + 20 * (trade - 1)) + ", риск:5, прибыль:20");
  }
  EXPECT_EQ(lines[46], "Итого депозит:1000");
}

TEST(GrowthSimulator, DepositAtOrAboveTargetGivesOnlyHeadingAndTotal) {
  struct Case {
    const char* deposit;
    const char* ratio;
    const char* total;
  };
  // A ratio of zero is harmless when no trade is needed.
  for (const Case& c :
       {Case{"1000", "4", "Итого депозит:1000"}, Case{"1500.25", "0", "Итого депозит:1500.25"}}) {
    SCOPED_TRACE(c.deposit);
    TForm1 form;
    form.edt_Kapital.text = c.deposit;
    form.edit_sootonoshenie.text = c.ratio;
    form.Button1Click();
    EXPECT_EQ(form.mmo_lot.lines, (std::vector<std::string>{"Экспоненциальный расчет:", c.total}));
  }
}

TEST(GrowthSimulator, RefusesInputsThatNeverReachTheTarget) {
  struct Case {
    const char* deposit;
    const char* risk;
    const char* risk2;
    const char* ratio;
    bool money;
  };
  const Case cases[] = {
      {"100", "5", "5", "0", false}, {"100", "5", "5", "-4", false},
      {"100", "0", "5", "4", false}, {"100", "-5", "5", "4", false},
      {"0", "5", "5", "4", false},   {"-100", "5", "5", "4", false},
      {"100", "5", "0", "4", true},  {"100", "5", "-5", "4", true},
      {"100", "5", "5", "0", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.deposit) + " " + c.risk + " " + c.risk2 + " " + c.ratio);
    TForm1 form;
    form.edt_Kapital.text = c.deposit;
    form.edit_risk.text = c.risk;
    form.edit_risk2.text = c.risk2;
    form.edit_sootonoshenie.text = c.ratio;
    form.RadioButton1.checked = !c.money;
    form.RadioButton2.checked = c.money;
    const std::string message = testing::RunExpectingError(form, &TForm1::Button1Click);
    EXPECT_NE(message.find("прибыль сделки должна быть больше нуля"), std::string::npos) << message;
    EXPECT_TRUE(form.mmo_lot.lines.empty());
  }
}

TEST(GrowthSimulator, RefusesTablesLongerThanTheBound) {
  struct Case {
    const char* deposit;
    const char* target;
    const char* risk2;
    const char* ratio;
    size_t lines;  // 0: refused
  };
  const Case cases[] = {
      {"0", "100000", "1", "1", 100002},              // exactly the bound: heading, 100000, total
      {"0", "100001", "1", "1", 0},                   // one trade over
      {"1", "2147483647", "0.0001", "1", 0},          // tiny profit, huge target
      {"1000000000", "2000000000", "1E-10", "1", 0},  // profit too small to move the deposit
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    TForm1 form;
    form.edt_Kapital.text = c.deposit;
    form.edt_count.text = c.target;
    form.edit_risk2.text = c.risk2;
    form.edit_sootonoshenie.text = c.ratio;
    form.RadioButton1.checked = false;
    form.RadioButton2.checked = true;
    if (c.lines == 0) {
      const std::string message = testing::RunExpectingError(form, &TForm1::Button1Click);
      EXPECT_NE(message.find("больше 100000 сделок"), std::string::npos) << message;
      EXPECT_TRUE(form.mmo_lot.lines.empty());
    } else {
      form.Button1Click();
      ASSERT_EQ(form.mmo_lot.lines.size(), c.lines);
      EXPECT_EQ(form.mmo_lot.lines.back(), "Итого депозит:" + std::string(c.target));
    }
  }
}

TEST(GrowthSimulator, FirstBadFieldIsReportedAndMemoStaysEmpty) {
  struct Case {
    const char* field;
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"edt_Kapital", "1,5", "'1,5' is not a valid floating point value"},
      {"edt_count", "1000.5", "'1000.5' is not a valid integer value"},
      {"edt_count", "1000 ", "'1000 ' is not a valid integer value"},
      {"edit_risk", "5%", "'5%' is not a valid floating point value"},
      // The risk field of the other mode is read too.
      {"edit_risk2", "", "'' is not a valid floating point value"},
      {"edit_sootonoshenie", "1 к 4", "'1 к 4' is not a valid floating point value"},
      {"edt_Kapital", "1E400", "Floating point overflow"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    TForm1 form;
    const std::string field = c.field;
    TEdit& edit = field == "edt_Kapital"  ? form.edt_Kapital
                  : field == "edt_count"  ? form.edt_count
                  : field == "edit_risk"  ? form.edit_risk
                  : field == "edit_risk2" ? form.edit_risk2
                                          : form.edit_sootonoshenie;
    edit.text = c.text;
    // A later field is bad as well: the first one in reading order must be named.
    if (field != "edit_sootonoshenie") form.edit_sootonoshenie.text = "x";
    EXPECT_EQ(testing::RunExpectingError(form, &TForm1::Button1Click), c.message);
    EXPECT_TRUE(form.mmo_lot.lines.empty());
  }
}

TEST(GrowthSimulator, OverflowKeepsTheLinesWrittenBefore) {
  TForm1 form;
  form.edt_Kapital.text = "-1E308";
  form.edit_risk2.text = "1E308";
  form.RadioButton1.checked = false;
  form.RadioButton2.checked = true;
  EXPECT_EQ(testing::RunExpectingError(form, &TForm1::Button1Click), "Floating point overflow");
  ASSERT_EQ(form.mmo_lot.lines.size(), 2u);
  EXPECT_EQ(form.mmo_lot.lines[1], "1) Депозит:-1E308, риск:1E308, прибыль:4E308");
}

TEST(GrowthSimulator, ModeHighlightFollowsTheCheckedButton) {
  TForm1 form;
  EXPECT_EQ(form.RadioButton1.fontColor, colors::Blue);
  EXPECT_EQ(form.RadioButton2.fontColor, colors::Black);
  form.RadioButton1.checked = false;
  form.RadioButton2.checked = true;
  form.RadioButton1Click();  // its own button is not checked: nothing changes
  EXPECT_EQ(form.RadioButton1.fontColor, colors::Blue);
  form.RadioButton2Click();
  EXPECT_EQ(form.RadioButton2.fontColor, colors::Blue);
  EXPECT_EQ(form.RadioButton1.fontColor, colors::Black);
}

}  // namespace
}  // namespace tiramon
