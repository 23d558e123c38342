// The generator: the recurrence and the draw checked against values worked out independently,
// and Reseed driven through its clock seam.
#include "support/random.h"

#include <gtest/gtest.h>
#include <time.h>

#include <cstdint>
#include <limits>
#include <optional>

namespace tiramon {
namespace {

// Puts the real clock back whatever a test installed.
class RandomTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetReseedClockForTesting(SystemReseedClock());
    RandomSeed = 0;
  }
};

TEST_F(RandomTest, DrawsFollowTheRecurrence) {
  struct Case {
    std::uint32_t seed;
    std::int32_t n;
    std::int32_t result;
    std::uint32_t seedAfter;
  };
  // seedAfter = (seed × 134775813 + 1) mod 2^32; result = floor(seedAfter × n / 2^32).
  const Case cases[] = {
      {0, 100, 0, 1},
      {1, 100, 3, 134775814},
      {134775814, 100, 86, 3698175007u},  // the second draw from seed 1
      {12345, 100, 38, 1655067934},
      {0xFFFFFFFFu, 100, 96, 4160191484u},
      {12345, 1, 0, 1655067934},
      {0xFFFFFFFFu, 1, 0, 4160191484u},
      {12345, 0, 0, 1655067934},
      // A negative range counts as n + 2^32: −1 gives the new seed − 1, read as a signed value.
      {1, -1, 134775813, 134775814},
      {0xFFFFFFFFu, -1, static_cast<std::int32_t>(4160191483u), 4160191484u},
      {1, std::numeric_limits<std::int32_t>::min(), 67387907, 134775814},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "seed " << c.seed << ", n " << c.n);
    RandomSeed = c.seed;
    EXPECT_EQ(RandomBelow(c.n), c.result);
    EXPECT_EQ(RandomSeed, c.seedAfter);
  }
}

TEST_F(RandomTest, ConsecutiveDrawsFromSeedOne) {
  RandomSeed = 1;
  EXPECT_EQ(RandomBelow(100), 3);
  EXPECT_EQ(RandomBelow(100), 86);
  EXPECT_EQ(RandomSeed, 3698175007u);
}

TEST_F(RandomTest, ReseedTakesTheLowBitsOfTheCounter) {
  const std::uint64_t counts[] = {0, 1, 0x1234567890ABCDEFull, 0xFFFFFFFFull, 0x100000000ull};
  const std::uint32_t seeds[] = {0, 1, 0x90ABCDEFu, 0xFFFFFFFFu, 0};
  for (std::size_t i = 0; i < std::size(counts); ++i) {
    SCOPED_TRACE(counts[i]);
    const std::uint64_t count = counts[i];
    SetReseedClockForTesting({[count] { return std::optional<std::uint64_t>(count); },
                              [] {
                                ADD_FAILURE() << "tick count read although the counter works";
                                return std::uint32_t{77};
                              }});
    RandomSeed = 555;
    Reseed();
    EXPECT_EQ(RandomSeed, seeds[i]);
  }
}

TEST_F(RandomTest, ReseedFallsBackToTheTickCount) {
  int tickReads = 0;
  const auto ticks = [&tickReads] {
    ++tickReads;
    return std::uint32_t{4000000123u};
  };
  SetReseedClockForTesting({[] { return std::optional<std::uint64_t>(); }, ticks});
  Reseed();
  EXPECT_EQ(RandomSeed, 4000000123u);
  // No counter at all behaves like a counter that cannot be read.
  RandomSeed = 0;
  SetReseedClockForTesting({nullptr, ticks});
  Reseed();
  EXPECT_EQ(RandomSeed, 4000000123u);
  EXPECT_EQ(tickReads, 2);
}

TEST_F(RandomTest, AStoppedClockRepeatsTheDraw) {
  SetReseedClockForTesting({[] { return std::optional<std::uint64_t>(12345); }, nullptr});
  Reseed();
  EXPECT_EQ(RandomBelow(100), 38);
  Reseed();
  EXPECT_EQ(RandomBelow(100), 38);
}

TEST_F(RandomTest, SystemCounterIsTheMonotonicNanosecondCount) {
  const ReseedClock clock = SystemReseedClock();
  ASSERT_TRUE(clock.counter);
  ASSERT_TRUE(clock.tickCount);
  const auto read = [] {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000000000u +
           static_cast<std::uint64_t>(now.tv_nsec);
  };
  const std::uint64_t before = read();
  const std::optional<std::uint64_t> count = clock.counter();
  const std::uint64_t after = read();
  ASSERT_TRUE(count.has_value());
  EXPECT_GE(*count, before);
  EXPECT_LE(*count, after);

  SetReseedClockForTesting(SystemReseedClock());
  const std::uint64_t low = read();
  Reseed();
  const std::uint64_t high = read();
  // The seed lies between the low 32 bits of two reads around it (allowing for a wrap).
  EXPECT_LE(static_cast<std::uint32_t>(RandomSeed - static_cast<std::uint32_t>(low)),
            static_cast<std::uint32_t>(high - low));
}

}  // namespace
}  // namespace tiramon
