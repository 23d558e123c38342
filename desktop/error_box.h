// The error box: every error that escapes a handler is shown here, modally, with the program's
// title. Tests install a hook instead so that no test ever blocks on a modal box.
#pragma once

#include <functional>
#include <string>

class QWidget;

namespace tiramon::desktop {

using ErrorBoxHook = std::function<void(const std::string& text)>;

// Replaces the modal box; an empty hook restores it. Returns the previous hook.
ErrorBoxHook SetErrorBoxHook(ErrorBoxHook hook);

// Shows ErrorBoxText(message): the message with the full-stop rule applied.
void ShowErrorBox(QWidget* parent, const std::string& message);

}  // namespace tiramon::desktop
