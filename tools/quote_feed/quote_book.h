// The demo feed's quotes: a fixed list of currency pairs whose prices take a small random step
// at every request, and the HTML page that shows them in the layout of a streaming rates site.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace tiramon::feed {

struct Quote {
  std::string name;   // "EUR/USD"
  std::string slug;   // "eur-usd"
  std::string title;  // the link's tooltip
  int digits;         // decimals shown
  std::int64_t base;  // starting bid in units of the last decimal
  std::int64_t spread;
  std::int64_t bid;
  std::int64_t high;
  std::int64_t low;
};

class QuoteBook {
 public:
  explicit QuoteBook(std::uint32_t seed);

  // Every price moves a few units of its last decimal, staying within 2 % of where it began.
  void Step();

  // The whole page, padded with news items to at least `minimumBytes`.
  std::string Page(std::size_t minimumBytes) const;

  // A page of `rows` table rows in a compact layout, for measuring large pages: the first row
  // is EUR/USD, every further row GBP/USD, all at the current prices.
  std::string LargePage(std::size_t rows) const;

  const std::vector<Quote>& quotes() const { return quotes_; }

  // A price in units of its last decimal as text ("1.0852").
  static std::string FormatPrice(std::int64_t units, int digits);

 private:
  std::vector<Quote> quotes_;
  std::mt19937 random_;
  unsigned long long steps_ = 0;
};

}  // namespace tiramon::feed
