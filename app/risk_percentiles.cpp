#include "app/risk_percentiles.h"

#include <bit>

namespace tiramon {

// counts_[k]: how many of the values' bits at or above low fall into bucket k of 2^shift
// patterns each (zeros fall below). Four tallies, one per value in four, then summed: a cluster
// sends value after value to one bucket, and a single tally would wait on its own last update
// each time.
template <class T>
void RowPercentiles::Count(const T* values, std::size_t n, std::uint64_t low, int shift,
                           std::size_t buckets) {
  const std::size_t width = buckets + 1;  // the last cell takes what is below low
  tallies_.assign(kTallies * width, 0);
  std::uint32_t* tally = tallies_.data();
  const auto bucketOf = [&](T value) {
    const std::uint64_t b = std::bit_cast<std::uint64_t>(value);
    return b >= low ? static_cast<std::size_t>((b - low) >> shift) : buckets;
  };
  std::size_t i = 0;
  for (; i + kTallies <= n; i += kTallies) {
    for (std::size_t k = 0; k < kTallies; ++k) ++tally[k * width + bucketOf(values[i + k])];
  }
  for (; i < n; ++i) ++tally[bucketOf(values[i])];
  counts_.resize(buckets);
  for (std::size_t b = 0; b < buckets; ++b) {
    std::uint32_t sum = 0;
    for (std::size_t k = 0; k < kTallies; ++k) sum += tally[k * width + b];
    counts_[b] = sum;
  }
}

// The value at a place of positive values in ascending order. A short series' deposits sit in
// tight clusters, thousands within a few units in the last place, so a bucket often holds a
// tenth of the row: it is narrowed by counts again, each pass a factor 2^11 finer, down to one
// bit pattern or a handful of values.
double RowPercentiles::Select(const double* values, std::size_t n, std::size_t place) {
  bits_.resize(n);
  for (std::size_t i = 0; i < n; ++i) bits_[i] = std::bit_cast<std::uint64_t>(values[i]);
  for (;;) {
    std::uint64_t low = ~std::uint64_t{0}, high = 0;
    for (std::size_t i = 0; i < n; ++i) {
      low = std::min(low, bits_[i]);
      high = std::max(high, bits_[i]);
    }
    if (low == high) return std::bit_cast<double>(low);
    if (n <= 64) {
      const auto at = bits_.begin() + static_cast<std::ptrdiff_t>(place);
      std::nth_element(bits_.begin(), at, bits_.begin() + static_cast<std::ptrdiff_t>(n));
      return std::bit_cast<double>(*at);
    }
    const int shift = std::max(0, static_cast<int>(std::bit_width(high - low)) - kBucketBits);
    Count(bits_.data(), n, low, shift, static_cast<std::size_t>((high - low) >> shift) + 1);
    std::size_t bucket = 0;
    while (place >= counts_[bucket]) place -= counts_[bucket++];
    if (shift == 0) return std::bit_cast<double>(low + bucket);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint64_t b = bits_[i];
      bits_[kept] = b;
      kept += ((b - low) >> shift) == bucket;
    }
    n = kept;
  }
}

std::array<double, 5> RowPercentiles::operator()(const double* row, std::size_t n) {
  // Series that lost everything sit at zero, far below the rest in bits; they are counted
  // apart so the buckets span only the positive deposits.
  std::size_t zeros = 0;
  std::uint64_t low = ~std::uint64_t{0};
  std::uint64_t high = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint64_t b = std::bit_cast<std::uint64_t>(row[i]);
    zeros += b == 0;
    if (b != 0) low = std::min(low, b);
    high = std::max(high, b);
  }
  std::array<double, 5> result{};
  std::array<std::size_t, 5> rank{};
  for (std::size_t k = 0; k < 5; ++k) rank[k] = RankIndex(n, kBandPercents[k]);
  if (zeros == n || low == high) {
    for (std::size_t k = 0; k < 5; ++k)
      result[k] = rank[k] < zeros ? 0 : std::bit_cast<double>(high);
    return result;
  }
  const int shift = std::max(0, static_cast<int>(std::bit_width(high - low)) - kBucketBits);
  const std::size_t buckets = static_cast<std::size_t>((high - low) >> shift) + 1;
  Count(row, n, low, shift, buckets);

  // The bucket of each rank among the positive deposits and the rank's place inside it.
  std::array<std::size_t, 5> bucket{}, place{};
  std::size_t k = 0;
  while (k < 5 && rank[k] < zeros) result[k++] = 0;
  const std::size_t firstPositive = k;
  std::size_t below = zeros;
  for (std::size_t b = 0; b < buckets && k < 5; ++b) {
    while (k < 5 && rank[k] < below + counts_[b]) {
      bucket[k] = b;
      place[k] = rank[k] - below;
      ++k;
    }
    below += counts_[b];
  }
  // Each bucket that holds a rank gets a stretch of the pool, sized by its count; every other
  // value, zeros included (they fall past the last bucket), is written to one spare cell that
  // never advances. No branch per value: which bucket a deposit lands in is a coin toss.
  slotOf_.assign(buckets + 1, kSpare);
  // Four writers, one per value in four as the tallies counted them, each with its own part of
  // every stretch and its own spare cell, so no write waits on the one before.
  const std::size_t width = buckets + 1;
  std::array<std::size_t, kSpare + 1> start{};
  std::array<std::array<std::size_t, kSpare + 1>, kTallies> cursor{};
  std::size_t pooled = 0;
  for (std::size_t j = firstPositive; j < 5; ++j) {
    std::uint8_t& slot = slotOf_[bucket[j]];
    if (slot != kSpare) continue;
    slot = static_cast<std::uint8_t>(j);
    start[j] = pooled;
    for (std::size_t w = 0; w < kTallies; ++w) {
      cursor[w][j] = pooled;
      pooled += tallies_[w * width + bucket[j]];
    }
  }
  for (std::size_t w = 0; w < kTallies; ++w) cursor[w][kSpare] = pooled + w;
  pool_.resize(pooled + kTallies);
  double* pool = pool_.data();
  const std::uint8_t* slotOf = slotOf_.data();
  const auto put = [&](std::size_t w, double value) {
    const std::uint64_t b = std::bit_cast<std::uint64_t>(value);
    const std::size_t at = b >= low ? static_cast<std::size_t>((b - low) >> shift) : buckets;
    const std::uint8_t slot = slotOf[at];
    pool[cursor[w][slot]] = value;
    cursor[w][slot] += slot != kSpare;
  };
  std::size_t i = 0;
  for (; i + kTallies <= n; i += kTallies) {
    for (std::size_t w = 0; w < kTallies; ++w) put(w, row[i + w]);
  }
  for (; i < n; ++i) put(0, row[i]);
  for (std::size_t j = firstPositive; j < 5; ++j) {
    const std::size_t slot = slotOf_[bucket[j]];
    result[j] = Select(pool + start[slot], counts_[bucket[j]], place[j]);
  }
  return result;
}

}  // namespace tiramon
