#include "app/prop_limits.h"

#include <cmath>

#include "app/book_file.h"
#include "support/errors.h"
#include "support/numtext.h"
#include "support/typed_number.h"

namespace tiramon {
namespace {

struct Field {
  const char* name;     // as the message starts: "Дневной лимит убытка"
  const char* example;  // a value the trader may type
  double limit;         // the largest sensible value
  bool percent;
};

constexpr Field kStart{"Начальный баланс", "100000", kMaxDeposit, false};
constexpr Field kDayStart{"Баланс на начало дня", "100000", kMaxDeposit, false};
constexpr Field kHighest{"Наибольший баланс", "100000", kMaxDeposit, false};
constexpr Field kDaily{"Дневной лимит убытка", "5", 100, true};
constexpr Field kMaximum{"Максимальный убыток", "10", 100, true};

double Read(const std::string& text, const Field& field) {
  if (TrimSpaces(text).empty()) return 0;
  const std::optional<double> value = ReadTypedNumber(text);
  if (!value || !(*value >= 0)) {
    throw UserError(std::string(field.name) + " указан неверно: «" + std::string(TrimSpaces(text)) +
                    "». Введите " + (field.percent ? "проценты" : "число") + ", например " +
                    field.example + ", или оставьте поле пустым" +
                    (field.percent ? ", если такого лимита нет." : "."));
  }
  if (*value > field.limit) {
    throw UserError(std::string(field.name) + " не может быть больше " +
                    FormatGeneral(field.limit) + (field.percent ? " %." : "."));
  }
  return *value;
}

}  // namespace

PropTexts ToTexts(const PropLimits& limits) {
  const auto text = [](double value) { return value > 0 ? FileNumberText(value) : std::string(); };
  return PropTexts{text(limits.startBalance),   text(limits.dayStartBalance),
                   text(limits.highestBalance), text(limits.dailyLossPercent),
                   text(limits.maxLossPercent), limits.trailing ? "1" : ""};
}

PropLimits ParsePropLimits(const PropTexts& texts) {
  PropLimits limits;
  limits.startBalance = Read(texts.startBalance, kStart);
  limits.dayStartBalance = Read(texts.dayStartBalance, kDayStart);
  limits.highestBalance = Read(texts.highestBalance, kHighest);
  limits.dailyLossPercent = Read(texts.dailyLossPercent, kDaily);
  limits.maxLossPercent = Read(texts.maxLossPercent, kMaximum);
  const std::string_view trailing = TrimSpaces(texts.trailing);
  if (trailing == "1") {
    limits.trailing = true;
  } else if (!trailing.empty() && trailing != "0") {
    throw UserError("Скользящий максимальный убыток указан неверно: «" + std::string(trailing) +
                    "».");
  }
  if (LimitsSet(limits) && !(limits.startBalance > 0)) {
    throw UserError("Укажите начальный баланс счёта: лимиты считаются в процентах от него.");
  }
  if (limits.dailyLossPercent > 0 && !(limits.dayStartBalance > 0)) {
    throw UserError("Укажите баланс на начало дня: от него считается дневной лимит убытка.");
  }
  if (limits.trailing && limits.maxLossPercent > 0 && !(limits.highestBalance > 0)) {
    throw UserError("Укажите наибольший баланс: от него считается скользящий максимальный убыток.");
  }
  if (limits.highestBalance > 0 && limits.highestBalance < limits.startBalance) {
    throw UserError("Наибольший баланс " + FormatGeneral(limits.highestBalance) +
                    " меньше начального " + FormatGeneral(limits.startBalance) + ".");
  }
  return limits;
}

}  // namespace tiramon
