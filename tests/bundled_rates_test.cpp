// Where the rates that came with the program are found: in an installed tree and in a build tree.
#include "app/bundled_rates.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/test_files.h"

namespace tiramon {
namespace {

using testing::TempDir;
using testing::WriteFile;

TEST(BundledRates, FoundFromTheExecutablesFolderInEachTree) {
  TempDir dir;
  // An installed tree: <prefix>/bin/tiramon beside <prefix>/share/tiramon/<file>.
  std::filesystem::create_directories(dir / "usr/bin");
  std::filesystem::create_directories(dir / "usr/share/tiramon");
  WriteFile(dir / "usr/share/tiramon" / kBundledRatesFileName, "x");
  EXPECT_EQ(FindBundledRates(dir / "usr/bin"), dir / "usr/share/tiramon" / kBundledRatesFileName);
  // A build tree: the program at its root, the copy in share/tiramon below it.
  std::filesystem::create_directories(dir / "build/share/tiramon");
  WriteFile(dir / "build/share/tiramon" / kBundledRatesFileName, "x");
  EXPECT_EQ(FindBundledRates(dir / "build"), dir / "build/share/tiramon" / kBundledRatesFileName);
  // Anywhere else, or a folder where the file should be: none.
  std::filesystem::create_directories(dir / "opt/bin");
  std::filesystem::create_directories(dir / "opt/share/tiramon" / kBundledRatesFileName);
  EXPECT_TRUE(FindBundledRates(dir / "opt/bin").empty());
  EXPECT_TRUE(FindBundledRates(dir / "elsewhere").empty());
  EXPECT_TRUE(FindBundledRates("").empty());
}

}  // namespace
}  // namespace tiramon
