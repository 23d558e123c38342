// The kinds of control the window model is made of: plain values that the calculators read and
// write and that the desktop front end renders. No behaviour lives here.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/packed_texts.h"

namespace tiramon {

struct TColor {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend bool operator==(const TColor&, const TColor&) = default;
};

namespace colors {
inline constexpr TColor Black{0, 0, 0};
inline constexpr TColor Red{255, 0, 0};
inline constexpr TColor Green{0, 128, 0};
inline constexpr TColor Blue{0, 0, 255};
inline constexpr TColor Gray{128, 128, 128};
inline constexpr TColor Lime{0, 255, 0};
inline constexpr TColor Fuchsia{255, 0, 255};
inline constexpr TColor Aqua{0, 255, 255};
inline constexpr TColor Maroon{128, 0, 0};
}  // namespace colors

struct TLabel {
  std::string caption;
  TColor fontColor = colors::Black;
  std::string hint;
  bool visible = true;
};

struct TEdit {
  std::string text;
  int maxLength = 0;  // 0: no limit
  int selStart = 0;   // caret, 0 = before the first character
  bool enabled = true;
  std::string hint;
  bool visible = true;
};

struct TComboBox {
  std::string text;
  std::vector<std::string> items;
  int itemIndex = -1;  // -1: no item selected
  std::string hint;
};

struct TMemo {
  std::vector<std::string> lines;
  TColor fontColor = colors::Black;
  int caretLine = 0;  // the line the caret is on, which the view keeps visible
  bool visible = true;

  void Clear() {
    lines.clear();
    caretLine = 0;
  }
  // An appended line takes the caret with it, so a memo being filled shows its latest lines.
  void Add(std::string line) {
    lines.push_back(std::move(line));
    caretLine = static_cast<int>(lines.size()) - 1;
  }
};

struct TRadioButton {
  std::string caption;
  bool checked = false;
  TColor fontColor = colors::Black;
  std::string hint;
};

using TCheckBox = TRadioButton;

struct TButton {
  std::string caption;
  std::string hint;
  bool visible = true;
  bool enabled = true;
};

// A bar that fills from 0 to max as a long job goes on.
struct TProgressBar {
  int position = 0;
  int max = 100;
  bool visible = true;
};

// A timer the view runs while the model says so: each interval it fires the timer's event.
struct TTimer {
  int interval = 1000;  // ms
  bool enabled = false;
};

// Where the keyboard focus should go: to the control named, each time `requests` grows, so the
// same box can be asked for again after the user has clicked elsewhere.
struct TFocus {
  std::string control;
  int requests = 0;
  void MoveTo(std::string name) {
    control = std::move(name);
    ++requests;
  }
};

// A clickable picture of the About tab: its panel title, its tooltip and the page it opens.
struct TImage {
  std::string title;
  std::string hint;
  std::string url;
};

// The checked button of a risk-mode pair is blue, its partner black; acts only when the clicked
// button is checked, so a click that leaves it unchecked changes nothing.
inline void HighlightCheckedRadio(TRadioButton& clicked, TRadioButton& partner) {
  if (!clicked.checked) return;
  clicked.fontColor = colors::Blue;
  partner.fontColor = colors::Black;
}

struct TGroupBox {
  std::string caption;
};

struct TListColumn {
  std::string caption;
};

struct TListItem {
  std::string caption;
  TSubItems subItems;
};

struct TListView {
  std::vector<TListColumn> columns;
  std::vector<TListItem> items;
  int selectedIndex = -1;  // -1: no row selected
  // Counted up by whatever changes the rows, so that a view compares them only then.
  std::uint64_t changes = 0;
};

struct TPageControl {
  int activePageIndex = 0;
  std::vector<std::string> pageCaptions;
};

struct TStatusPanel {
  int width = 0;
  std::string text;
  TColor fontColor = colors::Black;
  std::string hint;
};

struct TStatusBar {
  std::vector<TStatusPanel> panels;
};

struct TMenuItem {
  std::string name;
  std::string caption;  // "-" for a separator
};

// What the owner-drawn status panel shows; offsets are from the panel's top-left corner.
struct TPanelDrawing {
  int imageIndex = 1;  // picture of the indicator list: 0 available, 1 unavailable
  int imageX = 5;
  int imageY = 2;
  std::string text;
  int textX = 25;
  int textY = 2;
  TColor fontColor = colors::Gray;
};

}  // namespace tiramon
