// Golden tables for the number texts: what the user may type, and exactly what the program writes.
#include "support/numtext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <string_view>

#include "support/checked.h"
#include "support/numtext_detail.h"

namespace tiramon {
namespace {

// Every test starts and ends with the marks the program runs with, whatever another test or
// the machine's locale left behind.
class NumText : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() {
    DecimalMark = '.';
    ThousandsMark = ',';
  }
};

// ---------------------------------------------------------------------------------------------
// Reading decimal values

struct DecimalRow {
  const char* text;
  long double expected;
};

TEST_F(NumText, ParseDecimalAccepts) {
  const DecimalRow rows[] = {
      {" 1.5 ", 1.5L},
      {"   1.5", 1.5L},
      {"+7", 7.0L},
      {"-7", -7.0L},
      {".5", 0.5L},
      {"5.", 5.0L},
      {".", 0.0L},
      {"-.", 0.0L},
      {"1e3", 1000.0L},
      {"1E", 1.0L},
      {"5E", 5.0L},
      {"5E+", 5.0L},
      {"2.5e-", 2.5L},
      {"1E+2", 100.0L},
      {"1E0000000003", 1000.0L},
      {"00012.5000", 12.5L},
      // Nearest extended values: these catch digit-by-digit scaling by 0.1.
      {"0.15", 0.15L},
      {"0.1", 0.1L},
      {"1.1234", 1.1234L},
      {"110.25", 110.25L},
      {"1e-5", 1e-5L},
      {"0.00001", 1e-5L},
      {"1.23456789", 1.23456789L},
      {"123456.789e-3", 123.456789L},
      {"9999999999999999999", 9999999999999999999.0L},
      {"0.0000000000000000000000000001", 1e-28L},
      {"3.14159265358979323846264338327950288", 3.14159265358979323846264338327950288L},
      {"123456789012345678901234567890", 1.2345678901234567890123456789e29L},
      // 2^64 + 1 lies halfway between two extended values: ties go to the even one, and any
      // digit further on decides for the upper one.
      {"18446744073709551617", 18446744073709551616.0L},
      {"18446744073709551617.0000000000001", 18446744073709551618.0L},
      {"1E400", 1e400L},
      {"1E-400", 1e-400L},
      {"1E499", 1e499L},
      {"1E500", 1e500L},
      {"-1E-4940", -1e-4940L},
      {"1E-4990", 0.0L},  // below the smallest extended value: underflow is not an error
      {"0E499", 0.0L},
  };
  for (const DecimalRow& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(ParseDecimal(row.text), row.expected);
  }
}

// The fast path (up to 19 digits, powers of ten up to 27) and the long path must both give the
// correctly rounded value; the C library's reading of the same text is the reference.
TEST_F(NumText, ParseDecimalMatchesCorrectRoundingOnRandomTexts) {
  if (std::string_view(std::localeconv()->decimal_point) != ".") GTEST_SKIP() << "locale";
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> digit(0, 9);
  std::uniform_int_distribution<int> length(0, 24);
  std::uniform_int_distribution<int> exponent(-60, 60);
  for (int i = 0; i < 5000; ++i) {
    std::string text;
    const int whole = length(random);
    const int fraction = length(random);
    for (int k = 0; k < whole; ++k) text += static_cast<char>('0' + digit(random));
    text += '.';
    for (int k = 0; k < fraction; ++k) text += static_cast<char>('0' + digit(random));
    if (i % 3 == 0) text += "e" + std::to_string(exponent(random));
    if (whole + fraction == 0) continue;
    SCOPED_TRACE(text);
    ASSERT_EQ(ParseDecimal(text), std::strtold(text.c_str(), nullptr));
  }
}

TEST_F(NumText, ParseDecimalKeepsTheSignOfZero) {
  EXPECT_TRUE(std::signbit(ParseDecimal("-0")));
  EXPECT_TRUE(std::signbit(ParseDecimal("-0.000")));
  EXPECT_FALSE(std::signbit(ParseDecimal("0")));
}

TEST_F(NumText, ParseDecimalRejectsQuotingTheText) {
  const std::string tooManyDigits = "1" + std::string(4933, '0');  // 10^4933 is past extended
  const std::string rows[] = {"1,5",   "1 000",  "5%",      "",           "-",    " ",   "\t1",
                              "1\t",   "1\n",    "1..5",    "1.5.",       "E5",   "+-1", "--1",
                              "1E+-5", "1E5000", "1E4990",  "$5",         "0x10", "1 5", "1e3.5",
                              "abc",   "1.5 x",  "1,000.5", tooManyDigits};
  for (const std::string& text : rows) {
    SCOPED_TRACE(text);
    try {
      ParseDecimal(text);
      ADD_FAILURE() << "accepted";
    } catch (const ConversionError& e) {
      EXPECT_EQ(std::string(e.what()), "'" + text + "' is not a valid floating point value");
    }
  }
}

TEST_F(NumText, ParseDecimalRejectsAnEmbeddedNul) {
  EXPECT_THROW(ParseDecimal(std::string("1\0", 2)), ConversionError);
  EXPECT_THROW(ParseInteger(std::string("1\0", 2)), ConversionError);
}

TEST_F(NumText, ParsedValueBeyondDoubleOverflowsWhenStored) {
  const long double big = ParseDecimal("1E400");
  try {
    StoreDouble(big);
    ADD_FAILURE() << "stored";
  } catch (const FloatError& e) {
    EXPECT_STREQ(e.what(), "Floating point overflow");
  }
  EXPECT_EQ(StoreDouble(ParseDecimal("-1E308")), -1e308);
}

TEST_F(NumText, CommaAsDecimalMark) {
  DecimalMark = ',';
  EXPECT_EQ(ParseDecimal("1,5"), 1.5L);
  EXPECT_EQ(ParseDecimal(",25"), 0.25L);
  EXPECT_THROW(ParseDecimal("1.5"), ConversionError);
  EXPECT_EQ(FormatGeneral(2.5L), "2,5");
  EXPECT_EQ(FormatGeneral(1.5e-7L), "1,5E-7");
  EXPECT_EQ(FormatPattern("0.00", 2.5L), "2,50");
  EXPECT_EQ(FormatPattern("0.##$", 0.004L), "0$");
}

// ---------------------------------------------------------------------------------------------
// Reciprocals to a number of decimals, half up on the exact quotient

TEST_F(NumText, RoundedReciprocalGolden) {
  const std::string justAbove = "2.56" + std::string(20, '0') + "1";  // past extended precision
  const std::string justBelow = "2.55" + std::string(20, '9');
  struct Row {
    std::string text;
    const char* expected;  // the value as a text of five decimals reads
  };
  const Row rows[] = {
      {"0.9123", "1.09613"},    // 1.0961306...
      {"1.2518", "0.79885"},    // 0.7988496...
      {"0.9012", "1.10963"},    // 1.1096316...
      {"1.3621", "0.73416"},    // 0.7341604...
      {"1.6", "0.625"},         // exact, nothing to round
      {"1", "1"},               //
      {"2.56", "0.39063"},      // 0.390625: a tie, up
      {"0.512", "1.95313"},     // 1.953125
      {"12.8", "0.07813"},      // 0.078125
      {"320", "0.00313"},       // 0.003125, whose binary reciprocal lies above or below the tie
      {"1600", "0.00063"},      // 0.000625
      {"200000", "0.00001"},    // 0.000005: half a unit of the last place rounds up
      {"200001", "0"},          // just below it
      {justAbove, "0.39062"},   // a hair below the tie 0.390625, which no 64 bits can tell
      {justBelow, "0.39063"},   // a hair above it
      {"-2.56", "-0.39063"},    // half away from zero
      {" 0.9123 ", "1.09613"},  // the blanks ParseDecimal allows
      {"9123e-4", "1.09613"},   //
      {"0.00001", "100000"},    //
      {"1e-20", "1E20"},        //
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(RoundedReciprocal(row.text, 5), ParseDecimal(row.expected));
  }
  EXPECT_EQ(RoundedReciprocal("3", 2), ParseDecimal("0.33"));
  EXPECT_EQ(RoundedReciprocal("8", 2), ParseDecimal("0.13"));  // 0.125
  EXPECT_EQ(RoundedReciprocal("8", 0), 0.0L);
  EXPECT_EQ(RoundedReciprocal("0.4", 0), 3.0L);  // 2.5
}

TEST_F(NumText, RoundedReciprocalFailsAsTheArithmeticWould) {
  for (const char* text : {"", "abc", "1,5", "0.9123x"}) {
    SCOPED_TRACE(text);
    try {
      RoundedReciprocal(text, 5);
      ADD_FAILURE() << "accepted";
    } catch (const ConversionError& e) {
      EXPECT_EQ(std::string(e.what()),
                std::string("'") + text + "' is not a valid floating point value");
    }
  }
  for (const char* text : {"0", "-0.000", "0e5"}) {
    SCOPED_TRACE(text);
    try {
      RoundedReciprocal(text, 5);
      ADD_FAILURE() << "no error";
    } catch (const FloatError& e) {
      EXPECT_STREQ(e.what(), kDivisionByZero);
    }
  }
  try {
    RoundedReciprocal("1e-4940", 5);
    ADD_FAILURE() << "no error";
  } catch (const FloatError& e) {
    EXPECT_STREQ(e.what(), kOverflow);
  }
}

// Against whole-number arithmetic: for v = m ÷ 10^k the five-decimal reciprocal is
// floor((2 × 10^(k+5) + m) ÷ 2m) hundred-thousandths. Half the cases are ties or neighbours of
// one (m a product of powers of 2 and 5).
TEST_F(NumText, RoundedReciprocalMatchesWholeNumberArithmetic) {
  std::mt19937_64 random(22);
  for (int i = 0; i < 20000; ++i) {
    const int k = static_cast<int>(random() % 8);
    std::uint64_t m;
    if (i % 2 == 0) {
      m = 1;
      for (std::uint64_t twos = random() % 20; twos > 0; --twos) m *= 2;
      for (std::uint64_t fives = random() % 9; fives > 0; --fives) m *= 5;
      m = m - 1 + random() % 3;  // the power itself or a neighbour
      if (m == 0) m = 1;
    } else {
      m = 1 + random() % 1000000000;
    }
    std::uint64_t scale = 1;
    for (int j = 0; j < k + 5; ++j) scale *= 10;
    const std::uint64_t q = (2 * scale + m) / (2 * m);
    std::string text = std::to_string(m);
    if (k > 0) {
      text.insert(0, static_cast<std::size_t>(std::max(0, k + 1 - static_cast<int>(text.size()))),
                  '0');
      text.insert(text.size() - static_cast<std::size_t>(k), ".");
    }
    SCOPED_TRACE(text);
    ASSERT_EQ(RoundedReciprocal(text, 5), ParseDecimal(std::to_string(q) + "e-5"));
  }
}

// ---------------------------------------------------------------------------------------------
// Reading whole numbers

TEST_F(NumText, ParseIntegerAccepts) {
  const struct {
    const char* text;
    std::int32_t expected;
  } rows[] = {
      {" 1000", 1000},
      {"+5", 5},
      {"-0", 0},
      {"007", 7},
      {"$10", 16},
      {"x1F", 31},
      {"X1f", 31},
      {"0x10", 16},
      {"0XfF", 255},
      {"-$10", -16},
      {"2147483647", 2147483647},
      {"-2147483648", std::numeric_limits<std::int32_t>::min()},
      {"$7FFFFFFF", 2147483647},
      {"-0x80000000", std::numeric_limits<std::int32_t>::min()},
      {"0000000000000000000000000042", 42},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(ParseInteger(row.text), row.expected);
  }
}

TEST_F(NumText, ParseIntegerRejectsQuotingTheText) {
  const char* rows[] = {"1000 ",       "1000.0",    "",           "-",
                        "+",           " ",         "$",          "0x",
                        "\t5",         "5a",        "1e3",        "2147483648",
                        "-2147483649", "$80000000", "0xFFFFFFFF", "99999999999999999999999",
                        "$-5",         "0x-5",      "00x5",       "--5",
                        "1,000",       "0x1G"};
  for (const char* text : rows) {
    SCOPED_TRACE(text);
    try {
      ParseInteger(text);
      ADD_FAILURE() << "accepted";
    } catch (const ConversionError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("'") + text + "' is not a valid integer value");
    }
  }
}

