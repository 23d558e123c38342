// Exact nearest-rank percentiles for the risk analysis: the five band percentiles of any values,
// and a selector fast enough to take them from every drawn trade's deposits.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tiramon {

inline constexpr std::array<int, 5> kBandPercents = {5, 25, 50, 75, 95};

// Zero-based index of the nearest-rank percentile among count values.
inline std::size_t RankIndex(std::size_t count, int percent) {
  return (static_cast<std::size_t>(percent) * count + 99) / 100 - 1;
}

// Puts the values at the given ascending, distinct indices where a full sort would, touching
// only what each selection needs.
template <class T>
void SelectIndices(T* base, std::size_t lo, std::size_t hi, const std::size_t* index, int n) {
  if (n == 0) return;
  const int middle = n / 2;
  std::nth_element(base + lo, base + index[middle], base + hi);
  SelectIndices(base, lo, index[middle], index, middle);
  SelectIndices(base, index[middle] + 1, hi, index + middle + 1, n - middle - 1);
}

// The five band percentiles of values, which are reordered.
template <class T>
std::array<T, 5> BandPercentiles(std::vector<T>& values) {
  std::array<std::size_t, 5> index{};
  std::size_t distinct = 0;
  for (int percent : kBandPercents) {
    const std::size_t i = RankIndex(values.size(), percent);
    if (distinct == 0 || index[distinct - 1] != i) index[distinct++] = i;
  }
  SelectIndices(values.data(), 0, values.size(), index.data(), static_cast<int>(distinct));
  std::array<T, 5> result{};
  for (std::size_t k = 0; k < result.size(); ++k)
    result[k] = values[RankIndex(values.size(), kBandPercents[k])];
  return result;
}

// The five band percentiles of one trade's deposits, exact and in about three passes. The bits
// of non-negative doubles sort as the values do, so a count over their upper bits narrows each
// rank to one bucket and only that bucket's few values need ordering. A general selection on
// every trade cost more than the trades themselves.
class RowPercentiles {
 public:
  // The five percentiles of the n deposits in row, which is left as it was.
  std::array<double, 5> operator()(const double* row, std::size_t n);

 private:
  static constexpr std::size_t kTallies = 4;

  // counts_[k]: how many of the values' bits at or above low fall into bucket k of 2^shift
  // patterns each (zeros fall below), summed over the four tallies.
  template <class T>
  void Count(const T* values, std::size_t n, std::uint64_t low, int shift, std::size_t buckets);
  // The value at a place of positive values in ascending order.
  double Select(const double* values, std::size_t n, std::size_t place);

  static constexpr int kBucketBits = 11;
  std::vector<std::uint32_t> counts_;
  std::vector<std::uint32_t> tallies_;
  static constexpr std::uint8_t kSpare = 5;
  std::vector<std::uint8_t> slotOf_;
  std::vector<double> pool_;
  std::vector<std::uint64_t> bits_;
};

}  // namespace tiramon
