// Which errors speak to the user and which are our own faults: the error box text for each kind
// that can escape a handler, and the refresh's fall-back to the cache on fetch failures only.
#include "support/errors.h"

#include <gtest/gtest.h>

#include <exception>
#include <functional>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>

#include "quotes/refresh.h"
#include "support/download.h"
#include "support/http_error.h"
#include "support/numtext.h"
#include "support/regexpr.h"

namespace tiramon {
namespace {

template <class E>
std::function<void()> Throws(E error) {
  return [error] { throw error; };
}

std::exception_ptr Caught(const std::function<void()>& thrower) {
  try {
    thrower();
  } catch (...) {
    return std::current_exception();
  }
  ADD_FAILURE() << "nothing was thrown";
  return {};
}

TEST(Errors, UserErrorsShowTheirOwnTextAndFaultsSayTheyAreInternal) {
  struct Case {
    const char* kind;
    std::function<void()> thrower;
    std::string shown;
  };
  const Case cases[] = {
      {"conversion", Throws(ConversionError("'5O' is not a valid integer value")),
       "'5O' is not a valid integer value"},
      {"float", Throws(FloatError(kDivisionByZero)), "Floating point division by zero"},
      {"file", Throws(InOutError("File access denied")), "File access denied"},
      {"timeout", Throws(HttpTimeout("read timed out")), "read timed out"},
      {"protocol", Throws(HttpProtocolError(503, "Service Unavailable", "")),
       "HTTP error 503: Service Unavailable"},
      {"pattern", Throws(ERegExpr("missing ) (pos 4)", regexpr_errors::kUnmatchedParentheses, 4)),
       "missing ) (pos 4)"},
      {"plain user", Throws(UserError("Слишком много сделок")), "Слишком много сделок"},
      {"out of range", Throws(std::out_of_range("vector::_M_range_check: __n (which is 7)")),
       "внутренняя ошибка: vector::_M_range_check: __n (which is 7)"},
      {"no memory", Throws(std::bad_alloc()), "внутренняя ошибка: std::bad_alloc"},
      {"logic", Throws(std::logic_error("row without a pair")),
       "внутренняя ошибка: row without a pair"},
      // A runtime_error that is not a UserError is still ours: nobody wrote it for the user.
      {"bare runtime", Throws(std::runtime_error("stoi")), "внутренняя ошибка: stoi"},
      {"empty text", Throws(std::logic_error("")), "внутренняя ошибка"},
      {"not an exception", Throws(42), "внутренняя ошибка"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    EXPECT_EQ(EscapedErrorMessage(Caught(c.thrower)), c.shown);
  }
}

TEST(Errors, TheRefreshUsesTheCacheOnFetchFailuresOnly) {
  struct Case {
    const char* kind;
    std::function<std::string()> fetch;
    bool fallsBack;  // nullopt: the caller reads the cache
    bool propagates;
  };
  const auto page = [] { return std::string("<html>live</html>"); };
  const auto empty = [] { return std::string(); };
  const auto failing = [](auto error) { return [error]() -> std::string { throw error; }; };
  const Case cases[] = {
      {"live page", page, false, false},
      {"empty page", empty, false, false},
      {"connection", failing(HttpError("connect: Connection refused")), true, false},
      {"timeout", failing(HttpTimeout("read timed out")), true, false},
      {"status", failing(HttpProtocolError(404, "Not Found", "gone")), true, false},
      {"out of range", failing(std::out_of_range("substr")), false, true},
      {"no memory", failing(std::bad_alloc()), false, true},
      {"a user error that is no fetch failure", failing(ConversionError("'x'")), false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    std::optional<std::string> live;
    bool propagated = false;
    try {
      live = quotes::FetchLivePage(c.fetch);
    } catch (...) {
      propagated = true;
    }
    EXPECT_EQ(propagated, c.propagates);
    if (!c.propagates) {
      EXPECT_EQ(!live.has_value(), c.fallsBack);
      if (live) {
        EXPECT_EQ(*live, c.fetch());
      }
    }
  }
}

}  // namespace
}  // namespace tiramon
