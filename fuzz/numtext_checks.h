// Properties of the number texts for any input text: both parsers agree with an independent
// reading of their grammar (the value of a decimal text correctly rounded), the general form has
// its documented shape and reads back to itself, and rounding to places stays within half a cent.
//
// Input: the first byte chooses the decimal mark ("," for a comma, anything else for a point);
// the rest is the text. The text's bytes also make one more extended value to format.
#pragma once

#include <cerrno>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/byte_reader.h"
#include "fuzz/property.h"
#include "support/checked.h"
#include "support/numtext.h"

namespace tiramon::fuzz {
namespace numtext_checks {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// what() is a C string: a message that quotes a text with a NUL in it ends there.
inline bool SameMessage(const std::exception& e, const std::string& message) {
  return std::string_view(e.what()) == std::string_view(message.c_str());
}

// A decimal text as its parts: the value is digits x 10^scale, negated when negative.
struct DecimalReading {
  bool negative = false;
  std::string digits;
  long long scale = 0;
};

// Blanks, a sign, digits, the mark and digits (at least one of the two), an exponent whose
// digits are read while it is below 500, blanks, and nothing else.
inline std::optional<DecimalReading> ReadDecimal(std::string_view text, char mark) {
  std::size_t i = 0;
  const auto skipBlanks = [&] {
    while (i < text.size() && text[i] == ' ') ++i;
  };
  const auto digitRun = [&] {
    const std::size_t from = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    return text.substr(from, i - from);
  };
  DecimalReading reading;
  skipBlanks();
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) reading.negative = text[i++] == '-';
  const std::string_view whole = digitRun();
  std::string_view fraction;
  bool marked = false;
  if (i < text.size() && text[i] == mark) {
    marked = true;
    ++i;
    fraction = digitRun();
  }
  if (whole.empty() && !marked) return std::nullopt;
  long long exponent = 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool negativeExponent = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negativeExponent = text[i++] == '-';
    while (i < text.size() && IsDigit(text[i]) && exponent < 500) {
      exponent = exponent * 10 + (text[i++] - '0');
    }
    if (negativeExponent) exponent = -exponent;
  }
  skipBlanks();
  if (i != text.size()) return std::nullopt;
  reading.digits.assign(whole).append(fraction);
  reading.scale = exponent - static_cast<long long>(fraction.size());
  return reading;
}

// The extended value nearest to the reading (the C library rounds correctly); infinite beyond
// the extended range.
inline long double NearestExtended(const DecimalReading& reading) {
  if (reading.digits.find_first_not_of('0') == std::string::npos) return 0;
  const std::string plain = reading.digits + "e" + std::to_string(reading.scale);
  errno = 0;
  const long double magnitude = std::strtold(plain.c_str(), nullptr);
  return reading.negative ? -magnitude : magnitude;
}

inline std::optional<long double> CheckParseDecimal(std::string_view text) {
  const std::optional<DecimalReading> reading = ReadDecimal(text, DecimalMark);
  std::optional<long double> expected;
  if (reading) {
    const long double nearest = NearestExtended(*reading);
    if (std::isfinite(nearest)) expected = nearest;
  }
  long double value;
  try {
    value = ParseDecimal(text);
  } catch (const ConversionError& e) {
    TIRAMON_FUZZ_REQUIRE(
        !expected, "ParseDecimal rejects " + Shown(text) + ", which reads as " + Shown(*expected));
    const std::string message = "'" + std::string(text) + "' is not a valid floating point value";
    TIRAMON_FUZZ_REQUIRE(SameMessage(e, message),
                         "ParseDecimal's message " + Shown(e.what()) + " for " + Shown(text));
    return std::nullopt;
  }
  TIRAMON_FUZZ_REQUIRE(expected, "ParseDecimal accepts " + Shown(text) + " as " + Shown(value));
  TIRAMON_FUZZ_REQUIRE(value == *expected, "ParseDecimal reads " + Shown(text) + " as " +
                                               Shown(value) + ", nearest is " + Shown(*expected));
  return value;
}

