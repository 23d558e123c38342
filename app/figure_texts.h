// How the program writes the figures a trader acts on: money to the cent, percentages to two
// decimals, a point's value close enough to count with, prices with the instrument's decimals.
// One home, so the assistant, the book and the risk tab write the same figure the same way.
#pragma once

#include <string>

#include "app/trade.h"

namespace tiramon {

// Money rounded half up to the cent, written in the general form: 22.004 → "22", 303.030303 →
// "303.03", 1.005 → "1.01". The rounding is done on the figure's 15 significant digits, so a sum
// that binary arithmetic leaves a hair below a cent's half still rounds as written.
std::string MoneyText(long double money);
// The same money as a value, for comparing what the trader sees: a margin of 100.00000000000001
// is not more than a deposit of 100.
long double RoundedMoney(long double money);
// A percentage to two decimals at most: 2.142857 → "2.14", 15 → "15".
std::string PercentText(long double percent);

// Two decimals the way point and pip values are rounded: x goes through a double first, then to
// the nearest multiple of the double nearest 0.01, ties to even.
double Round2(long double x);

// The value of one point: to the cent as a pair quoted in dollars writes it ("0.00#", "0.10") or
// rounded to two decimals for the others; where that is more than 1 % off (a yen point of a
// micro lot is worth 0.00667 $, not 0.01), three significant figures instead.
std::string PointValueText(const Instrument& instrument, long double value);

// A price level as the assistant writes it: currency pairs with five decimals or six when the
// price has them ("1.09870"), any other instrument with the decimals of its point (gold 2).
std::string LevelText(const Instrument& instrument, long double price);
// The same with exactly those decimals, as the stop-out price is written.
std::string FixedLevelText(const Instrument& instrument, long double price);

// A lot as computed: its shortest exact form (0.31, 0.318, 0).
std::string LotText(double lots);

// Take profit over stop loss with one decimal, or as many more as it takes for the text to be on
// the same side of 3 as the ratio (2.967 is "2.97", not "3").
std::string RatioText(long double ratio);

}  // namespace tiramon
