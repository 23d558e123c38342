// The book's sums. Each position is counted by the trade engine alone, so a position's margin and
// loss in the book are the figures the assistant would show for it at the same rates; the sums,
// the currency positions and the room under the limits are added up in extended precision.
#include "app/book.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tiramon {
namespace {

using Real = long double;

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// A lot whose loss is the room exactly in decimals may come out a few units of the last binary
// digit above it; it is the lot that fits all the same.
constexpr double kBinaryNoise = 1e-12;
constexpr double kNoStepLot = 0.01;

Real RateOf(const AccountRates& rates, const std::string& currency, const std::string& symbol) {
  const std::optional<long double> rate = rates ? rates(currency) : std::nullopt;
  if (!rate || !(*rate > 0) || !std::isfinite(*rate)) {
    throw TradeError(TradeField::Rate, "Нет курса " + currency + " к валюте счёта: сделку по " +
                                           symbol + " не оценить.");
  }
  return *rate;
}

// A base currency is worth its own rate; a base that is no currency (an index), or one without a
// rate, is worth the position's price in its quote currency.
void AddExposure(const PricedTrade& trade, const AccountRates& rates,
                 std::map<std::string, Real>& exposure) {
  const Instrument& instrument = trade.request.instrument;
  const Real units = Real(trade.figures.lots) * instrument.contractSize;
  const Real signedUnits = trade.request.buying ? units : -units;
  const Real quoteRate = RateOf(rates, instrument.quoteCurrency, instrument.symbol);
  const Real entry = trade.figures.entry;
  Real baseValue = entry * quoteRate;
  if (!instrument.baseCurrency.empty() && rates) {
    const std::optional<long double> rate = rates(instrument.baseCurrency);
    if (rate && *rate > 0 && std::isfinite(*rate)) baseValue = *rate;
  }
  const std::string& base =
      instrument.baseCurrency.empty() ? instrument.symbol : instrument.baseCurrency;
  exposure[base] += signedUnits * baseValue;
  exposure[instrument.quoteCurrency] -= signedUnits * entry * quoteRate;
}

// The request of a position as the engine counts it: its own lot, the book's balance.
const TradeRequest& WithDeposit(const TradeRequest& position, double deposit, TradeRequest& copy) {
  if (!(position.lots > 0)) {
    throw TradeError(TradeField::Lots,
                     "Позиция " + position.instrument.symbol + ": лот должен быть больше нуля.");
  }
  if (position.deposit == deposit) return position;
  copy = position;
  copy.deposit = deposit;
  return copy;
}

// The largest lot of `perLot` (a request of one lot) that loses at most `money` at its stop,
// rounded down to the lot step; a step lower when the engine's own loss of it comes out above.
double LargestLotWithin(const TradeRequest& perLot, double costOfLot, double money,
                        const BrokerConditions& broker, const AccountRates& rates) {
  if (!(money > 0) || !(costOfLot > 0)) return 0;
  if (std::isinf(money)) return kInfinity;
  const double step = broker.lotStep > 0 ? broker.lotStep : kNoStepLot;
  double lots = LotsDownToStep(std::min(money / costOfLot, kMaxLots), broker);
  TradeRequest at = perLot;
  for (int attempt = 0; attempt < 3 && lots > 0; ++attempt) {
    at.lots = lots;
    if (FiguresOf(at, broker, rates).lossAtStop <= money * (1 + kBinaryNoise)) break;
    lots = LotsDownToStep(lots - step / 2, broker);
  }
  return lots;
}

}  // namespace

BookFigures SumOfBook(const std::vector<PricedTrade>& trades, double deposit,
                      const AccountRates& rates) {
  Real loss = 0, margin = 0;
  bool unbounded = false;
  std::map<std::string, Real> exposure;
  for (const PricedTrade& trade : trades) {
    margin += trade.figures.margin;
    if (trade.request.stopPoints > 0) {
      loss += trade.figures.lossAtStop;
    } else {
      unbounded = true;
    }
    AddExposure(trade, rates, exposure);
  }
  BookFigures figures;
  figures.lossAtStops = unbounded ? kInfinity : static_cast<double>(loss);
  figures.margin = static_cast<double>(margin);
  figures.freeMargin = static_cast<double>(Real(deposit) - margin);
  if (margin > 0 && !unbounded) {
    figures.marginLevelAtStops = static_cast<double>((Real(deposit) - loss) / margin * 100);
  }
  for (const auto& [currency, net] : exposure)
    figures.exposure[currency] = static_cast<double>(net);
  return figures;
}