// Blanks, a sign, "$", "x", "X", "0x" or "0X" and hexadecimal digits, or decimal digits, then
// the end; the value within 32 bits.
inline std::optional<std::int32_t> ReadInteger(std::string_view text) {
  std::size_t i = text.find_first_not_of(' ');
  if (i == std::string_view::npos) return std::nullopt;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  std::string_view rest = text.substr(i);
  int base = 10;
  if (!rest.empty() && (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')) {
    base = 16;
    rest.remove_prefix(1);
  } else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
    base = 16;
    rest.remove_prefix(2);
  }
  if (rest.empty() || rest[0] == '+' || rest[0] == '-') return std::nullopt;
  std::uint64_t magnitude = 0;
  const auto [end, error] =
      std::from_chars(rest.data(), rest.data() + rest.size(), magnitude, base);
  if (end != rest.data() + rest.size()) return std::nullopt;
  if (error == std::errc::result_out_of_range) return std::nullopt;
  if (magnitude > (negative ? 2147483648ULL : 2147483647ULL)) return std::nullopt;
  const auto signedMagnitude = static_cast<std::int64_t>(magnitude);
  return static_cast<std::int32_t>(negative ? -signedMagnitude : signedMagnitude);
}

inline void CheckParseInteger(std::string_view text) {
  const std::optional<std::int32_t> expected = ReadInteger(text);
  std::int32_t value;
  try {
    value = ParseInteger(text);
  } catch (const ConversionError& e) {
    TIRAMON_FUZZ_REQUIRE(!expected, "ParseInteger rejects " + Shown(text) + ", which reads as " +
                                        std::to_string(*expected));
    const std::string message = "'" + std::string(text) + "' is not a valid integer value";
    TIRAMON_FUZZ_REQUIRE(SameMessage(e, message), "ParseInteger's message " + Shown(e.what()));
    return;
  }
  TIRAMON_FUZZ_REQUIRE(expected && *expected == value,
                       "ParseInteger reads " + Shown(text) + " as " + std::to_string(value));
  const std::string written = IntegerToText(value);
  TIRAMON_FUZZ_REQUIRE(written == std::to_string(value), "IntegerToText writes " + Shown(written));
  TIRAMON_FUZZ_REQUIRE(ParseInteger(written) == value, "IntegerToText's text reads back wrong");
}

// What is wrong with the shape of a general-form text, or nothing: "0", or an optional "-"
// and either the fixed form (no leading zero, at most three zeros after "0.", fewer than 16
// integer digits) or the exponent form (one digit 1-9, the exponent outside -4..14, no "+" and
// no leading zero), with at most 15 significant digits and no trailing zero after the mark.
inline std::string GeneralShapeProblem(std::string_view text, char mark) {
  if (text == "0") return {};
  if (text.empty()) return "empty text";
  std::size_t i = text[0] == '-' ? 1 : 0;
  const std::size_t letter = text.find('E', i);
  const std::string_view mantissa =
      text.substr(i, letter == std::string_view::npos ? std::string_view::npos : letter - i);
  const std::size_t point = mantissa.find(mark);
  const std::string_view whole = mantissa.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : mantissa.substr(point + 1);
  const auto allDigits = [](std::string_view s) {
    for (char c : s) {
      if (!IsDigit(c)) return false;
    }
    return true;
  };
  if (whole.empty() || !allDigits(whole) || !allDigits(fraction)) return "not digits";
  if (point != std::string_view::npos && fraction.empty()) return "a mark without digits";
  if (!fraction.empty() && fraction.back() == '0') return "a trailing zero after the mark";
  if (letter != std::string_view::npos) {
    if (whole.size() != 1 || whole[0] == '0') return "exponent form without one leading digit";
    if (1 + fraction.size() > 15) return "more than 15 significant digits";
    std::string_view exponent = text.substr(letter + 1);
    const bool negative = !exponent.empty() && exponent[0] == '-';
    if (negative) exponent.remove_prefix(1);
    if (exponent.empty() || !allDigits(exponent) || exponent[0] == '0') return "bad exponent";
    if (exponent.size() > 5) return "exponent beyond the extended range";
    int value = 0;
    std::from_chars(exponent.data(), exponent.data() + exponent.size(), value);
    if (negative) value = -value;
    if (value >= -4 && value <= 14) return "exponent form inside the fixed range";
    return {};
  }
  if (whole.size() > 1 && whole[0] == '0') return "leading zero";
  if (whole == "0") {
    if (fraction.empty()) return "negative zero";
    const std::size_t zeros = fraction.find_first_not_of('0');
    if (zeros > 3) return "fixed form below 1E-4";
    if (fraction.size() - zeros > 15) return "more than 15 significant digits";
    return {};
  }
  if (whole.size() > 15) return "fixed form at or above 1E15";
  std::size_t significant = whole.size() + fraction.size();
  if (fraction.empty()) significant = whole.find_last_not_of('0') + 1;
  if (significant > 15) return "more than 15 significant digits";
  return {};
}

