#include "app/broker_conditions.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "app/settings_rules.h"
#include "support/errors.h"
#include "support/typed_number.h"

namespace tiramon {
namespace {

// Shortest text that reads back as the same double; locale-free, unlike the number texts of the
// window, because the settings file must read the same on every machine.
std::string NumberText(double value) {
  if (value == 0) return {};
  // Fixed notation: the shortest form of 100000 or 0.0001 would be "1e+05" or "1e-04", which the
  // dialog and the settings file do not read back.
  char text[400];
  const std::to_chars_result written =
      std::to_chars(std::begin(text), std::end(text), value, std::chars_format::fixed);
  return std::string(text, written.ptr);
}

struct Field {
  const char* name;     // as the message starts: "Шаг лота"
  const char* example;  // a value the user may type
  double limit;         // the largest sensible value
};

double ParseNumber(std::string_view raw, const Field& field) {
  std::string text = std::string(TrimSpaces(raw));
  if (text.empty()) return 0;
  int points = 0;
  bool valid = text.size() <= 12;
  for (char& c : text) {
    if (c == ',') c = '.';
    if (c == '.') {
      ++points;
    } else if (c < '0' || c > '9') {
      valid = false;
    }
  }
  // Plain digits with one point at most, read as every typed number is.
  valid = valid && points <= 1 && text != ".";
  const std::optional<double> read = valid ? ReadTypedNumber(text) : std::nullopt;
  valid = read.has_value();
  const double value = read.value_or(0);
  if (!valid) {
    throw UserError(std::string(field.name) + " указан неверно: «" + std::string(TrimSpaces(raw)) +
                    "». Введите число, например " + field.example +
                    ", или оставьте поле пустым, если брокер этого не требует.");
  }
  if (value > field.limit) {
    throw UserError(std::string(field.name) + " не может быть больше " + NumberText(field.limit) +
                    ".");
  }
  return value;
}

constexpr Field kCommission{"Размер комиссии", "7", 10000};
constexpr Field kLotStep{"Шаг лота", "0.01", 100};
constexpr Field kMinLot{"Минимальный лот", "0.01", 100000};
constexpr Field kMaxLot{"Максимальный лот", "100", 100000};
constexpr Field kStopOut{"Уровень стоп-аута", "50", 1000};

}  // namespace

std::string_view CurrencySign(std::string_view currency) {
  if (currency == "EUR") return "€";
  if (currency == "RUB") return "₽";
  return "$";
}

BrokerTexts ToTexts(const BrokerConditions& conditions) {
  return BrokerTexts{conditions.accountCurrency,     NumberText(conditions.commissionPerLot),
                     NumberText(conditions.lotStep), NumberText(conditions.minLot),
                     NumberText(conditions.maxLot),  NumberText(conditions.stopOutLevel)};
}

BrokerConditions ParseBrokerConditions(const BrokerTexts& texts) {
  BrokerConditions conditions;
  const std::string currency = std::string(TrimSpaces(texts.accountCurrency));
  bool known = currency.empty();
  for (const std::string_view code : kAccountCurrencies) known = known || currency == code;
  if (!known) {
    throw UserError("Валюта счёта «" + currency +
                    "» не поддерживается: выберите USD, EUR или RUB.");
  }
  if (!currency.empty()) conditions.accountCurrency = currency;
  conditions.commissionPerLot = ParseNumber(texts.commissionPerLot, kCommission);
  conditions.lotStep = ParseNumber(texts.lotStep, kLotStep);
  conditions.minLot = ParseNumber(texts.minLot, kMinLot);
  conditions.maxLot = ParseNumber(texts.maxLot, kMaxLot);
  conditions.stopOutLevel = ParseNumber(texts.stopOutLevel, kStopOut);
  if (conditions.minLot > 0 && conditions.maxLot > 0 && conditions.minLot > conditions.maxLot) {
    throw UserError("Минимальный лот " + NumberText(conditions.minLot) + " больше максимального " +
                    NumberText(conditions.maxLot) + ".");
  }
  return conditions;
}

}  // namespace tiramon
