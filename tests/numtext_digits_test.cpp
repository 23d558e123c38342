// The 18 significant digits every written number starts from, against the C library's "%.17Le"
// on the values where the two could part: random significands, short decimals, exact halfway
// cases, powers of ten and every binary exponent.
#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <string_view>

#include "support/numtext_detail.h"

namespace tiramon {
namespace {

using numtext_detail::FirstDigits;
using numtext_detail::kSignificantDigits;

// "ddd...d E" as the C library rounds it: the 18 digits of "%.17Le" and its exponent plus one.
std::string Printed(long double magnitude) {
  char buffer[80];
  std::snprintf(buffer, sizeof buffer, "%.17Le", magnitude);
  std::string digits;
  const char* p = buffer;
  for (; *p != '\0' && *p != 'e'; ++p) {
    if (*p >= '0' && *p <= '9') digits += *p;
  }
  const int exponent = *p == 'e' ? std::atoi(p + 1) : -9999;
  return digits + " " + std::to_string(exponent + 1);
}

std::string Ours(long double magnitude) {
  char digits[kSignificantDigits];
  const int exponent = FirstDigits(magnitude, digits);
  return std::string(digits, kSignificantDigits) + " " + std::to_string(exponent);
}

std::string Hex(long double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%La", value);
  return buffer;
}

// Compares every value and reports the first few that differ, so a fault shows its pattern
// without flooding the log.
class Checker {
 public:
  void Check(long double value) {
    const long double magnitude = std::fabs(value);
    if (magnitude == 0 || !std::isnormal(magnitude)) return;
    ++checked_;
    const std::string expected = Printed(magnitude);
    const std::string actual = Ours(magnitude);
    if (expected == actual) return;
    if (++failures_ <= 10) {
      ADD_FAILURE() << Hex(magnitude) << ": expected " << expected << ", got " << actual;
    }
  }
  void CheckWithNeighbours(long double value, int steps) {
    Check(value);
    long double below = value;
    long double above = value;
    for (int i = 0; i < steps; ++i) {
      below = std::nextafterl(below, 0.0L);
      above = std::nextafterl(above, std::numeric_limits<long double>::infinity());
      Check(below);
      Check(above);
    }
  }
  long long checked() const { return checked_; }
  long long failures() const { return failures_; }

 private:
  long long checked_ = 0;
  long long failures_ = 0;
};

long double TextValue(const std::string& text) { return std::strtold(text.c_str(), nullptr); }

class NumTextDigits : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string_view(std::localeconv()->decimal_point) != ".") GTEST_SKIP() << "locale";
  }
};

TEST_F(NumTextDigits, RandomSignificandsAcrossTheExponents) {
  std::mt19937_64 random(0x5eed1e55);
  // Binary exponents a little past both ends of 1e-36 .. 1e38.
  std::uniform_int_distribution<int> exponent(-126, 132);
  Checker checker;
  for (int i = 0; i < 1000000; ++i) {
    const std::uint64_t significand = random() | (std::uint64_t{1} << 63);
    checker.Check(std::ldexp(static_cast<long double>(significand), exponent(random) - 63));
  }
  EXPECT_EQ(checker.failures(), 0) << "of " << checker.checked();
}

TEST_F(NumTextDigits, EveryBinaryExponentAtItsEnds) {
  // The smallest and the largest significand of every binade, and their neighbours: this walks
  // across any limit of a faster path and across every decimal exponent estimate.
  Checker checker;
  for (int e = LDBL_MIN_EXP - 1; e < LDBL_MAX_EXP; e += (e < -200 || e > 200) ? 37 : 1) {
    checker.CheckWithNeighbours(std::ldexp(1.0L, e), 2);
    checker.CheckWithNeighbours(std::ldexp(1.0L, e + 1) * (1 - LDBL_EPSILON / 2), 2);
    checker.Check(std::ldexp(1.5L, e));
  }
  checker.CheckWithNeighbours(std::numeric_limits<long double>::max(), 2);
  checker.CheckWithNeighbours(std::numeric_limits<long double>::min(), 2);
  checker.CheckWithNeighbours(static_cast<long double>(std::numeric_limits<double>::max()), 2);
  checker.CheckWithNeighbours(static_cast<long double>(std::numeric_limits<double>::min()), 2);
  EXPECT_EQ(checker.failures(), 0) << "of " << checker.checked();
}

TEST_F(NumTextDigits, ShortDecimalTextsAsDoubleAndExtended) {
  Checker checker;
  const char* const texts[] = {"1.1234",  "0.125",  "2.675",  "110.25", "5.55", "1.005",
                               "0.1",     "0.3",    "99.995", "1e15",   "1e-5", "123456.78",
                               "1.10825", "0.0001", "1e17",   "1e18",   "1e19", "9.5",
                               "0.5",     "2.5",    "1.15",   "1.25",   "1.35", "4.35"};
  for (const char* text : texts) {
    checker.Check(TextValue(text));
    checker.Check(std::strtod(text, nullptr));
  }
  // Every number of up to four significant digits at a range of scales.
  for (int n = 1; n < 10000; ++n) {
    for (int scale = -10; scale <= 10; scale += 2) {
      const std::string text = std::to_string(n) + "e" + std::to_string(scale);
      checker.Check(TextValue(text));
      checker.Check(std::strtod(text.c_str(), nullptr));
    }
  }
  // Sums and products with the rounding errors ordinary sums carry.
  const double tenths[] = {0.1, 0.2, 0.3, 0.7, 1.1, 2.675, 1.005, 0.01};
  for (double a : tenths) {
    for (int k = 1; k <= 100; ++k) {
      checker.Check(a * k);
      checker.Check(static_cast<long double>(a) * k);
      checker.Check(a / k);
      checker.Check(static_cast<long double>(a) / k);
    }
  }
  checker.Check(0.1 + 0.2);
  checker.Check(0.1L + 0.2L);
  checker.Check(1.0L / 3);
  checker.Check(2.0L / 3);
  EXPECT_EQ(checker.failures(), 0) << "of " << checker.checked();
}

