// The trade engine. Every figure is worked out in extended precision from the request's numbers
// and stored once as a double; the only rounding of money is the lot step, so a caller rounds
// what it shows and never counts on with a rounded figure.
#include "app/trade.h"

#include <cmath>
#include <limits>

#include "support/numtext.h"

namespace tiramon {
namespace {

using Real = long double;

constexpr double kNoStepLot = 0.01;
constexpr Real kInfinity = std::numeric_limits<Real>::infinity();

[[noreturn]] void Refuse(TradeField field, const std::string& message) {
  throw TradeError(field, message);
}

bool Finite(double value) { return std::isfinite(value); }

// Points per unit of price when a point is a power of ten (100000 for 0.00001), so an offset of
// 150 points is 150 ÷ 100000, the exact decimal, rather than 150 × a binary 0.00001.
std::optional<Real> PointsPerUnit(double pointSize) {
  // The usual points first, as they are written.
  constexpr double kPowers[] = {1, 0.1, 0.01, 0.001, 0.0001, 0.00001, 0.000001, 0.0000001, 1e-8};
  Real per10 = 1;
  for (const double power : kPowers) {
    if (pointSize == power) return per10;
    per10 *= 10;
  }
  const Real per = 1.0L / pointSize;
  const Real whole = std::nearbyint(per);
  if (whole >= 1 && std::fabs(per - whole) <= 1e-9L * whole) return whole;
  return std::nullopt;
}

Real Offset(Real points, double pointSize) {
  if (const std::optional<Real> per = PointsPerUnit(pointSize)) return points / *per;
  return points * pointSize;
}

// Steps of `step` in `lots`, rounded down; a lot of exactly so many steps may come out a hair
// below them in binary and keeps its step.
Real StepsIn(Real lots, double step) { return std::floor(lots / step + 1e-9L); }

double StepsToLots(Real steps, double step) {
  if (const std::optional<Real> per = PointsPerUnit(step)) return static_cast<double>(steps / *per);
  return static_cast<double>(steps * step);
}

void CheckInstrument(const Instrument& instrument) {
  if (!(instrument.contractSize > 0) || !(instrument.pointSize > 0) ||
      !Finite(instrument.contractSize) || !Finite(instrument.pointSize) ||
      !(instrument.marginPercent >= 0) || !(instrument.marginPercent <= 100)) {
    Refuse(TradeField::Instrument,
           "Инструмент " + instrument.symbol +
               ": размер контракта и пункта должны быть больше нуля, маржа — от 0 до 100 %.");
  }
}

void CheckSizes(const TradeRequest& request) {
  if (!(request.deposit > 0) || !(request.deposit <= kMaxDeposit)) {
    Refuse(TradeField::Deposit,
           "Депозит должен быть больше нуля и не больше " + FormatGeneral(kMaxDeposit) + ".");
  }
  if (request.instrument.marginPercent == 0 &&
      (!(request.leverage >= 1) || !(request.leverage <= kMaxLeverage))) {
    Refuse(TradeField::Leverage, "Плечо должно быть от 1 до " + FormatGeneral(kMaxLeverage) + ".");
  }
  if (!(request.lots >= 0) || !(request.lots <= kMaxLots)) {
    Refuse(TradeField::Lots,
           "Лот должен быть больше нуля и не больше " + FormatGeneral(kMaxLots) + ".");
  }
  if (request.lots == 0 && (!(request.riskPercent > 0) || !(request.riskPercent <= 100))) {
    Refuse(TradeField::Risk, "Риск должен быть больше 0 и не больше 100 % депозита.");
  }
  if (!(request.stopPoints >= 0) || !(request.stopPoints <= kMaxPoints)) {
    Refuse(TradeField::Stop,
           "Стоп лосс должен быть от 0 до " + FormatGeneral(kMaxPoints) + " пунктов.");
  }
  if (!(request.takePoints >= 0) || !(request.takePoints <= kMaxPoints)) {
    Refuse(TradeField::Take,
           "Тэйк профит должен быть от 0 до " + FormatGeneral(kMaxPoints) + " пунктов.");
  }
}

void CheckRequest(const TradeRequest& request) {
  const Instrument& instrument = request.instrument;
  CheckInstrument(instrument);
  const double entry = request.buying ? request.ask : request.bid;
  if (!(entry > 0) || !Finite(entry)) {
    Refuse(TradeField::Price, "Нет цены " + instrument.symbol + " для " +
                                  (request.buying ? "покупки (ask)." : "продажи (bid)."));
  }
  CheckSizes(request);
}

// What a lot of the trade costs and earns, each figure as it is stored: the risk sizing checks a
// lot with the very figures the trade is then shown with.
struct Money {
  const TradeRequest& request;
  const BrokerConditions& broker;
  LotValues ofLot;

