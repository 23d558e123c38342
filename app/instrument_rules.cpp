#include "app/instrument_rules.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "support/numtext.h"
#include "support/typed_number.h"

namespace tiramon {
namespace {

constexpr std::size_t kMaxSymbol = 20;
constexpr double kMaxContract = 1e9;
constexpr double kMaxPoint = 1e6;
constexpr char kFieldMark = ';';

// The pairs the demo feed, the quote page and the central banks give, and the metals.
constexpr std::array<std::string_view, 35> kChoices = {
    "EUR/USD", "GBP/USD", "AUD/USD", "NZD/USD", "USD/JPY", "USD/CHF", "USD/CAD",
    "USD/CNY", "USD/RUB", "USD/SEK", "USD/DKK", "USD/HKD", "USD/TRY", "USD/SGD",
    "USD/MXN", "USD/NOK", "USD/PLN", "USD/ZAR", "EUR/GBP", "EUR/JPY", "EUR/CHF",
    "EUR/CAD", "EUR/AUD", "GBP/JPY", "GBP/CHF", "AUD/JPY", "AUD/NZD", "NZD/JPY",
    "CHF/JPY", "CAD/JPY", "CAD/CHF", "XAU/USD", "XAG/USD", "XPT/USD", "XPD/USD",
};

constexpr std::array<std::string_view, 4> kMetals = {"XAU/USD", "XAG/USD", "XPT/USD", "XPD/USD"};

[[noreturn]] void Refuse(const std::string& message) { throw UserError(message); }

std::string Trimmed(std::string_view text) { return std::string(TrimSpaces(text)); }

bool IsCurrencyCode(std::string_view code) {
  return code.size() == 3 &&
         std::all_of(code.begin(), code.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

double Number(std::string_view raw, const char* field, const char* example, double low, double high,
              bool zeroAllowed) {
  const std::string text = Trimmed(raw);
  const std::optional<double> value = ReadTypedNumber(text);
  if (!value) {
    Refuse(std::string(field) + ": «" + text + "» — не число. Введите, например, " + example + ".");
  }
  const bool tooLow = zeroAllowed ? !(*value >= low) : !(*value > low);
  if (tooLow || *value > high) {
    Refuse(std::string(field) + " должен быть " + (zeroAllowed ? "от " : "больше ") +
           FormatGeneral(low) + (zeroAllowed ? " до " : " и не больше ") + FormatGeneral(high) +
           ".");
  }
  return *value;
}

}  // namespace

InstrumentTexts ToTexts(const Instrument& instrument) {
  return {instrument.symbol,
          instrument.baseCurrency,
          instrument.quoteCurrency,
          FormatGeneral(instrument.contractSize),
          FormatGeneral(instrument.pointSize),
          FormatGeneral(instrument.marginPercent)};
}

Instrument ParseInstrument(const InstrumentTexts& texts) {
  Instrument instrument;
  instrument.symbol = Trimmed(texts.symbol);
  if (instrument.symbol.empty()) Refuse("Инструмент: введите его символ, например US500.");
  const bool printable =
      std::none_of(instrument.symbol.begin(), instrument.symbol.end(),
                   [](char c) { return c == kFieldMark || (c >= 0 && c < ' '); });
  if (instrument.symbol.size() > kMaxSymbol || !printable) {
    Refuse("Инструмент: «" + instrument.symbol +
           "» — символ из букв, цифр и знаков до 20 знаков, без «;».");
  }
  instrument.quoteCurrency = Trimmed(texts.quoteCurrency);
  if (!IsCurrencyCode(instrument.quoteCurrency)) {
    Refuse("Валюта котировки: «" + instrument.quoteCurrency +
           "» — нужен код из трёх заглавных букв, например USD.");
  }
  instrument.baseCurrency = Trimmed(texts.baseCurrency);
  if (!instrument.baseCurrency.empty() && !IsCurrencyCode(instrument.baseCurrency)) {
    Refuse("Базовая валюта: «" + instrument.baseCurrency +
           "» — нужен код из трёх заглавных букв или пустое поле, если база — не валюта.");
  }
  if (instrument.baseCurrency == instrument.quoteCurrency) {
    Refuse("Базовая валюта не может совпадать с валютой котировки.");
  }
  instrument.contractSize =
      Number(texts.contractSize, "Размер контракта", "100000", 0, kMaxContract, false);
  instrument.pointSize = Number(texts.pointSize, "Размер пункта", "0.01", 0, kMaxPoint, false);
  instrument.marginPercent = Number(texts.marginPercent.empty() ? "0" : texts.marginPercent,
                                    "Маржа в %", "5", 0, 100, true);
  return instrument;
}

std::string StoredInstrument(const Instrument& instrument) {
  const InstrumentTexts texts = ToTexts(instrument);
  std::string stored = texts.symbol;
  for (const std::string* field : {&texts.baseCurrency, &texts.quoteCurrency, &texts.contractSize,
                                   &texts.pointSize, &texts.marginPercent}) {
    stored += kFieldMark;
    stored += *field;
  }
  return stored;
}

Instrument ReadStoredInstrument(std::string_view stored) {
  std::vector<std::string> fields;
  std::size_t from = 0;
  for (std::size_t at; (at = stored.find(kFieldMark, from)) != std::string_view::npos;) {
    fields.emplace_back(stored.substr(from, at - from));
    from = at + 1;
  }
  fields.emplace_back(stored.substr(from));
  if (fields.size() != 6) {
    Refuse("«" + std::string(stored.substr(0, 40)) +
           "» — нужно шесть полей через «;»: символ, база, валюта котировки, контракт, пункт, "
           "маржа.");
  }
  return ParseInstrument({fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]});
}

std::vector<Instrument> EditableInstruments(const std::vector<Instrument>& own) {
  std::vector<Instrument> list = own;
  for (const std::string_view metal : kMetals) {
    const bool changed = std::any_of(own.begin(), own.end(),
                                     [metal](const Instrument& i) { return i.symbol == metal; });
    if (!changed) list.push_back(*KnownInstrument(metal));
  }
  return list;
}

void PutInstrument(std::vector<Instrument>& own, const Instrument& instrument) {
  const auto same = std::find_if(
      own.begin(), own.end(), [&](const Instrument& i) { return i.symbol == instrument.symbol; });
  if (same != own.end()) {
    *same = instrument;
  } else {
    own.push_back(instrument);
  }
}

std::vector<std::string> InstrumentChoices(const std::vector<Instrument>& own) {
  std::vector<std::string> choices(kChoices.begin(), kChoices.end());
  for (const Instrument& instrument : own) {
    if (std::find(choices.begin(), choices.end(), instrument.symbol) == choices.end()) {
      choices.push_back(instrument.symbol);
    }
  }
  return choices;
}

}  // namespace tiramon
