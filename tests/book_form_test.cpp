// The "Портфель" tab's handlers and what they show, at the market of the assistant's tests
// (EUR/USD 1.1 / 1.1002, GBP/USD 1.25, USD/JPY 150): the assistant's trade taken into the book,
// the editor row, the warnings of the whole book, the prop firm's limits on the tab and on the
// assistant tab. (The [prop] section of the settings file is held by the settings fuzz target's
// properties, its seeds replayed in the regression test; the restart by the window's test.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/prop_limits.h"
#include "app/wiring.h"
#include "support/errors.h"
#include "tests/assistant_market.h"

namespace tiramon::assistant_test {
namespace {

std::vector<std::string> Cells(const TListItem& row) {
  std::vector<std::string> cells{row.caption};
  for (const std::string_view cell : row.subItems) cells.emplace_back(cell);
  return cells;
}

// The assistant's default trade, counted: EUR/USD bought at 1.1002, 0.1 lot, stop 150, take 500,
// deposit 100, leverage 500.
void CountTrade(TForm1& form) {
  Select(form, "EUR/USD");
  RunHandler(form, &TForm1::ListView1Click);
  ASSERT_TRUE(form.AssistantFigures.has_value()) << form.AssistantIssue;
}

void ExpectRefusal(const std::function<void()>& step, const std::string& message) {
  try {
    step();
    ADD_FAILURE() << "accepted";
  } catch (const UserError& error) {
    EXPECT_EQ(error.what(), message);
  }
}

BookPosition Kept(const char* symbol, bool buying, double lots, double open,
                  std::optional<double> stop) {
  return BookPosition{symbol, buying, lots, open, stop, std::nullopt, false, {}};
}

class BookTab : public AssistantTest {};

TEST_F(BookTab, TakesTheAssistantsTradeWithItsFigures) {
  TForm1 form = MarketForm();
  ExpectRefusal([&] { form.Button_ToBookClick(); },
                "В портфель нечего добавить: помощник ещё не посчитал сделку.");
  CountTrade(form);
  RunHandler(form, &TForm1::Button_ToBookClick);
  ASSERT_EQ(form.BookKept.positions.size(), 1u);
  EXPECT_EQ(form.BookKept.positions[0],
            (BookPosition{"EUR/USD", true, 0.1, 1.1002, 1.0987, 1.1052, false, {}}));
  EXPECT_EQ(form.Edit_BookBalance.text, "100");
  EXPECT_EQ(form.ComboBox_BookLeverage.text, "500");
  EXPECT_EQ(form.Label_ToBook.caption,
            "В портфеле: EUR/USD, покупка 0.1 по 1.10020; сделок в портфеле: 1");
  // Margin 0.1 × 100000 × 1.1002 ÷ 500 = 22.004; 150 points of 0.1 $ = 15; 500 points = 50; now
  // closed at the bid 1.1: −0.0002 × 10000 = −2.
  EXPECT_EQ(Cells(form.BookList.items.at(0)),
            (std::vector<std::string>{"EUR/USD", "покупка", "0.1", "1.10020", "1.09870", "1.10520",
                                      "открыта", "22", "15", "50", "-2"}));
  EXPECT_EQ(form.BookCount.caption, "1 (открыто 1, планируется 0)");
  EXPECT_EQ(form.BookLoss.caption, "15 $ или 15 % баланса");
  EXPECT_EQ(form.BookLevelNow.caption, "445.37 %");  // (100 − 2) ÷ 22.004 × 100
  EXPECT_EQ(form.BookResult.caption, "-2 $");
  // Dollars −0.1 × 100000 × 1.1002 first: the account's own currency moves against nothing.
  EXPECT_EQ(Cells(form.BookExposure.items.at(0)),
            (std::vector<std::string>{"USD", "-11002 $", "валюта счёта"}));
  EXPECT_EQ(form.Label_BookNote.caption, "");
}

TEST_F(BookTab, TheEditorRowChangesAddsAndRemovesPositions) {
  TForm1 form = MarketForm();
  CountTrade(form);
  RunHandler(form, &TForm1::Button_ToBookClick);
  ExpectRefusal([&] { form.Button_BookRemoveClick(); },
                "Выберите позицию: щёлкните её строку в таблице портфеля.");
  form.BookList.selectedIndex = 0;
  RunHandler(form, &TForm1::BookListClick);
  EXPECT_EQ(form.Edit_BookSymbol.text, "EUR/USD");
  EXPECT_EQ(form.Edit_BookOpen.text, "1.1002");
  EXPECT_EQ(form.Edit_BookStop.text, "1.0987");

  struct Refusal {
    TEdit TForm1::*box;
    const char* typed;
    const char* control;
    const char* message;
  };
  const Refusal refusals[] = {
      {&TForm1::Edit_BookLots, "abc", "Edit_BookLots",
       "Лот: «abc» — введите число больше нуля, например 0.1."},
      {&TForm1::Edit_BookStop, "1.2", "Edit_BookStop",
       "Стоп лосс покупки ставят ниже цены открытия 1.1002."},
      {&TForm1::Edit_BookSymbol, "XYZ/ABC", "Edit_BookSymbol",
       "Инструмент «XYZ/ABC» программе не известен: нет его спецификации."},
  };
  for (const Refusal& refusal : refusals) {
    SCOPED_TRACE(refusal.typed);
    const std::string before = (form.*refusal.box).text;
    (form.*refusal.box).text = refusal.typed;
    ExpectRefusal([&] { form.Button_BookApplyClick(); }, refusal.message);
    EXPECT_EQ(form.Focus.control, refusal.control);
    (form.*refusal.box).text = before;
  }
  EXPECT_EQ(form.BookKept.positions[0].lots, 0.1) << "nothing changed by a refusal";

  form.Edit_BookLots.text = "0,2";
  form.ComboBox_BookState.itemIndex = 1;
  RunHandler(form, &TForm1::Button_BookApplyClick);
  EXPECT_EQ(form.BookKept.positions[0].lots, 0.2);
  EXPECT_TRUE(form.BookKept.positions[0].planned);
  // Planned: no result now; 30 of loss at its stop.
  EXPECT_EQ(Cells(form.BookList.items[0])[6], "планируется");
  EXPECT_EQ(Cells(form.BookList.items[0])[8], "30");
  EXPECT_EQ(Cells(form.BookList.items[0])[10], "—");

  form.Edit_BookSymbol.text = "USD/JPY";
  form.Edit_BookOpen.text = "150";
  form.Edit_BookStop.text = "";
  form.Edit_BookTake.text = "";
  RunHandler(form, &TForm1::Button_BookAddClick);
  ASSERT_EQ(form.BookKept.positions.size(), 2u);
  EXPECT_EQ(Cells(form.BookList.items[1])[3], "150.000");  // a yen price with its three decimals
  EXPECT_EQ(form.BookLoss.caption, "не ограничен: без стопа USD/JPY");
  form.BookList.selectedIndex = 0;
  RunHandler(form, &TForm1::Button_BookRemoveClick);
  ASSERT_EQ(form.BookKept.positions.size(), 1u);
  EXPECT_EQ(form.BookKept.positions[0].symbol, "USD/JPY");
}

TEST_F(BookTab, WarnsWhenTheStopOutComesBeforeTheStops) {
  TForm1 form = MarketForm();
  form.Broker = BrokerConditions{"USD", 7, 0, 0, 0, 50};
  // The four positions of the book's own test: 1652.2333 lost at the stops with 18.9 of
  // commission, 3025 of margin: (3100 − 1652.2333) ÷ 3025 = 47.86 %, under the stop-out's 50 %.
  form.BookKept.positions = {
      Kept("EUR/USD", true, 1, 1.1, 1.095), Kept("GBP/USD", false, 0.5, 1.25, 1.26),
      Kept("USD/JPY", true, 0.2, 150, 149), Kept("EUR/USD", false, 1, 1.1, 1.105)};
  form.Edit_BookBalance.text = "3100";
  form.ComboBox_BookLeverage.text = "100";
  form.ShowBook();
  EXPECT_EQ(form.BookLoss.caption, "1652.23 $ или 53.3 % баланса");
  EXPECT_EQ(form.BookWarning.caption,
            "Стоп-аут наступит раньше, чем сработают все стопы: уровень маржи на стопах 47.86 % "
            "ниже стоп-аута 50 %.");
  form.Edit_BookBalance.text = "5000";  // (5000 − 1652.2333) ÷ 30.25 = 110.67 %: no warning
  form.ShowBook();
  EXPECT_EQ(form.BookWarning.caption, "");
  form.Edit_BookBalance.text = "3000";  // less than the 3025 of margin
  form.ShowBook();
  EXPECT_EQ(form.BookWarning.caption.rfind(
                "Залог больше баланса: все эти сделки брокер не откроет.\n", 0),
            0u);
  form.Edit_BookBalance.text = "5000";
  form.BookKept.positions[2].stopLevel.reset();
  form.ShowBook();
  EXPECT_EQ(form.BookWarning.caption,
            "У позиции нет стопа: стоп-аут может наступить раньше любого стопа.");
  form.Edit_BookBalance.text = "5к";
  form.ShowBook();
  EXPECT_EQ(form.BookLoss.caption, "—");
  EXPECT_EQ(form.Label_BookNote.caption,
            "Баланс счёта: «5к» — не баланс. Введите число больше нуля, например 10000.");
}

TEST_F(BookTab, PropLimitsAreSetOnTheTabAndShowTheRoomLeft) {
  int saves = 0;
  Environment environment;
  environment.saveSettings = [&saves](const Environment&) {
    ++saves;
    return std::string();
  };
  TForm1 form(environment);
  FillMarket(form);
  form.BookKept.positions = {Kept("EUR/USD", true, 1, 1.1, 1.095)};  // 500 points: 500 $
  form.Edit_BookBalance.text = "99000";
  form.ComboBox_BookLeverage.text = "100";
  form.Edit_PropStart.text = form.Edit_PropDayStart.text = "100000";
  form.Edit_PropDaily.text = "5";
  form.Edit_PropMax.text = "10";
  RunHandler(form, &TForm1::Button_PropSaveClick);
  EXPECT_EQ(form.Prop, (PropLimits{100000, 100000, 0, 5, 10, false}));
  EXPECT_EQ(form.environment.prop, form.Prop);
  EXPECT_EQ(saves, 1);
  // Equity at the stops 98500: 3500 above the daily floor 95000, 8500 above the maximum 90000.
  EXPECT_EQ(form.PropRoom.caption,
            "Запас, если сработают все стопы:\n"
            "• дневной лимит убытка (не ниже 95000 $): 3500 $\n"
            "• максимальный убыток (не ниже 90000 $): 8500 $");
  EXPECT_EQ(form.PropRoom.fontColor, colors::Black);
  form.Edit_BookBalance.text = "95400";  // equity 94900: 100 below the daily floor
  form.ShowBook();
  EXPECT_NE(form.PropRoom.caption.find("дневной лимит убытка (не ниже 95000 $): превышен на 100 $"),
            std::string::npos)
      << form.PropRoom.caption;
  EXPECT_EQ(form.PropRoom.fontColor, colors::Red);
}

TEST(PropLimitsText, ReadsWhatIsTypedAndRefusesWhatIsNot) {
  struct Row {
    PropTexts texts;
    PropLimits expected;
    const char* error;  // the message, or nullptr when accepted
  };
  const Row rows[] = {
      {{}, {}, nullptr},
      {{"100000", "99500.5.1", "", "5", "10", ""}, {}, "Баланс на начало дня указан неверно"},
      {{"100000", "99500,5", "102000", "5", "10", "1"},
       {100000, 99500.5, 102000, 5, 10, true},
       nullptr},
      {{"", "", "", "5", "", ""}, {}, "Укажите начальный баланс счёта"},
      {{"100000", "100000", "", "120", "", ""},
       {},
       "Дневной лимит убытка не может быть больше 100 %."},
      {{"100000", "", "", "", "-3", ""}, {}, "Максимальный убыток указан неверно: «-3»"},
      {{"100000", "", "", "", "10", "1"}, {}, "Укажите наибольший баланс"},
      {{"100000", "", "90000", "", "10", "1"},
       {},
       "Наибольший баланс 90000 меньше начального 100000."},
      {{"100000", "", "", "", "10", "yes"}, {}, "Скользящий максимальный убыток указан неверно"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.texts.dayStartBalance + "|" + row.texts.dailyLossPercent);
    if (row.error == nullptr) {
      EXPECT_EQ(ParsePropLimits(row.texts), row.expected);
      EXPECT_EQ(ParsePropLimits(ToTexts(row.expected)), row.expected) << "written as it reads";
      continue;
    }
    try {
      ParsePropLimits(row.texts);
      ADD_FAILURE() << "accepted";
    } catch (const UserError& error) {
      EXPECT_EQ(std::string(error.what()).rfind(row.error, 0), 0u) << error.what();
    }
  }
}

TEST_F(BookTab, TheAssistantShowsTheLargestLotUnderTheLimits) {
  TForm1 form = MarketForm();
  form.BookKept.balance = 99000;
  form.BookKept.leverage = 100;
  form.BookKept.positions = {Kept("EUR/USD", true, 1, 1.1, 1.095)};  // 500 $ at its stop
  form.Edit_Deposit.text = "99000";
  Select(form, "EUR/USD");
  form.ListView1Click();
  EXPECT_TRUE(form.Memo1.lines.empty()) << "no limits, nothing to say";
  // 3500 left above the daily floor; 150 points of a lot lose 150 $: 23.33 lots.
  form.Prop = PropLimits{100000, 100000, 0, 5, 10, false};
  form.ListView1Click();
  EXPECT_EQ(form.Memo1.lines,
            (std::vector<std::string>{"Лимиты проп-фирмы: лот не больше 23.33,",
                                      "держит дневной лимит убытка.",
                                      "При всех стопах портфеля можно потерять ещё 3500 $."}));
  EXPECT_EQ(form.Memo1.fontColor, colors::Black);
  // 30 lots lose 4500 at the stop.
  form.ComboBox_Lot.text = "30";
  form.ListView1Click();
  ASSERT_EQ(form.Memo1.lines.size(), 5u);
  EXPECT_EQ(form.Memo1.lines[3], "Сделка нарушит дневной лимит убытка:");
  EXPECT_EQ(form.Memo1.lines[4], "убыток по стопу 4500 $ больше запаса 3500 $.");
  EXPECT_EQ(form.Memo1.fontColor, colors::Red);
  // In percent mode the trader's own 1 % of 99000 (990 $) allows 6.6 lots.
  PercentMode(form);
  form.ComboBox_LotProc.text = "1";
  form.ListView1Click();
  EXPECT_EQ(form.Memo1.lines.at(0), "Лимиты проп-фирмы: лот не больше 6.6,");
  EXPECT_EQ(form.Memo1.lines.at(1), "держит ваш риск на сделку.");
}

}  // namespace
}  // namespace tiramon::assistant_test
