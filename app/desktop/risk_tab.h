// The "Анализ риска" tab is laid out by MainWindow::BuildRiskTab (risk_tab.cpp) like the other
// tabs: its controls are the model's, its events go through the wiring table.
#pragma once

namespace tiramon::desktop {

inline constexpr const char* kRiskTabCaption = "Анализ риска";

}  // namespace tiramon::desktop
