// The program's one source of chance: a 32-bit linear congruential state that the trade-series
// simulator reseeds from the clock before every draw.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace tiramon {

// Process-wide generator state, 0 at program start.
extern std::uint32_t RandomSeed;

// Replaces RandomSeed from the clock: the low 32 bits of the high-resolution counter, or the
// millisecond tick count when the counter cannot be read.
void Reseed();

// Advances RandomSeed (× 134775813 + 1, modulo 2^32) and returns the upper 32 bits of the new
// seed × n, both unsigned: 0..n−1 for n ≥ 1, 0 for n = 0. A negative n counts as n + 2^32, so a
// caller that wants a range must pass n ≥ 1.
std::int32_t RandomBelow(std::int32_t n);

// Where Reseed reads the time.
struct ReseedClock {
  // The high-resolution count; nullopt when it cannot be read.
  std::function<std::optional<std::uint64_t>()> counter;
  // The millisecond tick count, read only when the counter fails.
  std::function<std::uint32_t()> tickCount;
};

// The monotonic nanosecond counter with a millisecond tick count behind it.
ReseedClock SystemReseedClock();

// Lets a test decide what Reseed reads; SetReseedClockForTesting(SystemReseedClock()) restores
// the real clock. A clock whose counter is empty always falls back to the tick count.
void SetReseedClockForTesting(ReseedClock clock);

}  // namespace tiramon
