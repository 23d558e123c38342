// Reading numbers typed by the user: decimal values with the process-wide decimal mark, and 32-bit
// whole numbers in decimal or hexadecimal.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "support/checked.h"
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

namespace {

// A decimal text as its parts: the value is digits x 10^scale, negated when negative. digits
// holds the significant digits only (no leading or trailing zeros) and is empty for a zero.
struct DecimalParts {
  bool negative = false;
  std::string_view digits;  // in the text, or in the caller's buffer when the mark splits them
  long long scale = 0;
};

// Reads the grammar of ParseDecimal; rejects what it rejects, with its message. The digits are
// copied into `joined` only when the mark splits them.
DecimalParts ReadDecimalParts(std::string_view text, std::string& joined) {
  const std::size_t size = text.size();
  std::size_t pos = 0;
  DecimalParts parts;
  parts.negative = ReadBlanksAndSign(text, pos);
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

  // The mark may split the digits; the significant ones are those between the first and the
  // last that is not a zero.
  const std::string_view intDigits = text.substr(intStart, intEnd - intStart);
  const std::string_view fracDigits = text.substr(fracStart, fracEnd - fracStart);
  parts.scale = exponent - static_cast<long long>(fracDigits.size());
  std::string_view digits = intDigits;
  if (!fracDigits.empty()) {
    if (intDigits.find_first_not_of('0') == std::string_view::npos) {
      digits = fracDigits;
    } else {
      joined.reserve(intDigits.size() + fracDigits.size());
      joined.append(intDigits).append(fracDigits);
      digits = joined;
    }
  }
  const std::size_t first = digits.find_first_not_of('0');
  if (first != std::string_view::npos) {
    const std::size_t last = digits.find_last_not_of('0');
    parts.scale += static_cast<long long>(digits.size() - 1 - last);
    parts.digits = digits.substr(first, last + 1 - first);
  }
  return parts;
}

}  // namespace

long double ParseDecimal(std::string_view text) {
  std::string joined;
  const DecimalParts parts = ReadDecimalParts(text, joined);
  long double value = 0;
  if (!parts.digits.empty()) {
    value = ScaleDigits(parts.digits, parts.scale);
    if (!std::isfinite(value)) RejectDecimal(text);
  }
  return parts.negative ? -value : value;
}

namespace {

// The decimal digits of digits x factor, most significant first, without leading zeros.
std::string MultiplyDigits(std::string_view digits, std::uint64_t factor) {
  std::string factorDigits = std::to_string(factor);
  std::vector<std::uint32_t> columns(digits.size() + factorDigits.size(), 0);
  // Column k (from the right) gathers the products of digit i and factor digit j with i + j = k;
  // at most 20 products of 81 each, so no column overflows before the carries are passed on.
  for (std::size_t i = 0; i < digits.size(); ++i) {
    const auto a = static_cast<std::uint32_t>(digits[digits.size() - 1 - i] - '0');
    for (std::size_t j = 0; j < factorDigits.size(); ++j) {
      const auto b = static_cast<std::uint32_t>(factorDigits[factorDigits.size() - 1 - j] - '0');
      columns[i + j] += a * b;
    }
  }
  std::string product(columns.size(), '0');
  std::uint32_t carry = 0;
  for (std::size_t k = 0; k < columns.size(); ++k) {
    const std::uint32_t sum = columns[k] + carry;
    product[columns.size() - 1 - k] = static_cast<char>('0' + sum % 10);
    carry = sum / 10;
  }
  const std::size_t first = product.find_first_not_of('0');
  return first == std::string::npos ? std::string("0") : product.substr(first);
}

// Whether c - 1/2 <= 10^places / (digits x 10^scale), that is (2c - 1) x digits x 10^scale <=
// 2 x 10^places, decided on the exact integers. c >= 1, 2c - 1 fits 64 bits.
bool HalfBelowReciprocal(std::string_view digits, long long scale, int places, std::uint64_t c) {
  const std::string product = MultiplyDigits(digits, 2 * c - 1);
  const long long zeros = places - scale;  // the right side is 2 followed by this many zeros
  if (zeros < 0) return false;             // the left side is at least 10^-scale > 2 x 10^places
  const auto targetLength = static_cast<unsigned long long>(zeros) + 1;
  if (product.size() != targetLength) return product.size() < targetLength;
  if (product[0] != '2') return product[0] < '2';
  return product.find_first_not_of('0', 1) == std::string::npos;
}

}  // namespace

long double RoundedReciprocal(std::string_view text, int places) {
  std::string joined;
  const DecimalParts parts = ReadDecimalParts(text, joined);
  if (parts.digits.empty()) throw FloatError(kDivisionByZero);
  const long double magnitude = ScaleDigits(parts.digits, parts.scale);
  if (!std::isfinite(magnitude)) RejectDecimal(text);
  // A value so small that its reciprocal is beyond the extended range traps, as 1 ÷ it would.
  const long double reciprocal = (Ext(1) / Ext(magnitude)).v;
  // From 2^64 up an extended value is a whole number: there are no decimals to round.
  if (reciprocal >= 0x1p64L) return parts.negative ? -reciprocal : reciprocal;
  const long double unit = kExactPowers.v[places];
  // The quotient in units of the last place, to within one unit: the value, the reciprocal and
  // the scaling are each correctly rounded to 64 bits.
  const long double approximate = reciprocal * unit;
  long double rounded;
  if (approximate < 0x1p62L) {
    // Half up on the exact quotient: the largest whole q with q - 1/2 at or below it, one of
    // three neighbours of the approximation. A tie such as 1 / 320 = 0.003125 is decided on the
    // digits, where a binary 1/320 could fall either side of it.
    std::uint64_t q = static_cast<std::uint64_t>(std::floor(approximate + 0.5L)) + 1;
    while (q > 0 && !HalfBelowReciprocal(parts.digits, parts.scale, places, q)) --q;
    rounded = static_cast<long double>(q) / unit;
  } else {
    // 2^62 units of the last place and more (a reciprocal above 4.6·10^13 at five places) is no
    // price; the extended quotient, whose own precision is hardly finer than the place there, is
    // rounded as it stands.
    rounded = std::floor(approximate + 0.5L) / unit;
  }
  return parts.negative ? -rounded : rounded;
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
