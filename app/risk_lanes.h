// The random lanes the risk analysis plays its series on, shared with its floor benchmark so the
// two draw alike: xoshiro256++, one generator per lane, seeded by splitmix64, each 32-bit half of
// its output made a double for a one-comparison win test.
#pragma once

#include <bit>
#include <cstdint>

// On x86-64 a kernel marked with this is built once per instruction set and chosen at start-up;
// elsewhere the one build serves.
#if defined(__x86_64__)
#define TIRAMON_EACH_X86_LEVEL [[gnu::target_clones("avx512f", "avx2", "default")]]
#else
#define TIRAMON_EACH_X86_LEVEL
#endif

namespace tiramon {

constexpr std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

// splitmix64's output function, which spreads a seed over all 64 bits.
constexpr std::uint64_t SplitMix(std::uint64_t z) {
  z += 0x9E3779B97F4A7C15ULL;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

// One output of xoshiro256++ from the state (a, b, x, y), which it advances. The state is taken
// by reference to locals, so the caller keeps it in registers across a run of draws.
[[gnu::always_inline]] inline std::uint64_t XoshiroNext(std::uint64_t& a, std::uint64_t& b,
                                                        std::uint64_t& x, std::uint64_t& y) {
  const std::uint64_t bits = Rotl(a + y, 23) + a;
  const std::uint64_t shifted = b << 17;
  x ^= a;
  y ^= b;
  b ^= x;
  a ^= y;
  x ^= shifted;
  y = Rotl(y, 45);
  return bits;
}

// A 32-bit draw as the double 2^52 + draw, exactly: or-ed into 2^52's bits, so the win test is
// one comparison of doubles against 2^52 + the win share × 2^32.
[[gnu::always_inline]] inline double BiasedDraw(std::uint64_t low32) {
  return std::bit_cast<double>(0x4330000000000000ULL | low32);
}

}  // namespace tiramon
