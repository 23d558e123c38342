// The stages of the assistant's one recalculation, exposed so each can be driven on its own.
// Every stage reads its inputs from the window model's texts at the moment it needs them and
// throws ConversionError or FloatError when a text does not convert or an operation traps.
#pragma once

#include <string>
#include <string_view>

#include "app/unit1.h"

namespace tiramon::assistant {

// The largest extended value below 100. The yen and rouble point values are scaled by it rather
// than by 100, so a value that would sit exactly on a rounding tie falls just below it.
extern const long double kHundredMinus;

// Two decimals: x goes through a double first, then to the nearest multiple of the double
// nearest 0.01 with ties to even.
double Round2(long double x);

// True when the deposit is a whole number above zero; throws ConversionError for any other text
// except the empty one, which simply fails the gate.
bool DepositGatePasses(const TForm1& form);

// Takes the selected table row (if any) as the assistant's pair and returns the working price
// text, the entry: the ask when buying, the bid when selling, empty when neither is checked.
std::string PickUpPair(TForm1& form);

// Margin and point value for the lot chosen in the lots box.
void SizeByLots(TForm1& form, std::string_view price);
// Lot from the margin and from the stop for a risk given in percent, then margin and point value.
void SizeByPercent(TForm1& form, std::string_view price);

void WriteProfitText(TForm1& form);  // money won at the take profit
void WriteLossText(TForm1& form);    // money lost at the stop loss
void WriteLossCount(TForm1& form);   // how many such losses the deposit bears
void WarnFunds(TForm1& form);        // margin above the deposit
// Stop-loss and take-profit prices, that many of the pair's points from the entry `price`.
void WritePriceLevels(TForm1& form, std::string_view price);
void ClearPriceLevels(TForm1& form);  // both price boxes empty
void WriteRatio(TForm1& form);        // take profit over stop loss, and its colour above 3
void WarnRisk(TForm1& form);          // risk above 70 percent
void WarnRatio(TForm1& form);         // ratio below 3

// Shortens both lot boxes to at most two decimals; an empty box stays empty.
void FormatLotBoxes(TForm1& form);

}  // namespace tiramon::assistant
