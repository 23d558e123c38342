// The broker's conditions: reading them from what the user typed or the settings file kept, the
// dialog that sets them, and worked examples of every figure they change, each written out by
// hand from the market of the assistant's tests (EUR/USD bid 1.1, ask 1.1002).
#include "app/broker_conditions.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/assistant_trade.h"
#include "app/wiring.h"
#include "support/errors.h"
#include "tests/assistant_market.h"

namespace tiramon::assistant_test {
namespace {

TEST(BrokerConditionsText, ReadsWhatIsTypedAndRefusesWhatIsNot) {
  struct Row {
    BrokerTexts texts;
    BrokerConditions expected;
    const char* error;  // the start of the message, or nullptr when accepted
  };
  const Row rows[] = {
      {{}, {}, nullptr},
      {{"EUR", "7", "0.01", "0.01", "100", "50"}, {"EUR", 7, 0.01, 0.01, 100, 50}, nullptr},
      {{" RUB ", " 3,5 ", "0", "", "0.0", "20"}, {"RUB", 3.5, 0, 0, 0, 20}, nullptr},
      {{"GBP", "", "", "", "", ""}, {}, "Валюта счёта «GBP» не поддерживается"},
      {{"USD", "7$", "", "", "", ""}, {}, "Размер комиссии указан неверно: «7$»"},
      {{"USD", "", "0.01.5", "", "", ""}, {}, "Шаг лота указан неверно: «0.01.5»"},
      {{"USD", "", "", "-1", "", ""}, {}, "Минимальный лот указан неверно: «-1»"},
      {{"USD", "", "", "", ".", ""}, {}, "Максимальный лот указан неверно: «.»"},
      {{"USD", "", "", "", "", "1e3"}, {}, "Уровень стоп-аута указан неверно: «1e3»"},
      {{"USD", "", "", "", "", "1001"}, {}, "Уровень стоп-аута не может быть больше 1000."},
      {{"USD", "10001", "", "", "", ""}, {}, "Размер комиссии не может быть больше 10000."},
      {{"USD", "", "", "5", "1", ""}, {}, "Минимальный лот 5 больше максимального 1."},
      {{"USD", "", "", "", "", "1234567890123"}, {}, "Уровень стоп-аута указан неверно"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.texts.accountCurrency + "|" + row.texts.commissionPerLot + "|" +
                 row.texts.lotStep + "|" + row.texts.minLot + "|" + row.texts.maxLot + "|" +
                 row.texts.stopOutLevel);
    if (row.error == nullptr) {
      EXPECT_EQ(ParseBrokerConditions(row.texts), row.expected);
      continue;
    }
    try {
      ParseBrokerConditions(row.texts);
      ADD_FAILURE() << "accepted";
    } catch (const UserError& error) {
      EXPECT_EQ(std::string(error.what()).rfind(row.error, 0), 0u) << error.what();
    }
  }
}

TEST(BrokerConditionsText, WritesEachNumberSoItReadsBackTheSame) {
  const BrokerConditions conditions{"RUB", 0.35, 0.01, 0.1, 250, 20};
  const BrokerTexts texts = ToTexts(conditions);
  EXPECT_EQ(texts.commissionPerLot, "0.35");
  EXPECT_EQ(texts.lotStep, "0.01");
  EXPECT_EQ(texts.maxLot, "250");
  EXPECT_EQ(ParseBrokerConditions(texts), conditions);
  EXPECT_EQ(ToTexts(BrokerConditions{}).lotStep, "") << "not set reads as an empty box";
  // Never with an exponent, which would not read back: the largest lot and a fine step.
  const BrokerConditions extremes{"USD", 0, 0.0001, 0, 100000, 0};
  EXPECT_EQ(ToTexts(extremes).lotStep, "0.0001");
  EXPECT_EQ(ToTexts(extremes).maxLot, "100000");
  EXPECT_EQ(ParseBrokerConditions(ToTexts(extremes)), extremes);
}

class BrokerDialog : public AssistantTest {};

TEST_F(BrokerDialog, SavesAChangeOnceAndKeepsTheTabInTheAccountsMoney) {
  int saves = 0;
  Environment environment;
  environment.saveSettings = [&saves](const Environment& changed) {
    ++saves;
    EXPECT_EQ(changed.broker.accountCurrency, "EUR");
    return std::string();
  };
  TForm1 form(environment);
  FillMarket(form);
  form.Button_BrokerClick();
  EXPECT_TRUE(form.BrokerDialogVisible);
  EXPECT_EQ(form.ComboBox_AccountCurrency.itemIndex, 0);
  EXPECT_EQ(form.Edit_Commission.text, "");
  form.ComboBox_AccountCurrency.itemIndex = 1;
  form.Edit_Commission.text = "7";
  form.Edit_StopOutLevel.text = "50";
  // As the window runs it: the handler, then storing the settings that follows it.
  RunHandler(form, &TForm1::Button_BrokerSaveClick);
  EXPECT_FALSE(form.BrokerDialogVisible);
  EXPECT_EQ(form.Broker, (BrokerConditions{"EUR", 7, 0, 0, 0, 50}));
  EXPECT_EQ(form.environment.broker, form.Broker);
  EXPECT_EQ(saves, 1);
  EXPECT_EQ(form.Label38.caption, "€");
  EXPECT_EQ(form.Label42.caption, "Залог в €:");
  EXPECT_EQ(form.Label45.caption, "Стоимость 1 пункта в €:");
  EXPECT_EQ(form.Label_Broker.caption,
            "Счёт в EUR, курс EUR/USD (bid) 1.1\nкомиссия 7 € за лот, стоп-аут 50%");

  // Opened again and saved unchanged: nothing is written.
  form.Button_BrokerClick();
  EXPECT_EQ(form.Edit_Commission.text, "7");
  RunHandler(form, &TForm1::Button_BrokerSaveClick);
  EXPECT_EQ(saves, 1);

  // A bad value: the message, the dialog stays open and the conditions stay as they were.
  form.Button_BrokerClick();
  form.Edit_LotStep.text = "0,01,";
  EXPECT_THROW(form.Button_BrokerSaveClick(), UserError);
  EXPECT_TRUE(form.BrokerDialogVisible);
  EXPECT_EQ(form.Broker.lotStep, 0);
  form.Button_BrokerCancelClick();
  EXPECT_FALSE(form.BrokerDialogVisible);
}

TEST_F(BrokerDialog, TheDefaultsLeaveEveryDollarCaptionAsItWas) {
  Environment environment;
  environment.broker = BrokerConditions{"RUB", 0, 0, 0, 0, 0};
  // The captions follow the account once the window is created, as the wiring runs it.
  TForm1 rouble(environment);
  RunHandler(rouble, WiredHandler("Form1", Event::Create));
  EXPECT_EQ(rouble.Label42.caption, "Залог в ₽:");
  TForm1 dollar;
  RunHandler(dollar, WiredHandler("Form1", Event::Create));
  EXPECT_EQ(dollar.Label38.caption, "$");
  EXPECT_EQ(dollar.Label42.caption, "Залог в $:");
  EXPECT_EQ(dollar.Label45.caption, "Стоимость 1 пункта в $:");
}

// ---- Worked examples --------------------------------------------------------------------------

struct Example {
  const char* name;
  BrokerConditions broker;
  std::function<void(TForm1&)> arrange;
  std::map<std::string, std::string> expected;  // control name → text
  std::vector<std::string> memo;
};

std::string Shown(const TForm1& f, const std::string& name) {
  const std::map<std::string, const std::string*> texts = {
      {"Zalog", &f.Zalog.caption},
      {"Punkt", &f.Punkt.caption},
      {"Label_Loss", &f.Label_Loss.caption},
      {"Label_Loss2", &f.Label_Loss2.caption},
      {"Label_Profit", &f.Label_Profit.caption},
      {"Soot", &f.Soot.caption},
      {"Edit_ProcLot", &f.Edit_ProcLot.text},
      {"Edit_ProcLot2", &f.Edit_ProcLot2.text},
      {"Edit_Loss", &f.Edit_Loss.text},
      {"Edit_Teik", &f.Edit_Teik.text},
      {"ComboBox_los", &f.ComboBox_los.text},
      {"ComboBox_Teik", &f.ComboBox_Teik.text},
      {"Label_StopOut", &f.Label_StopOut.caption},
      {"Label_Broker", &f.Label_Broker.caption},
  };
  const auto found = texts.find(name);
  if (found == texts.end()) {
    ADD_FAILURE() << "no control " << name;
    return {};
  }
  return *found->second;
}

std::function<void(TForm1&)> EurUsd(const char* deposit, const char* lot, const char* stop = "150",
                                    const char* take = "500") {
  return [=](TForm1& f) {
    Select(f, "EUR/USD");
    f.Edit_Deposit.text = deposit;
    f.ComboBox_Lot.text = lot;
    f.ComboBox_los.text = stop;
    f.ComboBox_Teik.text = take;
  };
}

std::function<void(TForm1&)> Then(std::function<void(TForm1&)> first,
                                  std::function<void(TForm1&)> second) {
  return [=](TForm1& f) {
    first(f);
    second(f);
  };
}

class BrokerExamples : public AssistantTest {};

TEST_F(BrokerExamples, EveryFigureTheConditionsChange) {
  const auto percent = [](const char* risk) {
    return [=](TForm1& f) {
      PercentMode(f);
      f.ComboBox_LotProc.text = risk;
    };
  };
  const auto levels = [](const char* stop, const char* take) {
    return [=](TForm1& f) {
      f.CheckBox_StopLevels.checked = true;
      f.Edit_Loss.text = stop;
      f.Edit_Teik.text = take;
    };
  };
  const std::vector<Example> examples = {
      // Margin 1.1002 × 100000 × 0.1 ÷ 500 = $22.004 = 22.004 ÷ 1.1 € = 20.0036, to the cent 20;
      // a point $0.1 = 0.090909 €, shown 0.091; 150 points 13.636 € (not 150 × 0.091), 1.36 %
      // of 1000 €; 500 points 45.45 €, 4.55 %; 1000 ÷ 13.636 = 73.33 losses.
      {"euro account",
       {"EUR", 0, 0, 0, 0, 0},
       EurUsd("1000", "0.1"),
       {{"Zalog", "20"},
        {"Punkt", "0.091"},
        {"Label_Loss", "13.64€ или 1.36%"},
        {"Label_Profit", "45.45€ или 4.55%"},
        {"Label_Loss2", "можно ошибится 73.33 раз"},
        {"Label_Broker", "Счёт в EUR, курс EUR/USD (bid) 1.1"}},
       {}},
      // $22.004 × 92.5 = 2035.37 ₽; a point $0.1 = 9.25 ₽; 150 points 1387.5 ₽.
      {"rouble account",
       {"RUB", 0, 0, 0, 0, 0},
       EurUsd("100000", "0.1"),
       {{"Zalog", "2035.37"},
        {"Punkt", "9.25"},
        {"Label_Loss", "1387.5₽ или 1.39%"},  // 1.3875 % to two decimals
        {"Label_Profit", "4625₽ или 4.63%"},
        {"Label_Loss2", "можно ошибится 72.07 раз"},
        {"Label_Broker", "Счёт в RUB, курс USD/RUB (bid) 92.5"}},
       {}},
      // A lot: $1 a point; the loss 150 + 7, the profit 500 − 7, the ratio 493 ÷ 157 = 3.14.
      {"commission in a dollar account",
       {"USD", 7, 0, 0, 0, 0},
       EurUsd("10000", "1"),
       {{"Zalog", "220.04"},
        {"Punkt", "1.00"},
        {"Label_Loss", "157$ или 1.57%"},
        {"Label_Profit", "493$ или 4.93%"},
        {"Label_Loss2", "можно ошибится 63.69 раз"},
        {"Soot", "3.1"}},
       {}},
      // Risk 50: from the margin 50 ÷ 220.04 = 0.227 → 0.22; from the stop 50 ÷ (150 + 7) =
      // 0.318 → 0.31. The figures are of 0.22: margin 48.4088, loss 33 + 1.54, profit 110 − 1.54.
      {"percent mode, step and commission",
       {"USD", 7, 0.01, 0, 0, 0},
       Then(EurUsd("1000", "0.1"), percent("5")),
       {{"Edit_ProcLot", "0.22"},
        {"Edit_ProcLot2", "0.31"},
        {"Zalog", "48.41"},
        {"Punkt", "0.22"},
        {"Label_Loss", "34.54$ или 3.45%"},
        {"Label_Profit", "108.46$ или 10.85%"},
        {"Soot", "3.1"}},
       {}},
      {"below the minimum lot",
       {"USD", 0, 0.01, 0.01, 100, 0},
       EurUsd("1000", "0.005"),
       {},
       {"Лот 0.005 меньше минимального лота брокера 0.01."}},
      {"not a multiple of the step",
       {"USD", 0, 0.01, 0.01, 100, 0},
       EurUsd("1000", "0.015"),
       {},
       {"Лот 0.015 не кратен шагу лота 0.01."}},
      {"above the maximum lot, not rounded to it",
       {"USD", 0, 0.01, 0.01, 100, 0},
       EurUsd("1000", "150"),
       {{"Zalog", "33006"}},
       // $150 a point: the $1000 are gone 6 points below the entry, at 1.1002 − 0.00006.
       {"Лот 150 больше максимального лота брокера 100.", kNoFunds,
        "Убыток по стопу больше депозита: средства кончатся на 1.10014, раньше стопа на "
        "1.09870."}},
      {"percent-mode lots below the minimum",
       {"USD", 7, 0.01, 1, 0, 0},
       Then(EurUsd("1000", "0.1"), percent("5")),
       {{"Edit_ProcLot", "0.22"}, {"Edit_ProcLot2", "0.31"}},
       {"Лот от маржи 0.22 меньше минимального лота брокера 1.",
        "Лот от стопа 0.31 меньше минимального лота брокера 1."}},
      {"a risk too small for one step",
       {"USD", 0, 0.01, 0, 0, 0},
       Then(EurUsd("100", "0.1"), percent("0.5")),
       {{"Edit_ProcLot", "0"}, {"Edit_ProcLot2", "0"}},
       {"Лот от маржи 0: риска не хватает даже на 0.01 лота.",
        "Лот от стопа 0: риска не хватает даже на 0.01 лота."}},
      // Margin 22.004, half of it 11.002; (100 − 11.002) ÷ $0.1 = 889.98 points below 1.1002,
      // shown at the whole point before it: 1.1002 − 0.00889.
      {"stop-out before a far stop",
       {"USD", 0, 0, 0, 0, 50},
       EurUsd("100", "0.1", "1000", "5000"),
       {{"Label_StopOut", "стоп-аут на 1.09131"}, {"Edit_Loss", "1.09020"}},
       {"Стоп-аут наступит раньше стопа: на 1.09131, а стоп на 1.09020."}},
      {"stop-out after a near stop",
       {"USD", 0, 0, 0, 0, 50},
       EurUsd("100", "0.1"),
       {{"Label_StopOut", "стоп-аут на 1.09131"}},
       {}},
      // Selling at 1.1: margin 22, (100 − 11) ÷ 0.1 = 890 points above.
      {"stop-out selling",
       {"USD", 0, 0, 0, 0, 50},
       Then(EurUsd("100", "0.1"), Sell),
       {{"Label_StopOut", "стоп-аут на 1.10890"}},
       {}},
      // With the commission: (100 − 0.7 − 11.002) ÷ 0.1 = 882.98 points, so 882: 1.1002 − 0.00882.
      {"stop-out with a commission",
       {"USD", 7, 0, 0, 0, 50},
       EurUsd("100", "0.1"),
       {{"Label_StopOut", "стоп-аут на 1.09138"}},
       {}},
      {"a small position is never stopped out",
       {"USD", 0, 0, 0, 0, 50},
       EurUsd("100000", "0.01"),
       {{"Label_StopOut", "стоп-аут не наступит"}},
       {}},
      // 1.1002 − 1.0982 = 200 points, 1.1062 − 1.1002 = 600 points.
      {"stops typed as prices",
       {},
       Then(EurUsd("100", "0.1"), levels("1.0982", "1.1062")),
       {{"ComboBox_los", "200"},
        {"ComboBox_Teik", "600"},
        {"Label_Loss", "20$ или 20%"},
        {"Label_Profit", "60$ или 60%"},
        {"Soot", "3"},
        {"Edit_Loss", "1.0982"}},
       {}},
      {"a stop above the entry when buying",
       {},
       Then(EurUsd("100", "0.1"), levels("1.2", "1.2")),
       {{"ComboBox_los", "150"}, {"Label_Loss", "—"}},
       {"Стоп лосс при покупке ставят ниже цены входа 1.1002."}},
      {"a take profit above the entry when selling",
       {},
       Then(Then(EurUsd("100", "0.1"), Sell), levels("1.2", "1.2")),
       {{"ComboBox_Teik", "500"}},
       {"Тэйк профит при продаже ставят ниже цены входа 1.1."}},
      {"no rate for the account",
       {"RUB", 0, 0, 0, 0, 0},
       Then(EurUsd("1000", "0.1"),
            [](TForm1& f) {
              f.ListView1.items.pop_back();
              f.TableRates = DollarRates{};
              for (const Quote& quote : Quotes())
                f.TableRates.Add(quote.pair, std::stold(quote.bid));
            }),
       {{"Label_Broker", "Счёт в RUB: в таблице котировок нет курса USD/RUB"}, {"Label_Loss", "—"}},
       {"Нет курса USD к валюте счёта: сделку по EUR/USD не оценить."}},
  };
  for (const Example& example : examples) {
    SCOPED_TRACE(example.name);
    TForm1 form = MarketForm();
    form.ListView1.items.push_back(TListItem{"USD/RUB", {"92.50", "92.60", "0.1"}});
    form.TableRates.Add("USD/RUB", 92.5L);
    form.Broker = example.broker;
    form.ShowAccountCurrency();
    example.arrange(form);
    form.ListView1Click();
    for (const auto& [control, text] : example.expected) {
      EXPECT_EQ(Shown(form, control), text) << control;
    }
    EXPECT_EQ(form.Memo1.lines, example.memo);
    if (!example.memo.empty()) {
      EXPECT_EQ(form.Memo1.fontColor, colors::Red);
    }
  }
}

TEST_F(BrokerExamples, SwitchingBackToPointsKeepsThePointsTheLevelsMade) {
  TForm1 form = MarketForm();
  EurUsd("100", "0.1")(form);
  form.CheckBox_StopLevels.checked = true;
  form.CheckBox_StopLevelsClick();
  EXPECT_TRUE(form.Edit_Loss.enabled);
  EXPECT_TRUE(form.Edit_Teik.enabled);
  form.Edit_Loss.text = "1.0982";
  form.Edit_Teik.text = "1.1062";
  form.ListView1Click();
  form.CheckBox_StopLevels.checked = false;
  form.CheckBox_StopLevelsClick();
  EXPECT_FALSE(form.Edit_Loss.enabled);
  EXPECT_EQ(form.ComboBox_los.text, "200");
  EXPECT_EQ(form.ComboBox_Teik.text, "600");
  EXPECT_EQ(form.Edit_Loss.text, "1.09820");
  EXPECT_EQ(form.Edit_Teik.text, "1.10620");
  EXPECT_EQ(form.Label_Loss.caption, "20$ или 20%");

  // A box emptied to type a new level stays as the user left it, and says what it wants.
  form.CheckBox_StopLevels.checked = true;
  form.CheckBox_StopLevelsClick();
  form.Edit_Loss.text = "";
  form.ListView1Click();
  EXPECT_EQ(form.Edit_Loss.text, "");
  EXPECT_EQ(form.Edit_Teik.text, "1.10620");
  EXPECT_EQ(form.ComboBox_los.text, "200");
  EXPECT_EQ(form.Memo1.lines, std::vector<std::string>{"Стоп лосс ценой: «» — не число. "
                                                       "Введите цену, например 1.0850."});
}

TEST_F(BrokerExamples, TheRiskAnalysisTakesTheCommissionAsTheTabShowsIt) {
  TForm1 form = MarketForm();
  EurUsd("10000", "1")(form);
  form.Broker.commissionPerLot = 7;
  form.ListView1Click();
  // Loss 150 + 7 of 10000; profit 500 − 7 over that loss.
  const AssistantTrade trade = ReadAssistantTrade(form);
  EXPECT_NEAR(trade.riskPercent, 1.57, 1e-12);
  EXPECT_NEAR(trade.rewardToRisk, 493.0 / 157, 1e-12);
  form.ComboBox_Teik.text = "5";
  form.ListView1Click();
  EXPECT_THROW(ReadAssistantTrade(form), std::invalid_argument);
}

}  // namespace
}  // namespace tiramon::assistant_test