BookFigures FiguresOfBook(const std::vector<TradeRequest>& positions, double deposit,
                          const BrokerConditions& broker, const AccountRates& rates) {
  std::vector<PricedTrade> trades;
  trades.reserve(positions.size());
  TradeRequest copy;
  for (const TradeRequest& position : positions) {
    const TradeRequest& request = WithDeposit(position, deposit, copy);
    trades.push_back({request, FiguresOf(request, broker, rates)});
  }
  return SumOfBook(trades, deposit, rates);
}

std::vector<CurrencyPosition> LargestFirst(const std::map<std::string, double>& exposure) {
  std::vector<CurrencyPosition> list;
  list.reserve(exposure.size());
  for (const auto& [currency, net] : exposure) {
    list.push_back({currency, net, static_cast<double>(std::fabs(Real(net)) / 100)});
  }
  std::stable_sort(list.begin(), list.end(),
                   [](const CurrencyPosition& a, const CurrencyPosition& b) {
                     return std::fabs(a.net) > std::fabs(b.net);
                   });
  return list;
}

double ResultAt(const PricedTrade& trade, double bid, double ask, const AccountRates& rates) {
  const TradeRequest& request = trade.request;
  const Instrument& instrument = request.instrument;
  const double close = request.buying ? bid : ask;
  if (!(close > 0) || !std::isfinite(close)) {
    throw TradeError(TradeField::Price, "Нет цены " + instrument.symbol + ".");
  }
  const Real rate = RateOf(rates, instrument.quoteCurrency, instrument.symbol);
  const Real moved =
      request.buying ? Real(close) - trade.figures.entry : Real(trade.figures.entry) - close;
  return static_cast<double>(moved * instrument.contractSize * trade.figures.lots * rate -
                             trade.figures.commission);
}

bool LimitsSet(const PropLimits& limits) {
  return limits.dailyLossPercent > 0 || limits.maxLossPercent > 0;
}

std::vector<LimitFloor> FloorsOf(const PropLimits& limits) {
  std::vector<LimitFloor> floors;
  const Real start = limits.startBalance;
  if (limits.dailyLossPercent > 0) {
    floors.push_back(
        {"дневной лимит убытка",
         static_cast<double>(limits.dayStartBalance - start * limits.dailyLossPercent / 100)});
  }
  if (limits.maxLossPercent > 0) {
    const Real from = limits.trailing ? limits.highestBalance : limits.startBalance;
    floors.push_back(
        {"максимальный убыток", static_cast<double>(from - start * limits.maxLossPercent / 100)});
  }
  return floors;
}

Headroom HeadroomFor(const std::vector<TradeRequest>& book, double balance,
                     const TradeRequest& next, const PropLimits& limits,
                     const BrokerConditions& broker, const AccountRates& rates) {
  const BookFigures figures = FiguresOfBook(book, balance, broker, rates);
  Headroom headroom;
  headroom.money = kInfinity;
  // The equity once every stop of the book is hit; the next trade may lose what lies between it
  // and the nearest floor.
  const Real equity = Real(balance) - figures.lossAtStops;
  for (const LimitFloor& floor : FloorsOf(limits)) {
    const double room = static_cast<double>(std::max(Real(0), equity - floor.floor));
    if (headroom.binding.empty() || room < headroom.money) {
      headroom.money = room;
      headroom.binding = floor.name;
    }
  }

  TradeRequest perLot = next;
  perLot.lots = 1;
  perLot.riskPercent = 0;
  perLot.sizeByMargin = false;
  perLot.deposit = balance;
  const double costOfLot = FiguresOf(perLot, broker, rates).lossAtStop;
  if (!(next.stopPoints > 0)) {
    headroom.maxLots = 0;
    return headroom;
  }
  headroom.maxLots = LargestLotWithin(perLot, costOfLot, headroom.money, broker, rates);
  if (next.riskPercent > 0) {
    const double ownMoney = static_cast<double>(Real(next.riskPercent) * balance / 100);
    const double ownLots = LargestLotWithin(perLot, costOfLot, ownMoney, broker, rates);
    if (ownLots < headroom.maxLots) {
      headroom.maxLots = ownLots;
      headroom.binding = kOwnRiskLimit;
    }
  }
  return headroom;
}

}  // namespace tiramon
