// The book's file: its text, a round trip, a file of a newer version, the texts that are none of
// ours, the damaged file set aside at the start; and a position's levels as the engine's points.
#include "app/book_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/errors.h"
#include "tests/support/test_files.h"

namespace tiramon {
namespace {

BookPosition Kept(const char* symbol, bool buying, double lots, double open,
                  std::optional<double> stop, std::optional<double> take, bool planned = false) {
  return BookPosition{symbol, buying, lots, open, stop, take, planned, {}};
}

TEST(BookFile, WritesEachPositionAsAnElementAndReadsItBack) {
  Book book;
  book.balance = 100000;  // written in full, never "1e+05"
  book.leverage = 100;
  book.positions = {Kept("EUR/USD", true, 0.1, 1.1002, 1.0987, 1.1052),
                    Kept("USD/JPY", false, 2, 150.02, std::nullopt, 149.5, true)};
  const std::string text = BookToXml(book);
  EXPECT_EQ(text,
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<book version=\"1\" balance=\"100000\" leverage=\"100\">\n"
            "  <position symbol=\"EUR/USD\" side=\"buy\" lots=\"0.1\" open=\"1.1002\" "
            "stop=\"1.0987\" take=\"1.1052\" state=\"open\" />\n"
            "  <position symbol=\"USD/JPY\" side=\"sell\" lots=\"2\" open=\"150.02\" "
            "take=\"149.5\" state=\"planned\" />\n"
            "</book>\n");
  EXPECT_EQ(BookFromXml(text), book);
  EXPECT_EQ(BookFromXml(BookToXml(Book{})), Book{});
}

TEST(BookFile, ANewerVersionsFileIsReadAndWhatItAddedIsKept) {
  const std::string newer =
      "<book version=\"3\" balance=\"5000\" owner=\"prop-1\">"
      "<account id=\"7\"><note>daily reset 00:00</note></account>"
      "<position symbol=\"GBP/USD\" side=\"buy\" lots=\"0.5\" open=\"1.25\" stop=\"1.24\" "
      "magic=\"42\" state=\"open\"><tag name=\"swing\"/></position></book>";
  const Book book = BookFromXml(newer);
  EXPECT_EQ(book.version, 3);
  EXPECT_EQ(book.balance, 5000);
  ASSERT_EQ(book.positions.size(), 1u);
  const BookPosition& p = book.positions[0];
  EXPECT_EQ(p.symbol, "GBP/USD");
  EXPECT_EQ(p.stopLevel, 1.24);
  EXPECT_FALSE(p.takeLevel.has_value());
  EXPECT_EQ(p.unknown.attributes,
            (std::vector<std::pair<std::string, std::string>>{{"magic", "42"}}));
  EXPECT_EQ(p.unknown.elements, std::vector<std::string>{"<tag name=\"swing\"/>"});
  EXPECT_EQ(book.unknown.attributes[0], (std::pair<std::string, std::string>{"owner", "prop-1"}));
  EXPECT_EQ(book.unknown.elements,
            std::vector<std::string>{"<account id=\"7\"><note>daily reset 00:00</note></account>"});
  // Written back, nothing of it is lost, nor its version.
  const std::string written = BookToXml(book);
  EXPECT_NE(written.find("<book version=\"3\""), std::string::npos) << written;
  EXPECT_EQ(BookFromXml(written), book);
}

TEST(BookFile, TextsThatAreNoBookOfOursSayWhy) {
  const std::string position = "<position symbol=\"EUR/USD\" side=\"buy\" lots=\"1\" open=\"1.1\"";
  std::string many = "<book>";
  for (std::size_t i = 0; i <= kMaxBookPositions; ++i) many += position + "/>";
  many += "</book>";
  const std::vector<std::pair<std::string, const char*>> rows = {
      {"", "это не документ XML или он обрезан"},
      {"<book>" + position, "это не документ XML или он обрезан"},
      {"<portfolio/>", "в нём нет портфеля"},
      {"<book><position side=\"buy\" lots=\"1\" open=\"1.1\"/></book>",
       "позиция 1: нет инструмента"},
      {"<book>" + position + " lots=\"2\"/></book>", "позиция 1: lots указан дважды"},
      {"<book><position symbol=\"EUR/USD\" side=\"buy\" lots=\"1,5\" open=\"1.1\"/></book>",
       "позиция 1: lots указан неверно («1,5»)"},
      {"<book><position symbol=\"EUR/USD\" side=\"buy\" lots=\"-1\" open=\"1.1\"/></book>",
       "позиция 1: lots указан неверно («-1»)"},
      {"<book><position symbol=\"EUR/USD\" side=\"long\" lots=\"1\" open=\"1.1\"/></book>",
       "позиция 1: направление указано неверно («long»)"},
      {"<book>" + position + " state=\"closed\"/></book>",
       "позиция 1: состояние указано неверно («closed»)"},
      {"<book version=\"1.5\"/>", "версия указана неверно («1.5»)"},
      {"<book balance=\"inf\"/>", "портфель: balance указан неверно («inf»)"},
      {many, "в нём больше 1000 позиций"},
  };
  for (const auto& [text, why] : rows) {
    SCOPED_TRACE(text.substr(0, 80));
    try {
      BookFromXml(text);
      ADD_FAILURE() << "read";
    } catch (const UserError& error) {
      EXPECT_STREQ(error.what(), why);
    }
  }
}

TEST(BookFile, ADamagedFileIsSetAsideAndTheBookStartsEmpty) {
  testing::TempDir dir;
  const auto file = dir / "book.xml";
  const auto now = std::chrono::system_clock::now();
  EXPECT_EQ(LoadBook(file, now).note, "") << "no file yet: nothing to say";

  testing::WriteFile(file, "<book><position symbol=");
  const LoadedBook damaged = LoadBook(file, now);
  EXPECT_TRUE(damaged.book.positions.empty());
  EXPECT_TRUE(damaged.writable);
  EXPECT_EQ(damaged.note.rfind("Файл портфеля book.xml повреждён (это не документ XML или он "
                               "обрезан): он сохранён как book.xml.damaged-",
                               0),
            0u)
      << damaged.note;
  EXPECT_FALSE(std::filesystem::exists(file));
  std::size_t kept = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_EQ(testing::ReadFile(entry.path()), "<book><position symbol=");
    ++kept;
  }
  EXPECT_EQ(kept, 1u);

