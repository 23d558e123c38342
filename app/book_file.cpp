#include "app/book_file.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <pugixml.hpp>
#include <sstream>
#include <system_error>

#include "app/settings_rules.h"
#include "support/errors.h"
#include "support/files.h"
#include "support/numtext.h"

namespace tiramon {
namespace {

// No book of this program comes near it; a larger file is none of ours.
constexpr std::size_t kMaxBookFileBytes = std::size_t{4} << 20;
constexpr std::size_t kMaxSymbolBytes = 64;

constexpr const char* kRoot = "book";
constexpr const char* kPosition = "position";

[[noreturn]] void Damaged(const std::string& why) { throw UserError(why); }

std::string Quoted(std::string_view text) { return "«" + std::string(text.substr(0, 40)) + "»"; }

// A number attribute within (low, high], or [0, high] when zero is allowed.
double Number(const pugi::xml_attribute& attribute, const std::string& where, double high,
              bool zeroAllowed = false) {
  const std::optional<double> value = FileNumber(attribute.value());
  const bool low = value && (zeroAllowed ? *value >= 0 : *value > 0);
  if (!value || !low || *value > high) {
    Damaged(where + ": " + attribute.name() + " указан неверно (" + Quoted(attribute.value()) +
            ")");
  }
  return *value;
}

std::string ElementText(const pugi::xml_node& node) {
  std::ostringstream text;
  node.print(text, "", pugi::format_raw);
  return text.str();
}

// Reads the attributes of `node` the program knows through `take` (true when taken) and keeps
// the others; a known one given twice is refused, since either reading would be a guess.
template <typename Take>
void ReadAttributes(const pugi::xml_node& node, const std::string& where, UnknownXml& unknown,
                    const Take& take) {
  std::vector<std::string> seen;
  for (const pugi::xml_attribute attribute : node.attributes()) {
    const std::string name = attribute.name();
    if (!take(attribute)) {
      unknown.attributes.emplace_back(name, attribute.value());
      continue;
    }
    for (const std::string& earlier : seen) {
      if (earlier == name) Damaged(where + ": " + name + " указан дважды");
    }
    seen.push_back(name);
  }
}

BookPosition ReadPosition(const pugi::xml_node& node, std::size_t number) {
  const std::string where = "позиция " + std::to_string(number);
  BookPosition position;
  bool symbol = false, side = false, lots = false, open = false;
  ReadAttributes(node, where, position.unknown, [&](const pugi::xml_attribute& a) {
    const std::string_view name = a.name();
    const std::string_view value = a.value();
    if (name == "symbol") {
      if (value.empty() || value.size() > kMaxSymbolBytes) {
        Damaged(where + ": инструмент указан неверно (" + Quoted(value) + ")");
      }
      for (const char c : value) {
        if (static_cast<unsigned char>(c) < ' ') {
          Damaged(where + ": инструмент указан неверно (" + Quoted(value) + ")");
        }
      }
      position.symbol = std::string(value);
      symbol = true;
    } else if (name == "side") {
      if (value != "buy" && value != "sell") {
        Damaged(where + ": направление указано неверно (" + Quoted(value) + ")");
      }
      position.buying = value == "buy";
      side = true;
    } else if (name == "lots") {
      position.lots = Number(a, where, kMaxLots);
      lots = true;
    } else if (name == "open") {
      position.openPrice = Number(a, where, 1e15);
      open = true;
    } else if (name == "stop") {
      position.stopLevel = Number(a, where, 1e15);
    } else if (name == "take") {
      position.takeLevel = Number(a, where, 1e15);
    } else if (name == "state") {
      if (value != "open" && value != "planned") {
        Damaged(where + ": состояние указано неверно (" + Quoted(value) + ")");
      }
      position.planned = value == "planned";
    } else {
      return false;
    }
    return true;
  });
  if (!symbol || !side || !lots || !open) {
    Damaged(where + ": нет " +
            std::string(!symbol ? "инструмента"
                        : !side ? "направления"
                        : !lots ? "лота"
                                : "цены открытия"));
  }
  for (const pugi::xml_node child : node.children()) {
    if (child.type() == pugi::node_element) position.unknown.elements.push_back(ElementText(child));
  }
  return position;
}

void WriteUnknown(pugi::xml_node node, const UnknownXml& unknown) {
  for (const auto& [name, value] : unknown.attributes) {
    node.append_attribute(name.c_str()).set_value(value.c_str());
  }
  for (const std::string& element : unknown.elements) {
    node.append_buffer(element.data(), element.size(), pugi::parse_default, pugi::encoding_utf8);
  }
}

void SetNumber(pugi::xml_node node, const char* name, double value) {
  node.append_attribute(name).set_value(FileNumberText(value).c_str());
}

// Points from the open price to a level on the side given, to a thousandth of a point: a level
// the engine placed (1.0987 for 150 points under 1.1002) comes back as its whole points.
double PointsTo(double open, double level, bool above, const Instrument& instrument) {
  const long double per = 1.0L / instrument.pointSize;
  const long double whole = std::nearbyint(per);
  const long double perUnit = std::fabs(per - whole) <= 1e-9L * whole ? whole : per;
  const long double away =
      above ? static_cast<long double>(level) - open : static_cast<long double>(open) - level;
  return static_cast<double>(std::nearbyint(away * perUnit * 1000) / 1000);
}

}  // namespace

std::string FileNumberText(double value) {
  // Fixed notation: 100000 would otherwise be the shorter "1e+05", which no box reads as typed.
  char text[400];
  const std::to_chars_result written =
      std::to_chars(std::begin(text), std::end(text), value, std::chars_format::fixed);
  return std::string(text, written.ptr);
}

std::optional<double> FileNumber(std::string_view text) {
  double value = 0;
  const std::from_chars_result read =
      std::from_chars(text.data(), text.data() + text.size(), value);
  if (read.ec != std::errc() || read.ptr != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

TradeRequest RequestOf(const BookPosition& position, const Instrument& instrument, double balance,
                       double leverage) {
  TradeRequest request;
  request.instrument = instrument;
  request.buying = position.buying;
  request.bid = request.ask = position.openPrice;
  request.deposit = balance;
  request.leverage = leverage;
  request.lots = position.lots;
  const std::string at = " цены открытия " + FormatGeneral(position.openPrice) + ".";
  if (position.stopLevel) {
    request.stopPoints =
        PointsTo(position.openPrice, *position.stopLevel, !position.buying, instrument);
    if (!(request.stopPoints > 0)) {
      throw TradeError(TradeField::Stop,
                       std::string("Стоп лосс ") +
                           (position.buying ? "покупки ставят ниже" : "продажи ставят выше") + at);
    }
  }
  if (position.takeLevel) {
    request.takePoints =
        PointsTo(position.openPrice, *position.takeLevel, position.buying, instrument);
    if (!(request.takePoints > 0)) {
      throw TradeError(TradeField::Take,
                       std::string("Тэйк профит ") +
                           (position.buying ? "покупки ставят выше" : "продажи ставят ниже") + at);
    }
  }
  return request;
}

std::string BookToXml(const Book& book) {
  pugi::xml_document document;
  pugi::xml_node declaration = document.append_child(pugi::node_declaration);
  declaration.append_attribute("version").set_value("1.0");
  declaration.append_attribute("encoding").set_value("UTF-8");
  pugi::xml_node root = document.append_child(kRoot);
  root.append_attribute("version").set_value(std::max(book.version, kBookFileVersion));
  if (book.balance > 0) SetNumber(root, "balance", book.balance);
  if (book.leverage > 0) SetNumber(root, "leverage", book.leverage);
  for (const BookPosition& position : book.positions) {
    pugi::xml_node node = root.append_child(kPosition);
    node.append_attribute("symbol").set_value(position.symbol.c_str());
    node.append_attribute("side").set_value(position.buying ? "buy" : "sell");
    SetNumber(node, "lots", position.lots);
    SetNumber(node, "open", position.openPrice);
    if (position.stopLevel) SetNumber(node, "stop", *position.stopLevel);
    if (position.takeLevel) SetNumber(node, "take", *position.takeLevel);
    node.append_attribute("state").set_value(position.planned ? "planned" : "open");
    WriteUnknown(node, position.unknown);
  }
  WriteUnknown(root, book.unknown);
  std::ostringstream text;
  document.save(text, "  ", pugi::format_indent, pugi::encoding_utf8);
  return text.str();
}

Book BookFromXml(std::string_view text) {
  if (text.size() > kMaxBookFileBytes) Damaged("файл больше 4 МиБ");
  pugi::xml_document document;
  const pugi::xml_parse_result parsed =
      document.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!parsed) Damaged("это не документ XML или он обрезан");
  const pugi::xml_node root = document.document_element();
  if (std::string_view(root.name()) != kRoot) Damaged("в нём нет портфеля");
  Book book;
  ReadAttributes(root, "портфель", book.unknown, [&](const pugi::xml_attribute& a) {
    const std::string_view name = a.name();
    if (name == "version") {
      const std::optional<double> version = FileNumber(a.value());
      if (!version || *version < 1 || *version > 1e6 || *version != std::floor(*version)) {
        Damaged("версия указана неверно (" + Quoted(a.value()) + ")");
      }
      book.version = static_cast<int>(*version);
    } else if (name == "balance") {
      book.balance = Number(a, "портфель", kMaxDeposit, true);
    } else if (name == "leverage") {
      book.leverage = Number(a, "портфель", kMaxLeverage, true);
      if (book.leverage > 0 && book.leverage < 1) Damaged("портфель: плечо меньше 1");
    } else {
      return false;
    }
    return true;
  });
  for (const pugi::xml_node child : root.children()) {
    if (child.type() != pugi::node_element) continue;
    if (std::string_view(child.name()) != kPosition) {
      book.unknown.elements.push_back(ElementText(child));
      continue;
    }
    if (book.positions.size() == kMaxBookPositions) {
      Damaged("в нём больше " + std::to_string(kMaxBookPositions) + " позиций");
    }
    book.positions.push_back(ReadPosition(child, book.positions.size() + 1));
  }
  return book;
}

LoadedBook LoadBook(const std::filesystem::path& file, std::chrono::system_clock::time_point now) {
  LoadedBook loaded;
  std::string text;
  try {
    text = ReadWholeFile(file);
  } catch (const FileError& error) {
    if (error.code() == ENOENT) return loaded;
    loaded.writable = false;
    loaded.note = "Портфель не прочитан, и сохраняться он не будет: " + std::string(error.what());
    return loaded;
  }
  try {
    loaded.book = BookFromXml(text);
    return loaded;
  } catch (const UserError& damage) {
    const std::string name = file.filename().string();
    try {
      const std::filesystem::path aside = KeepDamagedSettingsAside(file, now);
      loaded.note = "Файл портфеля " + name + " повреждён (" + damage.what() +
                    "): он сохранён как " + aside.filename().string() + ", портфель начат заново.";
    } catch (const InOutError& error) {
      loaded.writable = false;
      loaded.note = "Файл портфеля " + name + " повреждён (" + damage.what() +
                    "), а отложить его не удалось (" + error.what() +
                    "): портфель начат заново и сохраняться не будет.";
    }
  }
  return loaded;
}

void SaveBook(const std::filesystem::path& file, const Book& book) {
  const std::string text = BookToXml(book);
  ReplaceFile(file, {text});
}

}  // namespace tiramon
