#include "assistant/broker_figures.h"

#include <cmath>
#include <cstddef>

#include "app/broker_conditions.h"
#include "app/pairs.h"
#include "support/numtext.h"

namespace tiramon::assistant {
namespace {

Ext Num(std::string_view text) { return Ext(ParseDecimal(text)); }

void Warn(TForm1& form, std::string line) {
  form.Memo1.Add(std::move(line));
  form.Memo1.fontColor = colors::Red;
}

// Points between the entry and a level typed as a price, counted towards the winning side when
// `winning`, towards the losing side otherwise; rounded to a whole point, the finest step a
// terminal takes an order at.
long double PointsTo(const TForm1& form, Ext entry, std::string_view level, bool winning) {
  const bool buying = form.RadioButton_Buy.checked;
  const Ext perPrice = pairs::PointsPerPriceUnit(form.Label_Valuta.caption);
  const Ext away = (buying == winning) ? Num(level) - entry : entry - Num(level);
  const long double points = std::nearbyint((away * perPrice).v);
  return points == 0 ? 0 : points;  // no "-0" in the box
}

void WritePoints(TComboBox& box, long double points) {
  box.text = FormatGeneral(points);
  box.itemIndex = -1;
  for (std::size_t i = 0; i < box.items.size(); ++i) {
    if (box.items[i] == box.text) box.itemIndex = static_cast<int>(i);
  }
}

// One lot of this run against the broker's limits. `shown` is the lot as its box shows it.
void WarnLot(TForm1& form, const std::string& name, const std::string& text, bool computed) {
  if (text.empty()) return;
  const BrokerConditions& broker = form.Broker;
  const Ext lot = Num(text);
  const std::string shown = computed ? FormatPattern("0.##", lot.v) : text;
  const std::string what = name + " " + shown;
  if (broker.minLot > 0 && lot < Ext(broker.minLot)) {
    Warn(form, what + " меньше минимального лота брокера " + FormatGeneral(broker.minLot) + ".");
  } else if (broker.lotStep > 0 && lot < Ext(broker.lotStep)) {
    Warn(form, what + " меньше шага лота " + FormatGeneral(broker.lotStep) +
                   ": такую сделку брокер не откроет.");
  }
  if (broker.maxLot > 0 && lot > Ext(broker.maxLot)) {
    Warn(form, what + " больше максимального лота брокера " + FormatGeneral(broker.maxLot) + ".");
  }
  if (broker.lotStep > 0 && !(lot < Ext(broker.lotStep))) {
    const long double steps = (lot / broker.lotStep).v;
    if (std::fabs(steps - std::nearbyint(steps)) > 1e-9L * steps) {
      Warn(form, what + " не кратен шагу лота " + FormatGeneral(broker.lotStep) + ".");
    }
  }
}

}  // namespace

std::string_view AccountRatePair(std::string_view currency) {
  if (currency == "EUR") return "EUR/USD";
  if (currency == "RUB") return "USD/RUB";
  return {};
}

std::string AccountRateText(const TForm1& form) {
  const std::string_view pair = AccountRatePair(form.Broker.accountCurrency);
  if (pair.empty()) return {};
  for (const TListItem& row : form.ListView1.items) {
    if (row.caption != pair || row.subItems.size() < 1) continue;
    std::string bid = row.subItems[0];
    // The table shows each price with a "0" appended.
    if (bid.size() > 1 && bid.back() == '0' && bid.find('.') != std::string::npos) bid.pop_back();
    return bid;
  }
  return {};
}

Ext InAccount(const TForm1& form, Ext dollars) {
  const std::string& currency = form.Broker.accountCurrency;
  if (currency == "EUR") return dollars / Num(AccountRateText(form));
  if (currency == "RUB") return dollars * Num(AccountRateText(form));
  return dollars;
}

const std::string& TradedLotText(const TForm1& form) {
  return form.RadioButton11.checked ? form.ComboBox_Lot.text : form.Edit_ProcLot.text;
}

Ext CommissionOf(const TForm1& form, Ext lot) { return Ext(form.Broker.commissionPerLot) * lot; }

Ext StepDown(const TForm1& form, Ext lot) {
  const double step = form.Broker.lotStep;
  if (!(step > 0)) return lot;
  // A lot of exactly so many steps may come out a hair below them in binary; it keeps its step.
  const long double steps = std::floor((lot / step).v + 1e-9L);
  return Ext(steps) * step;
}

bool DeriveStopPoints(TForm1& form, std::string_view price) {
  if (!form.CheckBox_StopLevels.checked) return true;
  const Ext entry = Num(price);
  const bool buying = form.RadioButton_Buy.checked;
  const long double stop = PointsTo(form, entry, form.Edit_Loss.text, false);
  const long double take = PointsTo(form, entry, form.Edit_Teik.text, true);
  const std::string at = std::string(price) + ".";
  if (stop < 0) {
    Warn(form, std::string("Стоп лосс при ") +
                   (buying ? "покупке ставят ниже" : "продаже ставят выше") + " цены входа " + at);
    return false;
  }
  if (take < 0) {
    Warn(form, std::string("Тэйк профит при ") +
                   (buying ? "покупке ставят выше" : "продаже ставят ниже") + " цены входа " + at);
    return false;
  }
  WritePoints(form.ComboBox_los, stop);
  WritePoints(form.ComboBox_Teik, take);
  return true;
}

void WarnLots(TForm1& form) {
  const BrokerConditions& broker = form.Broker;
  if (!(broker.lotStep > 0 || broker.minLot > 0 || broker.maxLot > 0)) return;
  if (form.RadioButton11.checked) {
    WarnLot(form, "Лот", form.ComboBox_Lot.text, false);
  } else if (form.RadioButton9.checked) {
    WarnLot(form, "Лот от маржи", form.Edit_ProcLot.text, true);
    WarnLot(form, "Лот от стопа", form.Edit_ProcLot2.text, true);
  }
}

void WriteStopOut(TForm1& form, std::string_view price) {
  form.Label_StopOut.caption.clear();
  const double level = form.Broker.stopOutLevel;
  if (!(level > 0)) return;
  const Ext pointValue = Num(form.Punkt.caption);
  if (!(pointValue > 0)) return;
  // The broker closes the position when the funds (the whole deposit less the commission and the
  // loss so far) fall to the stop-out share of the margin. The margin stays what it was at the
  // opening, and a point keeps the value the loss is counted with.
  const Ext funds = Num(form.Edit_Deposit.text) - CommissionOf(form, Num(TradedLotText(form)));
  const Ext atStopOut = Num(form.Zalog.caption) * level / 100;
  Ext points = (funds - atStopOut) / pointValue;
  if (points < 0) points = 0;  // closed as soon as it is opened
  // A price the terminal can show, a whole point: the one the stop-out is reached at or before,
  // so the level shown never promises more room than there is.
  points = Ext(std::floor(points.v));
  const bool buying = form.RadioButton_Buy.checked;
  const Ext perPrice = pairs::PointsPerPriceUnit(form.Label_Valuta.caption);
  const Ext entry = Num(price);
  const Ext stopOut = buying ? entry - points / perPrice : entry + points / perPrice;
  if (!(stopOut > 0)) {
    // The price would have to fall below nothing first.
    form.Label_StopOut.caption = "стоп-аут не наступит";
    return;
  }
  const std::string at = FormatPattern("0.00000", stopOut.v);
  form.Label_StopOut.caption = "стоп-аут на " + at;
  if (Num(form.ComboBox_los.text) > points) {
    Warn(form,
         "Стоп-аут наступит раньше стопа: на " + at + ", а стоп на " + form.Edit_Loss.text + ".");
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
    const std::string rate = AccountRateText(form);
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
