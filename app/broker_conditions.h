// The trader's broker: the account's currency, the commission, which lots it opens and the margin
// level at which it closes positions. Set once in a dialog, kept in the settings file and read by
// every figure of the assistant. Zero means "not set": the broker is then taken to impose nothing.
#pragma once

#include <string>
#include <string_view>

namespace tiramon {

struct BrokerConditions {
  std::string accountCurrency = "USD";
  double commissionPerLot = 0;  // round turn, in the account currency
  double lotStep = 0;
  double minLot = 0;
  double maxLot = 0;
  double stopOutLevel = 0;  // margin level in percent
  friend bool operator==(const BrokerConditions&, const BrokerConditions&) = default;
};

// The currencies an account may be kept in, in the order the dialog offers them.
inline constexpr std::string_view kAccountCurrencies[] = {"USD", "EUR", "RUB"};

// "$", "€" or "₽": the sign money of that currency is written with.
std::string_view CurrencySign(std::string_view currency);

// The conditions as texts, as the dialog shows them and the settings file keeps them: the
// currency code, then each number in its shortest exact form, empty when not set.
struct BrokerTexts {
  std::string accountCurrency, commissionPerLot, lotStep, minLot, maxLot, stopOutLevel;
};
BrokerTexts ToTexts(const BrokerConditions& conditions);

// Reads conditions from texts. An empty text or "0" leaves a condition unset; "," is taken for a
// decimal point. Anything the program cannot use throws UserError with a message that names the
// field and says what is expected.
BrokerConditions ParseBrokerConditions(const BrokerTexts& texts);

}  // namespace tiramon
