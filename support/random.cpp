// The generator and its clock. Reseeding before every draw makes each draw depend only on the
// moment it is made, so the simulator's series differ from run to run.
#include "support/random.h"

#include <time.h>

#include <chrono>
#include <utility>

namespace tiramon {

std::uint32_t RandomSeed = 0;

namespace {

constexpr std::uint32_t kMultiplier = 0x08088405;  // 134775813

std::optional<std::uint64_t> MonotonicNanoseconds() {
  timespec now{};
  if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(now.tv_sec) * 1000000000u +
         static_cast<std::uint64_t>(now.tv_nsec);
}

std::uint32_t MillisecondTicks() {
  const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count();
  return static_cast<std::uint32_t>(ms);  // the tick count wraps, as a tick count does
}

ReseedClock& CurrentClock() {
  static ReseedClock clock = SystemReseedClock();
  return clock;
}

}  // namespace

ReseedClock SystemReseedClock() { return ReseedClock{MonotonicNanoseconds, MillisecondTicks}; }

void SetReseedClockForTesting(ReseedClock clock) { CurrentClock() = std::move(clock); }

void Reseed() {
  const ReseedClock& clock = CurrentClock();
  std::optional<std::uint64_t> count;
  if (clock.counter) count = clock.counter();
  if (count) {
    RandomSeed = static_cast<std::uint32_t>(*count);
  } else {
    RandomSeed = clock.tickCount ? clock.tickCount() : MillisecondTicks();
  }
}

std::int32_t RandomBelow(std::int32_t n) {
  RandomSeed = RandomSeed * kMultiplier + 1;  // unsigned: wraps modulo 2^32
  const std::uint64_t product =
      static_cast<std::uint64_t>(RandomSeed) * static_cast<std::uint32_t>(n);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(product >> 32));
}

}  // namespace tiramon
