#include "app/figure_texts.h"

#include <cmath>

#include "support/checked.h"
#include "support/numtext.h"

namespace tiramon {
namespace {

constexpr long double kPointValueTolerance = 0.01L;

// The figure as its 15 significant digits write it, then rounded half up on those digits.
std::string RoundedOnWrittenDigits(std::string_view pattern, long double value) {
  return FormatPattern(pattern, ParseDecimal(FormatGeneral(value)));
}

// The same for two decimals, on the general form's digits themselves: one conversion instead of
// three, for the tables that write it hundreds of thousands of times. A text in exponent form
// (below 0.0001 or from 10^15 up) takes the long way.
std::string CentsOfWrittenDigits(long double value) {
  const std::string general = FormatGeneral(value);
  if (general.find_first_of("Ee") != std::string::npos) {
    return RoundedOnWrittenDigits("0.##", value);
  }
  const std::size_t point = general.find(DecimalMark);
  if (point == std::string::npos || general.size() - point - 1 <= 2) return general;
  std::string kept = general.substr(0, point + 3);
  if (general[point + 3] >= '5') {
    // Half up, away from zero: carry from the last kept digit leftwards.
    std::size_t at = kept.size();
    while (at-- > 0) {
      if (kept[at] == DecimalMark) continue;
      if (kept[at] == '-') break;
      if (kept[at] != '9') {
        ++kept[at];
        break;
      }
      kept[at] = '0';
      if (at == 0 || kept[at - 1] == '-') {
        kept.insert(at, 1, '1');
        break;
      }
    }
  }
  while (!kept.empty() && kept.back() == '0') kept.pop_back();
  if (!kept.empty() && kept.back() == DecimalMark) kept.pop_back();
  if (kept == "-0" || kept == "-" || kept.empty()) return "0";
  return kept;
}

std::string Decimals(int count, char digit) {
  return count > 0 ? "0." + std::string(static_cast<std::size_t>(count), digit) : "0";
}

}  // namespace

std::string MoneyText(long double money) { return CentsOfWrittenDigits(money); }

long double RoundedMoney(long double money) { return ParseDecimal(MoneyText(money)); }

double Round2(long double x) { return RoundToPlaces(StoreDouble(x), 2); }

std::string PercentText(long double percent) { return CentsOfWrittenDigits(percent); }

std::string PointValueText(const Instrument& instrument, long double value) {
  if (!(value != 0) || !std::isfinite(value)) return "0";
  std::string text = instrument.quoteCurrency == "USD" ? FormatPattern("0.00#", value)
                                                       : FormatGeneral(Round2(value));
  const long double shown = ParseDecimal(text);
  if (std::fabs(shown - value) <= kPointValueTolerance * std::fabs(value)) return text;
  const int places = 2 - static_cast<int>(std::floor(std::log10(std::fabs(value))));
  return RoundedOnWrittenDigits(Decimals(places, '#'), value);
}

std::string LevelText(const Instrument& instrument, long double price) {
  if (IsCurrencyPair(instrument)) return FormatPattern("0.00000#", price);
  return FormatPattern(Decimals(PriceDecimals(instrument), '0'), price);
}

std::string FixedLevelText(const Instrument& instrument, long double price) {
  const int places = IsCurrencyPair(instrument) ? 5 : PriceDecimals(instrument);
  return FormatPattern(Decimals(places, '0'), price);
}

std::string LotText(double lots) { return FormatGeneral(lots); }

std::string RatioText(long double ratio) {
  for (int places = 1; places <= 6; ++places) {
    std::string text =
        FormatPattern("0." + std::string(static_cast<std::size_t>(places), '#'), ratio);
    const long double shown = ParseDecimal(text);
    if ((shown < 3) == (ratio < 3) && (shown > 3) == (ratio > 3)) return text;
  }
  return FormatGeneral(ratio);
}

}  // namespace tiramon
