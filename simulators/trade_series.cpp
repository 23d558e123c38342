// "Для умных": a series of trades in which a given share wins, each winner either drawn trade by
// trade or placed at random positions before the series starts.
#include "simulators/trade_series.h"

#include <cstddef>

#include "app/unit1.h"
#include "support/checked.h"
#include "support/errors.h"
#include "support/numtext.h"
#include "support/random.h"

namespace tiramon {
namespace simulators {
namespace {

constexpr const char* kTooManyTradesMessage = "Слишком много сделок: не больше 10000.";
constexpr const char* kBothNegativeMessage =
    "Количество сделок и процент прибыльных сделок не могут быть отрицательными одновременно.";
constexpr const char* kTooManyWinnersMessage =
    "Слишком высокий процент прибыльных сделок: прибыльных, с округлением вверх, должно быть "
    "меньше, чем всего сделок.";

}  // namespace

std::int32_t FillWinnersTable(WinnersTable& table, std::int32_t trades, double winPercent) {
  table.fill(0);
  if (trades > kMaxSeriesTrades) throw UserError(kTooManyTradesMessage);
  // Both negative make the wanted count positive while the draw range is not.
  if (trades < 0 && winPercent < 0) throw UserError(kBothNegativeMessage);
  const Ext needed = Ext(trades) * (Ext(winPercent) / 100);
  // The last trade number is never drawn, so at most trades − 1 flags can ever be set; asking for
  // more would keep drawing forever.
  if (needed > 0 && needed > Ext(trades) - 1) throw UserError(kTooManyWinnersMessage);

  // From here on needed > 0 implies 2 <= trades <= kMaxSeriesTrades: every draw is in the table.
  std::int32_t flags = 0;
  while (Ext(flags) < needed) {
    Reseed();
    const std::int32_t drawn = RandomBelow(trades);
    if (drawn != 0 && table.at(static_cast<std::size_t>(drawn)) == 0) {
      table.at(static_cast<std::size_t>(drawn)) = 1;
      ++flags;
    }
  }
  return flags;
}

}  // namespace simulators

namespace {

// Counts of a played series. A longest run is taken from the second trade of a run on, so a run
// of one trade never counts.
struct SeriesCounts {
  std::int32_t wins = 0;
  std::int32_t losses = 0;
  std::int32_t winRun = 0;
  std::int32_t lossRun = 0;
  std::int32_t longestWinRun = 0;
  std::int32_t longestLossRun = 0;
  std::int32_t previous = 0;  // +1 win, −1 loss, 0 none yet

  void AddWin() {
    ++wins;
    ++winRun;
    if (previous == 1 && winRun > longestWinRun) longestWinRun = winRun;
    previous = 1;
    lossRun = 0;
  }
  void AddLoss() {
    ++losses;
    ++lossRun;
    if (previous == -1 && lossRun > longestLossRun) longestLossRun = lossRun;
    previous = -1;
    winRun = 0;
  }
};

constexpr const char* kRealDrawingLine =
    "Реальный расчет, программа случайным образом выбирает следующую сделку прибыльной или "
    "убыточной. Чем больше сделок, тем точнее будет \"процент прибыльных сделок!\"";

}  // namespace

void TForm1::Button5Click() {
  mmo_lot3.Clear();

  double deposit = StoreDouble(ParseDecimal(edt_Kapital3.text));
  const std::int32_t trades = ParseInteger(edt_count3.text);
  const double riskPercent = StoreDouble(ParseDecimal(edit_risk3.text));
  const double riskMoney = StoreDouble(ParseDecimal(edit_risk3a.text));
  const double ratio = StoreDouble(ParseDecimal(edit_sootonoshenie3.text));
  const double winPercent = StoreDouble(ParseDecimal(kol_prib3.text));

  // Filled in both ways of drawing; only the fixed placement reads it.
  simulators::WinnersTable winners;
  simulators::FillWinnersTable(winners, trades, winPercent);

  const bool percentMode = RadioButton31.checked;
  const bool moneyMode = RadioButton32.checked;
  const bool drawEachTrade = CheckBox_Real.checked;
  if (percentMode) mmo_lot3.Add("Экспоненциальный расчет:");
  if (moneyMode) mmo_lot3.Add("Линейный расчет:");
  mmo_lot3.Add(drawEachTrade ? kRealDrawingLine : "Отключен реальный расчет");

  SeriesCounts counts;
  double risk = 0;
  for (std::int32_t trade = 1; trade <= trades; ++trade) {
    if (percentMode) risk = StoreDouble(Ext(deposit) / 100 * riskPercent);
    if (moneyMode) risk = riskMoney;

    bool win = false;
    if (drawEachTrade) {
      Reseed();
      win = static_cast<double>(RandomBelow(100)) < winPercent;
    } else {
      win = winners.at(static_cast<std::size_t>(trade)) != 0;
    }

    if (win) {
      const Ext profit = Ext(risk) * ratio;
      deposit = StoreDouble(profit + deposit);
      mmo_lot3.Add(IntegerToText(trade) + ") Депозит: " + FormatPattern("0.##$", deposit) +
                   " , прибыльная сделка:" + FormatPattern("0.##$", profit.v));
      counts.AddWin();
    } else {
      deposit = StoreDouble(Ext(deposit) - risk);
      mmo_lot3.Add(IntegerToText(trade) + ") Депозит: " + FormatPattern("0.##$", deposit) +
                   " , убыточная сделка:" + FormatPattern("0.##$", risk));
      counts.AddLoss();
    }
  }

  mmo_lot3.Add("Итого депозит:" + FormatGeneral(deposit) + "$");
  mmo_lot3.Add("Прибыльных сделок:" + FormatGeneral(counts.wins) +
               ", убыточных сделок:" + FormatGeneral(counts.losses));
  mmo_lot3.Add("Подряд прибыльных сделок:" + FormatGeneral(counts.longestWinRun) +
               ", убыточных сделок:" + FormatGeneral(counts.longestLossRun));
  if (moneyMode) {
    // The expected gain per trade of this series with its fixed risk: the share of winners times
    // the profit of a win, less the share of losers times the risk.
    Ext expectancy = 0;
    if (trades > 0) {
      expectancy =
          Ext(counts.wins) / trades * riskMoney * ratio - Ext(counts.losses) / trades * riskMoney;
    }
    mmo_lot3.Add("Матожидание: " + FormatPattern("0.##", expectancy.v) +
                 "$, ожидание выигрыша на каждую сделку!");
  }
}

}  // namespace tiramon
