// What a widget was last drawn from, so that its renderer writes only what has changed: a label
// keeps its size, an edit box its caret, and a render after every handler costs next to nothing.
#pragma once

#include <optional>

namespace tiramon::desktop {

template <class Control>
class LastShown {
 public:
  // True when `field` of `now` differs from what was last drawn, or nothing has been drawn yet.
  template <class Field>
  bool Changed(const Control& now, Field Control::*field) const {
    return !was_ || (*was_).*field != now.*field;
  }
  // Everything of `now` has been drawn.
  void Drawn(const Control& now) { was_ = now; }
  // Only these fields have been drawn anew; a large field that did not change is not copied.
  template <class... Fields>
  void Drawn(const Control& now, Fields Control::*... fields) {
    if (!was_) was_ = now;
    (((*was_).*fields = now.*fields), ...);
  }

 private:
  std::optional<Control> was_;
};

}  // namespace tiramon::desktop