// The general form of x: its shape, its accuracy (half a unit in the 15th digit), and that it
// reads back to a value whose general form is the same text, in extended and, where the value
// is a normal double, after storing it as a double.
inline void CheckGeneral(long double x) {
  if (!std::isfinite(x)) return;
  const std::string text = FormatGeneral(x);
  const int kind = std::fpclassify(x);
  if (kind == FP_ZERO || kind == FP_SUBNORMAL) {
    TIRAMON_FUZZ_REQUIRE(text == "0", "FormatGeneral(" + Shown(x) + ") = " + Shown(text));
    return;
  }
  const std::string shape = GeneralShapeProblem(text, DecimalMark);
  TIRAMON_FUZZ_REQUIRE(shape.empty(),
                       "FormatGeneral(" + Shown(x) + ") = " + Shown(text) + ": " + shape);
  TIRAMON_FUZZ_REQUIRE(text != "0" && (text[0] == '-') == (x < 0),
                       "FormatGeneral(" + Shown(x) + ") = " + Shown(text) + ": sign lost");
  long double back;
  try {
    back = ParseDecimal(text);
  } catch (const ConversionError&) {
    Fail("FormatGeneral(" + Shown(x) + ") = " + Shown(text) + " does not parse");
  }
  // The digits are rounded twice, to 18 and then to 15: half a unit in the 15th digit plus half
  // a unit in the 18th is at most 5.005e-15 of the value. The small absolute term is the
  // spacing of the extended subnormals.
  const long double slack = 5.0051e-15L * std::fabs(x) + 64 * LDBL_TRUE_MIN;
  TIRAMON_FUZZ_REQUIRE(std::fabs(back - x) <= slack,
                       "FormatGeneral(" + Shown(x) + ") = " + Shown(text) + " is off");
  if (std::fpclassify(back) == FP_NORMAL) {
    TIRAMON_FUZZ_REQUIRE(FormatGeneral(back) == text, "FormatGeneral(ParseDecimal(" + Shown(text) +
                                                          ")) = " + Shown(FormatGeneral(back)));
  }
  double stored;
  try {
    stored = StoreDouble(back);
  } catch (const FloatError&) {
    TIRAMON_FUZZ_REQUIRE(std::fabs(back) > DBL_MAX,
                         "StoreDouble(" + Shown(back) + ") overflows inside the double range");
    return;
  }
  if (std::fpclassify(stored) != FP_NORMAL) return;  // a subnormal double has fewer digits
  const std::string again = FormatGeneral(stored);
  TIRAMON_FUZZ_REQUIRE(again == text, "as a double " + Shown(text) + " formats as " + Shown(again));
  TIRAMON_FUZZ_REQUIRE(StoreDouble(ParseDecimal(again)) == stored,
                       "the double of " + Shown(text) + " does not come back");
}

