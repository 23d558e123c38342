// The row cells in one buffer: texts of every length come back whole and in order, whichever way
// they are read, and the buffer compares like the vector of strings it stands for.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/controls.h"

namespace tiramon {
namespace {

TEST(SubItemsTest, CellsOfEveryLengthReadBackWhole) {
  // Lengths around the one-byte and two-byte length headers (127/128, 16383/16384).
  const std::vector<std::size_t> lengths = {0, 1, 127, 128, 300, 16383, 16384, 70000, 5};
  std::vector<std::string> texts;
  TSubItems cells;
  for (std::size_t i = 0; i < lengths.size(); ++i) {
    texts.push_back(std::string(lengths[i], static_cast<char>('a' + i)));
    if (!texts.back().empty()) texts.back().back() = '\0';  // bytes, NUL included, are kept
    cells.push_back(texts.back());
  }
  ASSERT_EQ(cells.size(), texts.size());
  EXPECT_TRUE(cells == texts);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE(lengths[i]);
    EXPECT_EQ(std::string_view(cells[i]), texts[i]);
    EXPECT_EQ(std::string(cells.at(i)), texts[i]);
  }
  EXPECT_EQ(std::string(cells.back()), texts.back());
  EXPECT_THROW(cells.at(texts.size()), std::out_of_range);

  // Forwards, backwards and by jumps the iterator finds the same cells.
  std::size_t i = 0;
  for (const std::string_view cell : cells) EXPECT_EQ(cell, texts[i++]);
  auto it = cells.end();
  for (std::size_t back = texts.size(); back-- > 0;) EXPECT_EQ(*--it, texts[back]);
  EXPECT_EQ(*(cells.begin() + 5), texts[5]);
  EXPECT_EQ((cells.begin() + 7)[-4], texts[3]);
  EXPECT_EQ(cells.end() - cells.begin(), static_cast<std::ptrdiff_t>(texts.size()));
  EXPECT_EQ(std::vector<std::string>(cells.begin() + 6, cells.end()),
            std::vector<std::string>(texts.begin() + 6, texts.end()));
}

TEST(SubItemsTest, AssignmentClearingAndComparison) {
  TSubItems cells;
  EXPECT_TRUE(cells.empty());
  cells = {"1.12340", "", "0.0002"};
  EXPECT_EQ(cells.size(), 3u);
  EXPECT_EQ(cells[1], "");
  EXPECT_EQ(cells[0] + "!", "1.12340!");
  const std::string bid = cells.size() > 0 ? cells[0] : std::string();
  EXPECT_EQ(bid, "1.12340");
  EXPECT_FALSE(cells == (std::vector<std::string>{"1.12340", "", "0.0003"}));
  EXPECT_FALSE(cells == (std::vector<std::string>{"1.12340", ""}));
  // Equal texts split differently are different rows.
  EXPECT_FALSE(cells == (TSubItems{"1.1234", "0", "0.0002"}));
  cells.clear();
  EXPECT_TRUE(cells.empty());
  EXPECT_TRUE(cells == TSubItems{});
}

}  // namespace
}  // namespace tiramon
