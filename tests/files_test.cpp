// The program's own files where the refreshes' tests cannot reach: a link planted while a
// replacement is being written, and a pipe under a file's name.
#include "support/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "tests/support/test_files.h"

namespace tiramon {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

int FilesIn(const std::filesystem::path& folder) {
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++files;
  return files;
}

class FilesTest : public ::testing::Test {
 protected:
  TempDir dir_;
  TempDir elsewhere_;
  std::filesystem::path mine_ = elsewhere_ / "letter.txt";
};

TEST_F(FilesTest, ALinkPlantedWhileTheReplacementIsWrittenIsRefused) {
  const auto file = dir_ / "news.txt";
  WriteFile(file, "old");
  const std::string big(100 * 1024, 'n');
  EXPECT_THROW(ReplaceFile(file, {big},
                           [&](std::size_t) {
                             if (std::filesystem::is_symlink(file)) return;
                             std::filesystem::remove(file);
                             std::filesystem::create_symlink(mine_, file);
                             WriteFile(mine_, "the user's own bytes");
                           }),
               FileError);
  EXPECT_EQ(ReadFile(mine_), "the user's own bytes");
  EXPECT_EQ(FilesIn(dir_.path()), 1);
}

TEST_F(FilesTest, OnlyAPlainFileIsRead) {
  const auto pipe = dir_ / "news.txt";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  // A pipe with no writer would block an ordinary open for good.
  try {
    ReadWholeFile(pipe);
    ADD_FAILURE() << "a pipe was read";
  } catch (const FileError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + pipe.string() +
                                         "\". Это не обычный файл: программа его не открывает");
  }
}

}  // namespace
}  // namespace tiramon
