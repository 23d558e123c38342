// The "Анализ риска" tab on the window model: its boxes read into RiskInputs, and a run's summary
// put into the texts the tab shows. The handlers of the tab (simulators/risk_form.cpp) are built
// from these steps.
#pragma once

#include <string>

#include "app/unit1.h"

namespace tiramon::simulators {

// The texts of the figures. Rounding goes half away from zero on the exact value of the double,
// as the tab has always shown it ("1000.5" is "1001 $", a share of 0.0025 is "0.3 %").
// Dollars: two decimals below 1000, whole dollars below 1e9, four significant digits beyond.
std::string RiskMoneyText(double dollars);
// A share as a percentage with one decimal: 0.401 is "40.1 %".
std::string RiskPercentText(double share);
// At most `digits` significant digits, without trailing zeros, an exponent where it is shorter:
// 3.33333 at 4 digits is "3.333", 1234567 at 6 is "1.23457e+06".
std::string ShortNumberText(double value, int digits);

// The tab's boxes as inputs of the analysis. A box that holds no number, or a count that is not a
// whole number from zero up, is refused with a UserError that names the box, and the focus is
// sent there; counts beyond their limit are cut just past it, so the analysis refuses them by
// name. Ranges are the analysis's own to check (ValidateRiskInputs).
RiskInputs ReadRiskInputs(TForm1& form);

// Puts a finished run's summary into the figures, the status line and the pictures.
void ShowRiskResult(TForm1& form, const RiskResult& result, const RiskInputs& in);

// The tab while a long run goes on: progress bar and «Отмена» instead of the status line, the
// buttons that would start another run disabled, the timer that watches the run going.
void SetRiskRunning(TForm1& form, bool running);

}  // namespace tiramon::simulators
