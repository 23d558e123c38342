// The book as the program keeps it between runs: the account's balance and leverage and each
// position as the trader sees it (an instrument, a direction, a lot, an open price, the stop and
// take-profit levels, open or planned), in book.xml of the program's folder. The file is XML read
// with pugixml and replaced whole and atomically. A damaged file is set aside under a name of its
// own, never written over; what a newer version of the program wrote that this one does not know
// is read, kept and written back as it was.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/trade.h"

namespace tiramon {

// Attributes and elements a newer version of the program wrote beside what this one reads.
struct UnknownXml {
  std::vector<std::pair<std::string, std::string>> attributes;
  std::vector<std::string> elements;  // each as its XML text
  friend bool operator==(const UnknownXml&, const UnknownXml&) = default;
};

struct BookPosition {
  std::string symbol;
  bool buying = true;
  double lots = 0;
  double openPrice = 0;
  std::optional<double> stopLevel, takeLevel;
  bool planned = false;  // an order not yet filled; counted as if it were
  UnknownXml unknown;
  friend bool operator==(const BookPosition&, const BookPosition&) = default;
};

struct Book {
  double balance = 0;   // the account's, in its currency; 0: not set yet
  double leverage = 0;  // 0: not set yet
  std::vector<BookPosition> positions;
  int version = 1;  // of the file it came from, or of this program's when higher
  UnknownXml unknown;
  friend bool operator==(const Book&, const Book&) = default;
};

// The most positions a book holds; a file with more is none this program wrote.
inline constexpr std::size_t kMaxBookPositions = 1000;
inline constexpr int kBookFileVersion = 1;
inline constexpr const char* kBookFileName = "book.xml";

// Numbers as the program's files keep them: the shortest text without an exponent that reads back
// as the same double, the same on every machine whatever its locale; and such a text read back
// (nothing for any other, nor for an infinity).
std::string FileNumberText(double value);
std::optional<double> FileNumber(std::string_view text);

// The request a position is counted as: its open price as bid and ask, its levels as points from
// that price (to a thousandth of a point), the book's balance and leverage. Throws TradeError for
// a level on the wrong side of the open price: a stop at break-even or in profit is not counted.
TradeRequest RequestOf(const BookPosition& position, const Instrument& instrument, double balance,
                       double leverage);

// The book as the file's text, and back. BookFromXml throws UserError saying in Russian what is
// wrong with a text that is not such a file, or holds a value this program cannot use.
std::string BookToXml(const Book& book);
Book BookFromXml(std::string_view text);

// What reading the file at the start gave: the book (empty when there was none or it was
// damaged), what the trader should be told, and whether the file may be written over.
struct LoadedBook {
  Book book;
  std::string note;
  bool writable = true;
};
LoadedBook LoadBook(const std::filesystem::path& file, std::chrono::system_clock::time_point now);

// Replaces the file with the book. Throws InOutError.
void SaveBook(const std::filesystem::path& file, const Book& book);

}  // namespace tiramon
