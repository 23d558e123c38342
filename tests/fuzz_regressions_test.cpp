// Every input the fuzzers ever failed on (fuzz/regressions/<target>/) and every seed
// (fuzz/corpus/<target>/) runs again through the same checks the fuzzers use, in the normal
// build. The checks' own readings of the number grammars are held against known texts, so a
// wrong reference cannot hide a wrong parser.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/book_checks.h"
#include "fuzz/byte_reader.h"
#include "fuzz/http_reader_checks.h"
#include "fuzz/numtext_checks.h"
#include "fuzz/page_checks.h"
#include "fuzz/pattern_checks.h"
#include "fuzz/property.h"
#include "fuzz/rates_checks.h"
#include "fuzz/settings_checks.h"
#include "support/http_reader.h"

namespace tiramon::fuzz {
namespace {

namespace fs = std::filesystem;

struct FuzzTarget {
  const char* name;
  CheckFunction check;
};

constexpr FuzzTarget kTargets[] = {
    {"fuzz_numtext", CheckNumtext},
    {"fuzz_pattern", CheckPattern},
    {"fuzz_http_reader", CheckHttpReader},
    {"fuzz_page", CheckQuotePage},
    {"fuzz_ecb_rates", CheckEcbRates},
    {"fuzz_cbr_rates", CheckCbrRates},
    {"fuzz_settings", CheckSettings},
    {"fuzz_cbr_metals", CheckCbrMetals},
    {"fuzz_book", CheckBook},
};

fs::path FuzzFolder() { return fs::path(TIRAMON_TEST_DATA).parent_path().parent_path() / "fuzz"; }

std::vector<fs::path> FilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  if (!fs::is_directory(folder)) return files;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  return files;
}

std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Replay(const FuzzTarget& target, const fs::path& file) {
  SCOPED_TRACE(file.string());
  const std::string bytes = Contents(file);
  try {
    target.check(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  } catch (const std::exception& e) {
    ADD_FAILURE() << "property broken: " << e.what();
  }
}

class FuzzInputs : public ::testing::TestWithParam<FuzzTarget> {};

TEST_P(FuzzInputs, SeedsAndKeptFindingsPassTheChecks) {
  const FuzzTarget& target = GetParam();
  const std::vector<fs::path> seeds = FilesIn(FuzzFolder() / "corpus" / target.name);
  EXPECT_FALSE(seeds.empty()) << "no seed corpus for " << target.name;
  for (const fs::path& file : seeds) Replay(target, file);
  for (const fs::path& file : FilesIn(FuzzFolder() / "regressions" / target.name)) {
    Replay(target, file);
  }
}

INSTANTIATE_TEST_SUITE_P(AllTargets, FuzzInputs, ::testing::ValuesIn(kTargets),
                         [](const ::testing::TestParamInfo<FuzzTarget>& info) {
                           return std::string(info.param.name);
                         });

// A folder of findings for a target that does not exist would never be replayed.
TEST(FuzzFolders, EveryFolderBelongsToATarget) {
  for (const char* kind : {"corpus", "regressions"}) {
    const fs::path folder = FuzzFolder() / kind;
    if (!fs::is_directory(folder)) continue;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      bool known = false;
      for (const FuzzTarget& target : kTargets) known = known || name == target.name;
      EXPECT_TRUE(known) << entry.path();
    }
  }
}

// Found by fuzz_http_reader: a folded line of blanks, or a fold onto an empty value, left blanks
// around the value, so a folded Location header sent the redirect to " /next".
TEST(FuzzFindings, FoldedHeaderValuesHaveNoBlanksAround) {
  struct Case {
    const char* headers;
    const char* value;
  };
  const Case cases[] = {
      {"Location:\r\n /next\r\n", "/next"},
      {"Location: /a\r\n\t b \r\n", "/a b"},
      {"Location: /a\r\n   \r\n", "/a"},
      {"Location:\r\n \r\n", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.headers);
    http::StringSource source(std::string("HTTP/1.1 302 Found\r\n") + c.headers + "\r\n");
    http::ResponseReader reader(source);
    http::HeaderBudget budget{http::Limits{}};
    const http::ResponseHead head = reader.ReadHead(budget, http::ReadTimer{});
    ASSERT_NE(head.Find("Location"), nullptr);
    EXPECT_EQ(*head.Find("Location"), c.value);
  }
}

TEST(FuzzOracles, DecimalGrammarReadsTheKnownTexts) {
  struct Case {
    const char* text;
    std::optional<long double> value;
  };
  const Case cases[] = {
      {" 1.5 ", 1.5L}, {"+7", 7.0L},      {".5", 0.5L},    {"5.", 5.0L},  {".", 0.0L},
      {"-.", 0.0L},    {"1e3", 1000.0L},  {"1E", 1.0L},    {"5E+", 5.0L}, {"1,5", {}},
      {"1 000", {}},   {"5%", {}},        {"", {}},        {"-", {}},     {"\t1", {}},
      {"1E5000", {}},  {"1E499", 1e499L}, {"0.15", 0.15L}, {"1..2", {}},  {"e5", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto reading = numtext_checks::ReadDecimal(c.text, '.');
    std::optional<long double> value;
    if (reading) {
      const long double nearest = numtext_checks::NearestExtended(*reading);
      if (std::isfinite(nearest)) value = nearest;
    }
    EXPECT_EQ(value, c.value);
  }
}

TEST(FuzzOracles, IntegerGrammarReadsTheKnownTexts) {
  struct Case {
    const char* text;
    std::optional<std::int32_t> value;
  };
  const Case cases[] = {
      {" 1000", 1000},
      {"1000 ", {}},
      {"1000.0", {}},
      {"$10", 16},
      {"x1f", 31},
      {"-0X10", -16},
      {"0x", {}},
      {"$", {}},
      {"-", {}},
      {"", {}},
      {"$-1", {}},
      {"2147483648", {}},
      {"-2147483648", INT32_MIN},
      {"+2147483647", INT32_MAX},
      {"- 1", {}},
      {"0", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(numtext_checks::ReadInteger(c.text), c.value);
  }
}

TEST(FuzzOracles, GeneralShapeTellsWrongTextsFromRightOnes) {
  struct Case {
    const char* text;
    bool right;
  };
  const Case cases[] = {
      {"0", true},
      {"100", true},
      {"0.333333333333333", true},
      {"0.0001", true},
      {"1E-5", true},
      {"999999999999999", true},
      {"1E15", true},
      {"1.23456789012346E17", true},
      {"-2.5", true},
      {"-0", false},
      {"1.50", false},
      {"1.", false},
      {"00.5", false},
      {"0.00001", false},
      {"1000000000000000", false},
      {"1E5", false},
      {"1E+20", false},
      {"1E020", false},
      {"12E20", false},
      {"0.3333333333333333", false},
      {"1.234567890123456E20", false},
      {"1234567890123456.5", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(numtext_checks::GeneralShapeProblem(c.text, '.').empty(), c.right);
  }
}

TEST(FuzzOracles, ByteReaderTakesNumbersOffTheEndAndBytesOffTheFront) {
  const std::uint8_t data[] = {'a', 'b', 'c', 0x01, 0x02, 7};
  ByteReader in(data, sizeof data);
  EXPECT_EQ(in.Integral<int>(0, 9), 7);
  EXPECT_EQ(in.Integral<int>(0, 65535), 0x0201);  // the byte nearer the end is the higher one
  EXPECT_EQ(in.Rest(), "abc");
  EXPECT_EQ(in.Integral<int>(-5, 5), -5);  // nothing left: the least value
}

}  // namespace
}  // namespace tiramon::fuzz