  // Something that is no file under the name is not read, and the book is never written over it.
  std::filesystem::create_directory(file);
  const LoadedBook unreadable = LoadBook(file, now);
  EXPECT_FALSE(unreadable.writable);
  EXPECT_EQ(unreadable.note.rfind("Портфель не прочитан, и сохраняться он не будет: ", 0), 0u);
}

TEST(BookFile, LevelsBecomeThePointsTheEngineCountsWith) {
  struct Row {
    BookPosition position;
    double stopPoints, takePoints;
    const char* refusal;
  };
  const Row rows[] = {
      // 1.1002 − 1.0987 = 150 points of 0.00001, 1.1052 − 1.1002 = 500.
      {Kept("EUR/USD", true, 0.1, 1.1002, 1.0987, 1.1052), 150, 500, nullptr},
      {Kept("EUR/USD", false, 0.1, 1.1, 1.1015, 1.095), 150, 500, nullptr},
      // Yen points of 0.001: 150.02 − 149.87 = 150; a level between points keeps its fraction.
      {Kept("USD/JPY", true, 1, 150.02, 149.87, 150.0205), 150, 0.5, nullptr},
      // Gold's point is 0.01: 10 dollars are 1000 points.
      {Kept("XAU/USD", true, 1, 2000, 1990, std::nullopt), 1000, 0, nullptr},
      {Kept("EUR/USD", true, 0.1, 1.1, 1.1, std::nullopt), 0, 0,
       "Стоп лосс покупки ставят ниже цены открытия 1.1."},
      {Kept("EUR/USD", false, 0.1, 1.1, std::nullopt, 1.2), 0, 0,
       "Тэйк профит продажи ставят ниже цены открытия 1.1."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.position.symbol);
    const Instrument instrument = *KnownInstrument(row.position.symbol);
    if (row.refusal) {
      try {
        RequestOf(row.position, instrument, 1000, 100);
        ADD_FAILURE() << "counted";
      } catch (const TradeError& error) {
        EXPECT_STREQ(error.what(), row.refusal);
      }
      continue;
    }
    const TradeRequest r = RequestOf(row.position, instrument, 1000, 100);
    EXPECT_EQ(r.stopPoints, row.stopPoints);
    EXPECT_EQ(r.takePoints, row.takePoints);
    EXPECT_EQ(r.bid, row.position.openPrice);
    EXPECT_EQ(r.ask, row.position.openPrice);
    EXPECT_EQ(r.lots, row.position.lots);
  }
}

}  // namespace
}  // namespace tiramon