TEST_F(NumText, IntegerToTextHasNoGrouping) {
  EXPECT_EQ(IntegerToText(0), "0");
  EXPECT_EQ(IntegerToText(1234567), "1234567");
  EXPECT_EQ(IntegerToText(-42), "-42");
  EXPECT_EQ(IntegerToText(std::numeric_limits<std::int32_t>::min()), "-2147483648");
}

// ---------------------------------------------------------------------------------------------
// The rounded digit string

TEST_F(NumText, DecimalDigitsCutAndRound) {
  using numtext_detail::kAnyDecimals;
  const struct {
    long double value;
    int precision;
    long long decimals;
    const char* digits;
    int exponent;
    bool negative;
  } rows[] = {
      {0.6L, 18, 0, "1", 1, false},  // cut before the first digit, rounded up
      {0.5L, 18, 0, "1", 1, false},  // half goes away from zero
      {-0.5L, 18, 0, "1", 1, true},
      {0.05L, 18, 0, "", 0, false},               // E + D < 0
      {0.4L, 18, 0, "", 0, false},                // nothing left after the cut
      {-0.004L, 18, 2, "", 0, false},             // zero never negative
      {9.9999L, 3, kAnyDecimals, "1", 2, false},  // carry out of the first digit
      {123.456L, 18, 1, "1235", 3, false},
      {1200.0L, 15, kAnyDecimals, "12", 4, false},
      {0.0L, 15, kAnyDecimals, "", 0, false},
      {-0.0L, 15, kAnyDecimals, "", 0, false},
      {std::numeric_limits<long double>::denorm_min(), 15, kAnyDecimals, "", 0, false},
      {-std::numeric_limits<long double>::min() / 4, 15, kAnyDecimals, "", 0, false},
      {0.123456789012345678901L, 18, kAnyDecimals, "123456789012345679", 0, false},
      {0.123456789012345678901L, 15, kAnyDecimals, "123456789012346", 0, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << static_cast<double>(row.value) << " P=" << row.precision
                                    << " D=" << row.decimals);
    const auto d = numtext_detail::MakeDecimalDigits(row.value, row.precision, row.decimals);
    EXPECT_EQ(d.digits(), row.digits);
    EXPECT_EQ(d.exponent, row.exponent);
    EXPECT_EQ(d.negative, row.negative);
  }
}

