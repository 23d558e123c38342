// Properties of reading the official-rates documents: any body either is refused with a RatesError
// whose message is short, valid UTF-8 and names the bank, or gives a dated document of positive
// rates within the exact-arithmetic bounds whose derived prices are in the table's order, carry
// exactly their pair's decimals and lie within half a last decimal of the mid.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <numeric>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/property.h"
#include "quotes/official_rates.h"

namespace tiramon::fuzz {
namespace rates_checks {

inline bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = lead < 0x80 ? 1 : lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF5 ? 3 : 0;
    if (lead >= 0xF0 && lead < 0xF5) length = 4;
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

inline void CheckMessage(std::string_view message, std::string_view source) {
  const std::string prefix = std::string(source) + ": ";
  TIRAMON_FUZZ_REQUIRE(message.substr(0, prefix.size()) == prefix && message.size() > prefix.size(),
                       "message without its bank: " + Shown(message));
  TIRAMON_FUZZ_REQUIRE(message.size() <= 160, "message too long: " + Shown(message));
  TIRAMON_FUZZ_REQUIRE(IsUtf8(message), "message is not UTF-8: " + Shown(message));
}

inline void CheckDocument(const quotes::RatesDocument& document) {
  const std::string& date = document.date;
  TIRAMON_FUZZ_REQUIRE(date.size() == 10 && date[2] == '.' && date[5] == '.',
                       "date " + Shown(date));
  TIRAMON_FUZZ_REQUIRE(!document.rates.empty() && document.rates.count("USD") == 1,
                       "a document without the dollar");
  for (const auto& [code, rate] : document.rates) {
    TIRAMON_FUZZ_REQUIRE(code.size() == 3, "code " + Shown(code));
    TIRAMON_FUZZ_REQUIRE(rate.numerator > 0 && rate.denominator > 0,
                         "rate of " + code + " is not positive");
    TIRAMON_FUZZ_REQUIRE(
        rate.numerator < 1'000'000'000'000'000u && rate.denominator <= 1'000'000'000'000'000'000u,
        "rate of " + code + " beyond the exact bounds");
    TIRAMON_FUZZ_REQUIRE(std::gcd(rate.numerator, rate.denominator) == 1,
                         "rate of " + code + " not in lowest terms");
  }
}

inline long double ValueOf(const quotes::RatesDocument& document, std::string_view code,
                           std::string_view home) {
  if (code == home) return 1.0L;
  const quotes::DecimalRate& rate = document.rates.at(std::string(code));
  return static_cast<long double>(rate.numerator) / static_cast<long double>(rate.denominator);
}

// The derived prices from one document alone (`perHome`: roubles per unit, not units per euro).
inline void CheckQuotes(const quotes::RatesDocument& document, const char* home, bool perHome,
                        const std::vector<quotes::OfficialQuote>& derived) {
  const std::vector<std::string_view>& names = quotes::OfficialPairNames();
  std::size_t next = 0;
  for (const quotes::OfficialQuote& quote : derived) {
    while (next < names.size() && names[next] != quote.name) ++next;
    TIRAMON_FUZZ_REQUIRE(next < names.size(), "pair out of order: " + quote.name);
    ++next;
    const std::size_t places = quote.name.find("JPY") != std::string::npos ? 2 : 4;
    const std::string& price = quote.price;
    const std::size_t point = price.find('.');
    TIRAMON_FUZZ_REQUIRE(point != std::string::npos && point > 0 &&
                             price.size() - point - 1 == places &&
                             price.find_first_not_of("0123456789.") == std::string::npos &&
                             price.find('.', point + 1) == std::string::npos,
                         quote.name + " price " + Shown(price));
    TIRAMON_FUZZ_REQUIRE(price.find_first_not_of("0.") != std::string::npos,
                         quote.name + " priced at zero");
    const long double b = ValueOf(document, quote.name.substr(0, 3), home);
    const long double q = ValueOf(document, quote.name.substr(4, 3), home);
    const long double mid = perHome ? b / q : q / b;
    const long double half = 0.5L * std::pow(10.0L, -static_cast<long double>(places));
    const long double shown = std::strtold(price.c_str(), nullptr);
    TIRAMON_FUZZ_REQUIRE(std::fabs(shown - mid) <= half * (1 + 1e-12L) + mid * 1e-15L,
                         quote.name + " price " + price + " for a mid of " + Shown(mid));
  }
}

}  // namespace rates_checks

inline void CheckEcbRates(const std::uint8_t* data, std::size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  quotes::RatesDocument document;
  try {
    document = quotes::ParseEcbRates(body);
  } catch (const quotes::RatesError& e) {
    rates_checks::CheckMessage(e.what(), "ЕЦБ");
    return;
  }
  rates_checks::CheckDocument(document);
  TIRAMON_FUZZ_REQUIRE(document.rates.count("EUR") == 0, "the euro priced in euros");
  rates_checks::CheckQuotes(document, "EUR", false, quotes::DeriveQuotes(&document, nullptr));
}

inline void CheckCbrRates(const std::uint8_t* data, std::size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  quotes::RatesDocument document;
  try {
    document = quotes::ParseCbrRates(body);
  } catch (const quotes::RatesError& e) {
    rates_checks::CheckMessage(e.what(), "ЦБ РФ");
    return;
  }
  rates_checks::CheckDocument(document);
  TIRAMON_FUZZ_REQUIRE(document.rates.count("RUB") == 0, "the rouble priced in roubles");
  rates_checks::CheckQuotes(document, "RUB", true, quotes::DeriveQuotes(nullptr, &document));
}

// Metals: any body is refused with a message naming the bank's metals, or gives the latest day's
// positive prices per gram within their tighter bounds; their dollar prices, against a usual
// dollar and against the most extreme one the daily rates allow (the largest denominator), come
// in kMetalNames' order with their decimals and within half a last decimal of the exact value.
inline void CheckCbrMetals(const std::uint8_t* data, std::size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  quotes::RatesDocument metals;
  try {
    metals = quotes::ParseCbrMetals(body);
  } catch (const quotes::RatesError& e) {
    rates_checks::CheckMessage(e.what(), "ЦБ РФ, металлы");
    return;
  }
  const std::string& date = metals.date;
  TIRAMON_FUZZ_REQUIRE(date.size() == 10 && date[2] == '.' && date[5] == '.',
                       "date " + Shown(date));
  TIRAMON_FUZZ_REQUIRE(!metals.rates.empty() && metals.rates.size() <= 4, "metals count");
  for (const auto& [code, rate] : metals.rates) {
    TIRAMON_FUZZ_REQUIRE(code == "XAU" || code == "XAG" || code == "XPT" || code == "XPD",
                         "metal " + Shown(code));
    TIRAMON_FUZZ_REQUIRE(rate.numerator > 0 && rate.numerator < 1'000'000'000u &&
                             rate.denominator > 0 && rate.denominator <= 10'000u &&
                             std::gcd(rate.numerator, rate.denominator) == 1,
                         "price of " + code + " beyond its bounds");
  }
  // "75,4321" roubles per dollar, and 10^-12 roubles per 10^6 dollars: 1 / 10^18.
  const quotes::DecimalRate dollars[] = {{754321, 10000}, {1, 1'000'000'000'000'000'000u}};
  for (const quotes::DecimalRate& dollar : dollars) {
    quotes::RatesDocument cbr;
    cbr.rates["USD"] = dollar;
    const std::vector<quotes::OfficialQuote> quotes = quotes::DeriveMetalQuotes(&metals, &cbr);
    std::size_t next = 0;
    for (const quotes::OfficialQuote& quote : quotes) {
      while (next < std::size(quotes::kMetalNames) && quotes::kMetalNames[next] != quote.name) {
        ++next;
      }
      TIRAMON_FUZZ_REQUIRE(next < std::size(quotes::kMetalNames),
                           "metal out of order: " + quote.name);
      ++next;
      const std::size_t places = quote.name == "XAG/USD" ? 3 : 2;
      const std::string& price = quote.price;
      const std::size_t point = price.find('.');
      TIRAMON_FUZZ_REQUIRE(point != std::string::npos && point > 0 &&
                               price.size() - point - 1 == places &&
                               price.find_first_not_of("0123456789.") == std::string::npos,
                           quote.name + " price " + Shown(price));
      const quotes::DecimalRate& gram = metals.rates.at(quote.name.substr(0, 3));
      const long double exact = static_cast<long double>(gram.numerator) /
                                static_cast<long double>(gram.denominator) * 31.1034768L *
                                static_cast<long double>(dollar.denominator) /
                                static_cast<long double>(dollar.numerator);
      const long double half = 0.5L * std::pow(10.0L, -static_cast<long double>(places));
      const long double shown = std::strtold(price.c_str(), nullptr);
      TIRAMON_FUZZ_REQUIRE(
          shown > 0 && std::fabs(shown - exact) <= half * (1 + 1e-12L) + exact * 1e-15L,
          quote.name + " price " + price + " for " + Shown(exact));
    }
  }
}

}  // namespace tiramon::fuzz
