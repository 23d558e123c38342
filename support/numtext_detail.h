// The inner steps of the number texts, open to the tests: the rounded decimal digit string both
// formatters start from, and the choice of a one-character separator from what the locale gives.
#pragma once

#include <string_view>

namespace tiramon::numtext_detail {

// How many significant digits the formatters start from.
inline constexpr int kSignificantDigits = 18;

// A magnitude as 0.d1d2d3... x 10^exponent, already cut and rounded; digits() holds no trailing
// zeros and is empty for zero. negative is false whenever digits() is empty. The digits live in
// the value itself: the formatters run for every cell of a large table, and a heap string per
// number was a good part of their time.
struct DecimalDigits {
  char text[kSignificantDigits] = {};
  int count = 0;
  int exponent = 0;
  bool negative = false;

  std::string_view digits() const { return {text, static_cast<std::size_t>(count)}; }
};

// The first kSignificantDigits digits of a finite, normal, positive magnitude, rounded half to
// even on its exact binary value (the digits printf writes for "%.17Le"), and the exponent E of
// 0.d1d2... x 10^E.
int FirstDigits(long double magnitude, char (&digits)[kSignificantDigits]);

// Digits without any limit on decimals (only the precision cuts).
inline constexpr long long kAnyDecimals = 1LL << 40;

// The first 18 significant digits of value, cut after min(exponent + decimals, precision) digits
// and rounded half away from zero on the decimal string. value must be finite.
DecimalDigits MakeDecimalDigits(long double value, int precision, long long decimals);

// The separator a locale string stands for: its only byte when it has one byte, a plain space
// for the multi-byte spaces some locales group digits with, fallback otherwise.
char SeparatorFromLocale(const char* text, char fallback);

}  // namespace tiramon::numtext_detail
