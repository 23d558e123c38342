// Reading numbers typed by the user: decimal values with the process-wide decimal mark, and 32-bit
// whole numbers in decimal or hexadecimal.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "support/numtext.h"

namespace tiramon {

namespace {

constexpr int kExponentReadLimit = 500;

// Every power of ten up to 10^27 is exact in the 64-bit significand (5^27 < 2^64), so one
// multiplication or division by it rounds only once.
constexpr int kMaxExactPower = 27;

constexpr long double PowerOfTen(int k) {
  long double result = 1;
  for (int i = 0; i < k; ++i) result *= 10;
  return result;
}

constexpr auto kExactPowers = [] {
  struct Table {
    long double v[kMaxExactPower + 1];
  } table{};
  for (int k = 0; k <= kMaxExactPower; ++k) table.v[k] = PowerOfTen(k);
  return table;
}();

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "'<text>' is not a valid <kind> value", quoting the text exactly as it was given.
[[noreturn]] void Reject(std::string_view text, std::string_view kind) {
  std::string message;
  message.reserve(text.size() + kind.size() + 24);
  message += '\'';
  message += text;
  message += "' is not a valid ";
  message += kind;
  message += " value";
  throw ConversionError(message);
}

[[noreturn]] void RejectDecimal(std::string_view text) { Reject(text, "floating point"); }
[[noreturn]] void RejectInteger(std::string_view text) { Reject(text, "integer"); }

// The value of the significant digits (no leading zeros, no trailing zeros) times 10^scale,
// correctly rounded to extended. Infinity when it is beyond the extended range.
long double ScaleDigits(std::string_view digits, long long scale) {
  if (digits.size() <= 19 && scale >= -kMaxExactPower && scale <= kMaxExactPower) {
    std::uint64_t mantissa = 0;
    for (char c : digits) mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
    const long double m = static_cast<long double>(mantissa);  // exact: below 2^64
    return scale >= 0 ? m * kExactPowers.v[scale] : m / kExactPowers.v[-scale];
  }
  // Longer digit strings or far exponents: the C library's conversion is correctly rounded.
  // The text carries no decimal point, so the locale of the process cannot change its reading.
  std::string normal;
  normal.reserve(digits.size() + 24);
  normal.append(digits);
  normal += 'e';
  normal += std::to_string(scale);
  errno = 0;
  return std::strtold(normal.c_str(), nullptr);
}

// Both parsers start alike: space characters (not tabs) are skipped, then one optional sign.
// Returns whether the sign was '-'; pos ends on the first character after them.
bool ReadBlanksAndSign(std::string_view text, std::size_t& pos) {
  while (pos < text.size() && text[pos] == ' ') ++pos;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) return text[pos++] == '-';
  return false;
}

}  // namespace

long double ParseDecimal(std::string_view text) {
  const std::size_t size = text.size();
  std::size_t pos = 0;
  const bool negative = ReadBlanksAndSign(text, pos);
  const std::size_t intStart = pos;
  while (pos < size && IsDigit(text[pos])) ++pos;
  const std::size_t intEnd = pos;
  bool hasMark = false;
  std::size_t fracStart = pos;
  std::size_t fracEnd = pos;
  if (pos < size && text[pos] == DecimalMark) {
    hasMark = true;
    ++pos;
    fracStart = pos;
    while (pos < size && IsDigit(text[pos])) ++pos;
    fracEnd = pos;
  }
  if (intEnd == intStart && !hasMark) RejectDecimal(text);

  long long exponent = 0;
  if (pos < size && (text[pos] == 'E' || text[pos] == 'e')) {
    ++pos;
    bool negativeExponent = false;
    if (pos < size && (text[pos] == '+' || text[pos] == '-')) {
      negativeExponent = text[pos] == '-';
      ++pos;
    }
    while (pos < size && exponent < kExponentReadLimit && IsDigit(text[pos])) {
      exponent = exponent * 10 + (text[pos] - '0');
      ++pos;
    }
    if (negativeExponent) exponent = -exponent;
  }
  while (pos < size && text[pos] == ' ') ++pos;
  if (pos != size) RejectDecimal(text);

  // Gather the significant digits; the mark may split them, so they are copied only when it does.
  std::string_view intDigits = text.substr(intStart, intEnd - intStart);
  std::string_view fracDigits = text.substr(fracStart, fracEnd - fracStart);
  long long scale = exponent - static_cast<long long>(fracDigits.size());
  std::string joined;
  std::string_view digits;
  if (fracDigits.empty()) {
    digits = intDigits;
  } else if (intDigits.find_first_not_of('0') == std::string_view::npos) {
    digits = fracDigits;
  } else {
    joined.reserve(intDigits.size() + fracDigits.size());
    joined.append(intDigits).append(fracDigits);
    digits = joined;
  }
  const std::size_t first = digits.find_first_not_of('0');
  long double value = 0;
  if (first != std::string_view::npos) {
    const std::size_t last = digits.find_last_not_of('0');
    scale += static_cast<long long>(digits.size() - 1 - last);
    value = ScaleDigits(digits.substr(first, last + 1 - first), scale);
    if (!std::isfinite(value)) RejectDecimal(text);
  }
  return negative ? -value : value;
}

std::int32_t ParseInteger(std::string_view text) {
  const std::size_t size = text.size();
  std::size_t pos = 0;
  const bool negative = ReadBlanksAndSign(text, pos);
  int base = 10;
  if (pos < size && (text[pos] == '$' || text[pos] == 'x' || text[pos] == 'X')) {
    base = 16;
    ++pos;
  } else if (pos + 1 < size && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
    base = 16;
    pos += 2;
  }
  // Beyond this magnitude the value is out of range whatever follows, so accumulation stops
  // growing there and cannot wrap on a long run of digits.
  constexpr std::uint64_t kCap = 1ULL << 32;
  std::uint64_t magnitude = 0;
  const std::size_t digitsStart = pos;
  for (; pos < size; ++pos) {
    const char c = text[pos];
    int digit;
    if (IsDigit(c)) {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      break;
    }
    magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    if (magnitude > kCap) magnitude = kCap;
  }
  if (pos == digitsStart || pos != size) RejectInteger(text);
  const std::uint64_t limit = negative ? 2147483648ULL : 2147483647ULL;
  if (magnitude > limit) RejectInteger(text);
  const auto signedMagnitude = static_cast<std::int64_t>(magnitude);
  return static_cast<std::int32_t>(negative ? -signedMagnitude : signedMagnitude);
}

}  // namespace tiramon
