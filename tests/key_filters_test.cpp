// The key filters of the deposit box and the quotes tab's lot box, one typed character at a time.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/unit1.h"
#include "support/numtext.h"
#include "tests/assistant_market.h"

namespace tiramon::assistant_test {
namespace {

class AssistantKeyFilter : public AssistantTest {};

constexpr char32_t kDiscarded = 0;
constexpr char32_t kBackspace = 8;

TEST_F(AssistantKeyFilter, DepositBox) {
  struct Row {
    const char* why;
    const char* text;
    int caret;
    char32_t typed;
    char32_t expected;
  };
  const Row rows[] = {
      {"backspace always works", "12.34", 5, kBackspace, kBackspace},
      {"backspace in an empty box", "", 0, kBackspace, kBackspace},
      {"a digit into an empty box", "", 0, U'7', U'7'},
      {"a digit into a whole number", "100", 3, U'5', U'5'},
      {"a separator cannot come first", "", 0, U',', kDiscarded},
      {"nor before the first digit", "12", 0, U'.', kDiscarded},
      {"a comma becomes the point", "12", 2, U',', U'.'},
      {"a point stays a point", "12", 1, U'.', U'.'},
      {"no second separator", "12.3", 4, U'.', kDiscarded},
      {"no second separator, typed as a comma", "12.3", 2, U',', kDiscarded},
      {"a second decimal", "12.3", 4, U'4', U'4'},
      {"no third decimal", "12.34", 5, U'5', kDiscarded},
      {"a digit before the separator of 12.34", "12.34", 2, U'9', U'9'},
      {"a digit at the very start of 12.34", "12.34", 0, U'9', U'9'},
      {"no digit right after the separator of 12.34", "12.34", 3, U'9', kDiscarded},
      {"letters are discarded", "100", 3, U'a', kDiscarded},
      {"a minus is discarded", "100", 0, U'-', kDiscarded},
      {"a blank is discarded", "100", 3, U' ', kDiscarded},
      {"a Cyrillic letter is discarded", "100", 3, U'\u044E', kDiscarded},
      // Positions count characters, not bytes: a pasted two-byte letter before the mark must
      // not make the caret after the mark look as if it were before it.
      {"characters, not bytes", "юю.12", 3, U'1', kDiscarded},
      {"characters, not bytes, before the mark", "юю.12", 2, U'1', U'1'},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    TForm1 form;
    form.Edit_Deposit.text = row.text;
    form.Edit_Deposit.selStart = row.caret;
    char32_t key = row.typed;
    form.Edit_DepositKeyPress(key);
    EXPECT_EQ(static_cast<std::uint32_t>(key), static_cast<std::uint32_t>(row.expected));
  }
}

TEST_F(AssistantKeyFilter, LotBox) {
  struct Row {
    const char* why;
    const char* text;
    char32_t typed;
    char32_t expected;
  };
  const Row rows[] = {
      {"a digit", "0.1", U'5', U'5'},
      {"a point", "0", U'.', U'.'},
      {"a comma becomes the point", "0", U',', U'.'},
      {"a slash becomes the point", "0", U'/', U'.'},
      {"ю becomes the point", "0", U'\u044E', U'.'},
      {"Ю becomes the point", "0", U'\u042E', U'.'},
      {"б becomes the point", "0", U'\u0431', U'.'},
      {"Б becomes the point", "0", U'\u0411', U'.'},
      {"a second point is discarded", "0.1", U'.', kDiscarded},
      {"so is ю once there is a point", "0.1", U'\u044E', kDiscarded},
      {"a point into an empty box", "", U'.', U'.'},
      {"backspace does nothing here", "0.1", kBackspace, kDiscarded},
      {"letters are discarded", "1", U'a', kDiscarded},
      {"other Cyrillic letters are discarded", "1", U'\u0434', kDiscarded},
      {"a blank is discarded", "1", U' ', kDiscarded},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    TForm1 form;
    form.edit_lot.text = row.text;
    char32_t key = row.typed;
    form.edit_lotKeyPress(key);
    EXPECT_EQ(static_cast<std::uint32_t>(key), static_cast<std::uint32_t>(row.expected));
  }
}

// Types into the deposit box the way the desktop does: the filter first, then the insertion at
// the caret, then the change event.
void TypeIntoDeposit(TForm1& form, std::u32string keys) {
  for (char32_t typed : keys) {
    char32_t key = typed;
    form.Edit_DepositKeyPress(key);
    if (key == 0) continue;
    const auto caret = static_cast<std::size_t>(form.Edit_Deposit.selStart);
    form.Edit_Deposit.text.insert(caret, 1, static_cast<char>(key));
    ++form.Edit_Deposit.selStart;
    form.ListView1Click();
  }
}

// A deposit with cents is a deposit: every keystroke counts the trade with what is in the box.
TEST_F(AssistantKeyFilter, TypingADepositWithDecimalsCountsWithIt) {
  TForm1 form = MarketForm();
  Select(form, "EUR/USD");
  form.Edit_Deposit.text.clear();
  form.Edit_Deposit.selStart = 0;

  TypeIntoDeposit(form, U",100");
  EXPECT_EQ(form.Edit_Deposit.text, "100");
  ASSERT_EQ(form.Zalog.caption, "22");  // EUR/USD bought at 1.1002: 22.004
  ASSERT_EQ(form.Label_Profit.caption, "50$ или 50%");

  form.Memo1.lines = {"old warning"};
  TypeIntoDeposit(form, U"ю.5,7");
  EXPECT_EQ(form.Edit_Deposit.text, "100.57");
  EXPECT_TRUE(form.Memo1.lines.empty());
  EXPECT_EQ(form.Zalog.caption, "22");
  // $50 of 100.57 are 49.72 %.
  EXPECT_EQ(form.Label_Profit.caption, "50$ или 49.72%");

  TypeIntoDeposit(form, U"9");
  EXPECT_EQ(form.Edit_Deposit.text, "100.57");
}

TEST_F(AssistantKeyFilter, FollowsTheDecimalMark) {
  DecimalMark = ',';
  TForm1 form;
  form.Edit_Deposit.text = "12";
  form.Edit_Deposit.selStart = 2;
  char32_t key = U'.';
  form.Edit_DepositKeyPress(key);
  EXPECT_EQ(static_cast<std::uint32_t>(key), static_cast<std::uint32_t>(U','));

  form.edit_lot.text = "0,1";
  key = U'.';
  form.edit_lotKeyPress(key);
  EXPECT_EQ(static_cast<std::uint32_t>(key), 0u);
}

}  // namespace
}  // namespace tiramon::assistant_test
