// The handlers of the "Анализ риска" tab: the risk mode, the trade taken from the assistant, the
// run (on the event thread when it is short, as a RiskRun watched by Timer_Risk when it is long)
// and its cancel.
#include "simulators/risk_form.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "app/assistant_trade.h"
#include "app/input_rules.h"
#include "support/errors.h"
#include "support/typed_number.h"

namespace tiramon {
namespace simulators {
namespace {

// Counts beyond this are no whole numbers a double holds reliably; nobody means them.
constexpr double kLargestCount = 1e15;

// Whether the exact decimal expansion of value ends with a 5 at significant digit `index`
// (0 is the leading digit), so that rounding it to `index` digits is a tie.
bool TieAt(double value, int index) {
  if (index < 0 || value == 0 || !std::isfinite(value)) return false;
  // A double's expansion is exact in far fewer digits than this wherever a tie is possible.
  char text[160];
  std::snprintf(text, sizeof text, "%.120e", std::abs(value));
  const std::string_view all(text);
  const std::size_t exponent = all.find('e');
  std::string digits(1, all[0]);
  digits.append(all.substr(2, exponent - 2));
  const auto at = static_cast<std::size_t>(index);
  return at < digits.size() && digits[at] == '5' &&
         digits.find_first_not_of('0', at + 1) == std::string::npos;
}

// The decimal exponent of value's leading digit.
int DecimalExponent(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0e", std::abs(value));
  return std::atoi(std::string_view(text).substr(std::string_view(text).find('e') + 1).data());
}

// A tie moved off by one unit in the last place, away from zero: printf would round it to even.
double AwayFromTie(double value, int index) {
  return TieAt(value, index) ? std::nextafter(value, value < 0 ? -HUGE_VAL : HUGE_VAL) : value;
}

std::string FixedText(double value, int places) {
  const int index = value == 0 ? -1 : DecimalExponent(value) + places + 1;
  char text[400];
  std::snprintf(text, sizeof text, "%.*f", places, AwayFromTie(value, index));
  return text;
}

[[noreturn]] void RefuseField(TForm1& form, std::string_view control, const std::string& message) {
  form.Focus.MoveTo(std::string(control));
  throw UserError(message);
}

// The refusals of the analysis and of the assistant's trade are the user's to read.
template <class Step>
auto AsUserError(Step step) {
  try {
    return step();
  } catch (const std::invalid_argument& refusal) {
    throw UserError(refusal.what());
  }
}

}  // namespace

std::string ShortNumberText(double value, int digits) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*g", digits, AwayFromTie(value, digits));
  return text;
}

std::string RiskMoneyText(double dollars) {
  const double size = std::abs(dollars);
  if (size < 1000) return FixedText(dollars, 2) + " $";
  if (size < 1e9) return FixedText(dollars, 0) + " $";
  return ShortNumberText(dollars, 4) + " $";
}

std::string RiskPercentText(double share) { return FixedText(share * 100, 1) + " %"; }

RiskInputs ReadRiskInputs(TForm1& form) {
  RiskInputs in;
  double trades = 0;
  double series = 0;
  double seed = 0;
  struct Field {
    const TEdit& edit;
    std::string_view control;
    const char* caption;
    double& target;
    double scale;
  };
  const Field fields[] = {
      {form.RiskDeposit, "RiskDeposit", "Начальный депозит", in.deposit, 1},
      {form.RiskTrades, "RiskTrades", "Сделок в серии", trades, 1},
      {form.RiskAmount, "RiskAmount", "Риск на сделку", in.risk, 1},
      {form.RiskRatio, "RiskRatio", "Прибыль / риск", in.rewardToRisk, 1},
      {form.RiskWinShare, "RiskWinShare", "Прибыльных сделок", in.winShare, 0.01},
      {form.RiskRuin, "RiskRuin", "Разорение", in.ruinDrawdown, 0.01},
      {form.RiskSeries, "RiskSeries", "Число серий", series, 1},
      {form.RiskSeed, "RiskSeed", "Зерно генератора", seed, 1},
  };
  for (const Field& field : fields) {
    const std::optional<double> value = ReadTypedNumber(field.edit.text);
    if (!value) {
      RefuseField(
          form, field.control,
          std::string("Поле «") + field.caption + "»: «" + field.edit.text + "» — не число");
    }
    field.target = *value * field.scale;
  }
  for (const Field* count : {&fields[1], &fields[6], &fields[7]}) {
    const double value = count->target;
    if (value != std::floor(value) || value < 0 || value > kLargestCount) {
      RefuseField(form, count->control,
                  std::string("Поле «") + count->caption + "»: нужно целое число не меньше нуля");
    }
  }
  in.trades = static_cast<int>(std::min(trades, kMaxRiskTrades + 1.0));
  in.series = static_cast<int>(std::min(series, kMaxRiskSeries + 1.0));
  in.seed = static_cast<std::uint64_t>(seed);
  in.percentRisk = form.RiskPercentMode.checked;
  return in;
}

void ShowRiskResult(TForm1& form, const RiskResult& result, const RiskInputs& in) {
  const RiskSummary& s = result.summary;
  form.RiskRuinProbability.caption = RiskPercentText(s.ruinProbability);
  form.RiskFinalP05.caption = RiskMoneyText(s.finalP05);
  form.RiskFinalP25.caption = RiskMoneyText(s.finalP25);
  form.RiskFinalMedian.caption = RiskMoneyText(s.finalMedian);
  form.RiskFinalP75.caption = RiskMoneyText(s.finalP75);
  form.RiskFinalP95.caption = RiskMoneyText(s.finalP95);
  form.RiskDrawdownMedian.caption = RiskPercentText(s.maxDrawdownMedian);
  form.RiskDrawdownP95.caption = RiskPercentText(s.maxDrawdownP95);
  form.RiskLosingRunMedian.caption = std::to_string(s.longestLosingMedian);
  form.RiskLosingRunP95.caption = std::to_string(s.longestLosingP95);
  form.RiskExpectancy.caption = RiskMoneyText(s.expectancyPerTrade);
  const double ruinLevel = in.deposit * (1 - in.ruinDrawdown);
  form.RiskStatus.caption = std::to_string(in.series) + " серий × " + std::to_string(in.trades) +
                            " сделок, разорение: депозит ≤ " + ShortNumberText(ruinLevel, 6) + " $";
  RiskPictures& pictures = form.RiskCharts;
  pictures.band = s.band;
  pictures.bandTrades = s.bandTrades;
  pictures.ruinLevel = ruinLevel;
  pictures.histogram = HistogramOfDeposits(result.finalDeposits, kRiskHistogramBins);
  pictures.series = in.series;
  ++pictures.revision;
}

void SetRiskRunning(TForm1& form, bool running) {
  form.RiskCalculate.enabled = !running;
  form.RiskFromAssistant.enabled = !running;
  form.RiskProgress.position = 0;
  form.RiskProgress.visible = running;
  form.RiskCancel.visible = running;
  form.RiskStatus.visible = !running;
  form.Timer_Risk.enabled = running;
}

}  // namespace simulators

