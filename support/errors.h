// Errors the user is meant to read, apart from faults of the program itself. Every message that
// speaks to the user about what was typed, a file or the network derives from UserError; the
// desktop shows it as it is. Anything else that escapes a handler is our fault, and the error
// box says so instead of letting the user think the input was wrong.
#pragma once

#include <exception>
#include <stdexcept>
#include <string>

namespace tiramon {

// Base of every error whose what() is written for the user.
class UserError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What the error box says before the text of a fault that is not the user's.
inline constexpr const char* kInternalErrorPrefix = "внутренняя ошибка";

// The message the error box shows for an exception that escaped a handler: a UserError's own
// text, otherwise "внутренняя ошибка: <what()>" (the prefix alone when there is no text).
std::string EscapedErrorMessage(const std::exception_ptr& error);

}  // namespace tiramon
