// The assistant's recalculation. It reads the boxes once, lets the trade engine count the trade,
// and writes the engine's numbers: no figure is ever read back from a caption, so the money
// shown is the money of the lot shown, to the cent.
#include "assistant/recalc.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <vector>

#include "app/figure_texts.h"
#include "app/market.h"
#include "assistant/broker_figures.h"
#include "assistant/headroom.h"
#include "support/numtext.h"
#include "support/typed_number.h"

namespace tiramon {
namespace assistant {
namespace {

constexpr const char* kNoFunds = "Не хватает средств!";
constexpr const char* kRiskTooHigh = "Слишком большой риск!";
constexpr const char* kRatioTooLow = "Слишком маленькое соотношение риск прибыль.";
constexpr const char* kNoFigure = "—";
constexpr double kRiskWarningPercent = 70;
constexpr double kGoodRatio = 3;

struct Box {
  const std::string& text;
  TradeField field;
  const char* name;
  const char* example;
};

// A number typed into a box of the tab, or a TradeError that names the box.
double Typed(const Box& box) {
  if (const std::optional<double> value = ReadTypedNumber(box.text)) return *value;
  const std::string name(box.name);
  if (TrimSpaces(box.text).empty()) {
    throw TradeError(box.field, name + ": введите число, например " + box.example + ".");
  }
  throw TradeError(box.field, name + ": «" + box.text + "» — не число. Введите число, например " +
                                  box.example + ".");
}

// The stop loss or take profit in points; unusable, it is left out with its message noted.
double Points(const Box& box, bool& usable, std::vector<std::string>& notes) {
  try {
    return Typed(box);
  } catch (const TradeError& e) {
    usable = false;
    notes.emplace_back(e.what());
    return 0;
  }
}

void ReadPrices(const TForm1& form, TradeRequest& request) {
  const std::string& symbol = form.Label_Valuta.caption;
  if (!form.RadioButton_Buy.checked && !form.RadioButton_sell.checked) {
    throw TradeError(TradeField::Price, "Выберите направление сделки: покупка или продажа.");
  }
  request.buying = form.RadioButton_Buy.checked;
  const std::optional<double> bid = ReadTypedNumber(form.SelectedBid);
  const std::optional<double> ask = ReadTypedNumber(form.SelectedAsk);
  const std::optional<double> entry = request.buying ? ask : bid;
  if (!entry || !(*entry > 0)) {
    throw TradeError(TradeField::Price,
                     "Нет цены " + symbol +
                         (request.buying ? " для покупки (ask)" : " для продажи (bid)") +
                         ": обновите котировки или введите цены вашего терминала.");
  }
  request.bid = bid.value_or(*entry);
  request.ask = ask.value_or(*entry);
}

void WarnRatio(TForm1& form, long double ratio) {
  if (ratio > kGoodRatio) form.Label34.fontColor = colors::Green;
  if (!(ratio < kGoodRatio)) return;
  form.Label34.fontColor = colors::Red;
  Warn(form, kRatioTooLow);
}

// Take profit over stop loss; with a commission, the net profit over the whole loss. A trade
// without one of them has no reward for its risk to speak of.
void ShowRatio(TForm1& form, const PricedTrade& trade, bool stopUsable, bool takeUsable) {
  if (!stopUsable || !takeUsable) {
    form.Soot.caption = kNoFigure;
    return;
  }
  const TradeRequest& request = trade.request;
  long double ratio = 0;
  if (request.stopPoints > 0 && request.takePoints > 0) {
    ratio = trade.figures.commission == 0
                ? static_cast<long double>(request.takePoints) / request.stopPoints
                : static_cast<long double>(trade.figures.profitAtTake) / trade.figures.lossAtStop;
  }
  form.Soot.caption = RatioText(ratio);
  WarnRatio(form, ratio);
}

void ShowLevels(TForm1& form, const PricedTrade& trade, bool stopUsable, bool takeUsable) {
  // Typed as prices, the levels are the user's own text.
  if (form.CheckBox_StopLevels.checked) return;
  const Instrument& instrument = trade.request.instrument;
  // Without a stop (or a take profit) there is no level: a level at the entry would close the
  // trade the moment it opens.
  form.Edit_Loss.text = stopUsable && trade.request.stopPoints > 0
                            ? LevelText(instrument, trade.figures.stopLevel)
                            : std::string();
  form.Edit_Teik.text = takeUsable && trade.request.takePoints > 0
                            ? LevelText(instrument, trade.figures.takeLevel)
                            : std::string();
}

void ShowMoney(TForm1& form, const PricedTrade& trade, bool stopUsable, bool takeUsable) {
  const TradeRequest& request = trade.request;
  const TradeFigures& figures = trade.figures;
  form.Label_Profit.caption =
      takeUsable ? MoneyAndPercent(form, figures.profitAtTake, request.deposit) : kNoFigure;
  form.Label_Loss.caption =
      stopUsable ? MoneyAndPercent(form, figures.lossAtStop, request.deposit) : kNoFigure;
  form.Label_Loss2.caption.clear();
  if (stopUsable && request.stopPoints > 0 && figures.lossAtStop > 0) {
    form.Label_Loss2.caption =
        "можно ошибится " +
        FormatPattern("0.0#", static_cast<long double>(request.deposit) / figures.lossAtStop) +
        " раз";
  }
}

// The tab's list shows the pair the assistant works on, however it was chosen.
void ShowChosenInList(TForm1& form) {
  const std::vector<std::string>& items = form.ComboBox_Instrument.items;
  const auto at = std::find(items.begin(), items.end(), form.SelectedPair);
  form.ComboBox_Instrument.itemIndex =
      at == items.end() ? -1 : static_cast<int>(at - items.begin());
  form.ComboBox_Instrument.text = form.SelectedPair;
}

void Recalculate(TForm1& form) {
  PickUpPair(form);
  ShowChosenInList(form);
  if (form.RadioButton11.checked) {
    form.Memo1.fontColor = colors::Black;
    form.Label42.fontColor = colors::Gray;
  }
  try {
    AskedTrade asked = ReadAskedTrade(form);
    PricedTrade trade{asked.request, {}};
    // A stop or take profit out of its range is left out like one that is not a number.
    for (;;) {
      try {
        trade.figures = FiguresOf(trade.request, form.Broker, RatesOfTrade(form, trade.request));
        break;
      } catch (const TradeError& e) {
        double* points = e.field() == TradeField::Stop   ? &trade.request.stopPoints
                         : e.field() == TradeField::Take ? &trade.request.takePoints
                                                         : nullptr;
        if (points == nullptr || *points == 0) throw;
        *points = 0;
        (e.field() == TradeField::Stop ? asked.stopUsable : asked.takeUsable) = false;
        asked.notes.emplace_back(e.what());
      }
    }
    for (const std::string& note : asked.notes) Warn(form, note);
    ShowTrade(form, trade, asked.stopUsable, asked.takeUsable);
    // Whoever takes the trade from here takes all of it: a stop or take profit left out is no
    // trade to analyse.
    if (asked.notes.empty()) {
      form.AssistantFigures = trade;
    } else {
      form.AssistantIssue = asked.notes.front();
    }
  } catch (const TradeError& e) {
    ClearFigures(form);
    Warn(form, e.what());
    form.AssistantIssue = e.what();
  }
}

}  // namespace

void PickUpPair(TForm1& form) {
  const int selected = form.ListView1.selectedIndex;
  if (selected < 0 || static_cast<std::size_t>(selected) >= form.ListView1.items.size()) return;
  const TListItem& row = form.ListView1.items[static_cast<std::size_t>(selected)];
  // A row always carries bid and ask, but a half-built one must not take the program down.
  const std::string bid = row.subItems.size() > 0 ? std::string(row.subItems[0]) : std::string();
  const std::string ask = row.subItems.size() > 1 ? std::string(row.subItems[1]) : std::string();
  form.Label_Valuta.caption = row.caption;
  form.RadioButton_Buy.caption = "Покупка (ask): " + ask;
  form.RadioButton_sell.caption = "Продажа (bid): " + bid;
  form.SelectedBid = bid;
  form.SelectedAsk = ask;
  form.SelectedPair = form.Label_Valuta.caption;
}

AskedTrade ReadAskedTrade(TForm1& form) {
  AskedTrade asked;
  TradeRequest& request = asked.request;
  const std::string& symbol = form.Label_Valuta.caption;
  if (form.SelectedPair.empty()) {
    throw TradeError(TradeField::Instrument,
                     "Выберите инструмент в списке или щёлкните его строку в таблице котировок.");
  }
  const std::optional<Instrument> instrument = InstrumentFor(form.OwnInstruments, symbol);
  if (!instrument) {
    throw TradeError(TradeField::Instrument,
                     "Инструмент «" + symbol + "» программе не известен: нет его спецификации.");
  }
  request.instrument = *instrument;
  ReadPrices(form, request);
  request.deposit = Typed({form.Edit_Deposit.text, TradeField::Deposit, "Депозит", "1000"});
  if (!(request.deposit > 0)) {
    throw TradeError(TradeField::Deposit, "Депозит должен быть больше нуля.");
  }
  request.leverage = Typed({form.ComboBox_Plecho.text, TradeField::Leverage, "Плечо", "500"});
  if (form.RadioButton11.checked) {
    request.lots = Typed({form.ComboBox_Lot.text, TradeField::Lots, "Лот", "0.1"});
    if (!(request.lots > 0)) throw TradeError(TradeField::Lots, "Лот должен быть больше нуля.");
  } else if (form.RadioButton9.checked) {
    request.riskPercent = Typed({form.ComboBox_LotProc.text, TradeField::Risk, "Риск", "2"});
    request.sizeByMargin = true;
  } else {
    throw TradeError(TradeField::Lots, "Выберите расчёт: в лотах или в процентах.");
  }
  // Stops typed as prices become points before anything counts with them.
  DeriveStopPoints(form, request);
  request.stopPoints = Points({form.ComboBox_los.text, TradeField::Stop, "Стоп лосс", "150"},
                              asked.stopUsable, asked.notes);
  request.takePoints = Points({form.ComboBox_Teik.text, TradeField::Take, "Тэйк профит", "500"},
                              asked.takeUsable, asked.notes);
  return asked;
}

AccountRates RatesOfTrade(const TForm1& form, const TradeRequest& request) {
  const double entry = request.buying ? request.ask : request.bid;
  return RatesForTrade(form.TableRates, form.Broker.accountCurrency, request.instrument, entry);
}

void ShowTrade(TForm1& form, const PricedTrade& trade, bool stopUsable, bool takeUsable) {
  const TradeRequest& request = trade.request;
  const TradeFigures& figures = trade.figures;
  const bool lotsMode = request.lots > 0;
  if (lotsMode) {
    form.Edit_ProcLot.text.clear();
    form.Edit_ProcLot2.text.clear();
  } else {
    form.Edit_ProcLot.text = LotText(figures.lotsByMargin);
    form.Edit_ProcLot2.text =
        stopUsable && request.stopPoints > 0 ? LotText(figures.lotsByStop) : std::string();
  }
  form.Zalog.caption = MoneyText(figures.margin);
  form.Punkt.caption = PointValueText(request.instrument, figures.pointValue);
  // Before the money: a lot too small to count with still says why.
  WarnLots(form, trade);
  ShowMoney(form, trade, stopUsable, takeUsable);
  if (lotsMode && RoundedMoney(figures.margin) > RoundedMoney(request.deposit)) {
    Warn(form, kNoFunds);
    form.Label42.fontColor = colors::Red;
  }
  if (!lotsMode && request.riskPercent > kRiskWarningPercent) Warn(form, kRiskTooHigh);
  ShowLevels(form, trade, stopUsable, takeUsable);
  ShowCloseOut(form, trade, stopUsable);
  ShowRatio(form, trade, stopUsable, takeUsable);
  ShowHeadroom(form, trade);
}

void ClearFigures(TForm1& form) {
  for (TLabel* label :
       {&form.Zalog, &form.Punkt, &form.Label_Profit, &form.Label_Loss, &form.Soot}) {
    label->caption = kNoFigure;
  }
  form.Label_Loss2.caption.clear();
  form.Label_StopOut.caption.clear();
  form.Edit_ProcLot.text.clear();
  form.Edit_ProcLot2.text.clear();
  if (!form.CheckBox_StopLevels.checked) {
    form.Edit_Loss.text.clear();
    form.Edit_Teik.text.clear();
  }
}

std::string MoneyAndPercent(const TForm1& form, long double money, long double deposit) {
  std::string text = MoneyText(money);
  text.append(CurrencySign(form.Broker.accountCurrency))
      .append(" или ")
      .append(PercentText(money / deposit * 100))
      .append("%");
  return text;
}

}  // namespace assistant

void TForm1::ListView1Click() {
  // The warnings always start afresh, and the trade of the last run is gone until this one
  // has counted its own.
  Memo1.Clear();
  AssistantFigures.reset();
  AssistantIssue.clear();
  // The rate the account's money is counted at is the table's, which a refresh may have changed.
  assistant::ShowBrokerLine(*this);
  assistant::Recalculate(*this);
}

}  // namespace tiramon