void TForm1::RiskModeClick() { RiskAmountUnit.caption = RiskPercentMode.checked ? "%" : "$"; }

void TForm1::RiskFromAssistantClick() {
  const AssistantTrade trade =
      simulators::AsUserError([this] { return ReadAssistantTrade(*this); });
  RiskPercentMode.checked = true;
  RiskMoneyMode.checked = false;
  RiskModeClick();
  RiskAmount.text = simulators::ShortNumberText(trade.riskPercent, 4);
  RiskRatio.text = simulators::ShortNumberText(trade.rewardToRisk, 4);
  RiskStatus.caption = "Риск и прибыль/риск взяты из помощника.";
}

void TForm1::RiskCalculateClick() {
  if (RiskJob) return;  // one run at a time
  const RiskInputs in = simulators::ReadRiskInputs(*this);
  // Refused here, before a worker starts, so a refusal never flashes a progress bar.
  simulators::AsUserError([&in] { ValidateRiskInputs(in); });
  if (static_cast<double>(in.series) * in.trades <= kInlineRiskWork) {
    const std::optional<RiskResult> result =
        simulators::AsUserError([&in] { return RunRiskAnalysis(in, {}); });
    if (result) simulators::ShowRiskResult(*this, *result, in);
    return;
  }
  RiskJob = std::make_shared<RiskRun>(in);
  simulators::SetRiskRunning(*this, true);
}

void TForm1::RiskCancelClick() {
  if (RiskJob) RiskJob->Cancel();
}

void TForm1::Timer_RiskTimer() {
  if (!RiskJob) {
    Timer_Risk.enabled = false;
    return;
  }
  RiskProgress.position = static_cast<int>(RiskJob->Progress() * RiskProgress.max);
  if (!RiskJob->Done()) return;
  const std::shared_ptr<RiskRun> run = std::exchange(RiskJob, nullptr);
  simulators::SetRiskRunning(*this, false);
  const std::optional<RiskResult> result = simulators::AsUserError([&run] { return run->Take(); });
  if (result) {
    simulators::ShowRiskResult(*this, *result, run->Inputs());
  } else {
    RiskStatus.caption = "Расчёт отменён.";
  }
}

}  // namespace tiramon
