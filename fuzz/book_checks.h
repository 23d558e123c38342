// Properties of the book's file reader on any bytes: it reads a book or refuses the text with a
// message, nothing else; what it reads holds only what the book can count with; written back and
// read again it is the same book, written in the same text; and each position it read becomes a
// trade request or a refusal of its levels.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/book_file.h"
#include "fuzz/property.h"
#include "support/errors.h"

namespace tiramon::fuzz {
namespace book_checks {

inline void CheckPosition(const BookPosition& position) {
  TIRAMON_FUZZ_REQUIRE(!position.symbol.empty() && position.symbol.size() <= 64,
                       "symbol " + Shown(position.symbol));
  for (const char c : position.symbol) {
    TIRAMON_FUZZ_REQUIRE(static_cast<unsigned char>(c) >= ' ', "a control byte in the symbol");
  }
  TIRAMON_FUZZ_REQUIRE(position.lots > 0 && position.lots <= kMaxLots,
                       "lot " + Shown(position.lots));
  TIRAMON_FUZZ_REQUIRE(position.openPrice > 0 && std::isfinite(position.openPrice),
                       "open price " + Shown(position.openPrice));
  for (const std::optional<double>& level : {position.stopLevel, position.takeLevel}) {
    TIRAMON_FUZZ_REQUIRE(!level || (*level > 0 && std::isfinite(*level)),
                         "a level read as 0 or less");
  }
  const std::optional<Instrument> instrument = KnownInstrument(position.symbol);
  if (!instrument) return;
  try {
    const TradeRequest request = RequestOf(position, *instrument, 1000, 100);
    TIRAMON_FUZZ_REQUIRE(request.stopPoints > 0 || !position.stopLevel, "a stop of no points");
    TIRAMON_FUZZ_REQUIRE(request.takePoints > 0 || !position.takeLevel, "a take of no points");
  } catch (const TradeError&) {
  }
}

inline void CheckBook(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Book book;
  try {
    book = BookFromXml(text);
  } catch (const UserError& refusal) {
    TIRAMON_FUZZ_REQUIRE(std::string_view(refusal.what()).size() > 0, "a refusal without words");
    return;
  }
  TIRAMON_FUZZ_REQUIRE(book.positions.size() <= kMaxBookPositions, "too many positions read");
  TIRAMON_FUZZ_REQUIRE(book.balance >= 0 && book.leverage >= 0, "a negative balance or leverage");
  for (const BookPosition& position : book.positions) CheckPosition(position);
  const std::string written = BookToXml(book);
  Book again;
  try {
    again = BookFromXml(written);
  } catch (const UserError& refusal) {
    Fail("the book written is refused: " + std::string(refusal.what()) + " in " + Shown(written));
  }
  TIRAMON_FUZZ_REQUIRE(again == book, "the book read back otherwise from " + Shown(written));
  TIRAMON_FUZZ_REQUIRE(BookToXml(again) == written, "written again in another text");
}

}  // namespace book_checks

using book_checks::CheckBook;

}  // namespace tiramon::fuzz
