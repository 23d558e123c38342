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

std::string Decimals(int count, char digit) {
  return count > 0 ? "0." + std::string(static_cast<std::size_t>(count), digit) : "0";
}

}  // namespace

std::string MoneyText(long double money) { return RoundedOnWrittenDigits("0.##", money); }

long double RoundedMoney(long double money) { return ParseDecimal(MoneyText(money)); }

double Round2(long double x) { return RoundToPlaces(StoreDouble(x), 2); }

std::string PercentText(long double percent) { return RoundedOnWrittenDigits("0.##", percent); }

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
