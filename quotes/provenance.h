// Where the prices came from and how old they are, in words: the status bar's second panel and
// the line beside the assistant's direction buttons. Daily official rates older than four days
// and a quote page older than an hour read as stale, in red; so do, whatever their date, the rates
// that came with the program.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "app/controls.h"
#include "app/price_origin.h"

namespace tiramon::quotes {

using Clock = std::chrono::system_clock;

inline constexpr auto kStalePage = std::chrono::hours(1);
inline constexpr int kStaleRatesDays = 4;

// The calendar day of a moment in local time.
std::chrono::sys_days LocalDay(Clock::time_point moment);

// "DD.MM.YYYY" as a calendar day; nullopt for anything else.
std::optional<std::chrono::sys_days> ParseRatesDate(std::string_view text);

// A moment as the user reads it in local time: "10:32" today, "08.12.2026 10:32" another day.
std::string MomentText(Clock::time_point moment, Clock::time_point now);

struct OriginWords {
  std::string text;
  TColor colour = colors::Black;
  bool stale = false;
};

// Status-bar panel 1: the source and the prices' age.
OriginWords PanelWords(const PriceOrigin& origin, Clock::time_point now);

// The assistant's line about the working price of `pair`; empty text when no pair is chosen.
OriginWords WorkingPriceWords(const PriceOrigin& origin, std::string_view pair,
                              Clock::time_point now);

}  // namespace tiramon::quotes
