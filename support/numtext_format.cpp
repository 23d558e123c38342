// Writing results: the rounded decimal digit string, the general form and the pattern form.
#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "support/numtext.h"
#include "support/numtext_detail.h"

namespace tiramon {

namespace numtext_detail {

namespace {

__extension__ typedef unsigned __int128 Uint128;

// The exact path reads the bits of the x87 80-bit format: a 64-bit significand with an explicit
// leading bit, then a 15-bit biased exponent and the sign, little-endian.
constexpr bool kX87Extended = std::numeric_limits<long double>::radix == 2 &&
                              std::numeric_limits<long double>::digits == 64 &&
                              std::numeric_limits<long double>::max_exponent == 16384 &&
                              std::endian::native == std::endian::little;

// Magnitudes in [2^kMinBinaryExponent, 2^(kMaxBinaryExponent + 1)), about 7.5e-37 .. 3.4e38, take
// the exact path; there the scaled significand fits three 64-bit limbs and the divisor 128 bits.
// Everything outside is left to the C library.
constexpr int kMinBinaryExponent = -120;
constexpr int kMaxBinaryExponent = 127;

constexpr std::uint64_t kPow10Of17 = 100000000000000000ULL;
constexpr std::uint64_t kPow10Of18 = 1000000000000000000ULL;

// floor(log10(2^e)) for the exponents above, without floating point.
constexpr int FloorLog10Pow2(int e) { return (e * 78913) >> 18; }

constexpr int kMaxPow5 = 17 - FloorLog10Pow2(kMinBinaryExponent);
constexpr int kMaxPow10 = FloorLog10Pow2(kMaxBinaryExponent) - 17;

template <int kBase, int kMax>
struct PowerTable {
  Uint128 value[static_cast<std::size_t>(kMax) + 1] = {};
  constexpr PowerTable() {
    value[0] = 1;
    for (int i = 1; i <= kMax; ++i) value[i] = value[i - 1] * kBase;
  }
};

// 5^55 is the largest power of five below 2^128.
static_assert(kMaxPow5 <= 55, "powers of five must fit 128 bits");
static_assert(kMaxPow10 <= 38, "powers of ten must fit 128 bits");
constexpr PowerTable<5, kMaxPow5> kPow5;
constexpr PowerTable<10, kMaxPow10> kPow10;

// Where the part dropped by an integer division lies against half a unit of the quotient.
enum class Rest { kZero, kBelowHalf, kHalf, kAboveHalf };

// Bits s .. s+63 of a three-limb number (low limb first), 0 < s < 192.
std::uint64_t BitsFrom(const std::uint64_t (&w)[3], int s) {
  const int limb = s >> 6;
  const int offset = s & 63;
  std::uint64_t bits = w[limb] >> offset;
  if (offset != 0 && limb < 2) bits |= w[limb + 1] << (64 - offset);
  return bits;
}

// The low s bits of a three-limb number against 2^(s-1), 0 < s < 192.
Rest RestBelow(const std::uint64_t (&w)[3], int s) {
  const int half = s - 1;
  const int limb = half >> 6;
  const int offset = half & 63;
  bool lowerZero = (w[limb] & ((std::uint64_t{1} << offset) - 1)) == 0;
  for (int i = 0; i < limb; ++i) lowerZero = lowerZero && w[i] == 0;
  if (((w[limb] >> offset) & 1) == 0) return lowerZero ? Rest::kZero : Rest::kBelowHalf;
  return lowerZero ? Rest::kHalf : Rest::kAboveHalf;
}

// "00" to "99", so that the digits come two at a time.
struct DigitPairs {
  char text[200] = {};
  constexpr DigitPairs() {
    for (int i = 0; i < 100; ++i) {
      text[2 * i] = static_cast<char>('0' + i / 10);
      text[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
  }
};
constexpr DigitPairs kDigitPairs;

void WriteNineDigits(std::uint32_t value, char* out) {
  for (int i = 7; i >= 1; i -= 2) {
    std::memcpy(out + i, kDigitPairs.text + 2 * (value % 100), 2);
    value /= 100;
  }
  out[0] = static_cast<char>('0' + value);
}

// The digits by exact integer arithmetic. With magnitude = m x 2^e and the decimal exponent k
// chosen so that magnitude / 10^k has 18 or 19 integer digits, the quotient and the place of
// the remainder are exact; the rounding then needs no more than a comparison. False when the
// magnitude is outside the range this handles.
bool ExactFirstDigits(long double magnitude, char (&digits)[kSignificantDigits], int& exponent) {
  if constexpr (!kX87Extended) return false;
  unsigned char bytes[16] = {};
  std::memcpy(bytes, &magnitude, sizeof magnitude);
  std::uint64_t m;
  std::uint16_t signAndExponent;
  std::memcpy(&m, bytes, sizeof m);
  std::memcpy(&signAndExponent, bytes + 8, sizeof signAndExponent);
  const int binaryExponent = (signAndExponent & 0x7fff) - 16383;
  if (binaryExponent < kMinBinaryExponent || binaryExponent > kMaxBinaryExponent ||
      (m >> 63) == 0) {
    return false;
  }
  const int e = binaryExponent - 63;
  // 10^d <= 2^binaryExponent <= magnitude < 2^(binaryExponent + 1) < 10^(d + 2).
  const int d = FloorLog10Pow2(binaryExponent);
  const int k = d - 17;
  std::uint64_t q;
  Rest rest;
  if (k <= 0) {
    // magnitude x 10^p = m x 5^p x 2^(e + p), and e + p < 0 throughout the range.
    const int p = -k;
    const int s = -(e + p);
    if (s <= 0 || s >= 192) return false;
    const Uint128 factor = kPow5.value[p];
    const Uint128 low = static_cast<Uint128>(m) * static_cast<std::uint64_t>(factor);
    const Uint128 high = static_cast<Uint128>(m) * static_cast<std::uint64_t>(factor >> 64);
    const Uint128 middle = (low >> 64) + static_cast<std::uint64_t>(high);
    const std::uint64_t w[3] = {static_cast<std::uint64_t>(low), static_cast<std::uint64_t>(middle),
                                static_cast<std::uint64_t>((high >> 64) + (middle >> 64))};
    q = BitsFrom(w, s);
    rest = RestBelow(w, s);
  } else {
    // magnitude / 10^k = (m x 2^e) / 10^k, with the power of two on whichever side is whole.
    Uint128 numerator = m;
    Uint128 divisor = kPow10.value[k];
    if (e >= 0) {
      numerator <<= e;
    } else {
      divisor <<= -e;
    }
    q = static_cast<std::uint64_t>(numerator / divisor);
    const Uint128 r = numerator % divisor;
    const Uint128 complement = divisor - r;
    rest = r == 0            ? Rest::kZero
           : r < complement  ? Rest::kBelowHalf
           : r == complement ? Rest::kHalf
                             : Rest::kAboveHalf;
  }
  exponent = d + 1;
  if (q >= kPow10Of18) {
    // A 19th digit: it joins the dropped part.
    const unsigned last = static_cast<unsigned>(q % 10);
    q /= 10;
    ++exponent;
    if (last == 0) {
      rest = rest == Rest::kZero ? Rest::kZero : Rest::kBelowHalf;
    } else if (last != 5) {
      rest = last < 5 ? Rest::kBelowHalf : Rest::kAboveHalf;
    } else {
      rest = rest == Rest::kZero ? Rest::kHalf : Rest::kAboveHalf;
    }
  }
  if (q < kPow10Of17 || q >= kPow10Of18) return false;
  if (rest == Rest::kAboveHalf || (rest == Rest::kHalf && (q & 1) != 0)) {
    if (++q == kPow10Of18) {
      q = kPow10Of17;
      ++exponent;
    }
  }
  WriteNineDigits(static_cast<std::uint32_t>(q / 1000000000), digits);
  WriteNineDigits(static_cast<std::uint32_t>(q % 1000000000), digits + 9);
  return true;
}

// The C library's digits; only the digits and the exponent are read from its text, so the
// locale's decimal point does not matter.
int PrintedFirstDigits(long double magnitude, char (&digits)[kSignificantDigits]) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.17Le", magnitude);
  const char* p = buffer;
  int count = 0;
  for (; *p != '\0' && *p != 'e'; ++p) {
    if (*p >= '0' && *p <= '9' && count < kSignificantDigits) digits[count++] = *p;
  }
  int exponent = 0;
  if (*p == 'e') {
    ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    for (; *p >= '0' && *p <= '9'; ++p) exponent = exponent * 10 + (*p - '0');
    if (negative) exponent = -exponent;
  }
  return exponent + 1;
}

}  // namespace

int FirstDigits(long double magnitude, char (&digits)[kSignificantDigits]) {
  int exponent;
  if (ExactFirstDigits(magnitude, digits, exponent)) return exponent;
  return PrintedFirstDigits(magnitude, digits);
}

DecimalDigits MakeDecimalDigits(long double value, int precision, long long decimals) {
  DecimalDigits result;
  const int kind = std::fpclassify(value);
  if (kind == FP_ZERO || kind == FP_SUBNORMAL || kind == FP_NAN || kind == FP_INFINITE) {
    return result;
  }
  char digits[kSignificantDigits];
  const int exponent = FirstDigits(std::fabs(value), digits);
  const long long wanted = static_cast<long long>(exponent) + decimals;
  if (wanted < 0) return result;
  const int keep =
      static_cast<int>(std::min<long long>(wanted, std::min(precision, kSignificantDigits)));
  std::memcpy(result.text, digits, static_cast<std::size_t>(keep));
  int count = keep;
  int finalExponent = exponent;
  if (keep < kSignificantDigits && digits[keep] >= '5') {
    // One unit up in the last kept place, carrying to the left; a carry out of the first digit
    // leaves a single 1 (every kept digit was a 9 and is now a trailing zero).
    int i = keep - 1;
    while (i >= 0 && result.text[i] == '9') {
      result.text[i] = '0';
      --i;
    }
    if (i >= 0) {
      ++result.text[i];
    } else {
      result.text[0] = '1';
      count = 1;
      ++finalExponent;
    }
  }
  while (count > 0 && result.text[count - 1] == '0') --count;
  // Every path returns `result` itself, so it is built in the caller's object: a copy made right
  // after its small fields were written stalled on the stores it had to wait for.
  if (count == 0) return result;
  result.count = count;
  result.exponent = finalExponent;
  result.negative = value < 0;
  return result;
}

}  // namespace numtext_detail

namespace {

using numtext_detail::DecimalDigits;
using numtext_detail::MakeDecimalDigits;

constexpr int kGeneralPrecision = 15;
constexpr int kPatternPrecision = 18;
constexpr long double kPatternLimit = 1e18L;

// Infinities and NaNs cannot come out of trapped arithmetic, but a formatter must still write
// something readable rather than a digit string of garbage.
bool AppendNonFinite(std::string& out, long double value) {
  if (std::isnan(value)) {
    out += "NAN";
    return true;
  }
  if (std::isinf(value)) {
    out += value < 0 ? "-INF" : "INF";
    return true;
  }
  return false;
}

void AppendInt(std::string& out, int value) {
  char buffer[16];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  out.append(buffer, end);
}

// One piece of a pattern, in the order written (a pattern ends at its first ";").
struct PatternToken {
  enum Kind { kIntPlaceholder, kFracPlaceholder, kPoint, kGroup, kLiteral } kind;
  int index = 0;               // placeholder number, counted from the left within its side
  bool zero = false;           // a "0" placeholder rather than a "#"
  std::string_view text = {};  // literal text
};

// Calls visit for every piece of the pattern in order. The pattern is read twice per number,
// once for its layout and once to write, rather than kept as a list: that list cost an
// allocation per number.
template <typename Visit>
void ScanPattern(std::string_view pattern, Visit&& visit) {
  int intPlaceholders = 0;
  int fracPlaceholders = 0;
  bool hasPoint = false;
  std::size_t pos = 0;
  while (pos < pattern.size()) {
    const char c = pattern[pos];
    if (c == ';') break;
    if (c == '\'' || c == '"') {
      std::size_t close = pattern.find(c, pos + 1);
      if (close == std::string_view::npos) close = pattern.size();
      visit(
          PatternToken{PatternToken::kLiteral, 0, false, pattern.substr(pos + 1, close - pos - 1)});
      pos = close + 1;
      continue;
    }
    if (c == '0' || c == '#') {
      if (!hasPoint) {
        visit(PatternToken{PatternToken::kIntPlaceholder, intPlaceholders++, c == '0'});
      } else {
        visit(PatternToken{PatternToken::kFracPlaceholder, fracPlaceholders++, c == '0'});
      }
    } else if (c == '.' && !hasPoint) {
      hasPoint = true;
      visit(PatternToken{PatternToken::kPoint});
    } else if (c == ',') {
      visit(PatternToken{PatternToken::kGroup});
    } else {
      visit(PatternToken{PatternToken::kLiteral, 0, false, pattern.substr(pos, 1)});
    }
    ++pos;
  }
}

struct PatternLayout {
  int tokens = 0;  // pieces that write something (group marks only change how digits are written)
  int intPlaceholders = 0;
  int fracPlaceholders = 0;
  int requiredInt = 0;
  int requiredFrac = 0;
  bool grouping = false;
};

PatternLayout ReadPattern(std::string_view pattern) {
  PatternLayout layout;
  int firstIntZero = -1;
  ScanPattern(pattern, [&](const PatternToken& token) {
    switch (token.kind) {
      case PatternToken::kIntPlaceholder:
        if (token.zero && firstIntZero < 0) firstIntZero = token.index;
        ++layout.intPlaceholders;
        break;
      case PatternToken::kFracPlaceholder:
        ++layout.fracPlaceholders;
        if (token.zero) layout.requiredFrac = layout.fracPlaceholders;
        break;
      case PatternToken::kGroup:
        layout.grouping = true;
        return;
      case PatternToken::kPoint:
      case PatternToken::kLiteral:
        break;
    }
    ++layout.tokens;
  });
  if (firstIntZero >= 0) layout.requiredInt = layout.intPlaceholders - firstIntZero;
  return layout;
}

// Writes the integer digits from..to (inclusive) with the group marks that follow them.
void AppendIntDigits(std::string& out, std::string_view digits, int from, int to, bool grouping) {
  const int length = static_cast<int>(digits.size());
  for (int j = from; j <= to; ++j) {
    out += digits[static_cast<std::size_t>(j)];
    const int remaining = length - 1 - j;
    if (grouping && remaining > 0 && remaining % 3 == 0) out += ThousandsMark;
  }
}

void AppendGeneral(std::string& out, long double value) {
  if (AppendNonFinite(out, value)) return;
  const DecimalDigits d = MakeDecimalDigits(value, kGeneralPrecision, numtext_detail::kAnyDecimals);
  const std::string_view digits = d.digits();
  if (digits.empty()) {
    out += '0';
    return;
  }
  const int count = static_cast<int>(digits.size());
  if (d.negative) out += '-';
  const int e = d.exponent;
  if (e > kGeneralPrecision || e < -3) {
    out += digits[0];
    if (count > 1) {
      out += DecimalMark;
      out += digits.substr(1);
    }
    out += 'E';
    AppendInt(out, e - 1);
  } else if (e <= 0) {
    out += '0';
    out += DecimalMark;
    out.append(static_cast<std::size_t>(-e), '0');
    out += digits;
  } else if (count <= e) {
    out += digits;
    out.append(static_cast<std::size_t>(e - count), '0');
  } else {
    out += digits.substr(0, static_cast<std::size_t>(e));
    out += DecimalMark;
    out += digits.substr(static_cast<std::size_t>(e));
  }
}

void AppendPattern(std::string& out, std::string_view pattern, long double value) {
  if (AppendNonFinite(out, value)) return;
  if (std::fabs(value) >= kPatternLimit) return AppendGeneral(out, value);
  const PatternLayout layout = ReadPattern(pattern);
  if (layout.tokens == 0) return AppendGeneral(out, value);

  const DecimalDigits d = MakeDecimalDigits(value, kPatternPrecision, layout.fracPlaceholders);
  const std::string_view digits = d.digits();
  const int count = static_cast<int>(digits.size());
  // Split the rounded value at the point; fraction digits never exceed the maximum decimals.
  // Both halves are short (18 digits, plus the pattern's required zeros), so they stay in the
  // strings' own room.
  std::string intDigits;
  std::string fracDigits;
  if (d.exponent > 0) {
    intDigits.assign(digits.substr(0, static_cast<std::size_t>(std::min(d.exponent, count))));
    if (count < d.exponent) intDigits.append(static_cast<std::size_t>(d.exponent - count), '0');
    if (count > d.exponent) fracDigits.assign(digits.substr(static_cast<std::size_t>(d.exponent)));
  } else if (count > 0) {
    fracDigits.assign(static_cast<std::size_t>(-d.exponent), '0');
    fracDigits += digits;
  }
  if (static_cast<int>(intDigits.size()) < layout.requiredInt) {
    intDigits.insert(0, static_cast<std::size_t>(layout.requiredInt) - intDigits.size(), '0');
  }
  if (static_cast<int>(fracDigits.size()) < layout.requiredFrac) {
    fracDigits.append(static_cast<std::size_t>(layout.requiredFrac) - fracDigits.size(), '0');
  }

  if (d.negative) out += '-';
  const int length = static_cast<int>(intDigits.size());
  // Digits beyond the placeholders all go to the first one; missing ones leave '#' empty.
  const int offset = length - layout.intPlaceholders;
  bool intWritten = false;
  ScanPattern(pattern, [&](const PatternToken& token) {
    switch (token.kind) {
      case PatternToken::kIntPlaceholder: {
        const int j = offset + token.index;
        if (token.index == 0) {
          AppendIntDigits(out, intDigits, 0, j, layout.grouping);
        } else if (j >= 0) {
          AppendIntDigits(out, intDigits, j, j, layout.grouping);
        }
        intWritten = true;
        break;
      }
      case PatternToken::kPoint:
        if (layout.intPlaceholders == 0) {
          AppendIntDigits(out, intDigits, 0, length - 1, layout.grouping);
          intWritten = true;
        }
        break;
      case PatternToken::kFracPlaceholder:
        if (token.index < static_cast<int>(fracDigits.size())) {
          if (token.index == 0) out += DecimalMark;
          out += fracDigits[static_cast<std::size_t>(token.index)];
        }
        break;
      case PatternToken::kGroup:
        break;
      case PatternToken::kLiteral:
        out += token.text;
        break;
    }
  });
  // A pattern of literals only: the number follows them.
  if (!intWritten) AppendIntDigits(out, intDigits, 0, length - 1, layout.grouping);
}

}  // namespace

std::string FormatGeneral(long double value) {
  std::string out;
  AppendGeneral(out, value);
  return out;
}

std::string FormatPattern(std::string_view pattern, long double value) {
  std::string out;
  AppendPattern(out, pattern, value);
  return out;
}

void AppendFormatGeneral(std::string& out, long double value) { AppendGeneral(out, value); }

void AppendFormatPattern(std::string& out, std::string_view pattern, long double value) {
  AppendPattern(out, pattern, value);
}

std::string IntegerToText(std::int32_t value) {
  char buffer[16];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return std::string(buffer, end);
}

}  // namespace tiramon
