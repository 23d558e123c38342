// The window model's defaults: every caption, value, item list, colour and hint the user sees
// when the program starts. Nothing is read from disk; every start begins here.
#include "app/unit1.h"

#include <cstdio>
#include <utility>

#include "app/build_config.h"
#include "app/instrument_rules.h"
#include "app/prop_limits.h"
#include "app/quote_sources.h"

namespace tiramon {
namespace {

constexpr const char* kTwrHint = "TWR - Terminal Wealth Relative";
constexpr const char* kCopyHint = "Скопировать в буффер";

TLabel Label(std::string caption, TColor colour = colors::Black, std::string hint = {}) {
  TLabel label;
  label.caption = std::move(caption);
  label.fontColor = colour;
  label.hint = std::move(hint);
  return label;
}

TLabel Twr(std::string caption) { return Label(std::move(caption), colors::Black, kTwrHint); }

TEdit Edit(std::string text, std::string hint = {}) {
  TEdit edit;
  edit.text = std::move(text);
  edit.hint = std::move(hint);
  return edit;
}

TComboBox Combo(std::string text, std::vector<std::string> items, int itemIndex = -1) {
  TComboBox combo;
  combo.text = std::move(text);
  combo.items = std::move(items);
  combo.itemIndex = itemIndex;
  return combo;
}

TRadioButton Radio(std::string caption, bool checked, TColor colour, std::string hint = {}) {
  TRadioButton radio;
  radio.caption = std::move(caption);
  radio.checked = checked;
  radio.fontColor = colour;
  radio.hint = std::move(hint);
  return radio;
}

TButton Button(std::string caption, std::string hint = {}) {
  TButton button;
  button.caption = std::move(caption);
  button.hint = std::move(hint);
  return button;
}

TMemo Memo(std::vector<std::string> lines, TColor colour) {
  TMemo memo;
  memo.lines = std::move(lines);
  memo.fontColor = colour;
  return memo;
}

TImage Image(std::string title, std::string hint, std::string url) {
  return TImage{std::move(title), std::move(hint), std::move(url)};
}

// A default of the risk analysis as its box shows it: the shortest text, whole numbers without a
// point.
std::string RiskDefault(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", value);
  return text;
}

const std::vector<std::string>& LotSizes() {
  static const std::vector<std::string> sizes = {
      "10",   "9",    "8",    "7",    "6",    "5",    "4",    "3",   "2",   "1",
      "0.9",  "0.8",  "0.7",  "0.6",  "0.5",  "0.4",  "0.3",  "0.2", "0.1", "0.09",
      "0.08", "0.07", "0.06", "0.05", "0.04", "0.03", "0.02", "0.01"};
  return sizes;
}

const std::vector<std::string>& Points() {
  static const std::vector<std::string> points = {"0",   "100", "150", "200",
                                                  "300", "400", "500", "600"};
  return points;
}

}  // namespace

TForm1::TForm1(Environment env) : environment(std::move(env)) {
  caption = std::string("Тирамон 1.4 - Блог трейдера ") + build::kBlogHost;
  PageControl1.activePageIndex = 0;
  PageControl1.pageCaptions = {"О программе",   "Форекс валютные пары", "Помощник",
                               "Рост депозита", "Слив депозита",        "Для умных",
                               "Анализ риска"};
  PageControl1.pageCaptions.push_back("Портфель");  // our own eighth tab, after the risk's
  // Panel 1 names where the prices came from; it takes the rest of the bar.
  StatusBar1.panels = {TStatusPanel{200, "", colors::Black, ""},
                       TStatusPanel{720, "", colors::Black, ""}};
  PopupMenu1 = {{"N1", "Скопировать тэйк профит"},
                {"N4", "Скопировать стоп лосс"},
                {"N5", "Скопировать лот"},
                {"N7", "-"},
                {"N6", "Развернуть"},
                {"N2", "-"},
                {"N3", "Выход"}};

  // Tab 0 "О программе". The pictures open pages that teach trading basics.
  lbl28 = Label("Тирамон 1.4");
  lbl29 = Label(std::string("Автор: ") + build::kAuthor);
  lbl30 =
      Label(std::string("блог: ") + build::kBlogUrl, colors::Blue, "Открыть ссылку в новом окне");
  constexpr const char* kMore = "Кликни, чтобы узнать больше";
  Image1 = Image("Управление риском", kMore, "https://en.wikipedia.org/wiki/Risk_management");
  Image2 = Image("Кредитное плечо", kMore, "https://en.wikipedia.org/wiki/Leverage_(finance)");
  Image3 = Image("Валютный рынок", kMore, "https://en.wikipedia.org/wiki/Foreign_exchange_market");
  Image4 = Image("Стоп лосс", kMore, "https://en.wikipedia.org/wiki/Stop-loss_order");
  Image5 = Image("Сложный процент", kMore, "https://en.wikipedia.org/wiki/Compound_interest");
  Image6 = Image("Как выбрать брокера", "Узнать больше...",
                 "https://en.wikipedia.org/wiki/Foreign_exchange_company");
  Panel_Ads.caption = "Реклама для брокеров";
  Label_Ads = Label("Реклама брокеров");

  // Tab 1 "Форекс валютные пары".
  Label52 = Label("Размер позиции  в лотах:");
  edit_lot = Combo("0.1", LotSizes());
  Label55 = Label("депозит");
  Edit8 = Edit("100", "Депозит");
  Label53 = Label("- расчитать залог для открытия 1 позиции", colors::Blue);
  Label41 = Label("- расчитать макс.  кол-во позиций ( )", colors::Blue);
  Button9 = Button("Обновить котировки");
  for (const char* column : {"Валюта", "Bid", "Asc", "Спред", "1 лот без плеча", "50 плечо",
                             "100 плечо", "500 плечо", "1000 плечо", "2000 плечо", "1 pip в $"}) {
    ListView1.columns.push_back(TListColumn{column});
  }
  Label39 = Label("Двойной клик выбор валютной пары", colors::Gray);
  Label_TableNote = Label("", colors::Red);
  Memo_Back.visible = false;
  Label_Source = Label("Источник:");
  const int source = QuoteSourceIndex(environment.quoteSource);
  ComboBox_Source =
      Combo(kQuoteSourceNames[source], {kQuoteSourceNames[0], kQuoteSourceNames[1]}, source);
  Label_StatusUrl = Label("Файл статуса:");
  Edit_StatusUrl = Edit(WithDefaults(environment).statusUrl,
                        "Адрес файла статуса: его первая строка — целое число, если страница "
                        "котировок доступна");
  Label_QuotesUrl = Label("Страница:");
  Edit_QuotesUrl = Edit(WithDefaults(environment).quotesUrl, "Адрес страницы котировок (http)");
  Button_SaveUrls = Button("Сохранить адреса", "Запомнить адреса и обновить котировки");

  // Tab 2 "Помощник".
  GroupBox12.caption = "Торговый инструмент ";
  Label_Valuta = Label("Выберите валюту", colors::Red);
  // The trader's instruments as the settings file gave them.
  OwnInstruments = environment.instruments;
  ComboBox_Instrument = Combo("", InstrumentChoices(OwnInstruments));
  ComboBox_Instrument.hint = "Выбрать инструмент без таблицы котировок";
  RadioButton_Buy = Radio("Покупка (ask): ", true, colors::Blue);
  RadioButton_sell = Radio("Продажа (bid):", false, colors::Black);
  Label_PriceSource = Label("", colors::Gray);
  Label_OwnPrices = Label("Цены вашего терминала, bid / ask:");
  Edit_OwnBid = Edit("", "Bid выбранной пары в вашем терминале");
  Edit_OwnAsk = Edit("", "Ask выбранной пары в вашем терминале");
  Button_OwnPrices = Button("Применить", "Считать выбранную пару по вашим ценам");
  Button_ClearOwnPrices = Button("Сбросить", "Вернуть цены источника котировок");

  GroupBox13.caption = "Стоп лосс и тэйк профит";
  Label35 = Label("Стоп лосс:", colors::Red, kTwrHint);
  ComboBox_los = Combo("150", Points(), 2);
  Edit_Loss.enabled = false;
  SpeedButton3 = Button("", kCopyHint);
  Label44 = Label("Тэйк профит:", colors::Green, kTwrHint);
  ComboBox_Teik = Combo("500", Points(), 6);
  Edit_Teik.enabled = false;
  SpeedButton2 = Button("", kCopyHint);
  Label59 = Label("Убыток составит:");
  Label_Loss = Label("введите стоп лосс", colors::Red);
  Label_Loss2 = Label("", colors::Red);
  Label43 = Label("Прибыль составит:");
  Label_Profit = Label("введите тэйк профит", colors::Green);
  Label34 = Label("Соотношение риск/прибыль:");
  Soot = Label("0");

  GroupBox8.caption = "Депозит";
  Label36 = Label("Депозит:");
  Edit_Deposit = Edit("100");
  Label38 = Twr("$");
  Label50 = Twr("Кредитное плечо:");
  ComboBox_Plecho =
      Combo("500", {"2000", "1000", "500", "200", "100", "66", "50", "33", "10", "1"});
  Label54 = Twr("Риск на сделку:");
  RadioButton11 = Radio("в лотах", true, colors::Black);
  ComboBox_Lot = Combo("0.1", LotSizes());
  RadioButton9 = Radio("в процентах", false, colors::Black, "в процентах от депозита");
  ComboBox_LotProc =
      Combo("90", {"0.5", "1", "2", "3", "4", "5", "10", "20", "30", "50", "90", "100"});
  Label49 = Label("расчет от маржи");
  Edit_ProcLot.maxLength = 4;
  SpeedButton1 = Button("", kCopyHint);
  Label51 = Label("расчет от стопа");
  Edit_ProcLot2.maxLength = 4;
  Edit_ProcLot2.hint =
      "Расчет только для пар с обратной котировкой  EUR/USD, GBP/USD, AUD/USD, NZD/USD ";
  SpeedButton4 = Button("", kCopyHint);
  Label42 = Label("Залог в $:");
  Zalog = Label("0", colors::Blue);
  Label45 = Label("Стоимость 1 пункта в $:");
  Punkt = Label("0", colors::Blue);
  Button_Broker =
      Button("Условия брокера…", "Валюта счёта, комиссия, лоты и стоп-аут вашего брокера");
  CheckBox_StopLevels =
      Radio("ценой", false, colors::Black, "Вводить стоп лосс и тэйк профит ценой, а не в пунктах");
  Label_StopOut = Label("", colors::Red, "Цена, при которой брокер закроет позицию по стоп-ауту");
  GroupBox10.caption = "Предупреждения";
  Button_ToBook = Button("В портфель", "Добавить сделку помощника на вкладку «Портфель»");
  Label_ToBook = Label("", colors::Gray);

  Button_Instruments = Button("Инструменты…",
                              "Ваши инструменты: индексы, металлы, CFD — "
                              "по спецификации контракта брокера");
  GroupBox_Instruments.caption = "Инструменты";
  Label_InstrumentEdit = Label("Инструмент:");
  Label_InstSymbol = Label("Символ:");
  Edit_InstSymbol = Edit("", "Как в терминале, например US500");
  Label_InstBase = Label("Базовая валюта (пусто — не валюта):");
  Edit_InstBase = Edit("", "Например EUR; для индекса пусто");
  Label_InstQuote = Label("Валюта котировки:");
  Edit_InstQuote = Edit("", "Валюта цены и прибыли, например USD");
  Label_InstContract = Label("Размер контракта (единиц за лот):");
  Edit_InstContract = Edit("", "Например 100000 для валют, 100 для золота, 1 для индекса");
  Label_InstPoint = Label("Размер пункта:");
  Edit_InstPoint = Edit("", "Шаг цены одного пункта, например 0.01");
  Label_InstMargin = Label("Маржа в % (0 — по плечу):");
  Edit_InstMargin = Edit("", "Доля стоимости позиции в залоге; 0 — стоимость ÷ плечо");
  Label_InstrumentsNote = Label("", colors::Gray);
  Button_InstrumentSave = Button("Записать");
  Button_InstrumentRemove = Button("Удалить");
  Button_InstrumentsClose = Button("Закрыть");

  // The broker's dialog; its boxes are filled from Broker each time it opens.
  GroupBox_Broker.caption = "Условия брокера";
  Label_AccountCurrency = Label("Валюта счёта:");
  ComboBox_AccountCurrency = Combo("USD", {"USD", "EUR", "RUB"}, 0);
  Label_Commission = Label("Комиссия за лот (открытие и закрытие):");
  Edit_Commission = Edit("", "В валюте счёта, например 7");
  Label_LotStep = Label("Шаг лота:");
  Edit_LotStep = Edit("", "Например 0.01");
  Label_MinLot = Label("Минимальный лот:");
  Edit_MinLot = Edit("", "Например 0.01");
  Label_MaxLot = Label("Максимальный лот:");
  Edit_MaxLot = Edit("", "Например 100");
  Label_StopOutLevel = Label("Стоп-аут, уровень маржи в %:");
  Edit_StopOutLevel =
      Edit("", "Уровень маржи (средства ÷ залог × 100), при котором брокер закрывает позиции");
  Label_BrokerNote = Label("Пустое поле или 0 — условие не задано.", colors::Gray);
  Button_BrokerSave = Button("Сохранить");
  Button_BrokerCancel = Button("Отмена");

  // Tab 3 "Рост депозита".
  Label5 = Label("Как быстро разогнать депозит", colors::Blue);
  grp1.caption = "Параметры расчета";
  lbl1 = Label("Начальный депозит:");
  edt_Kapital = Edit("100");
  lbl6 = Twr("$");
  lbl3 = Twr("Конечный депозит:");
  edt_count = Edit("1000");
  Label46 = Twr("$");
  GroupBox1.caption = "Риск на сделку";
  RadioButton1 = Radio("в процентах", true, colors::Blue);
  edit_risk = Edit("5", "Экспонтациальный рост");
  Label11 = Twr("%");
  RadioButton2 = Radio("в деньгах", false, colors::Black, "Постоянный депозит");
  edit_risk2 = Edit("5", "Линейный рост");
  Label6 = Twr("$");
  Label1 = Twr("Соотношение убыток к прибыли:");
  Label2 = Twr("для примера 1 к 4");
  edit_sootonoshenie = Edit("4");
  Button1 = Button("Рассчитать");
  mmo_lot = Memo({"mmo_lot"}, colors::Lime);
  GroupBox7.caption = "Памятка";
  Label3 = Label("Как быстро разогнать депозит:", colors::Blue);
  Label32 = Label("1. Закрывайте профит по тэйку");
  Label4 = Label("даже профи не могут понять, что сейчас");
  Label33 = Label("происходит на рынке!");

  // Tab 4 "Слив депозита".
  Label17 = Label("Как не слить депозит", colors::Red);
  GroupBox2.caption = "Параметры расчета";
  Label7 = Label("Депозит:");
  edt_Kapital2 = Edit("100");
  Label9 = Twr("$");
  Label8 = Label("Кол-во сделок:");
  Label8.visible = false;
  edt_count2 = Edit("50");
  edt_count2.visible = false;
  GroupBox3.caption = "Риск на сделку";
  RadioButton3 = Radio("в процентах", true, colors::Blue);
  edit_riska1 = Edit("5", "Экспонтациальный рост");
  Label15 = Twr("%");
  RadioButton4 = Radio("в деньгах", false, colors::Black, "Постоянный депозит");
  edit_riska2 = Edit("5", "Линейный рост");
  Label16 = Twr("$");
  Button4 = Button("Рассчитать");
  Button2 = Button("Button1");
  Button2.visible = false;
  Button3 = Button("Button1");
  Button3.visible = false;
  Label10 = Label("Обязательно сравните скорость слива", colors::Red);
  Label12 = Label("депозита в процентах и деньгах и Вы", colors::Red);
  Label13 = Label("поймете разницу!", colors::Red);
  mmo_lot2 = Memo({"mmo_lot"}, colors::Fuchsia);
  GroupBox4.caption = "Памятка";
  Label14 = Label("Чтобы не слить депозит:", colors::Red);
  Label19 = Label("1. Ставьте всегда стопы");
  Label18 = Label("2. Не торгуете во время новостей");
  Label20 = Label("3. Не оставляйте позицию на выходные");
  Label21 = Label("4. Не доливайтесь, если позиция в минусе");
  Label22 = Label("5. Всегда используйте одинаковый риск");

  // Tab 5 "Для умных".
  Label47 = Label("Реальный расчет - для умных", colors::Blue);
  GroupBox5.caption = "Параметры расчета";
  Label23 = Label("Начальный капитал:");
  edt_Kapital3 = Edit("100");
  Label25 = Twr("$");
  Label24 = Twr("Кол-во сделок:");
  edt_count3 = Edit("50");
  GroupBox6.caption = "Риск на сделку";
  RadioButton31 = Radio("в процентах", true, colors::Blue);
  edit_risk3 = Edit("5", "Экспонтациальный рост");
  Label30 = Twr("%");
  RadioButton32 = Radio("в деньгах", false, colors::Black, "Постоянный депозит");
  edit_risk3a = Edit("5", "Линейный рост");
  Label31 = Twr("$");
  Label26 = Twr("Соотношение убыток к прибыли:");
  Label27 = Twr("для примера 1 к 4");
  edit_sootonoshenie3 = Edit("4");
  Label28 = Twr("Процент прибыльных сделок:");
  kol_prib3 = Edit("40");
  Label29 = Twr("%");
  CheckBox_Real = Radio("Реальный расчет", true, colors::Black,
                        "Каждая сделка случайным образом выбирается прибыльная или убыточная");
  Button5 = Button("Рассчитать");
  mmo_lot3 = Memo({}, colors::Aqua);
  GroupBox9.caption = "Интересно";
  Label62 = Label("Обязательно посмотрите кол-во подряд", colors::Blue);
  Label65 = Label("убыточных сделок, бывает и 14 подряд!!!", colors::Blue);
  Label66 = Label("Увелечение соотношение убыток/прибыль", colors::Blue);
  Label67 = Label("на 1, увеличивает доходность в 2 раза!", colors::Blue);

  // Tab 6 "Анализ риска": the boxes start from the analysis's own defaults.
  const RiskInputs risk;
  RiskInputsBox.caption = "Параметры";
  Label_RiskDeposit = Label("Начальный депозит:");
  RiskDeposit = Edit(RiskDefault(risk.deposit));
  Label_RiskDepositUnit = Label("$");
  Label_RiskTrades = Label("Сделок в серии:");
  RiskTrades = Edit(std::to_string(risk.trades));
  Label_RiskMode = Label("Риск:");
  RiskPercentMode = Radio("в % от депозита", risk.percentRisk, colors::Black);
  RiskMoneyMode = Radio("в $", !risk.percentRisk, colors::Black);
  Label_RiskAmount = Label("Риск на сделку:");
  RiskAmount = Edit(RiskDefault(risk.risk));
  RiskAmountUnit = Label(risk.percentRisk ? "%" : "$");
  Label_RiskRatio = Label("Прибыль / риск:");
  RiskRatio = Edit(RiskDefault(risk.rewardToRisk));
  Label_RiskWinShare = Label("Прибыльных сделок:");
  RiskWinShare = Edit(RiskDefault(risk.winShare * 100));
  Label_RiskWinShareUnit = Label("%");
  Label_RiskRuin = Label("Разорение при просадке:");
  RiskRuin = Edit(RiskDefault(risk.ruinDrawdown * 100));
  Label_RiskRuinUnit = Label("%");
  Label_RiskSeries = Label("Число серий:");
  RiskSeries = Edit(std::to_string(risk.series));
  Label_RiskSeed = Label("Зерно генератора:");
  RiskSeed = Edit(std::to_string(risk.seed));
  RiskFromAssistant =
      Button("Из помощника",
             "Риск = убыток по стоп-лоссу в % от депозита помощника, прибыль/риск = тейк-профит ÷ "
             "стоп-лосс");
  RiskCalculate = Button("Рассчитать");
  RiskCancel = Button("Отмена");
  RiskCancel.visible = false;
  RiskProgress.max = 1000;
  RiskProgress.visible = false;
  RiskSummaryBox.caption = "Итоги";
  const std::pair<TLabel*, const char*> figures[] = {
      {&Label_RiskRuinProbability, "Вероятность разорения:"},
      {&Label_RiskFinalP05, "Итоговый депозит, 5 %:"},
      {&Label_RiskFinalP25, "Итоговый депозит, 25 %:"},
      {&Label_RiskFinalMedian, "Итоговый депозит, медиана:"},
      {&Label_RiskFinalP75, "Итоговый депозит, 75 %:"},
      {&Label_RiskFinalP95, "Итоговый депозит, 95 %:"},
      {&Label_RiskDrawdownMedian, "Макс. просадка, медиана:"},
      {&Label_RiskDrawdownP95, "Макс. просадка, 95 %:"},
      {&Label_RiskLosingRunMedian, "Убытков подряд, медиана:"},
      {&Label_RiskLosingRunP95, "Убытков подряд, 95 %:"},
      {&Label_RiskExpectancy, "Ожидание на сделку:"},
  };
  for (const auto& [label, text] : figures) *label = Label(text);
  for (TLabel* value : {&RiskRuinProbability, &RiskFinalP05, &RiskFinalP25, &RiskFinalMedian,
                        &RiskFinalP75, &RiskFinalP95, &RiskDrawdownMedian, &RiskDrawdownP95,
                        &RiskLosingRunMedian, &RiskLosingRunP95, &RiskExpectancy}) {
    *value = Label("—");
  }
  // Often enough for a bar that moves smoothly, seldom enough to cost nothing.
  Timer_Risk.interval = 100;
  Timer_Age.interval = 30000;
  Timer_Age.enabled = true;
  // The broker's conditions as the settings file gave them.
  Broker = environment.broker;

  // Tab 7 "Портфель": empty until the window's creation reads the book's file; the limits as the
  // settings file gave them.
  Label_BookBalance = Label("Баланс счёта:");
  Edit_BookBalance = Edit("", "Баланс счёта в его валюте: от него считаются проценты и маржа");
  Label_BookLeverage = Label("Плечо:");
  ComboBox_BookLeverage =
      Combo("", {"2000", "1000", "500", "200", "100", "50", "33", "30", "20", "10", "1"});
  Label_BookPrices = Label("", colors::Gray);
  for (const char* column : {"Инструмент", "Сделка", "Лот", "Открытие", "Стоп", "Тейк", "Состояние",
                             "Маржа", "Убыток на стопе", "Прибыль на тейке", "Сейчас"}) {
    BookList.columns.push_back(TListColumn{column});
  }
  Label_BookSymbol = Label("Инструмент");
  Edit_BookSymbol = Edit("", "Как в таблице котировок, например EUR/USD");
  Label_BookSide = Label("Сделка");
  ComboBox_BookSide = Combo("покупка", {"покупка", "продажа"}, 0);
  Label_BookLots = Label("Лот");
  Edit_BookLots = Edit("");
  Label_BookOpen = Label("Цена открытия");
  Edit_BookOpen = Edit("");
  Label_BookStop = Label("Стоп лосс");
  Edit_BookStop = Edit("", "Цена стопа; пусто — без стопа");
  Label_BookTake = Label("Тейк профит");
  Edit_BookTake = Edit("", "Цена тейка; пусто — без тейка");
  Label_BookState = Label("Состояние");
  ComboBox_BookState = Combo("открыта", {"открыта", "планируется"}, 0);
  Button_BookApply = Button("Изменить", "Записать поля в выбранную позицию");
  Button_BookAdd = Button("Добавить", "Добавить поля новой позицией");
  Button_BookRemove = Button("Удалить", "Удалить выбранную позицию");
  Label_BookNote = Label("", colors::Red);
  BookTotalsBox.caption = "Весь портфель";
  const std::pair<TLabel*, const char*> bookFigures[] = {
      {&Label_BookCount, "Сделок:"},
      {&Label_BookLoss, "Убыток на всех стопах:"},
      {&Label_BookMargin, "Залог всего:"},
      {&Label_BookFreeMargin, "Свободная маржа:"},
      {&Label_BookLevelNow, "Уровень маржи сейчас:"},
      {&Label_BookLevelAtStops, "Уровень маржи на стопах:"},
      {&Label_BookResult, "Результат сейчас:"},
  };
  for (const auto& [label, text] : bookFigures) *label = Label(text);
  for (TLabel* value : {&BookCount, &BookLoss, &BookMargin, &BookFreeMargin, &BookLevelNow,
                        &BookLevelAtStops, &BookResult}) {
    *value = Label("—");
  }
  BookWarning = Label("", colors::Red);
  BookExposureBox.caption = "Позиция по валютам";
  for (const char* column : {"Валюта", "Позиция", "1 % против"}) {
    BookExposure.columns.push_back(TListColumn{column});
  }
  PropBox.caption = "Лимиты проп-фирмы";
  Label_PropStart = Label("Начальный баланс:");
  Label_PropDayStart = Label("Баланс на начало дня:");
  Label_PropHighest = Label("Наибольший баланс:");
  Label_PropDaily = Label("Дневной лимит убытка, %:");
  Label_PropMax = Label("Максимальный убыток, %:");
  Prop = environment.prop;
  const PropTexts prop = ToTexts(Prop);
  Edit_PropStart = Edit(prop.startBalance, "Баланс счёта, когда фирма его выдала");
  Edit_PropDayStart = Edit(prop.dayStartBalance, "От него считается дневной лимит");
  Edit_PropHighest =
      Edit(prop.highestBalance, "Для скользящего максимального убытка: наибольший баланс счёта");
  Edit_PropDaily = Edit(prop.dailyLossPercent, "В % от начального баланса; пусто — лимита нет");
  Edit_PropMax = Edit(prop.maxLossPercent, "В % от начального баланса; пусто — лимита нет");
  CheckBox_PropTrailing = Radio("от наибольшего баланса", Prop.trailing, colors::Black,
                                "Максимальный убыток считается вниз от наибольшего баланса");
  Button_PropSave = Button("Сохранить лимиты");
  PropRoom = Label("Лимиты не заданы.", colors::Gray);
}

}  // namespace tiramon
