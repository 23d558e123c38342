#include "assistant/broker_figures.h"

#include <cmath>
#include <cstddef>
#include <limits>

#include "app/broker_conditions.h"
#include "app/figure_texts.h"
#include "support/numtext.h"
#include "support/typed_number.h"

namespace tiramon::assistant {
namespace {

constexpr double kNoStepLot = 0.01;

// The bid of the account's rate pair as the figures use it; empty when the table has no such row.
std::string AccountRateText(const TForm1& form, std::string_view pair) {
  const std::optional<Instrument> instrument = KnownInstrument(pair);
  if (!instrument) return {};
  const std::optional<long double> bid = instrument->quoteCurrency == "USD"
                                             ? form.TableRates.DollarsPer(instrument->baseCurrency)
                                             : form.TableRates.PerDollar(instrument->quoteCurrency);
  return bid ? FormatGeneral(*bid) : std::string();
}

// Points between the entry and a level typed as a price, counted towards the winning side when
// `winning`, towards the losing side otherwise; rounded to a whole point, the finest step a
// terminal takes an order at.
double PointsTo(const TradeRequest& request, const std::string& level, bool winning,
                const char* name) {
  const std::optional<double> price = ReadTypedNumber(level);
  if (!price) {
    throw TradeError(
        winning ? TradeField::Take : TradeField::Stop,
        std::string(name) + " ценой: «" + level + "» — не число. Введите цену, например 1.0850.");
  }
  const long double entry = request.buying ? request.ask : request.bid;
  const long double away = (request.buying == winning) ? *price - entry : entry - *price;
  const long double points = std::nearbyint(away / request.instrument.pointSize);
  return points == 0 ? 0 : static_cast<double>(points);  // no "-0" in the box
}

void WritePoints(TComboBox& box, double points) {
  box.text = FormatGeneral(points);
  box.itemIndex = -1;
  for (std::size_t i = 0; i < box.items.size(); ++i) {
    if (box.items[i] == box.text) box.itemIndex = static_cast<int>(i);
  }
}

// One lot of this trade against the broker's limits. `shown` is the lot as its box shows it.
void WarnLot(TForm1& form, const std::string& name, const std::string& shown, double lot,
             bool computed) {
  const BrokerConditions& broker = form.Broker;
  const std::string what = name + " " + shown;
  if (computed && !(lot > 0)) {
    const double step = broker.lotStep > 0 ? broker.lotStep : kNoStepLot;
    Warn(form, what + ": риска не хватает даже на " + LotText(step) + " лота.");
    return;
  }
  if (broker.minLot > 0 && lot < broker.minLot) {
    Warn(form, what + " меньше минимального лота брокера " + FormatGeneral(broker.minLot) + ".");
  } else if (broker.lotStep > 0 && lot < broker.lotStep) {
    Warn(form, what + " меньше шага лота " + FormatGeneral(broker.lotStep) +
                   ": такую сделку брокер не откроет.");
  }
  if (broker.maxLot > 0 && lot > broker.maxLot) {
    Warn(form, what + " больше максимального лота брокера " + FormatGeneral(broker.maxLot) + ".");
  }
  if (broker.lotStep > 0 && !(lot < broker.lotStep)) {
    const long double steps = static_cast<long double>(lot) / broker.lotStep;
    if (std::fabs(steps - std::nearbyint(steps)) > 1e-9L * steps) {
      Warn(form, what + " не кратен шагу лота " + FormatGeneral(broker.lotStep) + ".");
    }
  }
}

}  // namespace

void Warn(TForm1& form, std::string line) {
  form.Memo1.Add(std::move(line));
  form.Memo1.fontColor = colors::Red;
}

std::string_view AccountRatePair(std::string_view currency) {
  if (currency == "EUR") return "EUR/USD";
  if (currency == "RUB") return "USD/RUB";
  return {};
}

void DeriveStopPoints(TForm1& form, const TradeRequest& request) {
  if (!form.CheckBox_StopLevels.checked) return;
  const double stop = PointsTo(request, form.Edit_Loss.text, false, "Стоп лосс");
  const double take = PointsTo(request, form.Edit_Teik.text, true, "Тэйк профит");
  // The entry as the direction button shows it.
  const std::string at = (request.buying ? form.SelectedAsk : form.SelectedBid) + ".";
  if (stop < 0) {
    throw TradeError(TradeField::Stop,
                     std::string("Стоп лосс при ") +
                         (request.buying ? "покупке ставят ниже" : "продаже ставят выше") +
                         " цены входа " + at);
  }
  if (take < 0) {
    throw TradeError(TradeField::Take,
                     std::string("Тэйк профит при ") +
                         (request.buying ? "покупке ставят выше" : "продаже ставят ниже") +
                         " цены входа " + at);
  }
  WritePoints(form.ComboBox_los, stop);
  WritePoints(form.ComboBox_Teik, take);
}

void WarnLots(TForm1& form, const PricedTrade& trade) {
  const TradeRequest& request = trade.request;
  if (request.lots > 0) {
    const BrokerConditions& broker = form.Broker;
    if (!(broker.lotStep > 0 || broker.minLot > 0 || broker.maxLot > 0)) return;
    WarnLot(form, "Лот", form.ComboBox_Lot.text, request.lots, false);
    return;
  }
  WarnLot(form, "Лот от маржи", LotText(trade.figures.lotsByMargin), trade.figures.lotsByMargin,
          true);
  if (request.stopPoints > 0) {
    WarnLot(form, "Лот от стопа", LotText(trade.figures.lotsByStop), trade.figures.lotsByStop,
            true);
  }
}

void ShowCloseOut(TForm1& form, const PricedTrade& trade, bool stopUsable) {
  const TradeRequest& request = trade.request;
  const TradeFigures& figures = trade.figures;
  const bool level = form.Broker.stopOutLevel > 0;
  form.Label_StopOut.caption.clear();
  const std::string at =
      figures.closeOutPrice ? FixedLevelText(request.instrument, *figures.closeOutPrice) : "";
  if (level) {
    form.Label_StopOut.caption =
        figures.stopOutPrice ? "стоп-аут на " + at : "стоп-аут не наступит";
  }
  if (!stopUsable || !(request.stopPoints > 0) || !(request.stopPoints > figures.closeOutPoints)) {
    return;
  }
  const std::string stop = form.Edit_Loss.text;
  if (level) {
    Warn(form, "Стоп-аут наступит раньше стопа: на " + at + ", а стоп на " + stop + ".");
  } else {
    Warn(form, "Убыток по стопу больше депозита: средства кончатся на " + at +
                   ", раньше стопа на " + stop + ".");
  }
}

void ShowBrokerLine(TForm1& form) {
  const BrokerConditions& broker = form.Broker;
  form.Label_Broker.fontColor = colors::Black;
  if (broker == BrokerConditions{}) {
    form.Label_Broker.caption.clear();
    return;
  }
  const std::string& currency = broker.accountCurrency;
  std::string text = "Счёт в " + currency;
  const std::string_view pair = AccountRatePair(currency);
  if (!pair.empty()) {
    const std::string rate = AccountRateText(form, pair);
    if (rate.empty()) {
      text += ": в таблице котировок нет курса " + std::string(pair);
      form.Label_Broker.fontColor = colors::Red;
    } else {
      text += ", курс " + std::string(pair) + " (bid) " + rate;
    }
  }
  const BrokerTexts texts = ToTexts(broker);
  std::string terms;
  const auto add = [&terms](const std::string& term) {
    terms += terms.empty() ? "" : ", ";
    terms += term;
  };
  if (!texts.commissionPerLot.empty()) {
    add("комиссия " + texts.commissionPerLot + " " + std::string(CurrencySign(currency)) +
        " за лот");
  }
  if (!texts.lotStep.empty()) add("шаг лота " + texts.lotStep);
  if (!texts.minLot.empty()) add("лот от " + texts.minLot);
  if (!texts.maxLot.empty()) add("лот до " + texts.maxLot);
  if (!texts.stopOutLevel.empty()) add("стоп-аут " + texts.stopOutLevel + "%");
  if (!terms.empty()) text += "\n" + terms;
  form.Label_Broker.caption = std::move(text);
}

}  // namespace tiramon::assistant