// ---------------------------------------------------------------------------------------------
// General form

struct FormatRow {
  long double value;
  const char* expected;
};

TEST_F(NumText, FormatGeneralGolden) {
  const FormatRow rows[] = {
      {100.0L, "100"},
      {1.0L / 3.0L, "0.333333333333333"},
      {1.0 / 3.0, "0.333333333333333"},
      {0.0001L, "0.0001"},
      {0.00001L, "1E-5"},
      {999999999999999.0L, "999999999999999"},
      {1e15L, "1E15"},
      {1.2345678901234568e17, "1.23456789012346E17"},
      {-2.5L, "-2.5"},
      {0.1 + 0.2, "0.3"},
      {0.0L, "0"},
      {-0.0L, "0"},
      {-std::numeric_limits<long double>::denorm_min(), "0"},
      {1.0L, "1"},
      {-1234.5L, "-1234.5"},
      {0.00012345L, "0.00012345"},
      {123456789012345.67L, "123456789012346"},
      {999999999999999.5L, "1E15"},          // the carry moves it to exponent form
      {0.000099999999999999999L, "0.0001"},  // and back to fixed form
      {1e100L, "1E100"},
      {-1.5e-300L, "-1.5E-300"},
      {1e400L, "1E400"},
      {1.25e16L, "1.25E16"},
      {100000000000000.0L, "100000000000000"},
      {std::numeric_limits<double>::max(), "1.79769313486232E308"},
      {std::numeric_limits<long double>::infinity(), "INF"},
      {-std::numeric_limits<long double>::infinity(), "-INF"},
      {std::numeric_limits<long double>::quiet_NaN(), "NAN"},
  };
  for (const FormatRow& row : rows) {
    SCOPED_TRACE(row.expected);
    EXPECT_EQ(FormatGeneral(row.value), row.expected);
  }
}

