// Splits one fuzz input into the values a check needs: whole numbers are taken off the end, byte
// strings off the front, so a mutation of the one seldom shifts the other. The same reader runs
// in the fuzzers (clang) and in the regression test (gcc), so a kept input replays identically.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>

namespace tiramon::fuzz {

class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::size_t remaining() const { return size_; }

  // A whole number in [min, max] from as few bytes off the end as the range needs; min once the
  // input is used up.
  template <typename T>
  T Integral(T min, T max) {
    static_assert(std::is_integral_v<T> && sizeof(T) <= 8);
    const std::uint64_t range = static_cast<std::uint64_t>(max) - static_cast<std::uint64_t>(min);
    std::uint64_t value = 0;
    for (unsigned shift = 0; shift < 64 && (range >> shift) != 0 && size_ != 0; shift += 8) {
      --size_;
      value = (value << 8) | data_[size_];
    }
    if (range != std::numeric_limits<std::uint64_t>::max()) value %= range + 1;
    return static_cast<T>(static_cast<std::uint64_t>(min) + value);
  }

  bool Bool() { return (Integral<std::uint8_t>(0, 255) & 1) != 0; }

  template <typename T, std::size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Integral<std::size_t>(0, N - 1)];
  }

  // Up to maxLength bytes off the front (their count off the end).
  std::string Bytes(std::size_t maxLength) {
    const std::size_t wanted = Integral<std::size_t>(0, maxLength);
    return Take(wanted < size_ ? wanted : size_);
  }

  // Everything that is left.
  std::string Rest() { return Take(size_); }

 private:
  std::string Take(std::size_t count) {
    std::string bytes(reinterpret_cast<const char*>(data_), count);
    data_ += count;
    size_ -= count;
    return bytes;
  }

  const std::uint8_t* data_;
  std::size_t size_;
};

// Any finite extended value, subnormals included: a 64-bit significand scaled by a power of two.
inline long double ExtendedFrom(ByteReader& in) {
  const auto significand = in.Integral<std::uint64_t>(0, std::numeric_limits<std::uint64_t>::max());
  // 2^16320 x (2^64 - 1) stays below the largest extended value; 2^-16509 x 1 is below the least.
  const int power = in.Integral<int>(-16509, 16320);
  const long double magnitude = std::ldexp(static_cast<long double>(significand), power);
  return in.Bool() ? -magnitude : magnitude;
}

// A double from its 64 bits: infinities and NaNs included.
inline double DoubleFromBits(ByteReader& in) {
  const auto bits = in.Integral<std::uint64_t>(0, std::numeric_limits<std::uint64_t>::max());
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

}  // namespace tiramon::fuzz
