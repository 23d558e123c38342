// The program's own files: a read and a replacement never go through a symbolic link or into
// anything but a plain file, a replacement is whole or not there at all, and a file set aside
// never takes the place of another.
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

constexpr const char* kLinkNote =
    "Это символическая ссылка: программа не читает и не пишет свои файлы по ссылкам, и файл, на "
    "который она указывает, не тронут";

int FilesIn(const std::filesystem::path& folder) {
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++files;
  return files;
}

class FilesTest : public ::testing::Test {
 protected:
  // A file of the user's elsewhere, and a link to it planted under `name` in the folder.
  std::filesystem::path PlantLink(const std::string& name) {
    WriteFile(mine_, "the user's own bytes");
    std::filesystem::create_symlink(mine_, dir_ / name);
    return dir_ / name;
  }
  TempDir dir_;
  TempDir elsewhere_;
  std::filesystem::path mine_ = elsewhere_ / "letter.txt";
};

TEST_F(FilesTest, ALinkIsNeitherReadNorWrittenThrough) {
  const auto file = PlantLink("kotirovki.dat");
  const std::string prefix = "\"" + file.string() + "\". ";
  try {
    ReadWholeFile(file);
    ADD_FAILURE() << "read through a link";
  } catch (const FileError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file " + prefix + kLinkNote);
  }
  try {
    ReplaceFile(file, {"new"});
    ADD_FAILURE() << "written through a link";
  } catch (const FileError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + prefix + kLinkNote);
  }
  EXPECT_EQ(ReadFile(mine_), "the user's own bytes");
  EXPECT_TRUE(std::filesystem::is_symlink(file));
  EXPECT_EQ(FilesIn(dir_.path()), 1) << "no temporary file left";
}

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
  try {
    ReadWholeFile(dir_ / "missing");
    ADD_FAILURE() << "no error";
  } catch (const FileError& e) {
    EXPECT_EQ(e.code(), ENOENT);
  }
  WriteFile(dir_ / "plain", std::string("a\0b", 3));
  EXPECT_EQ(ReadWholeFile(dir_ / "plain"), std::string("a\0b", 3));
}

TEST_F(FilesTest, AReplacementNotCommittedLeavesTheOldFileAndNoTemporary) {
  const auto file = dir_ / "news.txt";
  WriteFile(file, "old");
  {
    FileReplacement replacement(file);
    replacement.Write("half");
    EXPECT_TRUE(std::filesystem::exists(replacement.temporary()));
    EXPECT_EQ(replacement.temporary().parent_path(), dir_.path());
  }
  EXPECT_EQ(ReadFile(file), "old");
  EXPECT_EQ(FilesIn(dir_.path()), 1);
  {
    FileReplacement replacement(file);
    replacement.Write("new");
    replacement.Commit();
  }
  EXPECT_EQ(ReadFile(file), "new");
  EXPECT_EQ(FilesIn(dir_.path()), 1);
}

TEST_F(FilesTest, RenamingAsideNeverReplacesAFile) {
  WriteFile(dir_ / "a", "first");
  WriteFile(dir_ / "b", "second");
  EXPECT_FALSE(RenameWithoutReplacing(dir_ / "a", dir_ / "b"));
  EXPECT_EQ(ReadFile(dir_ / "b"), "second");
  EXPECT_TRUE(RenameWithoutReplacing(dir_ / "a", dir_ / "c"));
  EXPECT_EQ(ReadFile(dir_ / "c"), "first");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "a"));
  EXPECT_THROW(RenameWithoutReplacing(dir_ / "a", dir_ / "d"), FileError);
}

}  // namespace
}  // namespace tiramon
