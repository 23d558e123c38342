// Where the official source's files and addresses come from: the rates that came with the program
// in an installed tree and in a build tree, and the metals' address in the settings file.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/bundled_rates.h"
#include "app/settings_rules.h"
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

TEST(MetalsAddress, ReadFromTheSettingsLikeTheBanks) {
  StoredSettings stored;
  stored.state = StoredSettings::State::Read;
  stored.values["quotes/metalsUrl"] = " http://127.0.0.1:9/metals.asp ";
  Environment environment;
  ApplySettings(stored, environment);
  EXPECT_EQ(environment.metalsUrl, "http://127.0.0.1:9/metals.asp");
  EXPECT_EQ(environment.settingsNote, "");

  stored.values["quotes/metalsUrl"] = "ftp://127.0.0.1/metals";
  Environment refused;
  ApplySettings(stored, refused);
  EXPECT_EQ(refused.metalsUrl, "");  // the bank's own address
  EXPECT_EQ(refused.settingsNote,
            "В файле настроек неверно: адрес цен металлов ЦБ РФ; взяты исходные");
}

}  // namespace
}  // namespace tiramon