TEST_F(NumText, FormatGeneralNeverWritesMoreThanFifteenDigits) {
  const long double values[] = {1.0L / 7,   -2.0L / 3, 1e20L / 7,
                                1e-10L / 7, 2.0L / 9,  123.456789012345678L};
  for (long double v : values) {
    const std::string text = FormatGeneral(v);
    SCOPED_TRACE(text);
    int digits = 0;
    bool leading = true;
    for (char c : text) {
      if (c == 'E') break;
      if (c < '0' || c > '9') continue;
      if (leading && c == '0') continue;
      leading = false;
      ++digits;
    }
    EXPECT_EQ(digits, 15);  // all of these have more digits than fit
  }
}

// ---------------------------------------------------------------------------------------------
// Pattern form

struct PatternRow {
  const char* pattern;
  long double value;
  const char* expected;
};

TEST_F(NumText, FormatPatternTable) {
  ThousandsMark = 'G';
  const PatternRow rows[] = {
      {"0.#", 5, "5"},
      {"0.#", 5.5, "5.5"},
      {"0.#", 1234.567, "1234.6"},
      {"0.#", 0.004, "0"},
      {"0.##", 5, "5"},
      {"0.##", 5.5, "5.5"},
      {"0.##", 1234.567, "1234.57"},
      {"0.##", 0.004, "0"},
      {"0.0#", 5, "5.0"},
      {"0.0#", 5.5, "5.5"},
      {"0.0#", 1234.567, "1234.57"},
      {"0.0#", 0.004, "0.0"},
      {"0.00#", 5, "5.00"},
      {"0.00#", 5.5, "5.50"},
      {"0.00#", 1234.567, "1234.567"},
      {"0.00#", 0.004, "0.004"},
      {"0.00000#", 5, "5.00000"},
      {"0.00000#", 5.5, "5.50000"},
      {"0.00000#", 1234.567, "1234.56700"},
      {"0.00000#", 0.004, "0.00400"},
      {"0.##$", 5, "5$"},
      {"0.##$", 5.5, "5.5$"},
      {"0.##$", 1234.567, "1234.57$"},
      {"0.##$", 0.004, "0$"},
      {"0,##$", 5, "005$"},
      {"0,##$", 5.5, "006$"},
      {"0,##$", 1234.567, "1G235$"},
      {"0,##$", 0.004, "000$"},
  };
  for (const PatternRow& row : rows) {
    SCOPED_TRACE(testing::Message() << row.pattern << " " << static_cast<double>(row.value));
    EXPECT_EQ(FormatPattern(row.pattern, row.value), row.expected);
  }
}

