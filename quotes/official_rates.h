// The official-rates quote source: reading the European Central Bank's and the Bank of Russia's
// daily reference rates and the Bank of Russia's precious-metal prices, and turning them into mid
// prices for the pairs and metals of the quote table.
// Everything here is exact decimal arithmetic, so a price ends exactly where a trader expects.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "support/errors.h"

namespace tiramon::quotes {

// A rate as an exact fraction, numerator / denominator, both positive and in lowest terms. The
// numerator stays below 10^15 and the denominator at or below 10^18, so that products of two
// rates and a power of ten fit in 128 bits.
struct DecimalRate {
  std::uint64_t numerator = 0;
  std::uint64_t denominator = 1;
};

struct RatesDocument {
  std::string date;           // "DD.MM.YYYY", whichever way the source writes it
  std::chrono::sys_days day;  // the same date, for working out the prices' age
  // ECB: units of the currency per euro (the euro itself is not listed).
  // Bank of Russia: roubles per ONE unit of the currency (Value / Nominal; no RUB entry).
  // Bank of Russia's metals: roubles per gram of "XAU", "XAG", "XPT", "XPD" on `date`.
  std::map<std::string, DecimalRate> rates;
};

// A document that cannot be used. The message is Russian, names the source ("ЕЦБ", "ЦБ РФ" or
// "ЦБ РФ, металлы")
// and the fault, and is short enough for a status-bar panel.
class RatesError : public UserError {
 public:
  using UserError::UserError;
};

// Larger bodies are refused before any parsing: real documents are a few KiB.
inline constexpr std::size_t kMaxRatesDocumentBytes = 4u << 20;

// eurofxref-daily.xml (UTF-8). When the document holds several days, the first (newest) is read.
RatesDocument ParseEcbRates(std::string_view xml);
// XML_daily.asp: windows-1251 bytes, decimal comma, rates per Nominal units.
RatesDocument ParseCbrRates(std::string_view bytes);
// xml_metall.asp: windows-1251 bytes, a <Record> per metal and day, roubles per gram with a
// decimal comma. The document keeps the latest day's prices and that day as its date.
RatesDocument ParseCbrMetals(std::string_view bytes);

struct OfficialQuote {
  std::string name;   // "EUR/USD"
  std::string price;  // the mid rounded half up: 2 decimals for yen pairs, 4 for the rest
};

// The bytes of a windows-1251 text as UTF-8; the one unassigned byte (0x98) becomes U+FFFD.
std::string Windows1251ToUtf8(std::string_view bytes);

// The pairs of the quote table, in its order, that the documents can value (either pointer may
// be null). A non-rouble pair is valued from the ECB document when it lists both currencies
// (EUR = 1), otherwise from the Bank of Russia's; a rouble pair the other way round. A pair that
// neither can value, or whose mid rounds to zero, is left out.
std::vector<OfficialQuote> DeriveQuotes(const RatesDocument* ecb, const RatesDocument* cbr);

// The pair names DeriveQuotes walks through, in the quote table's order.
const std::vector<std::string_view>& OfficialPairNames();

inline constexpr std::string_view kMetalNames[] = {"XAU/USD", "XAG/USD", "XPT/USD", "XPD/USD"};

// Dollars per troy ounce of each metal the document prices, in kMetalNames' order: roubles per
// gram × 31.1034768 grams ÷ the Bank of Russia's roubles per dollar in `cbr`, rounded half up to
// 2 decimals (silver 3). None without both documents.
std::vector<OfficialQuote> DeriveMetalQuotes(const RatesDocument* metals, const RatesDocument* cbr);

// Whole days from the document's date to `today` (negative when the date lies ahead).
int AgeInDays(const RatesDocument& document, std::chrono::sys_days today);

}  // namespace tiramon::quotes
