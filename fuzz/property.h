// How a fuzz check reports a broken property: it throws PropertyViolation, so the fuzz driver
// can print the description and abort (a finding), while the regression test reports a failure.
// Errors the code under test may raise are caught by each check; any other exception escaping a
// check is a finding as well.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

#include "support/numtext.h"

namespace tiramon::fuzz {

class PropertyViolation : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

[[noreturn]] inline void Fail(const std::string& what) { throw PropertyViolation(what); }

// The description is built only when the condition fails, keeping the checks fast.
#define TIRAMON_FUZZ_REQUIRE(condition, description)                   \
  do {                                                                 \
    if (!(condition)) ::tiramon::fuzz::Fail(std::string(description)); \
  } while (false)

// Bytes as a readable quoted text for the messages: printable ASCII as is, the rest as \xNN.
inline std::string Shown(std::string_view bytes, std::size_t limit = 300) {
  std::string out = "\"";
  for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
    }
  }
  if (bytes.size() > limit) out += "...";
  return out + "\"";
}

// A value with all the digits it has, for the messages.
inline std::string Shown(long double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.21Lg", value);
  return text;
}

// The separators are process-wide; a check changes them for its run only.
class MarksGuard {
 public:
  MarksGuard() : decimal_(DecimalMark), thousands_(ThousandsMark) {}
  ~MarksGuard() {
    DecimalMark = decimal_;
    ThousandsMark = thousands_;
  }
  MarksGuard(const MarksGuard&) = delete;
  MarksGuard& operator=(const MarksGuard&) = delete;

 private:
  char decimal_;
  char thousands_;
};

using CheckFunction = void (*)(const std::uint8_t* data, std::size_t size);

// The body of every LLVMFuzzerTestOneInput.
inline int RunCheck(CheckFunction check, const std::uint8_t* data, std::size_t size) {
  try {
    check(data, size);
  } catch (const PropertyViolation& violation) {
    std::fprintf(stderr, "\n==== property violated: %s\n", violation.what());
    std::abort();
  }
  return 0;
}

}  // namespace tiramon::fuzz
