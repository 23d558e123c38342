#include "app/input_rules.h"

#include <algorithm>
#include <cmath>

namespace tiramon {
namespace {

int Length(const std::u32string& text) { return static_cast<int>(text.size()); }

// The box with its selection (or the character before the caret, for Backspace) replaced.
BoxState Replace(const BoxState& box, int from, int count, std::u32string_view by) {
  BoxState after;
  after.text = box.text.substr(0, static_cast<std::size_t>(from));
  after.text.append(by);
  after.text.append(box.text.substr(static_cast<std::size_t>(from + count)));
  after.caret = from + static_cast<int>(by.size());
  after.selStart = after.caret;
  return after;
}

// The selection clipped to the text, so a stale state from the widget cannot index past it.
BoxState Clipped(BoxState box) {
  const int length = Length(box.text);
  box.caret = std::clamp(box.caret, 0, length);
  box.selStart = std::clamp(box.selStart, 0, length);
  box.selLength = std::clamp(box.selLength, 0, length - box.selStart);
  if (box.selLength == 0) box.selStart = box.caret;
  return box;
}

}  // namespace

BoxModel ModelOf(TEdit& edit) { return {&edit.text, &edit.selStart, edit.maxLength}; }
BoxModel ModelOf(TComboBox& combo) { return {&combo.text, nullptr, 0}; }

bool HasInputRules(KeyFilter filter, const BoxModel& box) {
  return filter != nullptr || box.maxLength > 0;
}

std::optional<BoxState> TypeKey(TForm1& form, KeyFilter filter, const BoxModel& box,
                                const BoxState& state, char32_t key) {
  const BoxState before = Clipped(state);
  if (filter) {
    if (box.text) *box.text = ToUtf8(before.text);
    if (box.selStart) *box.selStart = before.selLength > 0 ? before.selStart : before.caret;
    (form.*filter)(key);
    if (key == 0) return std::nullopt;
  }
  if (key == kBackspaceKey) {
    if (before.selLength > 0) return Replace(before, before.selStart, before.selLength, {});
    if (before.caret == 0) return std::nullopt;
    return Replace(before, before.caret - 1, 1, {});
  }
  if (key < U' ' || key == 0x7f) return std::nullopt;
  const std::u32string typed(1, key);
  BoxState after = before.selLength > 0 ? Replace(before, before.selStart, before.selLength, typed)
                                        : Replace(before, before.caret, 0, typed);
  if (box.maxLength > 0 && Length(after.text) > box.maxLength) return std::nullopt;
  return after;
}

BoxState InsertText(TForm1& form, KeyFilter filter, const BoxModel& box, const BoxState& before,
                    std::u32string_view inserted) {
  BoxState state = Clipped(before);
  if (inserted.empty() && state.selLength > 0) {
    state = Replace(state, state.selStart, state.selLength, {});
  }
  for (char32_t c : inserted) {
    if (c == kBackspaceKey) continue;  // text never deletes
    if (std::optional<BoxState> typed = TypeKey(form, filter, box, state, c)) state = *typed;
  }
  return state;
}

BoxEdit FindEdit(std::u32string_view before, std::u32string_view after, int caretAfter) {
  const int oldLength = static_cast<int>(before.size());
  const int newLength = static_cast<int>(after.size());
  caretAfter = std::clamp(caretAfter, 0, newLength);
  // The box leaves its caret after what it put in, so the unchanged end of the text lies after
  // the caret; where repeated characters make the change ambiguous, the caret says where it was.
  int suffix = 0;
  const int suffixLimit = std::min({oldLength, newLength, newLength - caretAfter});
  const auto at = [](std::u32string_view text, int i) { return text[static_cast<std::size_t>(i)]; };
  while (suffix < suffixLimit &&
         at(before, oldLength - 1 - suffix) == at(after, newLength - 1 - suffix)) {
    ++suffix;
  }
  int prefix = 0;
  const int prefixLimit = std::min(oldLength - suffix, newLength - suffix);
  while (prefix < prefixLimit && at(before, prefix) == at(after, prefix)) ++prefix;
  BoxEdit edit;
  edit.before.text = std::u32string(before);
  edit.before.selStart = prefix;
  edit.before.selLength = oldLength - suffix - prefix;
  edit.before.caret = prefix + edit.before.selLength;
  edit.inserted = std::u32string(after.substr(
      static_cast<std::size_t>(prefix), static_cast<std::size_t>(newLength - suffix - prefix)));
  return edit;
}

}  // namespace tiramon
