// Where the program keeps its files: beside a build's executable, in the user's data folder once
// installed, when the executable's folder is not writable, or when others may write it too.
#include "app/program_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace tiramon {
namespace {

namespace fs = std::filesystem;

class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("tiramon-folder-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "prefix" / "bin");
    // Whatever the umask: a build folder only its owner writes.
    ::chmod((root_ / "prefix" / "bin").c_str(), 0755);
    const char* old = std::getenv("XDG_DATA_HOME");
    oldXdg_ = old ? old : "";
    hadXdg_ = old != nullptr;
    ::setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
  }
  void TearDown() override {
    if (hadXdg_) {
      ::setenv("XDG_DATA_HOME", oldXdg_.c_str(), 1);
    } else {
      ::unsetenv("XDG_DATA_HOME");
    }
    fs::remove_all(root_);
  }
  fs::path root_;
  std::string oldXdg_;
  bool hadXdg_ = false;
};

TEST_F(ProgramFolderTest, BuildFolderIsUsedAsItIs) {
  EXPECT_EQ(ChooseProgramFolder(root_ / "prefix" / "bin"), root_ / "prefix" / "bin");
  EXPECT_FALSE(fs::exists(root_ / "data"));
}

TEST_F(ProgramFolderTest, AFolderOthersMayWriteIsPassedOverForTheDataFolder) {
  const fs::path bin = root_ / "prefix" / "bin";
  for (const mode_t mode : {0775, 0757, 01777}) {
    SCOPED_TRACE(mode);
    ASSERT_EQ(::chmod(bin.c_str(), mode), 0);
    EXPECT_EQ(ChooseProgramFolder(bin), root_ / "data" / "tiramon");
  }
  // Owned by someone else, even without a group or others' write bit (as root, the tests can
  // give it away; an ordinary user cannot).
  ASSERT_EQ(::chmod(bin.c_str(), 0755), 0);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(bin.c_str(), 65534, 65534), 0);
    EXPECT_EQ(ChooseProgramFolder(bin), root_ / "data" / "tiramon");
  }
}

TEST_F(ProgramFolderTest, InstalledProgramUsesTheDataFolderEvenWhenBinIsWritable) {
  fs::create_directories(root_ / "prefix" / "share" / "applications");
  std::ofstream(root_ / "prefix" / "share" / "applications" / "tiramon.desktop") << "[Desktop]";
  EXPECT_EQ(ChooseProgramFolder(root_ / "prefix" / "bin"), root_ / "data" / "tiramon");
  EXPECT_TRUE(fs::is_directory(root_ / "data" / "tiramon"));
}

TEST_F(ProgramFolderTest, MissingOrUnwritableFolderFallsBackToTheDataFolder) {
  EXPECT_EQ(ChooseProgramFolder(root_ / "no-such-folder"), root_ / "data" / "tiramon");
  // A relative XDG_DATA_HOME is ignored as the standard says: HOME's default is used instead.
  const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::setenv("XDG_DATA_HOME", "relative", 1);
  ::setenv("HOME", (root_ / "home").c_str(), 1);
  EXPECT_EQ(ChooseProgramFolder(root_ / "no-such-folder"),
            root_ / "home" / ".local" / "share" / "tiramon");
  ::setenv("HOME", oldHome.c_str(), 1);
}

}  // namespace
}  // namespace tiramon