// value / 0.01 rounded to an integer and scaled back: within half a cent, plus the rounding of
// the result to a double.
inline void CheckRoundToPlaces(long double value) {
  double rounded;
  try {
    rounded = RoundToPlaces(value, 2);
  } catch (const FloatError&) {
    TIRAMON_FUZZ_REQUIRE(std::fabs(value) > DBL_MAX,
                         "RoundToPlaces(" + Shown(value) + ", 2) traps");
    return;
  }
  TIRAMON_FUZZ_REQUIRE(std::isfinite(rounded), "RoundToPlaces(" + Shown(value) + ") not finite");
  const long double error = std::fabs(static_cast<long double>(rounded) - value);
  TIRAMON_FUZZ_REQUIRE(error <= 0.0050001L + 2.3e-16L * std::fabs(value),
                       "RoundToPlaces(" + Shown(value) + ", 2) = " + Shown(rounded));
}

// 1 ÷ value to five decimals, half up: within half a unit of the fifth decimal of the
// reciprocal (and the rounding of the result to extended), with the sign of the value; a zero
// value is the division error and a reciprocal beyond the extended range the overflow.
inline void CheckRoundedReciprocal(std::string_view text, long double value) {
  const long double reciprocal = 1 / value;
  long double rounded;
  try {
    rounded = RoundedReciprocal(text, 5);
  } catch (const FloatError& e) {
    const bool zero = value == 0;
    TIRAMON_FUZZ_REQUIRE(zero || !std::isfinite(reciprocal),
                         "RoundedReciprocal(" + Shown(text) + ") traps: " + e.what());
    TIRAMON_FUZZ_REQUIRE(SameMessage(e, zero ? kDivisionByZero : kOverflow),
                         "RoundedReciprocal(" + Shown(text) + ") says " + Shown(e.what()));
    return;
  } catch (const ConversionError&) {
    Fail("RoundedReciprocal rejects " + Shown(text) + ", which ParseDecimal reads");
  }
  TIRAMON_FUZZ_REQUIRE(value != 0 && std::isfinite(reciprocal),
                       "RoundedReciprocal(" + Shown(text) + ") = " + Shown(rounded));
  const long double error = std::fabs(rounded - reciprocal);
  TIRAMON_FUZZ_REQUIRE(error <= 0.000005L * (1 + 1e-15L) + 1e-17L * std::fabs(reciprocal),
                       "RoundedReciprocal(" + Shown(text) + ") = " + Shown(rounded));
  TIRAMON_FUZZ_REQUIRE(rounded == 0 || (rounded < 0) == (value < 0),
                       "RoundedReciprocal(" + Shown(text) + ") lost the sign");
}

}  // namespace numtext_checks

inline void CheckNumtext(const std::uint8_t* data, std::size_t size) {
  using namespace numtext_checks;
  MarksGuard guard;
  DecimalMark = size > 0 && data[0] == ',' ? ',' : '.';
  ThousandsMark = DecimalMark == ',' ? '.' : ',';
  const std::size_t skip = size > 0 ? 1 : 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + skip, size - skip);

  CheckParseInteger(text);
  if (const std::optional<long double> value = CheckParseDecimal(text)) {
    CheckGeneral(*value);
    CheckRoundToPlaces(*value);
    CheckRoundedReciprocal(text, *value);
    try {
      CheckGeneral(StoreDouble(*value));  // the value as a calculation keeps it
    } catch (const FloatError&) {
      TIRAMON_FUZZ_REQUIRE(std::fabs(*value) > DBL_MAX, "StoreDouble traps inside the range");
    }
  }
  ByteReader bits(data + skip, size - skip);
  const long double any = ExtendedFrom(bits);
  CheckGeneral(any);
  CheckRoundToPlaces(any);
}

}  // namespace tiramon::fuzz
