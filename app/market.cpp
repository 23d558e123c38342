#include "app/market.h"

#include <algorithm>
#include <cmath>

#include "support/numtext.h"

namespace tiramon {
namespace {

constexpr std::string_view kDollar = "USD";
// Francs and Canadian dollars are worth the reciprocal of their USD/… bid as a CHF/USD or
// CAD/USD quote would write it, to five decimals.
constexpr std::string_view kReadAsDollarQuotes[] = {"CHF", "CAD"};
constexpr int kReadAsDollarQuotePlaces = 5;

long double ReciprocalOf(std::string_view currency, long double bid) {
  for (const std::string_view read : kReadAsDollarQuotes) {
    if (currency == read) return RoundedReciprocal(FormatGeneral(bid), kReadAsDollarQuotePlaces);
  }
  return 1.0L / bid;
}

}  // namespace

void DollarRates::Add(std::string_view symbol, long double bid) {
  const std::optional<Instrument> instrument = KnownInstrument(symbol);
  if (!instrument || !(bid > 0) || !std::isfinite(bid)) return;
  Rate rate;
  if (instrument->quoteCurrency == kDollar) {
    rate = {instrument->baseCurrency, bid, 1.0L / bid};
  } else if (instrument->baseCurrency == kDollar) {
    rate = {instrument->quoteCurrency, ReciprocalOf(instrument->quoteCurrency, bid), bid};
  } else {
    return;
  }
  const auto same = [&](const Rate& r) { return r.currency == rate.currency; };
  const auto at = std::find_if(rates_.begin(), rates_.end(), same);
  if (at != rates_.end()) {
    *at = std::move(rate);
  } else {
    rates_.push_back(std::move(rate));
  }
}

std::optional<long double> DollarRates::DollarsPer(std::string_view currency) const {
  if (currency == kDollar) return 1.0L;
  for (const Rate& rate : rates_) {
    if (rate.currency == currency) return rate.dollarsPer;
  }
  return std::nullopt;
}

std::optional<long double> DollarRates::PerDollar(std::string_view currency) const {
  if (currency == kDollar) return 1.0L;
  for (const Rate& rate : rates_) {
    if (rate.currency == currency) return rate.perDollar;
  }
  return std::nullopt;
}

std::optional<Instrument> InstrumentFor(const std::vector<Instrument>& own,
                                        std::string_view symbol) {
  for (const Instrument& instrument : own) {
    if (instrument.symbol == symbol) return instrument;
  }
  return KnownInstrument(symbol);
}

std::optional<long double> InAccountCurrency(const DollarRates& rates, std::string_view account,
                                             std::string_view currency) {
  if (currency == account) return 1.0L;
  const std::optional<long double> dollars = rates.DollarsPer(currency);
  const std::optional<long double> perDollar = rates.PerDollar(account);
  if (!dollars || !perDollar) return std::nullopt;
  return *dollars * *perDollar;
}

AccountRates RatesForTrade(const DollarRates& rates, std::string account,
                           const Instrument& instrument, double entry) {
  return [&rates, account = std::move(account), base = instrument.baseCurrency,
          quote = instrument.quoteCurrency, entry](std::string_view currency) {
    std::optional<long double> value;
    if (currency == quote && currency != account && currency != kDollar && !base.empty() &&
        entry > 0) {
      if (const std::optional<long double> ofBase = InAccountCurrency(rates, account, base)) {
        value = *ofBase / entry;
      }
    }
    if (!value) value = InAccountCurrency(rates, account, currency);
    return value;
  };
}

}  // namespace tiramon
