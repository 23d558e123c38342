// Key filters of the deposit box and the quotes tab's lot box: they keep both boxes to numbers
// the calculators can read, deciding on each typed character before the box inserts it.
#include <cstddef>
#include <string_view>

#include "app/unit1.h"
#include "support/numtext.h"

namespace tiramon {
namespace {

constexpr char32_t kBackspace = 0x08;
constexpr char32_t kDiscard = 0;

bool IsDigit(char32_t key) { return key >= U'0' && key <= U'9'; }

char32_t MarkKey() { return static_cast<unsigned char>(DecimalMark); }

bool IsContinuationByte(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// Length of a UTF-8 text in characters, which is what the caret position counts.
int CharacterCount(std::string_view text) {
  int count = 0;
  for (char byte : text) {
    if (!IsContinuationByte(byte)) ++count;
  }
  return count;
}

// 1-based character position of the first decimal mark, 0 when there is none.
int DecimalMarkPosition(std::string_view text) {
  const std::size_t at = text.find(DecimalMark);
  if (at == std::string_view::npos) return 0;
  return CharacterCount(text.substr(0, at)) + 1;
}

}  // namespace

void TForm1::Edit_DepositKeyPress(char32_t& key) {
  if (key == kBackspace) return;
  const std::string_view text = Edit_Deposit.text;
  const int length = CharacterCount(text);
  const int mark = DecimalMarkPosition(text);
  const int caret = Edit_Deposit.selStart;
  if (key == U',' || key == U'.') {
    // Never as the first character and never twice.
    key = (mark == 0 && caret > 0 && length > 0) ? MarkKey() : kDiscard;
    return;
  }
  if (IsDigit(key)) {
    // At most two decimals, while digits before the mark can still be typed.
    if (mark == 0 || length - mark <= 1 || mark > caret) return;
    key = kDiscard;
    return;
  }
  key = kDiscard;
}

void TForm1::edit_lotKeyPress(char32_t& key) {
  // On the Russian layout Б and Ю share their keys with "," and ".".
  switch (key) {
    case U',':
    case U'.':
    case U'/':
    case U'\u0411':  // Б
    case U'\u042E':  // Ю
    case U'\u0431':  // б
    case U'\u044E':  // ю
      key = MarkKey();
      break;
    default:
      if (!IsDigit(key)) {
        key = kDiscard;
        return;
      }
  }
  if (key == MarkKey() && edit_lot.text.find(DecimalMark) != std::string::npos) {
    key = kDiscard;
  }
}

}  // namespace tiramon
