// What typing, deleting and pasting do to a box that has a key filter or a length limit. The
// desktop asks these rules and applies their answer (text, caret, selection) to the widget; it
// decides nothing itself, so the rules are tested here without a window.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/controls.h"
#include "app/wiring.h"
#include "support/utf8.h"

namespace tiramon {

inline constexpr char32_t kBackspaceKey = 0x08;

// A one-line box as the user sees it; positions count characters. The selection is
// [selStart, selStart + selLength); the caret is at one of its ends, or anywhere without one.
struct BoxState {
  std::u32string text;
  int caret = 0;
  int selStart = 0;
  int selLength = 0;
  friend bool operator==(const BoxState&, const BoxState&) = default;
};

// The model's side of a box: the text a key filter reads, the caret where the box keeps one,
// and the typing limit.
struct BoxModel {
  std::string* text = nullptr;
  int* selStart = nullptr;
  int maxLength = 0;
};
BoxModel ModelOf(TEdit& edit);
BoxModel ModelOf(TComboBox& combo);

// Whether edits of the box go through these rules at all.
bool HasInputRules(KeyFilter filter, const BoxModel& box);

// One typed character (Backspace is kBackspaceKey): the box afterwards, or nullopt when the
// character is discarded and the box stays as it was. The filter sees the text and the start of
// the selection, as it would before the box inserts the character; the limit refuses a
// character that would make the text longer than it, but never stops an edit that shortens it.
std::optional<BoxState> TypeKey(TForm1& form, KeyFilter filter, const BoxModel& box,
                                const BoxState& before, char32_t key);

// Pasted or dropped text: each character goes in as if typed, so only what the filter and the
// limit let through stays. Control characters are never inserted.
BoxState InsertText(TForm1& form, KeyFilter filter, const BoxModel& box, const BoxState& before,
                    std::u32string_view inserted);

// An edit the box made on its own (paste, drop, undo, Delete): from the text before and after
// and the caret after it, the part of the old text that was replaced (as a selection of the old
// text) and what was put in its place.
struct BoxEdit {
  BoxState before;
  std::u32string inserted;
};
BoxEdit FindEdit(std::u32string_view before, std::u32string_view after, int caretAfter);

}  // namespace tiramon
