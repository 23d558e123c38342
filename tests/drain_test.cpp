// The drain table: worked examples line for line, where the table stops, and how bad fields and
// an overflowing deposit are reported.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/unit1.h"
#include "support/numtext.h"
#include "tests/support/run_expecting_error.h"

namespace tiramon {
namespace {

using Lines = std::vector<std::string>;

void UseMoneyMode(TForm1& form) {
  form.RadioButton3.checked = false;
  form.RadioButton4.checked = true;
}

bool HasDrainLine(const Lines& lines) {
  for (const std::string& line : lines) {
    if (line.starts_with("Чтобы слить депозит")) return true;
  }
  return false;
}

TEST(DrainSimulator, PercentageDefaultsDrainInNinetyTrades) {
  TForm1 form;
  form.Button4Click();
  const Lines& lines = form.mmo_lot2.lines;
  ASSERT_EQ(lines.size(), 93u);  // heading, 90 trades, drain line, total
  EXPECT_EQ(lines[0], "Экспоненциальный расчет:");
  EXPECT_EQ(lines[1], "1) Депозит: 100, риск: 5");
  EXPECT_EQ(lines[2], "2) Депозит: 95, риск: 4.75");
  EXPECT_EQ(lines[3], "3) Депозит: 90.25, риск: 4.51");
  EXPECT_EQ(lines[90], "90) Депозит: 1.04088049575358, риск: 0.05");
  EXPECT_EQ(lines[91], "Чтобы слить депозит потребуется 90 сделок!");
  EXPECT_EQ(lines[92], "Итого депозит:0.988836470965899");
}

TEST(DrainSimulator, FixedAmountDrainsInTwentyTrades) {
  TForm1 form;
  UseMoneyMode(form);
  form.Button4Click();
  const Lines& lines = form.mmo_lot2.lines;
  ASSERT_EQ(lines.size(), 23u);
  EXPECT_EQ(lines[0], "Линейный расчет:");
  for (int trade = 1; trade <= 20; ++trade) {
    EXPECT_EQ(lines[trade], std::to_string(trade) +
                                ") Депозит: " + std::to_string(105 - 5 * trade) + ", риск: 5");
  }
  EXPECT_EQ(lines[21], "Чтобы слить депозит потребуется 20 сделок!");
  EXPECT_EQ(lines[22], "Итого депозит:0");
}

TEST(DrainSimulator, OnePercentIsNotDrainedWithinTwoHundredTrades) {
  TForm1 form;
  form.edit_riska1.text = "1";
  form.Button4Click();
  const Lines& lines = form.mmo_lot2.lines;
  ASSERT_EQ(lines.size(), 202u);
  EXPECT_EQ(lines[200], "200) Депозит: 13.5333004907032, риск: 0.14");
  EXPECT_EQ(lines[201], "Итого депозит:13.3979674857962");
  EXPECT_FALSE(HasDrainLine(lines));
}

TEST(DrainSimulator, ShortTables) {
  struct Case {
    const char* name;
    const char* deposit;
    const char* money;
    bool moneyMode;
    Lines lines;
  };
  const Case cases[] = {
      {"zero deposit",
       "0",
       "5",
       false,
       {"Экспоненциальный расчет:", "1) Депозит: 0, риск: 0",
        "Чтобы слить депозит потребуется 1 сделок!", "Итого депозит:0"}},
      {"deposit below the loss",
       "0.5",
       "5",
       true,
       {"Линейный расчет:", "1) Депозит: 0.5, риск: 5", "Чтобы слить депозит потребуется 1 сделок!",
        "Итого депозит:-4.5"}},
      // The deposit counts as drained below 1, not at 1.
      {"exactly one left",
       "11",
       "5",
       true,
       {"Линейный расчет:", "1) Депозит: 11, риск: 5", "2) Депозит: 6, риск: 5",
        "3) Депозит: 1, риск: 5", "Чтобы слить депозит потребуется 3 сделок!", "Итого депозит:-4"}},
      {"risk column keeps two decimals",
       "2.5",
       "1.005",
       true,
       {"Линейный расчет:", "1) Депозит: 2.5, риск: 1", "2) Депозит: 1.495, риск: 1",
        "Чтобы слить депозит потребуется 2 сделок!", "Итого депозит:0.49"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TForm1 form;
    form.edt_Kapital2.text = c.deposit;
    form.edit_riska2.text = c.money;
    if (c.moneyMode) UseMoneyMode(form);
    form.Button4Click();
    EXPECT_EQ(form.mmo_lot2.lines, c.lines);
  }
}

TEST(DrainSimulator, ZeroOrNegativeLossRunsAllTwoHundredTrades) {
  struct Case {
    const char* percent;
    const char* money;
    bool moneyMode;
    const char* secondLine;
    const char* total;  // nullptr: not checked
  };
  const Case cases[] = {
      {"0", "5", false, "2) Депозит: 100, риск: 0", "Итого депозит:100"},
      {"-1", "5", false, "2) Депозит: 101, риск: -1.01", nullptr},
      {"5", "0", true, "2) Депозит: 100, риск: 0", "Итого депозит:100"},
      {"5", "-2.5", true, "2) Депозит: 102.5, риск: -2.5", "Итого депозит:600"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.percent) + " / " + c.money);
    TForm1 form;
    form.edit_riska1.text = c.percent;
    form.edit_riska2.text = c.money;
    if (c.moneyMode) UseMoneyMode(form);
    form.Button4Click();
    const Lines& lines = form.mmo_lot2.lines;
    ASSERT_EQ(lines.size(), 202u);
    EXPECT_EQ(lines[2], c.secondLine);
    EXPECT_TRUE(lines[200].starts_with("200) Депозит: ")) << lines[200];
    EXPECT_FALSE(HasDrainLine(lines));
    EXPECT_TRUE(lines[201].starts_with("Итого депозит:")) << lines[201];
    if (c.total) {
      EXPECT_EQ(lines[201], c.total);
    }
  }
}

TEST(DrainSimulator, FirstBadFieldIsReportedAndMemoStaysEmpty) {
  struct Case {
    const char* field;
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"edt_Kapital2", "100$", "'100$' is not a valid floating point value"},
      {"edt_Kapital2", "1E400", "Floating point overflow"},
      // The hidden trade count is read although nothing uses it.
      {"edt_count2", "50.5", "'50.5' is not a valid integer value"},
      {"edt_count2", "", "'' is not a valid integer value"},
      {"edit_riska1", " 5 %", "' 5 %' is not a valid floating point value"},
      // The loss of the other mode is read as well.
      {"edit_riska2", "5,5", "'5,5' is not a valid floating point value"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.field) + " " + c.text);
    TForm1 form;
    const std::string field = c.field;
    TEdit& edit = field == "edt_Kapital2"  ? form.edt_Kapital2
                  : field == "edt_count2"  ? form.edt_count2
                  : field == "edit_riska1" ? form.edit_riska1
                                           : form.edit_riska2;
    edit.text = c.text;
    // The last field is bad too, so only the first bad one in reading order may be named.
    if (field != "edit_riska2") form.edit_riska2.text = "x";
    EXPECT_EQ(testing::RunExpectingError<std::exception>(form, &TForm1::Button4Click), c.message);
    EXPECT_TRUE(form.mmo_lot2.lines.empty());
  }
}

TEST(DrainSimulator, OverflowKeepsTheLinesWrittenBefore) {
  TForm1 form;
  form.edit_riska1.text = "-1E308";
  form.mmo_lot2.lines = {"stale"};
  EXPECT_EQ(testing::RunExpectingError<std::exception>(form, &TForm1::Button4Click),
            "Floating point overflow");
  // The second risk, 1E308 ÷ 100 × −1E308, no longer fits a double.
  EXPECT_EQ(form.mmo_lot2.lines,
            (Lines{"Экспоненциальный расчет:", "1) Депозит: 100, риск: -1E308"}));
}

}  // namespace
}  // namespace tiramon
