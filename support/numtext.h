// Number texts: how the program reads numbers typed by the user and how it writes its results.
// Every calculator uses these, so their rounding and messages are fixed in one place.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "support/errors.h"

namespace tiramon {

// Process-wide separators. They start as the user's locale has them (LC_NUMERIC); the first show
// of the window sets DecimalMark to '.', and the program keeps it for its whole run.
extern char DecimalMark;
extern char ThousandsMark;

// The mark every number text of the program uses once it runs: the point. One home for it, so the
// first show, the page parser and the trader's own prices cannot disagree.
inline void UseDecimalPoint() { DecimalMark = '.'; }
// Reads the separators of the user's locale into DecimalMark and ThousandsMark.
void LoadLocaleMarks();

// A text that is not a number of the kind asked for; what() is the message shown to the user.
class ConversionError : public UserError {
 public:
  using UserError::UserError;
};

// A trapped floating-point operation: invalid operation, division by zero or overflow.
class FloatError : public UserError {
 public:
  using UserError::UserError;
};

inline constexpr const char* kInvalidOperation = "Invalid floating point operation";
inline constexpr const char* kDivisionByZero = "Floating point division by zero";
inline constexpr const char* kOverflow = "Floating point overflow";

// "'<text>' is not a valid floating point value" on failure.
long double ParseDecimal(std::string_view text);
// 1 ÷ the value of a decimal text, rounded half up (away from zero) to `places` decimals (0 to 18)
// on the exact quotient, then read as ParseDecimal reads a text of those decimals: "0.9123" with
// 5 places gives 1.09613, "320" gives 0.00313. Rejects what ParseDecimal rejects, with its
// message; a zero value throws FloatError (division by zero), a tiny one FloatError (overflow).
long double RoundedReciprocal(std::string_view text, int places);
// "'<text>' is not a valid integer value" on failure; accepts "$", "x", "0x" hexadecimal.
std::int32_t ParseInteger(std::string_view text);

// General form, at most 15 significant digits, exponent form outside 1E-4 .. 1E15.
std::string FormatGeneral(long double value);
// Pattern form ("0.##", "0.00#", "0.##$" ...), rounding half away from zero on the decimal digits.
std::string FormatPattern(std::string_view pattern, long double value);
// The same texts appended to out, for callers that build one text of several numbers.
void AppendFormatGeneral(std::string& out, long double value);
void AppendFormatPattern(std::string& out, std::string_view pattern, long double value);
std::string IntegerToText(std::int32_t value);
// value / (double nearest 10^-places), rounded to an integer with ties to even, times that factor.
double RoundToPlaces(long double value, int places);

// The message as the error box shows it: a full stop is appended unless the last character's
// code is 46 ('.') or less.
std::string ErrorBoxText(std::string_view message);

}  // namespace tiramon
