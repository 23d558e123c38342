// The process-wide separators, rounding to decimal places and the text of the error box.
#include "support/numtext.h"

#include <clocale>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

#include "support/checked.h"
#include "support/numtext_detail.h"

namespace tiramon {

char DecimalMark = '.';
char ThousandsMark = ',';

namespace numtext_detail {

char SeparatorFromLocale(const char* text, char fallback) {
  if (text == nullptr) return fallback;
  const std::string_view s(text);
  if (s.size() == 1) return s[0];
  // No-break and narrow no-break space (U+00A0, U+202F) and thin space (U+2009): one byte
  // cannot hold them, and a plain space reads the same in a group of digits.
  if (s == "\xC2\xA0" || s == "\xE2\x80\xAF" || s == "\xE2\x80\x89") return ' ';
  return fallback;
}

}  // namespace numtext_detail

void LoadLocaleMarks() {
  const std::lconv* conv = std::localeconv();
  DecimalMark = numtext_detail::SeparatorFromLocale(conv->decimal_point, '.');
  // A group mark equal to the decimal mark would make grouped texts unreadable.
  const char groupFallback = DecimalMark == ',' ? '.' : ',';
  ThousandsMark = numtext_detail::SeparatorFromLocale(conv->thousands_sep, groupFallback);
}

namespace {

long double TenToThe(int power) {
  if (power >= 0 && power <= 27) {
    long double result = 1;  // exact up to 10^27
    for (int i = 0; i < power; ++i) result *= 10;
    return result;
  }
  return std::pow(10.0L, static_cast<long double>(power));
}

}  // namespace

double RoundToPlaces(long double value, int places) {
  // 10^-places as the quotient 1 / 10^places, exactly rounded once in extended.
  const Ext factorExtended = places >= 0 ? Ext(1) / Ext(TenToThe(places)) : Ext(TenToThe(-places));
  const double factor = StoreDouble(factorExtended);
  const Ext quotient = Ext(value) / Ext(factor);
  // nearbyint follows the current rounding mode, which the program leaves at nearest-even.
  const Ext whole(std::nearbyint(quotient.v));
  return StoreDouble(whole * Ext(factor));
}

std::string ErrorBoxText(std::string_view message) {
  std::string text(message);
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  return text;
}

}  // namespace tiramon
