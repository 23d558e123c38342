// Where a damaged settings file is set aside before a save: under its time, and never over an
// earlier copy. (What a save writes is held by the fuzz target's properties and the desktop's
// settings file tests.)
#include "app/settings_rules.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <string>

#include "support/files.h"
#include "tests/support/test_files.h"

namespace tiramon {
namespace {

TEST(SettingsAside, ADamagedFileIsSetAsideUnderANameNoEarlierCopyHolds) {
  testing::TempDir dir;
  const auto file = dir / "tiramon.conf";
  std::tm local{};
  local.tm_year = 2024 - 1900;
  local.tm_mon = 2;  // March
  local.tm_mday = 5;
  local.tm_hour = 9;
  local.tm_min = 7;
  local.tm_sec = 3;
  local.tm_isdst = -1;
  const auto when = std::chrono::system_clock::from_time_t(std::mktime(&local));
  const std::string stem = file.string() + ".damaged-20240305-090703";
  for (const std::string& expected : {stem, stem + "-2", stem + "-3"}) {
    testing::WriteFile(file, "garbage " + expected);
    EXPECT_EQ(KeepDamagedSettingsAside(file, when).string(), expected);
    EXPECT_FALSE(std::filesystem::exists(file));
  }
  EXPECT_EQ(testing::ReadFile(stem), "garbage " + stem);  // the first copy untouched
  EXPECT_THROW(KeepDamagedSettingsAside(dir / "missing.conf", when), InOutError);
}

}  // namespace
}  // namespace tiramon