TEST_F(NumText, FormatPatternRoundsTheDecimalDigitsOfTheValue) {
  ThousandsMark = 'G';
  const PatternRow rows[] = {
      {"0.##", 0.125, "0.13"},  // exactly half: away from zero
      {"0.##", -0.125, "-0.13"},
      {"0.#", 5.55, "5.5"},   // the double lies just below 5.55
      {"0.#", 5.55L, "5.6"},  // the extended value lies just above it
      {"0.##", 2.675, "2.67"},
      {"0.##", -0.004, "0"},  // rounds to zero: no "-"
      {"0.00", -0.001, "0.00"},
      {"0.#", 999.96, "1000"},    // carry into a new digit
      {"0.00", 9.995, "9.99"},    // 9.99499999999999922...
      {"0.00", 9.995L, "10.00"},  // 9.99499999999999999989...: 18 digits end in 5
      {"0.00", 9.9951L, "10.00"},
      {"0", 0.5, "1"},
      {"0", 0.49999, "0"},
      {"0", -1.5, "-2"},
      {"0.##", 1.0 / 3.0, "0.33"},
      {"0.####################", 0.123456789012345678901L, "0.123456789012345679"},
      {"0.##", 99999999999999999.0L, "99999999999999999"},  // integer digits are never cut
      {"0.##", 1e18L, "1E18"},                              // the general form takes over
      {"0.##", -2.5e20L, "-2.5E20"},
      {"0,##$", -1234.5, "-1G235$"},
      {"#,##0.00", 1234567.891, "1G234G567.89"},
      {"#,##0.00", 123.4, "123.40"},
      {"#,##0", 1000000, "1G000G000"},
      {"#.##", 0.5, ".5"},  // no required integer digit
      {"00.0", 5.25, "05.3"},
      {"$0.00", 5, "$5.00"},
      {"0.00' pips'", 5, "5.00 pips"},
      {"0.0\"%\"", 12.34, "12.3%"},
      {"0.00;(0.00)", -5, "-5.00"},  // what follows ";" is ignored
      {"0.#0", 1.5, "1.50"},
      {"0.00", std::numeric_limits<long double>::infinity(), "INF"},
      {"0.00", std::numeric_limits<long double>::quiet_NaN(), "NAN"},
      {"", 2.5, "2.5"},
  };
  for (const PatternRow& row : rows) {
    SCOPED_TRACE(testing::Message() << row.pattern << " " << static_cast<double>(row.value));
    EXPECT_EQ(FormatPattern(row.pattern, row.value), row.expected);
  }
}

