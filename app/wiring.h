// Which handler each user event runs: one row per control event. The desktop binds its widgets
// by looking rows up here, so no other place decides what a click, an edit or a key runs.
#pragma once

#include <span>
#include <string_view>

#include "app/unit1.h"

namespace tiramon {

enum class Event {
  Create,       // the window has been created
  Show,         // the window is about to become visible
  Click,        // a click on a button, radio button, picture, link, menu item or table row
  DoubleClick,  // a double click on the table or the tray icon
  Change,       // the user changed the text of an edit or combo box
  Shown,        // the window has just appeared on screen
  Timer,        // a timer's interval has passed
};

using Handler = void (TForm1::*)();
using KeyFilter = void (TForm1::*)(char32_t& key);

struct Wire {
  std::string_view control;
  Event event;
  Handler handler;
};

// A key filter decides on each typed character before its box inserts it.
struct KeyWire {
  std::string_view control;
  KeyFilter filter;
};

// What must run after a handler has done its own job: a handler of another subsystem that
// depends on what it changed (the assistant's figures after new prices, the words about the
// prices after the assistant took up a pair, storing the settings after a change). A handler
// never calls another subsystem's handler itself; these rows say what follows it.
struct FollowUp {
  Handler after;
  Handler then;
};

std::span<const Wire> Wiring();
std::span<const FollowUp> FollowUps();

// Runs a handler and then what follows it, each follow-up after the handler it follows and each
// handler at most once per call. A handler that throws stops the rest.
void RunHandler(TForm1& form, Handler handler);

// The handler wired to this event of this control; nullptr when the event runs nothing.
Handler WiredHandler(std::string_view control, Event event);
// The key filter of this box; nullptr when its keys go in unfiltered.
KeyFilter WiredKeyFilter(std::string_view control);

}  // namespace tiramon