// Halfway cases: the exact value's 19th significant digit is 5 and nothing follows, so only
// round-half-even on the exact binary value gets the 18th digit right.
TEST_F(NumTextDigits, ExactHalfwayCases) {
  std::mt19937_64 random(77);
  Checker checker;
  int ties = 0;
  const auto checkTie = [&](long double value) {
    // The constructed value must really be a tie, else this test proves nothing.
    char buffer[80];
    std::snprintf(buffer, sizeof buffer, "%.30Le", value);
    const std::string text(buffer);
    ASSERT_EQ(text.substr(19, 12), "500000000000") << text;
    ++ties;
    checker.CheckWithNeighbours(value, 1);
  };
  // B / 2^j with B odd has j decimals and the significant digits of B x 5^j, which end in 5.
  std::uint64_t pow5 = 1;
  for (int j = 1; j <= 27; ++j) {
    pow5 *= 5;
    const std::uint64_t low = (1000000000000000000ULL + pow5 - 1) / pow5;
    const std::uint64_t high = (10000000000000000000ULL - 1) / pow5;
    std::uniform_int_distribution<std::uint64_t> pick(low, high);
    for (int i = 0; i < 200; ++i) {
      const std::uint64_t b = pick(random) | 1;
      if (b > high) continue;
      checkTie(std::ldexp(static_cast<long double>(b), -j));
    }
  }
  // Integers of 19 digits ending in 5, and of 20 ending in 50 (twice an odd multiple of 25).
  std::uniform_int_distribution<std::uint64_t> eighteen(100000000000000000ULL,
                                                        999999999999999999ULL);
  std::uniform_int_distribution<std::uint64_t> fiveTimes(100000000000000000ULL,
                                                         368934881474191032ULL - 1);
  for (int i = 0; i < 2000; ++i) {
    checkTie(static_cast<long double>(eighteen(random) * 10 + 5));
    checkTie(std::ldexp(static_cast<long double>((fiveTimes(random) * 10 + 5) * 5), 1));
  }
  // The largest ones: 2^-27 itself, and the very first 18-digit choices both ways.
  checkTie(std::ldexp(1.0L, -27));
  checkTie(static_cast<long double>(1000000000000000005ULL));
  checkTie(static_cast<long double>(1000000000000000015ULL));
  checkTie(static_cast<long double>(9999999999999999995ULL));  // carries to 1e19
  EXPECT_GT(ties, 5000);
  EXPECT_EQ(checker.failures(), 0) << "of " << checker.checked();
}

TEST_F(NumTextDigits, ExactValuesWithTrailingZeros) {
  // n x 10^z held exactly: the remainder is zero and the digit string ends in zeros.
  Checker checker;
  for (std::uint64_t n = 1; n < 1000; ++n) {
    std::uint64_t scaled = n;
    for (int z = 0;; ++z) {
      checker.Check(std::ldexp(static_cast<long double>(scaled), z));
      checker.Check(std::ldexp(static_cast<long double>(n), -z));
      if (scaled > UINT64_MAX / 5) break;
      scaled *= 5;
    }
  }
  EXPECT_EQ(checker.failures(), 0) << "of " << checker.checked();
}

TEST_F(NumTextDigits, PowersOfTenAndTheirNeighbours) {
  Checker checker;
  for (int p = -45; p <= 45; ++p) {
    checker.CheckWithNeighbours(TextValue("1e" + std::to_string(p)), 3);
    checker.CheckWithNeighbours(std::strtod(("1e" + std::to_string(p)).c_str(), nullptr), 3);
    // Just under a power of ten, where rounding carries into a new leading digit.
    checker.CheckWithNeighbours(TextValue("9.9999999999999999995e" + std::to_string(p)), 2);
    checker.CheckWithNeighbours(TextValue("9.99999999999999999e" + std::to_string(p)), 2);
  }
  EXPECT_EQ(checker.failures(), 0) << "of " << checker.checked();
}

TEST_F(NumTextDigits, DigitsOfKnownValues) {
  // A few written out by hand, so the comparison above is not only against itself.
  const struct {
    long double value;
    const char* expected;
  } rows[] = {
      {1.0L, "100000000000000000 1"},
      {0.125L, "125000000000000000 0"},
      {2.675, "267499999999999982 1"},                    // the double nearest 2.675
      {std::ldexp(1.0L, -27), "745058059692382812 -8"},   // ...8125: half to the even 2
      {1000000000000000015.0L, "100000000000000002 19"},  // ...15: half to the even 2
      {9999999999999999995.0L, "100000000000000000 20"},  // carries into a new digit
      {123456.0L, "123456000000000000 6"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Hex(row.value));
    EXPECT_EQ(Ours(row.value), row.expected);
  }
}

}  // namespace
}  // namespace tiramon