  double Margin(Real lots) const {
    return static_cast<double>(MarginOf(request.instrument, ofLot.value, lots, request.leverage));
  }
  double Commission(Real lots) const { return static_cast<double>(lots * broker.commissionPerLot); }
  double Loss(Real lots) const {
    return static_cast<double>(Real(request.stopPoints) * (lots * ofLot.point) + Commission(lots));
  }
  double Profit(Real lots) const {
    return static_cast<double>(Real(request.takePoints) * (lots * ofLot.point) - Commission(lots));
  }
};

// The largest whole number of lot steps whose cost stays within the money: the exact quotient
// rounded down, and a step lower when the cost of that lot comes out above the money. A lot that
// costs the money exactly in decimals (4.49 lots losing $500) may cost a few units of the last
// binary digit more as a double; it is the lot asked for all the same.
constexpr double kBinaryNoise = 1e-12;
template <typename Cost>
double Fit(Real exact, double step, double money, const Cost& cost) {
  Real steps = StepsIn(exact, step);
  if (steps > 0 && cost(StepsToLots(steps, step)) > money * (1 + kBinaryNoise)) steps -= 1;
  return steps > 0 ? StepsToLots(steps, step) : 0.0;
}

// The lot the risk money buys: by the margin, or by the loss at the stop.
struct RiskLots {
  double byMargin = 0, byStop = 0;
};
RiskLots LotsForRisk(const Money& money) {
  const TradeRequest& request = money.request;
  const double risk = static_cast<double>(Real(request.riskPercent) * request.deposit / 100);
  const double step = money.broker.lotStep > 0 ? money.broker.lotStep : kNoStepLot;
  RiskLots lots;
  lots.byMargin =
      Fit(risk / Real(money.Margin(1)), step, risk, [&](double l) { return money.Margin(l); });
  if (request.stopPoints > 0) {
    const Real costOfLot =
        Real(request.stopPoints) * money.ofLot.point + money.broker.commissionPerLot;
    lots.byStop = Fit(risk / costOfLot, step, risk, [&](double l) { return money.Loss(l); });
  }
  return lots;
}

// Where the account is closed: the funds (the deposit less the commission and the loss so far)
// fall to the stop-out share of the margin, or to nothing without a stop-out level. The margin
// stays what it was at the opening and a point keeps its value at the entry. The whole point it
// is reached at or before, so the level never promises more room than there is.
void PlaceCloseOut(const TradeRequest& request, const BrokerConditions& broker, TradeFigures& f) {
  const Real level = broker.stopOutLevel > 0 ? broker.stopOutLevel : 0;
  const Real room = Real(request.deposit) - f.commission - f.margin * level / 100;
  Real points = kInfinity;
  // A level that the decimal figures reach exactly (889.999… for 890 points in binary) keeps
  // its whole point.
  if (f.pointValue > 0) {
    const Real exact = room / f.pointValue;
    points = room > 0 ? std::floor(exact + exact * 1e-12L) : 0;
  }
  const Real price = request.buying ? f.entry - Offset(points, request.instrument.pointSize)
                                    : f.entry + Offset(points, request.instrument.pointSize);
  // Bought, the price would have to fall below nothing first.
  if (!std::isfinite(points) || !(price > 0)) {
    f.closeOutPoints = static_cast<double>(kInfinity);
    return;
  }
  f.closeOutPoints = static_cast<double>(points);
  f.closeOutPrice = static_cast<double>(price);
  if (level > 0) f.stopOutPrice = f.closeOutPrice;
}

}  // namespace

LotValues ValuesOfLot(const Instrument& instrument, double entry, const AccountRates& rates) {
  CheckInstrument(instrument);
  if (!(entry > 0) || !Finite(entry)) {
    Refuse(TradeField::Price, "Нет цены " + instrument.symbol + ".");
  }
  const std::optional<long double> rate = rates ? rates(instrument.quoteCurrency) : std::nullopt;
  if (!rate || !(*rate > 0) || !std::isfinite(*rate)) {
    Refuse(TradeField::Rate, "Нет курса " + instrument.quoteCurrency +
                                 " к валюте счёта: сделку по " + instrument.symbol +
                                 " не оценить.");
  }
  // A point of a lot in the quote currency: 100000 ÷ 100000 is 1 exactly, as it is written.
  return {Real(instrument.contractSize) * entry * *rate,
          Offset(instrument.contractSize, instrument.pointSize) * *rate};
}

long double MarginOf(const Instrument& instrument, long double valueOfLot, long double lots,
                     double leverage) {
  if (instrument.marginPercent > 0) return lots * valueOfLot * instrument.marginPercent / 100;
  return lots * valueOfLot / leverage;
}

double LotsDownToStep(double lots, const BrokerConditions& broker) {
  const double step = broker.lotStep > 0 ? broker.lotStep : kNoStepLot;
  if (!(lots > 0)) return 0;
  return StepsToLots(StepsIn(lots, step), step);
}

double PointsFrom(double price, double points, const Instrument& instrument) {
  return static_cast<double>(Real(price) + Offset(points, instrument.pointSize));
}

TradeFigures FiguresOf(const TradeRequest& request, const BrokerConditions& broker,
                       const AccountRates& rates) {
  CheckRequest(request);
  const Instrument& instrument = request.instrument;
  TradeFigures f;
  f.entry = request.buying ? request.ask : request.bid;
  const Money money{request, broker, ValuesOfLot(instrument, f.entry, rates)};

  f.lots = request.lots;
  if (request.lots == 0) {
    const RiskLots risk = LotsForRisk(money);
    f.lotsByMargin = risk.byMargin;
    f.lotsByStop = risk.byStop;
    if (!request.sizeByMargin && !(request.stopPoints > 0)) {
      Refuse(TradeField::Stop, "Чтобы найти лот по риску, укажите стоп лосс больше нуля.");
    }
    f.lots = request.sizeByMargin ? risk.byMargin : risk.byStop;
  }

  f.margin = money.Margin(f.lots);
  f.pointValue = static_cast<double>(f.lots * money.ofLot.point);
  f.commission = money.Commission(f.lots);
  f.lossAtStop = money.Loss(f.lots);
  f.profitAtTake = money.Profit(f.lots);
  const double away = request.buying ? -1 : 1;
  f.stopLevel = PointsFrom(f.entry, away * request.stopPoints, instrument);
  f.takeLevel = PointsFrom(f.entry, -away * request.takePoints, instrument);
  PlaceCloseOut(request, broker, f);
  return f;
}

}  // namespace tiramon
