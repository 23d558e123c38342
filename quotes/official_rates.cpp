// Reading the two central banks' daily rates with pugixml and deriving the table's mid prices.
// Rates stay exact fractions from the text to the rounded price: a half-way mid like 1.23455
// must round up, which no binary floating-point value can promise.
#include "quotes/official_rates.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <numeric>
#include <optional>
#include <pugixml.hpp>

namespace tiramon::quotes {
namespace {

// -Wpedantic knows no 128-bit type; GCC and clang both have one.
__extension__ typedef unsigned __int128 Wide;

constexpr std::string_view kEcb = "ЕЦБ";
constexpr std::string_view kCbr = "ЦБ РФ";
constexpr std::string_view kMetals = "ЦБ РФ, металлы";

// Bounds that keep every product in DeriveQuotes inside 128 bits (see DecimalRate).
constexpr std::uint64_t kMantissaLimit = 1'000'000'000'000'000;  // 10^15, exclusive
constexpr int kMaxFractionDigits = 12;
constexpr std::uint64_t kMaxNominal = 1'000'000;
// A metal's price in roubles per gram: tighter bounds, so that its product with the grams in an
// ounce and a dollar rate of the bounds above still fits in 128 bits (see DeriveMetalQuotes).
// A million roubles a gram with four decimals is far beyond any price the bank has set.
constexpr std::uint64_t kMetalMantissaLimit = 1'000'000'000;  // 10^9, exclusive
constexpr int kMaxMetalFractionDigits = 4;
// A rate or nominal text longer than this is refused before its digits are read.
constexpr std::size_t kMaxNumberText = 64;
// How much of a faulty text a message quotes: the panel has room for a few words.
constexpr std::size_t kQuotedCharacters = 16;

[[noreturn]] void Fail(std::string_view source, std::string_view fault) {
  std::string message(source);
  message += ": ";
  message += fault;
  throw RatesError(message);
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool ContainsNoCase(std::string_view text, std::string_view needle) {
  return std::search(text.begin(), text.end(), needle.begin(), needle.end(),
                     [](char a, char b) { return Lower(a) == Lower(b); }) != text.end();
}

// Length of the well-formed UTF-8 sequence at the start of `text`, 0 when it is not one.
std::size_t Utf8SequenceLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  if (lead >= 0xE0 && lead <= 0xEF) length = 3;
  if (lead >= 0xF0 && lead <= 0xF4) length = 4;
  if (length == 0 || text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 0;
  }
  const auto second = static_cast<unsigned char>(text[1]);
  if (lead == 0xE0 && second < 0xA0) return 0;   // overlong
  if (lead == 0xED && second >= 0xA0) return 0;  // surrogate
  if (lead == 0xF0 && second < 0x90) return 0;   // overlong
  if (lead == 0xF4 && second >= 0x90) return 0;  // beyond U+10FFFF
  return length;
}

// A text from the document as a message shows it: guillemets around at most a few characters,
// anything that is not printable UTF-8 replaced, so a hostile document cannot garble the panel.
std::string Quoted(std::string_view text) {
  std::string shown = "«";
  std::size_t characters = 0;
  while (!text.empty()) {
    if (characters == kQuotedCharacters) {
      shown += "…";
      break;
    }
    const std::size_t length = Utf8SequenceLength(text);
    const auto first = static_cast<unsigned char>(text[0]);
    if (length == 0 || first < 0x20 || first == 0x7F) {
      shown += '?';
      text.remove_prefix(1);
    } else {
      shown += text.substr(0, length);
      text.remove_prefix(length);
    }
    ++characters;
  }
  return shown + "»";
}

// --- Numbers ---------------------------------------------------------------------------------

std::uint64_t PowerOfTen(int exponent) {
  std::uint64_t power = 1;
  for (int i = 0; i < exponent; ++i) power *= 10;
  return power;
}

DecimalRate Reduced(std::uint64_t numerator, std::uint64_t denominator) {
  const std::uint64_t divisor = std::gcd(numerator, denominator);
  return {numerator / divisor, denominator / divisor};
}

// A positive decimal: digits, optionally the source's decimal mark and more digits. No sign, no
// exponent, no thousands marks; at most 15 significant digits and 12 after the mark once the
// zeros that carry no value are dropped. Nothing when the text is anything else or zero.
std::optional<DecimalRate> ParsePositiveDecimal(std::string_view text, char mark,
                                                std::uint64_t per = 1,
                                                std::uint64_t mantissaLimit = kMantissaLimit,
                                                int maxFractionDigits = kMaxFractionDigits) {
  text = Trimmed(text);
  if (text.empty() || text.size() > kMaxNumberText) return std::nullopt;
  const std::size_t markAt = text.find(mark);
  std::string_view whole = text.substr(0, markAt);
  std::string_view fraction = markAt == std::string_view::npos ? "" : text.substr(markAt + 1);
  if (whole.empty() || (markAt != std::string_view::npos && fraction.empty())) return std::nullopt;
  const auto digits = [](std::string_view part) {
    return std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (!digits(whole) || !digits(fraction)) return std::nullopt;
  while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
  if (fraction.size() > static_cast<std::size_t>(maxFractionDigits)) return std::nullopt;

  std::uint64_t mantissa = 0;
  for (std::string_view part : {whole, fraction}) {
    for (char c : part) {
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
      if (mantissa >= mantissaLimit) return std::nullopt;
    }
  }
  if (mantissa == 0) return std::nullopt;
  return Reduced(mantissa, PowerOfTen(static_cast<int>(fraction.size())) * per);
}

std::optional<std::uint64_t> ParseNominal(std::string_view text) {
  text = Trimmed(text);
  if (text.empty() || text.size() > 7) return std::nullopt;
  std::uint64_t nominal = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    nominal = nominal * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (nominal == 0 || nominal > kMaxNominal) return std::nullopt;
  return nominal;
}

// --- Dates -----------------------------------------------------------------------------------

std::optional<int> DigitsValue(std::string_view text) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// The calendar date, or nothing when the day does not exist or the year is implausible.
std::optional<std::chrono::sys_days> CalendarDay(std::optional<int> year, std::optional<int> month,
                                                 std::optional<int> day) {
  if (!year || !month || !day || *year < 1900 || *year > 2999) return std::nullopt;
  const std::chrono::year_month_day date{std::chrono::year{*year},
                                         std::chrono::month{static_cast<unsigned>(*month)},
                                         std::chrono::day{static_cast<unsigned>(*day)}};
  if (!date.ok()) return std::nullopt;
  return std::chrono::sys_days{date};
}

void SetDate(RatesDocument& document, std::string_view source, std::string_view text,
             bool isoOrder) {
  std::optional<std::chrono::sys_days> day;
  if (text.size() == 10) {
    if (isoOrder && text[4] == '-' && text[7] == '-') {
      day = CalendarDay(DigitsValue(text.substr(0, 4)), DigitsValue(text.substr(5, 2)),
                        DigitsValue(text.substr(8, 2)));
    } else if (!isoOrder && text[2] == '.' && text[5] == '.') {
      day = CalendarDay(DigitsValue(text.substr(6, 4)), DigitsValue(text.substr(3, 2)),
                        DigitsValue(text.substr(0, 2)));
    }
  }
  if (!day) Fail(source, "дата указана неверно (" + Quoted(text) + ")");
  document.day = *day;
  document.date = isoOrder ? std::string(text.substr(8, 2)) + "." + std::string(text.substr(5, 2)) +
                                 "." + std::string(text.substr(0, 4))
                           : std::string(text);
}

// --- XML -------------------------------------------------------------------------------------

std::string_view LocalName(std::string_view name) {
  const std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// A web page where the document should be (a login wall, an error page, a moved address).
bool LooksLikeHtml(std::string_view text) {
  text = Trimmed(text);
  return text.empty() || text.front() != '<' || ContainsNoCase(text.substr(0, 1024), "<html") ||
         ContainsNoCase(text.substr(0, 1024), "<!doctype html");
}

// Parses UTF-8 `text` into `document` and returns its root element, checked to be `rootName`.
// A DOCTYPE is refused outright: neither bank sends one, and pugixml keeps entity references
// unexpanded anyway, so an entity bomb costs no more than its own bytes.
pugi::xml_node ParseXml(pugi::xml_document& document, std::string_view source,
                        std::string_view text, std::string_view rootName) {
  const pugi::xml_parse_result result = document.load_buffer(
      text.data(), text.size(), pugi::parse_default | pugi::parse_doctype, pugi::encoding_utf8);
  const bool html = LooksLikeHtml(text);
  if (!result)
    Fail(source, html ? "ответ не является документом XML" : "документ XML повреждён или обрезан");
  const pugi::xml_node root = document.document_element();
  if (html || ContainsNoCase(root.name(), "html")) Fail(source, "ответ не является документом XML");
  for (const pugi::xml_node node : document.children()) {
    if (node.type() == pugi::node_doctype) Fail(source, "документ с DOCTYPE не принимается");
  }
  if (LocalName(root.name()) != rootName) Fail(source, "неизвестный формат документа");
  return root;
}

void CheckBody(std::string_view source, std::string_view body) {
  if (Trimmed(body).empty()) Fail(source, "пустой ответ");
  if (body.size() > kMaxRatesDocumentBytes) Fail(source, "ответ больше 4 МиБ");
}

bool IsCurrencyCode(std::string_view code) {
  return code.size() == 3 &&
         std::all_of(code.begin(), code.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

void AddRate(RatesDocument& document, std::string_view source, std::string_view code,
             std::optional<DecimalRate> rate, std::string_view rateText) {
  if (!rate)
    Fail(source, "курс " + std::string(code) + " указан неверно (" + Quoted(rateText) + ")");
  if (!document.rates.emplace(code, *rate).second) {
    Fail(source, "курс " + std::string(code) + " указан дважды");
  }
}

std::string_view CheckedCode(std::string_view source, std::string_view text,
                             std::string_view home) {
  const std::string_view code = Trimmed(text);
  if (!IsCurrencyCode(code)) Fail(source, "код валюты указан неверно (" + Quoted(text) + ")");
  // The home currency is 1 by definition; a line for it would be a second, conflicting rate.
  if (code == home) Fail(source, "курс " + std::string(code) + " указан дважды");
  return code;
}

void CheckComplete(const RatesDocument& document, std::string_view source) {
  if (document.rates.empty()) Fail(source, "в документе нет курсов");
  if (document.rates.count("USD") == 0) Fail(source, "в документе нет курса USD");
}

pugi::xml_node FirstChildNamed(pugi::xml_node parent, std::string_view localName) {
  for (const pugi::xml_node child : parent.children()) {
    if (child.type() == pugi::node_element && LocalName(child.name()) == localName) return child;
  }
  return {};
}

// --- Metals ----------------------------------------------------------------------------------

// The bank's metal codes 1 to 4, as the table names them and as a message names the metal.
constexpr std::string_view kMetalCodes[] = {"XAU", "XAG", "XPT", "XPD"};
constexpr std::string_view kMetalGenitives[] = {"золота", "серебра", "платины", "палладия"};

// The metal of a record's Code, nothing for a metal the table has no row for.
std::optional<std::size_t> MetalIndex(std::string_view code) {
  code = Trimmed(code);
  if (code.size() != 1 || code[0] < '1' || code[0] > '4') return std::nullopt;
  return static_cast<std::size_t>(code[0] - '1');
}

DecimalRate MetalPrice(std::size_t metal, std::string_view text) {
  const std::optional<DecimalRate> price =
      ParsePositiveDecimal(text, ',', 1, kMetalMantissaLimit, kMaxMetalFractionDigits);
  if (!price) {
    Fail(kMetals,
         "цена " + std::string(kMetalGenitives[metal]) + " указана неверно (" + Quoted(text) + ")");
  }
  return *price;
}

// --- Prices ----------------------------------------------------------------------------------

// Exact B/Q mid from one document. `perHome` is true for a document that lists the home
// currency's price of one unit (Bank of Russia) rather than units per home currency (ECB).
struct Fraction {
  Wide numerator;
  Wide denominator;
};

std::optional<DecimalRate> RateOf(const RatesDocument& document, std::string_view code,
                                  std::string_view home) {
  if (code == home) return DecimalRate{1, 1};
  const auto found = document.rates.find(std::string(code));
  if (found == document.rates.end()) return std::nullopt;
  return found->second;
}

std::optional<Fraction> Mid(const RatesDocument* document, std::string_view home, bool perHome,
                            std::string_view base, std::string_view quote) {
  if (document == nullptr) return std::nullopt;
  const std::optional<DecimalRate> b = RateOf(*document, base, home);
  const std::optional<DecimalRate> q = RateOf(*document, quote, home);
  if (!b || !q) return std::nullopt;
  // Units per home: mid = q / b. Home per unit: mid = (1/q) / (1/b) = b / q.
  const DecimalRate& top = perHome ? *b : *q;
  const DecimalRate& bottom = perHome ? *q : *b;
  return Fraction{Wide{top.numerator} * bottom.denominator,
                  Wide{top.denominator} * bottom.numerator};
}

std::string WideToText(Wide value) {
  std::string digits;
  do {
    digits += static_cast<char>('0' + static_cast<int>(value % 10));
    value /= 10;
  } while (value != 0);
  std::reverse(digits.begin(), digits.end());
  return digits;
}

// The fraction rounded half up to `places` decimals, with exactly that many; nothing when it
// rounds to zero, which no table row can use as a price.
std::optional<std::string> RoundedText(const Fraction& mid, int places) {
  const Wide scale = PowerOfTen(places);
  // floor(x + 1/2) with x = numerator * scale / denominator, kept in integers.
  const Wide rounded = (2 * mid.numerator * scale + mid.denominator) / (2 * mid.denominator);
  if (rounded == 0) return std::nullopt;
  std::string digits = WideToText(rounded);
  const auto width = static_cast<std::size_t>(places) + 1;
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  digits.insert(digits.size() - static_cast<std::size_t>(places), 1, '.');
  return digits;
}

}  // namespace

std::string Windows1251ToUtf8(std::string_view bytes) {
  // Code points of bytes 0x80 to 0xFF; below 0x80 the code page is ASCII.
  static constexpr std::array<char16_t, 128> kUpper = {
      0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
      0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
      0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
      0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
      0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411,
      0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C,
      0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
      0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432,
      0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D,
      0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448,
      0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
  };
  std::string text;
  text.reserve(bytes.size() * 2);
  for (char byte : bytes) {
    const auto code = static_cast<unsigned char>(byte);
    if (code < 0x80) {
      text += byte;
      continue;
    }
    const char16_t point = kUpper[code - 0x80u];
    if (point < 0x800) {
      text += static_cast<char>(0xC0 | (point >> 6));
    } else {
      text += static_cast<char>(0xE0 | (point >> 12));
      text += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    }
    text += static_cast<char>(0x80 | (point & 0x3F));
  }
  return text;
}

RatesDocument ParseEcbRates(std::string_view xml) {
  CheckBody(kEcb, xml);
  if (xml.substr(0, 3) == "\xEF\xBB\xBF") xml.remove_prefix(3);
  pugi::xml_document tree;
  const pugi::xml_node root = ParseXml(tree, kEcb, xml, "Envelope");
  // Envelope / Cube / Cube time=... / Cube currency=... rate=...; history files repeat the
  // dated Cube newest first, and the newest day is the one wanted.
  const pugi::xml_node outer = FirstChildNamed(root, "Cube");
  const pugi::xml_node dated = FirstChildNamed(outer, "Cube");
  if (!dated) Fail(kEcb, "в документе нет курсов");
  const pugi::xml_attribute time = dated.attribute("time");
  if (!time) Fail(kEcb, "в документе нет даты");
  RatesDocument document;
  SetDate(document, kEcb, time.value(), true);
  for (const pugi::xml_node cube : dated.children()) {
    if (cube.type() != pugi::node_element || LocalName(cube.name()) != "Cube") continue;
    const std::string_view code = CheckedCode(kEcb, cube.attribute("currency").value(), "EUR");
    const std::string_view rateText = cube.attribute("rate").value();
    AddRate(document, kEcb, code, ParsePositiveDecimal(rateText, '.'), rateText);
  }
  CheckComplete(document, kEcb);
  return document;
}

RatesDocument ParseCbrRates(std::string_view bytes) {
  CheckBody(kCbr, bytes);
  const std::string text = Windows1251ToUtf8(bytes);
  pugi::xml_document tree;
  const pugi::xml_node root = ParseXml(tree, kCbr, text, "ValCurs");
  const pugi::xml_attribute date = root.attribute("Date");
  if (!date) Fail(kCbr, "в документе нет даты");
  RatesDocument document;
  SetDate(document, kCbr, date.value(), false);
  for (const pugi::xml_node valute : root.children("Valute")) {
    const std::string_view code = CheckedCode(kCbr, valute.child_value("CharCode"), "RUB");
    const std::string_view nominalText = valute.child_value("Nominal");
    const std::optional<std::uint64_t> nominal = ParseNominal(nominalText);
    if (!nominal) {
      Fail(kCbr, "номинал " + std::string(code) + " указан неверно (" + Quoted(nominalText) + ")");
    }
    const std::string_view valueText = valute.child_value("Value");
    AddRate(document, kCbr, code, ParsePositiveDecimal(valueText, ',', *nominal), valueText);
  }
  CheckComplete(document, kCbr);
  return document;
}

RatesDocument ParseCbrMetals(std::string_view bytes) {
  CheckBody(kMetals, bytes);
  const std::string text = Windows1251ToUtf8(bytes);
  pugi::xml_document tree;
  const pugi::xml_node root = ParseXml(tree, kMetals, text, "Metall");
  // Metall / Record Date=... Code=... / Buy, Sell: a record per metal and day, in no promised
  // order. Only the latest day is used, so only its records are checked for repeats.
  RatesDocument latest;
  bool found = false;
  for (const pugi::xml_node record : root.children("Record")) {
    const std::optional<std::size_t> metal = MetalIndex(record.attribute("Code").value());
    if (!metal) continue;
    const pugi::xml_attribute date = record.attribute("Date");
    if (!date) Fail(kMetals, "в документе нет даты");
    RatesDocument day;
    SetDate(day, kMetals, date.value(), false);
    // The bank sets one accounting price a day and writes it as both; a broken Sell is as much
    // a fault of the document as a broken Buy.
    const DecimalRate price = MetalPrice(*metal, record.child_value("Buy"));
    if (record.child("Sell")) MetalPrice(*metal, record.child_value("Sell"));
    if (found && day.day < latest.day) continue;
    if (!found || day.day > latest.day) {
      latest = std::move(day);
      found = true;
    }
    if (!latest.rates.emplace(kMetalCodes[*metal], price).second) {
      Fail(kMetals, "цена " + std::string(kMetalGenitives[*metal]) + " на " + latest.date +
                        " указана дважды");
    }
  }
  if (!found) Fail(kMetals, "в документе нет цен");
  return latest;
}

const std::vector<std::string_view>& OfficialPairNames() {
  static const std::vector<std::string_view> kNames = {
      "EUR/USD", "GBP/USD", "AUD/USD", "NZD/USD", "USD/JPY", "USD/CHF", "USD/CAD", "USD/SEK",
      "USD/DKK", "USD/NOK", "USD/HKD", "USD/SGD", "USD/TRY", "USD/CNY", "USD/RUB", "USD/MXN",
      "USD/PLN", "USD/ZAR", "EUR/GBP", "EUR/JPY", "GBP/JPY", "CHF/JPY", "EUR/CHF", "AUD/NZD",
      "CAD/JPY", "AUD/JPY", "NZD/JPY", "EUR/AUD", "EUR/CAD", "GBP/CHF", "SGD/JPY",
  };
  return kNames;
}

std::vector<OfficialQuote> DeriveQuotes(const RatesDocument* ecb, const RatesDocument* cbr) {
  std::vector<OfficialQuote> quotes;
  for (const std::string_view name : OfficialPairNames()) {
    const std::string_view base = name.substr(0, 3);
    const std::string_view quote = name.substr(4, 3);
    std::optional<Fraction> fromEcb = Mid(ecb, "EUR", false, base, quote);
    std::optional<Fraction> fromCbr = Mid(cbr, "RUB", true, base, quote);
    // The Bank of Russia sets the rouble's rates; for everything else the ECB's come first.
    const bool rouble = base == "RUB" || quote == "RUB";
    const std::optional<Fraction>& mid =
        rouble ? (fromCbr ? fromCbr : fromEcb) : (fromEcb ? fromEcb : fromCbr);
    if (!mid) continue;
    const int places = name.find("JPY") != std::string_view::npos ? 2 : 4;
    if (std::optional<std::string> price = RoundedText(*mid, places)) {
      quotes.push_back({std::string(name), std::move(*price)});
    }
  }
  return quotes;
}

std::vector<OfficialQuote> DeriveMetalQuotes(const RatesDocument* metals,
                                             const RatesDocument* cbr) {
  std::vector<OfficialQuote> quotes;
  if (metals == nullptr || cbr == nullptr) return quotes;
  const auto usd = cbr->rates.find("USD");
  if (usd == cbr->rates.end()) return quotes;
  // A troy ounce is 31.1034768 grams = 311034768 / 10^7 = 19439673 / 625000 in lowest terms.
  constexpr std::uint64_t kOunceNumerator = 19'439'673;
  constexpr std::uint64_t kOunceDenominator = 625'000;
  for (std::size_t i = 0; i < std::size(kMetalNames); ++i) {
    const auto gram = metals->rates.find(std::string(kMetalCodes[i]));
    if (gram == metals->rates.end()) continue;
    // Dollars per ounce = (roubles per gram × grams per ounce) ÷ roubles per dollar. Bounds:
    // a gram's numerator < 10^9, the ounce's < 2^25, a rate's denominator <= 10^18 (< 2^60):
    // below 2^115, and RoundedText's 2 × 10^3 more stays below 2^127.
    const Fraction price{
        Wide{gram->second.numerator} * kOunceNumerator * usd->second.denominator,
        Wide{gram->second.denominator} * kOunceDenominator * usd->second.numerator};
    const int places = kMetalCodes[i] == "XAG" ? 3 : 2;
    if (std::optional<std::string> text = RoundedText(price, places)) {
      quotes.push_back({std::string(kMetalNames[i]), std::move(*text)});
    }
  }
  return quotes;
}

int AgeInDays(const RatesDocument& document, std::chrono::sys_days today) {
  return static_cast<int>((today - document.day).count());
}

}  // namespace tiramon::quotes
