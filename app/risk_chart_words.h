// The words of the risk analysis's two pictures: titles, axis captions, the legend and the prompt
// of an empty picture. The view paints them; like every text the user reads, they are the model's.
#pragma once

#include <string>
#include <string_view>

namespace tiramon::chart_words {

inline constexpr const char* kFanTitle =
    "Депозит по номеру сделки: медиана, 25–75 % и 5–95 % серий";
inline constexpr const char* kHistogramTitle = "Итоговые депозиты серий";
inline constexpr const char* kEmpty = "Нажмите «Рассчитать»";
inline constexpr const char* kTradeAxis = "Номер сделки";
inline constexpr const char* kSeriesAxis = "Число серий";
inline constexpr const char* kWideBand = "5–95 %";
inline constexpr const char* kNarrowBand = "25–75 %";
inline constexpr const char* kMedian = "медиана";

inline std::string DepositAxis(bool logScale) {
  return logScale ? "Депозит, $ (лог. шкала)" : "Депозит, $";
}
inline std::string FinalDepositAxis(bool logScale) {
  return logScale ? "Итоговый депозит, $ (лог. шкала)" : "Итоговый депозит, $";
}
// `level` as the axis writes its numbers.
inline std::string RuinLine(std::string_view level) {
  return "уровень разорения " + std::string(level) + " $";
}
inline std::string HistogramTitle(int series) {
  return std::string(kHistogramTitle) + " (" + std::to_string(series) + " серий)";
}

}  // namespace tiramon::chart_words
