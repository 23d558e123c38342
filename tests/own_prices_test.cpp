// The trader's own prices for one pair: the table and the assistant take them up, crosses on the
// pair's base included; clearing them, or typing them for another pair, brings the source's back;
// a bad price is refused with a message and changes nothing.
#include <gtest/gtest.h>

#include <string>

#include "app/unit1.h"
#include "quotes/page_parser.h"
#include "support/errors.h"
#include "support/numtext.h"
#include "tests/quote_pages.h"

namespace tiramon {
namespace {

using test_pages::QuoteEntry;

class OwnPricesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DecimalMark = '.';
    quotes::ParseQuotePage(form_, QuoteEntry("EUR/USD", "1.1000", "1.1002") +
                                      QuoteEntry("GBP/USD", "1.3000", "1.3003") +
                                      QuoteEntry("EUR/JPY", "160.00", "160.03"));
    form_.Prices.kind = PriceOrigin::Kind::Page;
    form_.Prices.live = true;
  }
  std::string Cell(std::size_t row, std::size_t column) const {
    return std::string(form_.ListView1.items.at(row).subItems[column]);
  }
  void Type(const std::string& bid, const std::string& ask) {
    form_.Edit_OwnBid.text = bid;
    form_.Edit_OwnAsk.text = ask;
  }
  TForm1 form_;
};

TEST_F(OwnPricesTest, TheTableAndTheAssistantUseThemUntilCleared) {
  ASSERT_EQ(form_.SelectedPair, "EUR/USD");
  // The lot of 0.1 without leverage: 0.1 × 100000 × the EUR/USD bid, and the same for EUR/JPY,
  // whose euro is valued at the EUR/USD bid.
  EXPECT_EQ(Cell(0, 3), "11000");
  EXPECT_EQ(Cell(2, 3), "11000");

  Type("1.2000", "1.2003");
  form_.Button_OwnPricesClick();
  EXPECT_EQ(Cell(0, 0), "1.20000");
  EXPECT_EQ(Cell(0, 1), "1.20030");
  EXPECT_EQ(Cell(0, 2), "0.0003");
  EXPECT_EQ(Cell(0, 3), "12000");  // 0.1 × 100000 × 1.2
  EXPECT_EQ(Cell(2, 3), "12000");  // the cross follows its base's new rate
  EXPECT_EQ(Cell(1, 0), "1.30000");
  EXPECT_EQ(form_.RadioButton_Buy.caption, "Покупка (ask): 1.2003");
  EXPECT_EQ(form_.RadioButton_sell.caption, "Продажа (bid): 1.2000");
  EXPECT_EQ(form_.StatusBar1.panels[1].text.rfind("Свои цены: EUR/USD; остальные — ", 0), 0u);
  EXPECT_EQ(form_.Label_PriceSource.caption, "Цена: ваша, из терминала");

  form_.Button_ClearOwnPricesClick();
  EXPECT_EQ(Cell(0, 0), "1.10000");
  EXPECT_EQ(Cell(0, 1), "1.10020");
  EXPECT_EQ(Cell(2, 3), "11000");
  // The source's price back, as the table shows it.
  EXPECT_EQ(form_.RadioButton_Buy.caption, "Покупка (ask): 1.10020");
  EXPECT_TRUE(form_.Prices.ownPair.empty());
  EXPECT_EQ(form_.StatusBar1.panels[1].text.find("Свои цены"), std::string::npos);
}

TEST_F(OwnPricesTest, OnePairAtATime) {
  Type("1.2000", "1.2003");
  form_.Button_OwnPricesClick();
  form_.SelectedPair = "GBP/USD";
  form_.ListView1.selectedIndex = 1;
  Type("1.4000", "1.4001");
  form_.Button_OwnPricesClick();
  EXPECT_EQ(Cell(0, 0), "1.10000");  // EUR/USD has its source's price back
  EXPECT_EQ(Cell(1, 0), "1.40000");
  EXPECT_EQ(form_.Prices.ownPair, "GBP/USD");
  form_.Button_ClearOwnPricesClick();
  EXPECT_EQ(Cell(1, 0), "1.30000");
  EXPECT_EQ(Cell(1, 1), "1.30030");
}

TEST_F(OwnPricesTest, BadPricesAreRefusedAndChangeNothing) {
  const std::string example = " Введите цену так, как её показывает терминал, например 1.0855.";
  struct Case {
    const char* bid;
    const char* ask;
    std::string message;
  } cases[] = {
      {"", "1.1", "Введите Bid." + example},
      {"1.1", "", "Введите Ask." + example},
      {"1.1.1", "1.2", "Bid введён неверно: «1.1.1»." + example},
      {"1e3", "1.2", "Bid введён неверно: «1e3»." + example},
      {"-1.1", "1.2", "Bid введён неверно: «-1.1»." + example},
      {"1.1", "abc", "Ask введён неверно: «abc»." + example},
      {"0.000", "1.2", "Bid должен быть больше нуля."},
      {"1.2", "1.1", "Ask не может быть меньше bid: цена покупки не ниже цены продажи."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    Type(c.bid, c.ask);
    try {
      form_.Button_OwnPricesClick();
      ADD_FAILURE() << "accepted";
    } catch (const UserError& e) {
      EXPECT_EQ(e.what(), c.message);
    }
    EXPECT_EQ(Cell(0, 0), "1.10000");
    EXPECT_TRUE(form_.Prices.ownPair.empty());
  }
  form_.SelectedPair.clear();
  Type("1.2", "1.3");
  EXPECT_THROW(form_.Button_OwnPricesClick(), UserError);
}

}  // namespace
}  // namespace tiramon
