// Running a handler that must refuse what the form holds, and reading what it said.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "app/unit1.h"
#include "support/errors.h"

namespace tiramon::testing {

// Runs the handler and returns the message of the Error it throws. An exception of another kind
// leaves this function and fails the test with its own text; no exception at all fails it here.
template <class Error = UserError>
std::string RunExpectingError(TForm1& form, void (TForm1::*handler)(),
                              std::string_view name = "the handler") {
  try {
    (form.*handler)();
  } catch (const Error& error) {
    return error.what();
  }
  ADD_FAILURE() << name << " did not fail";
  return {};
}

}  // namespace tiramon::testing
