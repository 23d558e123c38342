// Typing, deleting and pasting into the boxes with a key filter or a typing limit, as the window
// asks the model about each edit.
#include "app/input_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "support/numtext.h"

namespace tiramon {
namespace {

class InputRules : public ::testing::Test {
 protected:
  void SetUp() override { DecimalMark = '.'; }

  struct Box {
    KeyFilter filter;
    BoxModel model;
  };
  Box Deposit() { return {&TForm1::Edit_DepositKeyPress, ModelOf(form_.Edit_Deposit)}; }
  Box Lot() { return {&TForm1::edit_lotKeyPress, ModelOf(form_.edit_lot)}; }
  Box Limited() { return {nullptr, ModelOf(form_.Edit_ProcLot)}; }
  Box Plain() { return {nullptr, ModelOf(form_.ComboBox_Lot)}; }

  // Types each character of `keys` ('\b' is Backspace) into the box, as the keyboard does.
  BoxState Type(const Box& box, BoxState state, std::u32string_view keys) {
    for (char32_t key : keys) {
      if (auto after = TypeKey(form_, box.filter, box.model, state, key)) state = *after;
    }
    return state;
  }

  TForm1 form_;
};

BoxState At(std::u32string text, int caret, int selStart = 0, int selLength = 0) {
  return {std::move(text), caret, selLength > 0 ? selStart : caret, selLength};
}

TEST_F(InputRules, TypingGoesThroughTheFilterAndTheLimit) {
  struct Row {
    const char* why;
    Box box;
    BoxState before;
    std::u32string keys;
    std::u32string text;
    int caret;
  };
  const Row rows[] = {
      {"a deposit typed from empty", Deposit(), At(U"", 0), U"100,5", U"100.5", 5},
      {"letters and a leading point are dropped", Deposit(), At(U"", 0), U".a1b2", U"12", 2},
      {"a third decimal is dropped", Deposit(), At(U"12.34", 5), U"5", U"12.34", 5},
      {"in the middle the caret moves on", Deposit(), At(U"150", 1), U"23", U"12350", 3},
      {"backspace works in the deposit box", Deposit(), At(U"100", 3), U"\b", U"10", 2},
      {"a digit replaces a whole selection", Deposit(), At(U"12.34", 5, 0, 5), U"7", U"7", 1},
      {"the lot box turns separators into a point", Lot(), At(U"", 0), U"1a,5/x", U"1.5", 3},
      {"ю is a point, a second one is dropped", Lot(), At(U"0", 1), U"юБ5", U"0.5", 3},
      {"backspace does nothing in the lot box", Lot(), At(U"0.1", 3), U"\b\b", U"0.1", 3},
      {"typing stops at four characters", Limited(), At(U"", 0), U"0.12345", U"0.12", 4},
      {"a long text written by the program can be shortened", Limited(), At(U"1234.57", 7), U"\b\b",
       U"1234.", 5},
      {"but not lengthened", Limited(), At(U"1234.57", 3), U"9", U"1234.57", 3},
      {"an unruled box takes anything", Plain(), At(U"0.1", 3), U"5x", U"0.15x", 5},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    const BoxState after = Type(row.box, row.before, row.keys);
    EXPECT_EQ(ToUtf8(after.text), ToUtf8(row.text));
    EXPECT_EQ(after.caret, row.caret);
    EXPECT_EQ(after.selLength, 0);
  }
}

TEST_F(InputRules, ADiscardedKeyLeavesTheBoxAsItWas) {
  const BoxState before = At(U"12.34", 5, 3, 2);
  EXPECT_FALSE(TypeKey(form_, Deposit().filter, Deposit().model, before, U'x'));
  EXPECT_FALSE(TypeKey(form_, Lot().filter, Lot().model, At(U"0.1", 2), kBackspaceKey));
  EXPECT_FALSE(TypeKey(form_, nullptr, Limited().model, At(U"", 0), kBackspaceKey));
}

TEST_F(InputRules, APasteKeepsWhatTypingWouldHaveLetThrough) {
  struct Row {
    const char* why;
    Box box;
    BoxState before;
    std::u32string pasted;
    std::u32string text;
    int caret;
  };
  const Row rows[] = {
      {"letters after a deposit", Deposit(), At(U"100", 3), U"abc", U"100", 3},
      {"a price with too many decimals", Deposit(), At(U"1", 1), U"2,555", U"12.55", 5},
      {"over a selection", Deposit(), At(U"250", 3, 0, 3), U" 1 000 ", U"1000", 4},
      {"nothing that passes keeps the selection", Deposit(), At(U"250", 3, 0, 3), U"x", U"250", 3},
      {"a lot with a comma", Lot(), At(U"", 0), U"0,05 lot", U"0.05", 4},
      {"a long number into a limited box", Limited(), At(U"", 0), U"0.409090", U"0.40", 4},
      {"an unruled box keeps it whole", Plain(), At(U"", 0), U"0.15", U"0.15", 4},
      {"a cut removes the selection", Limited(), At(U"1234.57", 7, 2, 5), U"", U"12", 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    const BoxState after = InsertText(form_, row.box.filter, row.box.model, row.before, row.pasted);
    EXPECT_EQ(ToUtf8(after.text), ToUtf8(row.text));
    EXPECT_EQ(after.caret, row.caret);
  }
}

TEST_F(InputRules, AnEditOfTheBoxIsFoundFromItsTextsAndCaret) {
  struct Row {
    std::u32string before, after;
    int caretAfter;
    int selStart, selLength;
    std::u32string inserted;
  };
  const Row rows[] = {
      {U"100", U"100abc", 6, 3, 0, U"abc"},
      {U"11", U"111", 1, 0, 0, U"1"},  // the caret says which 1 is new
      {U"11", U"111", 3, 2, 0, U"1"},
      {U"1234.57", U"234.57", 0, 0, 1, U""},
      {U"12.34", U"9", 1, 0, 5, U"9"},
      {U"0.25", U"0.25", 2, 2, 0, U""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(ToUtf8(row.before) + " -> " + ToUtf8(row.after));
    const BoxEdit edit = FindEdit(row.before, row.after, row.caretAfter);
    EXPECT_EQ(ToUtf8(edit.before.text), ToUtf8(row.before));
    EXPECT_EQ(edit.before.selStart, row.selStart);
    EXPECT_EQ(edit.before.selLength, row.selLength);
    EXPECT_EQ(ToUtf8(edit.inserted), ToUtf8(row.inserted));
  }
}

TEST(TextConversion, Utf8AndCharactersRoundTrip) {
  for (const char* text : {"", "0.1", "Котировки", "€5", "\xF0\x9F\x92\xB1"}) {
    EXPECT_EQ(ToUtf8(ToUtf32(text)), text);
  }
  EXPECT_EQ(ToUtf32("ю1").size(), 2u);
  EXPECT_EQ(ToUtf32("\xD1").size(), 1u);  // a cut sequence is one replacement character
}

}  // namespace
}  // namespace tiramon
