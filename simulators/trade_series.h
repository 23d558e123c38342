// The randomized trade series of "Для умных": the table of winning trades drawn before the series
// is played, and the bounds that keep that drawing finite.
#pragma once

#include <array>
#include <cstdint>

namespace tiramon::simulators {

inline constexpr std::int32_t kMaxSeriesTrades = 10000;

// One flag per trade number 1..kMaxSeriesTrades (index 0 is never set): 1 where the trade wins.
using WinnersTable = std::array<std::uint8_t, kMaxSeriesTrades + 1>;

// Clears the table, then flags random trade numbers 1..trades−1 (reseeding before every draw)
// until at least trades × (winPercent ÷ 100) are set; returns how many are. Refuses with a
// UserError carrying the user's message, before any draw, a series the table cannot
// hold or the drawing could never complete.
std::int32_t FillWinnersTable(WinnersTable& table, std::int32_t trades, double winPercent);

}  // namespace tiramon::simulators
