// The texts of the figures a trader acts on, as golden rows: money to the cent, percentages, the
// point value within 1 %, levels with the instrument's decimals, the ratio on its side of 3.
#include "app/figure_texts.h"

#include <gtest/gtest.h>

#include "support/numtext.h"

namespace tiramon {
namespace {

class FigureTexts : public ::testing::Test {
 protected:
  void SetUp() override { DecimalMark = '.'; }
};

TEST_F(FigureTexts, MoneyToTheCentHalfUpOnItsWrittenDigits) {
  const std::pair<long double, const char*> rows[] = {
      {22.004L, "22"},
      {303.030303030303L, "303.03"},
      {1.005L, "1.01"},
      {0.004L, "0"},
      {-1.5L, "-1.5"},
      {99.995L, "100"},
      {9.9949L, "9.99"},
      {-0.005L, "-0.01"},
      {-0.004L, "0"},
      {0.00001L, "0"},
      {49.9999999999999L, "50"},
      {1100200, "1100200"},
      {2e15L, "2000000000000000"},
      {0.07L, "0.07"},
  };
  for (const auto& [money, text] : rows) EXPECT_EQ(MoneyText(money), text) << text;
  EXPECT_EQ(PercentText(2.142857142857L), "2.14");
  EXPECT_EQ(PercentText(7e-6L), "0");
  EXPECT_EQ(RoundedMoney(100.00000000000001L), 100);
}

TEST_F(FigureTexts, APointValueWithinOnePercentOrThreeFigures) {
  const Instrument eurusd = *KnownInstrument("EUR/USD");
  const Instrument usdjpy = *KnownInstrument("USD/JPY");
  const struct {
    const Instrument& instrument;
    long double value;
    const char* text;
  } rows[] = {
      {eurusd, 0.1L, "0.10"},        // "0.00#" as pairs quoted in dollars are written
      {eurusd, 0.001L, "0.001"},     // a thousandth of a lot
      {eurusd, 0.0005L, "0.0005"},   // 0.001 would be twice it
      {usdjpy, 0.6665778L, "0.67"},  // two decimals, 0.5 % off
      {usdjpy, 1 / 150.0L, "0.00667"},
      {usdjpy, 0.025L, "0.025"},  // 0.03 would be a fifth off
      {usdjpy, 0, "0"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(PointValueText(row.instrument, row.value), row.text) << row.text;
  }
}

TEST_F(FigureTexts, LevelsLotsAndRatios) {
  EXPECT_EQ(LevelText(*KnownInstrument("EUR/USD"), 1.0987L), "1.09870");
  EXPECT_EQ(LevelText(*KnownInstrument("EUR/USD"), 1.098765L), "1.098765");
  EXPECT_EQ(LevelText(*KnownInstrument("USD/JPY"), 149.87L), "149.87000");
  EXPECT_EQ(LevelText(*KnownInstrument("XAU/USD"), 4141.26L), "4141.26");
  EXPECT_EQ(LevelText(*KnownInstrument("XAG/USD"), 30.4L), "30.400");
  EXPECT_EQ(FixedLevelText(*KnownInstrument("EUR/USD"), 1.091314L), "1.09131");
  EXPECT_EQ(LotText(0.318), "0.318");
  const std::pair<long double, const char*> ratios[] = {
      {500.0L / 150, "3.3"}, {445.0L / 150, "2.97"}, {3, "3"},
      {2.99999L, "2.99999"}, {3.04L, "3.04"},        {0, "0"},
  };
  for (const auto& [ratio, text] : ratios) EXPECT_EQ(RatioText(ratio), text) << text;
}

}  // namespace
}  // namespace tiramon
