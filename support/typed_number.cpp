#include "support/typed_number.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace tiramon {

// Spaces a pasted number may carry around it: ASCII white space, the no-break space and the
// narrow no-break space that some programs put between thousands.
std::string_view TrimSpaces(std::string_view text) {
  constexpr std::string_view kWide[] = {"\u00A0", "\u202F"};
  for (bool trimmed = true; trimmed && !text.empty();) {
    trimmed = false;
    if (std::string_view(" \t\n\v\f\r").find(text.front()) != std::string_view::npos) {
      text.remove_prefix(1);
      trimmed = true;
    } else if (std::string_view(" \t\n\v\f\r").find(text.back()) != std::string_view::npos) {
      text.remove_suffix(1);
      trimmed = true;
    }
    for (std::string_view space : kWide) {
      if (text.starts_with(space)) {
        text.remove_prefix(space.size());
        trimmed = true;
      }
      if (text.ends_with(space)) {
        text.remove_suffix(space.size());
        trimmed = true;
      }
    }
  }
  return text;
}

std::optional<double> ReadTypedNumber(std::string_view text) {
  std::string number(TrimSpaces(text));
  std::replace(number.begin(), number.end(), ',', '.');
  std::string_view digits = number;
  // A leading plus is a sign like the minus, but only one sign is allowed.
  if (digits.size() > 1 && digits.front() == '+' && digits[1] != '-') digits.remove_prefix(1);
  double value = 0;
  const char* end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, value);
  if (digits.empty() || error != std::errc() || stop != end || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

}  // namespace tiramon