// ---------------------------------------------------------------------------------------------
// Rounding to places

TEST_F(NumText, RoundToPlaces) {
  const struct {
    long double value;
    int places;
    double expected;
  } rows[] = {
      {0.125, 2, 0.12},  // the factor is a little above 0.01, so the quotient is below 12.5
      {-0.125, 2, -0.12}, {0.135, 2, 0.14}, {2.675, 2, 2.67}, {1234.5678, 2, 1234.57},
      {2.5, 0, 2.0},  // true ties go to the even integer
      {3.5, 0, 4.0},      {-2.5, 0, -2.0},  {0.0, 2, 0.0},    {1250, -2, 1200},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << static_cast<double>(row.value) << " " << row.places);
    EXPECT_EQ(RoundToPlaces(row.value, row.places), row.expected);
  }
}

TEST_F(NumText, RoundToPlacesTraps) {
  const struct {
    long double value;
    int places;
    const char* message;
  } rows[] = {
      {1e309L, 2, kOverflow},        // fine in extended, too big for the stored double
      {1.0L, 400, kDivisionByZero},  // the factor underflows to zero as a double
      {0.0L, 400, kInvalidOperation},
      {1.0L, -400, kOverflow},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.places);
    try {
      RoundToPlaces(row.value, row.places);
      ADD_FAILURE() << "no trap";
    } catch (const FloatError& e) {
      EXPECT_STREQ(e.what(), row.message);
    }
  }
}

// ---------------------------------------------------------------------------------------------
// The error box and the separators

TEST_F(NumText, ErrorBoxFullStop) {
  const struct {
    const char* message;
    const char* shown;
  } rows[] = {
      {"'1,5' is not a valid floating point value", "'1,5' is not a valid floating point value."},
      {"Floating point division by zero", "Floating point division by zero."},
      {"Done!", "Done!"},
      {"Already stopped.", "Already stopped."},
      {"trailing ", "trailing "},
      {"dash-", "dash-"},
      {"quoted'", "quoted'"},
      {"slash/", "slash/."},  // '/' is the first code after '.'
      {"value 0", "value 0."},
      {"Ошибка", "Ошибка."},
      {"", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.message);
    EXPECT_EQ(ErrorBoxText(row.message), row.shown);
  }
}

TEST_F(NumText, SeparatorFromLocale) {
  using numtext_detail::SeparatorFromLocale;
  EXPECT_EQ(SeparatorFromLocale(",", '.'), ',');
  EXPECT_EQ(SeparatorFromLocale("'", ','), '\'');
  EXPECT_EQ(SeparatorFromLocale("", ','), ',');
  EXPECT_EQ(SeparatorFromLocale(nullptr, '.'), '.');
  EXPECT_EQ(SeparatorFromLocale("\xE2\x80\xAF", ','), ' ');  // narrow no-break space
  EXPECT_EQ(SeparatorFromLocale("\xC2\xA0", ','), ' ');      // no-break space
  EXPECT_EQ(SeparatorFromLocale("\xD9\xAB", '.'), '.');      // Arabic decimal separator
}

TEST_F(NumText, LoadLocaleMarksReadsTheCurrentLocale) {
  const char* current = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = current != nullptr ? current : "C";
  ASSERT_NE(std::setlocale(LC_NUMERIC, "C"), nullptr);
  DecimalMark = '#';
  ThousandsMark = '#';
  LoadLocaleMarks();
  EXPECT_EQ(DecimalMark, '.');
  EXPECT_EQ(ThousandsMark, ',');  // the C locale has no group mark
  std::setlocale(LC_NUMERIC, saved.c_str());
}

}  // namespace
}  // namespace tiramon
