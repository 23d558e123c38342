// What a save changes in the settings file (only what the user changed; the broker's conditions as
// one), and where a damaged file is set aside.
#include "app/settings_rules.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "app/build_config.h"
#include "support/files.h"
#include "tests/support/test_files.h"

namespace tiramon {
namespace {

using Values = std::vector<std::pair<std::string, std::string>>;

StoredSettings Read(std::map<std::string, std::string> values) {
  return StoredSettings{StoredSettings::State::Read, std::move(values)};
}
StoredSettings NoFile() { return StoredSettings{StoredSettings::State::Missing, {}}; }

TEST(SettingsChange, OnlyWhatDiffersFromTheFilesMeaningIsWritten) {
  // The source the build starts with, which a file without the key means, and the other one.
  const bool pageByDefault = std::string_view(build::kQuoteSource) == "page";
  Environment base;
  base.quoteSource = pageByDefault ? QuoteSource::Page : QuoteSource::OfficialRates;
  Environment otherSource = base;
  otherSource.quoteSource = pageByDefault ? QuoteSource::OfficialRates : QuoteSource::Page;
  Environment official;
  official.quoteSource = QuoteSource::OfficialRates;
  Environment withBroker = base;
  withBroker.broker = BrokerConditions{"EUR", 7, 0, 0, 0, 0};
  Environment pageUrl;
  pageUrl.quotesUrl = "http://example.net/q";
  struct Case {
    const char* name;
    StoredSettings stored;
    Environment wanted;
    std::vector<std::string> emptied;
    Values values;
  } cases[] = {
      // A file without the source key means the build's default.
      {"nothing changed, no file", NoFile(), base, {}, {}},
      {"the source changed",
       NoFile(),
       otherSource,
       {},
       {{"quotes/source", pageByDefault ? "official" : "page"}}},
      {"a source the program could not use stays",
       Read({{"quotes/source", "banana"}}),
       withBroker,
       {"broker"},
       {{"broker/accountCurrency", "EUR"}, {"broker/commissionPerLot", "7"}}},
      {"the same source written otherwise stays",
       Read({{"quotes/source", " official "}}),
       official,
       {},
       {}},
      {"a new page address",
       Read({{"quotes/source", "official"}}),
       pageUrl,
       {},
       {{"quotes/source", "page"}, {"quotes/pageUrl", "http://example.net/q"}}},
      // Conditions set back to the defaults: the section goes, nothing is written in its place.
      {"conditions cleared", Read({{"broker/commissionPerLot", "7"}}), base, {"broker"}, {}},
      {"conditions the same",
       Read({{"broker/accountCurrency", "EUR"}, {"broker/commissionPerLot", "7.0"}}),
       withBroker,
       {},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const SettingsChange change = SettingsChangeFor(c.stored, c.wanted);
    EXPECT_EQ(change.emptiedSections, c.emptied);
    EXPECT_EQ(change.values, c.values);
  }
}

TEST(SettingsChange, ADamagedFileIsSetAsideUnderANameNoEarlierCopyHolds) {
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
