// Properties of the pattern form. Any pattern and value: no failure and an output no longer than
// the pattern allows. A pattern of placeholders, point, grouping and literal ends: the output is
// the value rounded to the pattern's decimals, with the required digits, the group marks every
// three digits, no "-" before a rounded zero, and the literals where they stand.
//
// Input, from the end: the kind of pattern, the two marks, the value; then the pattern text
// (free patterns) or its layout (built patterns).
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/byte_reader.h"
#include "fuzz/property.h"
#include "support/numtext.h"

namespace tiramon::fuzz {
namespace pattern_checks {

inline long double ValueFrom(ByteReader& in) {
  switch (in.Integral<int>(0, 3)) {
    case 0:
      return ExtendedFrom(in);
    case 1:
      return DoubleFromBits(in);
    case 2: {  // a decimal fraction: the ties and near-ties of the rounding
      const auto units = in.Integral<std::int64_t>(-999999999999999999, 999999999999999999);
      const int places = in.Integral<int>(0, 27);
      return static_cast<long double>(units) / std::pow(10.0L, static_cast<long double>(places));
    }
    default:
      return static_cast<long double>(in.Integral<std::int64_t>(INT64_MIN, INT64_MAX));
  }
}

// Sign, digits, group marks and one decimal mark per digit or placeholder, plus the literals.
inline std::size_t LongestOutput(std::string_view pattern) { return 4 * pattern.size() + 64; }

inline void CheckFreePattern(ByteReader& in) {
  DecimalMark = in.Pick({'.', ','});
  ThousandsMark = in.Pick({',', '.', ' ', '\''});
  const long double value = ValueFrom(in);
  const std::string pattern = in.Rest();
  const std::string out = FormatPattern(pattern, value);
  TIRAMON_FUZZ_REQUIRE(out.size() <= LongestOutput(pattern),
                       "FormatPattern(" + Shown(pattern) + ", " + Shown(value) + ") is " +
                           std::to_string(out.size()) + " bytes long");
}

// A built pattern and what it asks for.
struct Layout {
  std::string pattern;
  std::string prefix;  // the literal texts as they appear in the output
  std::string suffix;
  int requiredInt = 0;
  int maxFrac = 0;
  int requiredFrac = 0;
  bool grouping = false;
};

// A literal and the text it writes: a bare "$", or a quoted text with any characters.
inline void AddLiteral(ByteReader& in, std::string& pattern, std::string& output) {
  switch (in.Integral<int>(0, 3)) {
    case 1:
      pattern += '$';
      output += '$';
      break;
    case 2:
      pattern += "\"USD 0.#,\"";
      output += "USD 0.#,";
      break;
    case 3:
      pattern += "' руб.'";
      output += " руб.";
      break;
    default:
      break;
  }
}

inline Layout BuildLayout(ByteReader& in) {
  Layout layout;
  int intCount = in.Integral<int>(0, 24);
  const bool point = in.Bool();
  const int fracCount = point ? in.Integral<int>(0, 24) : 0;
  if (intCount + fracCount == 0) intCount = 1;
  const auto zeros = in.Integral<std::uint64_t>(0, UINT64_MAX);  // bit i: placeholder i is "0"
  std::string body;
  int firstIntZero = -1;
  for (int i = 0; i < intCount; ++i) {
    const bool zero = ((zeros >> i) & 1) != 0;
    if (zero && firstIntZero < 0) firstIntZero = i;
    body += zero ? '0' : '#';
  }
  if (point) body += '.';
  for (int i = 0; i < fracCount; ++i) {
    const bool zero = ((zeros >> (32 + i)) & 1) != 0;
    if (zero) layout.requiredFrac = i + 1;
    body += zero ? '0' : '#';
  }
  layout.grouping = in.Bool();
  if (layout.grouping) body.insert(in.Integral<std::size_t>(0, body.size()), 1, ',');
  layout.requiredInt = firstIntZero < 0 ? 0 : intCount - firstIntZero;
  layout.maxFrac = fracCount;
  AddLiteral(in, layout.pattern, layout.prefix);
  layout.pattern += body;
  AddLiteral(in, layout.pattern, layout.suffix);
  return layout;
}

inline bool AllDigits(std::string_view s) {
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

inline void CheckBuiltPattern(ByteReader& in) {
  DecimalMark = in.Pick({'.', ','});
  ThousandsMark = DecimalMark == ',' ? in.Pick({'.', ' ', '\''}) : in.Pick({',', ' ', '\''});
  const long double value = ValueFrom(in);
  const Layout layout = BuildLayout(in);
  const std::string out = FormatPattern(layout.pattern, value);
  const std::string context =
      "FormatPattern(" + Shown(layout.pattern) + ", " + Shown(value) + ") = " + Shown(out) + ": ";
  TIRAMON_FUZZ_REQUIRE(out.size() <= LongestOutput(layout.pattern), context + "too long");
  if (!std::isfinite(value)) return;
  if (std::fabs(value) >= 1e18L) {
    TIRAMON_FUZZ_REQUIRE(out == FormatGeneral(value), context + "not the general form");
    return;
  }

  std::string_view rest = out;
  const bool minus = !rest.empty() && rest[0] == '-';
  if (minus) rest.remove_prefix(1);
  TIRAMON_FUZZ_REQUIRE(rest.substr(0, layout.prefix.size()) == layout.prefix,
                       context + "leading literal");
  rest.remove_prefix(layout.prefix.size());
  TIRAMON_FUZZ_REQUIRE(rest.size() >= layout.suffix.size() &&
                           rest.substr(rest.size() - layout.suffix.size()) == layout.suffix,
                       context + "trailing literal");
  rest.remove_suffix(layout.suffix.size());

  const std::size_t mark = rest.find(DecimalMark);
  const std::string_view grouped = rest.substr(0, mark);
  const std::string_view fraction =
      mark == std::string_view::npos ? std::string_view() : rest.substr(mark + 1);
  std::string whole;
  for (char c : grouped) {
    if (c != ThousandsMark) whole += c;
  }
  TIRAMON_FUZZ_REQUIRE(AllDigits(whole) && AllDigits(fraction), context + "not digits");
  if (layout.grouping) {
    std::string regrouped;
    for (std::size_t i = 0; i < whole.size(); ++i) {
      regrouped += whole[i];
      const std::size_t left = whole.size() - 1 - i;
      if (left > 0 && left % 3 == 0) regrouped += ThousandsMark;
    }
    TIRAMON_FUZZ_REQUIRE(regrouped == grouped, context + "group marks misplaced");
  } else {
    TIRAMON_FUZZ_REQUIRE(whole.size() == grouped.size(), context + "group marks without ','");
  }
  const int wholeDigits = static_cast<int>(whole.size());
  TIRAMON_FUZZ_REQUIRE(wholeDigits >= layout.requiredInt, context + "too few integer digits");
  TIRAMON_FUZZ_REQUIRE(wholeDigits == layout.requiredInt || whole[0] != '0',
                       context + "a leading zero that no placeholder asks for");
  TIRAMON_FUZZ_REQUIRE(mark == std::string_view::npos || !fraction.empty(),
                       context + "a mark without decimals");
  const int decimals = static_cast<int>(fraction.size());
  TIRAMON_FUZZ_REQUIRE(decimals >= layout.requiredFrac && decimals <= layout.maxFrac,
                       context + "wrong number of decimals");
  TIRAMON_FUZZ_REQUIRE(decimals == layout.requiredFrac || fraction.back() != '0',
                       context + "a trailing zero that no placeholder asks for");

  const bool nonZero = whole.find_first_not_of('0') != std::string::npos ||
                       fraction.find_first_not_of('0') != std::string_view::npos;
  TIRAMON_FUZZ_REQUIRE(minus == (value < 0 && nonZero), context + "wrong sign");
  // Rounded at the last decimal, or at the 18th significant digit when that comes first.
  const std::string plain = "0" + whole + "." + std::string(fraction);
  const long double written = std::strtold(plain.c_str(), nullptr);
  const long double halfUnit =
      0.5000001L * std::pow(10.0L, static_cast<long double>(-layout.maxFrac));
  TIRAMON_FUZZ_REQUIRE(
      std::fabs(written - std::fabs(value)) <= halfUnit + 2e-17L * std::fabs(value),
      context + "not the value rounded");
}

}  // namespace pattern_checks

inline void CheckPattern(const std::uint8_t* data, std::size_t size) {
  MarksGuard guard;
  ByteReader in(data, size);
  if (in.Bool()) {
    pattern_checks::CheckBuiltPattern(in);
  } else {
    pattern_checks::CheckFreePattern(in);
  }
}

}  // namespace tiramon::fuzz
