// The matcher: the quote row pattern on entries that can trip it up, the search and group rules,
// the modifiers, the error messages, and the literal-chain scan checked against the
// backtracking engine on generated patterns and texts.
#include "support/regexpr.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "quotes/page_parser.h"
#include "tests/quote_pages.h"

namespace tiramon {
namespace {

using test_pages::QuoteEntry;

struct Captures {
  std::string name, bid, ask;
  friend bool operator==(const Captures&, const Captures&) = default;
};

std::ostream& operator<<(std::ostream& out, const Captures& c) {
  return out << "{" << c.name << " | " << c.bid << " | " << c.ask << "}";
}

// All matches of the quote row pattern, set up the way the page parser sets up its matcher.
std::vector<Captures> RowMatches(std::string_view text,
                                 TRegExpr::Engine engine = TRegExpr::Engine::kAuto) {
  TRegExpr re;
  re.SetEngine(engine);
  re.SetModifier('m', true);
  re.SetModifier('i', true);
  re.SetInputString(text);
  re.SetExpression(quotes::kQuoteRowPattern);
  std::vector<Captures> found;
  for (bool ok = re.Exec(); ok; ok = re.ExecNext()) {
    found.push_back({re.GroupText(1), re.GroupText(2), re.GroupText(3)});
  }
  return found;
}

TEST(RegExprTest, QuoteRowPatternIsTheFixedText) {
  EXPECT_EQ(quotes::kQuoteRowPattern.size(), 113u);
  TRegExpr re;
  re.SetModifier('i', true);
  re.SetExpression(quotes::kQuoteRowPattern);
  EXPECT_TRUE(re.UsesLiteralChain());
}

TEST(RegExprTest, QuoteRowPatternOnAwkwardEntries) {
  const std::string eurusd = QuoteEntry("EUR/USD", "1.1234", "1.1236");
  const std::string usdjpy = QuoteEntry("USD/JPY", "110.25", "110.27");
  struct Case {
    const char* what;
    std::string text;
    std::vector<Captures> expected;
  };
  const Case cases[] = {
      {"plain entry", eurusd, {{"EUR/USD", "1.1234", "1.1236"}}},
      {"tags in capitals",
       "<TD><A HREF=\"/CURRENCIES/eur-usd\"  TITLE=\"Euro\" >EUR/USD</A></TD><TD CLASS=\"b\">"
       "1.1234</TD><TD CLASS=\"a\">1.1236</TD>",
       {{"EUR/USD", "1.1234", "1.1236"}}},
      {"entry over several lines",
       "<a href=\"/currencies/eur-usd\"  title=\"Euro\r\nvs Dollar\" >EUR/USD</a></td><td "
       "class=\"bid\n up\">1.1234</td><td class=\"ask\n up\">1.1236</td>",
       {{"EUR/USD", "1.1234", "1.1236"}}},
      {"line break inside the link text is kept",
       "<a href=\"/currencies/x\"  title=\"t\" >EUR/\nUSD</a></td><td class=\"b\">1.1</td><td "
       "class=\"a\">1.2</td>",
       {{"EUR/\nUSD", "1.1", "1.2"}}},
      {"adjacent rows stay apart",
       eurusd + usdjpy,
       {{"EUR/USD", "1.1234", "1.1236"}, {"USD/JPY", "110.25", "110.27"}}},
      {"adjacent rows without a line break",
       eurusd.substr(0, eurusd.size() - 1) + usdjpy,
       {{"EUR/USD", "1.1234", "1.1236"}, {"USD/JPY", "110.25", "110.27"}}},
      {"a NUL ends the text",
       eurusd + std::string(1, '\0') + usdjpy,
       {{"EUR/USD", "1.1234", "1.1236"}}},
      {"a NUL before the first entry hides everything", std::string(1, '\0') + eurusd, {}},
      {"one blank before title: swallowed up to the next good entry",
       "<a href=\"/currencies/bad\" title=\"t\" >BAD/ONE</a></td><td class=\"b\">1</td><td "
       "class=\"a\">2</td>" +
           usdjpy,
       {{"USD/JPY", "110.25", "110.27"}}},
      {"no blank before '>': the title runs on into the next entry",
       "<a href=\"/currencies/bad\"  title=\"t\">BAD/ONE</a></td><td class=\"b\">1</td><td "
       "class=\"a\">2</td>" +
           usdjpy,
       {{"USD/JPY", "110.25", "110.27"}}},
      {"menu links without a title do not disturb the rows",
       "<ul><li><a href=\"/currencies\">All</a></li><li><a href=\"/currencies/eur-usd\">EUR/USD"
       "</a></li></ul>" +
           eurusd + "<a href=\"/currencies/footer\">More</a>",
       {{"EUR/USD", "1.1234", "1.1236"}}},
      {"an entry that never closes gives nothing",
       "<a href=\"/currencies/x\"  title=\"t\" >EUR/USD</a></td><td class=\"b\">1.1234",
       {}},
      {"empty text", "", {}},
      {"another layout", "<html><body><p>No quotes today.</p></body></html>", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(RowMatches(c.text), c.expected);
    EXPECT_EQ(RowMatches(c.text, TRegExpr::Engine::kBacktracking), c.expected);
  }
}

TEST(RegExprTest, GroupsOfAMatchAndAfterAFailedSearch) {
  TRegExpr re;
  re.SetModifier('i', true);
  re.SetInputString("xx" + QuoteEntry("EUR/USD", "1.1234", "1.1236"));
  re.SetExpression(quotes::kQuoteRowPattern);
  ASSERT_TRUE(re.Exec());
  EXPECT_EQ(re.MatchPos(0), 24);  // after "xx<tr><td class=\"pair\">"
  EXPECT_EQ(re.GroupText(0).substr(0, 20), "<a href=\"/currencies");
  EXPECT_EQ(re.GroupText(0).substr(re.GroupText(0).size() - 5), "</td>");
  EXPECT_EQ(re.GroupText(1), "EUR/USD");
  for (int n : {-1, 4, 14, 15, 100}) {
    SCOPED_TRACE(n);
    EXPECT_EQ(re.GroupText(n), "");
  }
  EXPECT_FALSE(re.ExecNext());
  for (int n = 0; n < 15; ++n) EXPECT_EQ(re.GroupText(n), "") << n;
  EXPECT_EQ(re.MatchPos(0), -1);
}

TEST(RegExprTest, SuccessiveMatchesAndEmptyMatches) {
  struct Case {
    const char* pattern;
    const char* text;
    std::vector<std::pair<int, int>> expected;  // (position, length) of each match
  };
  const Case cases[] = {
      // An empty match moves the next search one character on, up to the end plus one.
      {".*?", "abc", {{1, 0}, {2, 0}, {3, 0}, {4, 0}}},
      {"x*", "axxb", {{1, 0}, {2, 2}, {4, 0}, {5, 0}}},
      {"a.*?b", "aabab", {{1, 3}, {4, 2}}},
      {"(a)(.*?)(b)", "xaxbab", {{2, 3}, {5, 2}}},
      {"ab", "ababab", {{1, 2}, {3, 2}, {5, 2}}},
      {"aa", "aaa", {{1, 2}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    TRegExpr re;
    re.SetInputString(c.text);
    re.SetExpression(c.pattern);
    std::vector<std::pair<int, int>> found;
    for (bool ok = re.Exec(); ok; ok = re.ExecNext()) {
      found.emplace_back(re.MatchPos(0), re.MatchLen(0));
    }
    EXPECT_EQ(found, c.expected);
  }
}

TEST(RegExprTest, SearchFromAPosition) {
  TRegExpr re;
  re.SetInputString("abcabc");
  re.SetExpression("b");
  ASSERT_TRUE(re.ExecPos(3));
  EXPECT_EQ(re.MatchPos(0), 5);
  EXPECT_FALSE(re.ExecPos(7));
  EXPECT_FALSE(re.ExecPos(8));  // beyond the end plus one
  re.SetExpression(".*?");
  EXPECT_TRUE(re.ExecPos(7));  // the empty match at the very end
  EXPECT_FALSE(re.ExecPos(8));
}

TEST(RegExprTest, Modifiers) {
  struct Case {
    const char* what;
    std::vector<std::pair<char, bool>> modifiers;
    const char* pattern;
    const char* text;
    const char* expected;  // group 0 or nullptr for no match
  };
  const Case cases[] = {
      {"case matters by default", {}, "abc", "xABC", nullptr},
      {"i: either case", {{'i', true}}, "abc", "xABC", "ABC"},
      {"i works on the backtracking path too", {{'i', true}}, "a[b]c", "xABC", "ABC"},
      {"s on: . crosses lines", {}, "a.*?c", "a\r\nc", "a\r\nc"},
      {"s off: . stops at line breaks", {{'s', false}}, "a.*?c", "a\nc a-c", "a-c"},
      {"g on: plain star is greedy", {}, "a.*b", "a1b2b", "a1b2b"},
      {"g off: plain star is lazy", {{'g', false}}, "a.*b", "a1b2b", "a1b"},
      {"g off: lazy star turns greedy", {{'g', false}}, "a.*?b", "a1b2b", "a1b2b"},
      {"m off: ^ only at the start", {}, "^b", "a\nb", nullptr},
      {"m on: ^ after a line break", {{'m', true}}, "^b", "a\nb", "b"},
      {"x on: blanks are not part of the pattern", {{'x', true}}, "a b  c # note", "abc", "abc"},
      {"x off: blanks count", {}, "a b", "ab a b", "a b"},
      {"r on: a-ya takes yo", {}, "[\xE0-\xFF]+", "x\xE5\xB8\xE6", "\xE5\xB8\xE6"},
      {"r on: A-YA takes YO", {}, "[\xC0-\xDF]", "\xA8", "\xA8"},
      {"r off: yo is outside the range", {{'r', false}}, "[\xE0-\xFF]+", "\xE5\xB8", "\xE5"},
      {"r on: a negated class leaves yo out", {}, "[^\xE0-\xFF]", "\xB8\xE0z", "z"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TRegExpr re;
    for (auto [letter, on] : c.modifiers) re.SetModifier(letter, on);
    re.SetInputString(c.text);
    re.SetExpression(c.pattern);
    if (c.expected == nullptr) {
      EXPECT_FALSE(re.Exec());
    } else {
      ASSERT_TRUE(re.Exec());
      EXPECT_EQ(re.GroupText(0), c.expected);
    }
  }
}

TEST(RegExprTest, DefaultsAndRecompilationAfterAModifierChange) {
  TRegExpr re;
  const std::pair<char, bool> defaults[] = {{'i', false}, {'r', true},  {'s', true},
                                            {'g', true},  {'m', false}, {'x', false}};
  for (auto [letter, on] : defaults) EXPECT_EQ(re.GetModifier(letter), on) << letter;

  re.SetInputString("<A HREF=x>");
  re.SetExpression("<a href=");
  EXPECT_FALSE(re.Exec());
  re.SetModifier('I', true);  // letters are accepted in either case
  EXPECT_TRUE(re.Exec());
  re.SetModifier('i', false);
  EXPECT_FALSE(re.Exec());
}

// A view is searched where it lies, up to its first NUL like a copied input, and a later copied
// input no longer refers to it.
TEST(RegExprTest, InputViewIsReadInPlace) {
  const std::string text("x<b>12</b>y\0<b>34</b>", 21);
  TRegExpr re;
  re.SetExpression("<b>(.*?)</b>");
  re.SetInputView(text);
  EXPECT_EQ(re.InputString().data(), text.data());
  EXPECT_EQ(re.InputString().size(), 11u);
  ASSERT_TRUE(re.Exec());
  EXPECT_EQ(re.GroupText(1), "12");
  EXPECT_EQ(re.MatchPos(1), 5);
  EXPECT_FALSE(re.ExecNext());  // the entry after the NUL is not read
  re.SetInputString(text);
  EXPECT_NE(re.InputString().data(), text.data());
  ASSERT_TRUE(re.Exec());
  EXPECT_EQ(re.GroupText(1), "12");
}

TEST(RegExprTest, NewInputClearsTheMatch) {
  TRegExpr re;
  re.SetExpression("a");
  re.SetInputString("aaa");
  ASSERT_TRUE(re.Exec());
  re.SetInputString("a\0a");
  EXPECT_EQ(re.InputString(), "a");
  EXPECT_EQ(re.GroupText(0), "");
  try {
    re.ExecNext();
    FAIL() << "ExecNext after a new input went on";
  } catch (const ERegExpr& e) {
    EXPECT_STREQ(e.what(), "TRegExpr(exec): ExecNext Without Exec[Pos]");
  }
}

TEST(RegExprTest, ErrorMessages) {
  struct Case {
    const char* what;
    std::function<void(TRegExpr&)> action;
    const char* message;
    int errorCode;
    int position;
  };
  using namespace regexpr_errors;
  const Case cases[] = {
      {"no input",
       [](TRegExpr& re) {
         re.SetExpression("a");
         re.Exec();
       },
       "TRegExpr(exec): No Input String Specified", kNoInputString, 0},
      {"no expression",
       [](TRegExpr& re) {
         re.SetInputString("a");
         re.Exec();
       },
       "TRegExpr(exec): Not Assigned Expression Property", kNoExpression, 0},
      {"ExecNext before any search",
       [](TRegExpr& re) {
         re.SetInputString("a");
         re.SetExpression("a");
         re.ExecNext();
       },
       "TRegExpr(exec): ExecNext Without Exec[Pos]", kExecNextWithoutExec, 0},
      {"ExecNext after a failed search",
       [](TRegExpr& re) {
         re.SetInputString("a");
         re.SetExpression("b");
         re.Exec();
         re.ExecNext();
       },
       "TRegExpr(exec): ExecNext Without Exec[Pos]", kExecNextWithoutExec, 0},
      {"offset 0",
       [](TRegExpr& re) {
         re.SetInputString("a");
         re.SetExpression("a");
         re.ExecPos(0);
       },
       "TRegExpr(exec): Offset Must Be Greater Then 0", kBadOffset, 0},
      {"unclosed group",
       [](TRegExpr& re) {
         re.SetInputString("a");
         re.SetExpression("x(a.*?");
         re.Exec();
       },
       "TRegExpr(comp): ParseReg Unmatched () (pos 2)", kUnmatchedParentheses, 2},
      {"stray closing parenthesis",
       [](TRegExpr& re) {
         re.SetInputString("a");
         re.SetExpression("(a))");
         re.Exec();
       },
       "TRegExpr(comp): ParseReg Unmatched () (pos 4)", kUnmatchedParentheses, 4},
      {"escaped and class parentheses do not count, the rest does",
       [](TRegExpr& re) {
         re.SetInputString("a");
         re.SetExpression("\\([(]a)");
         re.Exec();
       },
       "TRegExpr(comp): ParseReg Unmatched () (pos 7)", kUnmatchedParentheses, 7},
      {"unknown modifier letter", [](TRegExpr& re) { re.SetModifier('z', true); },
       "TRegExpr(comp): Urecognized Modifier", kUnknownModifier, 0},
      {"unknown inline modifier",
       [](TRegExpr& re) {
         re.SetInputString("a");
         re.SetExpression("(?z)a");
         re.Exec();
       },
       "TRegExpr(comp): Urecognized Modifier (pos 3)", kUnknownModifier, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TRegExpr re;
    try {
      c.action(re);
      ADD_FAILURE() << "no error";
    } catch (const ERegExpr& e) {
      EXPECT_STREQ(e.what(), c.message);
      EXPECT_EQ(e.ErrorCode, c.errorCode);
      EXPECT_EQ(e.CompilerErrorPos, c.position);
    }
  }
}

// ---- The literal chain against the backtracking engine ------------------------------------

struct MatchRecord {
  std::vector<int> slots;  // position and length of every group
  friend bool operator==(const MatchRecord&, const MatchRecord&) = default;
};

std::vector<MatchRecord> AllMatches(TRegExpr& re) {
  std::vector<MatchRecord> found;
  for (bool ok = re.Exec(); ok && found.size() < 200; ok = re.ExecNext()) {
    MatchRecord record;
    for (int n = 0; n < 15; ++n) {
      record.slots.push_back(re.MatchPos(n));
      record.slots.push_back(re.MatchLen(n));
    }
    found.push_back(record);
  }
  return found;
}

// A pattern of literal pieces from a small alphabet, groups and lazy runs; the texts use the
// same letters so that pieces occur often, overlap and come in both cases.
std::string RandomChainPattern(std::mt19937& rng) {
  static constexpr const char* kPieces[] = {"a", "b", "A", "ab", "ba", "aa", "\\\"", "<", "/"};
  std::string pattern;
  int open = 0;
  int gaps = 0;
  const int length = std::uniform_int_distribution<int>(1, 9)(rng);
  for (int i = 0; i < length; ++i) {
    const int choice = std::uniform_int_distribution<int>(0, 5)(rng);
    // More lazy runs would make the backtracking engine itself give up (its work grows with
    // the text length to the power of their number).
    if (choice < 2 && gaps < 3) {
      pattern += ".*?";
      ++gaps;
    } else if (choice == 2) {
      pattern += '(';
      ++open;
    } else if (choice == 3 && open > 0) {
      pattern += ')';
      --open;
    } else {
      pattern += kPieces[std::uniform_int_distribution<int>(0, 8)(rng)];
    }
  }
  pattern.append(static_cast<std::size_t>(open), ')');
  return pattern;
}

std::string RandomText(std::mt19937& rng) {
  static constexpr char kLetters[] = {'a', 'b', 'A', 'B', '"', '<', '/', '\n', 'x'};
  std::string text(std::uniform_int_distribution<std::size_t>(0, 40)(rng), ' ');
  for (char& c : text) c = kLetters[std::uniform_int_distribution<int>(0, 8)(rng)];
  return text;
}

TEST(RegExprTest, LiteralChainAgreesWithBacktracking) {
  std::mt19937 rng(20240611);
  int chains = 0;
  for (int round = 0; round < 3000; ++round) {
    const std::string pattern = RandomChainPattern(rng);
    const bool caseless = round % 2 == 0;
    TRegExpr fast;
    TRegExpr oracle;
    oracle.SetEngine(TRegExpr::Engine::kBacktracking);
    for (TRegExpr* re : {&fast, &oracle}) {
      re->SetModifier('i', caseless);
      re->SetExpression(pattern);
    }
    chains += fast.UsesLiteralChain() ? 1 : 0;
    for (int t = 0; t < 5; ++t) {
      const std::string text = RandomText(rng);
      fast.SetInputString(text);
      oracle.SetInputString(text);
      std::vector<MatchRecord> expected;
      try {
        expected = AllMatches(oracle);
      } catch (const ERegExpr& e) {
        ADD_FAILURE() << e.what() << " pattern " << pattern << " text [" << text << "]";
        continue;
      }
      ASSERT_EQ(AllMatches(fast), expected)
          << "pattern " << pattern << " text [" << text << "] caseless " << caseless;
    }
  }
  EXPECT_EQ(chains, 3000);  // every generated pattern took the literal-chain path
}

TEST(RegExprTest, LiteralChainAgreesWithBacktrackingOnPages) {
  const std::string pages[] = {
      test_pages::ReadDataFile("quotes_majors.html", TIRAMON_TEST_DATA),
      test_pages::RealisticPage(40000, 12),
      test_pages::Repeated(test_pages::kLinkWithoutTitle, 3000) + QuoteEntry("A/B", "1", "2"),
      test_pages::Repeated(test_pages::kOneBlankEntry, 3000) + QuoteEntry("A/B", "1", "2"),
      test_pages::Repeated(test_pages::kUnclosedEntry, 1500),
      test_pages::Repeated(test_pages::kUnclosedCellEntry, 1500),
  };
  for (const std::string& page : pages) {
    SCOPED_TRACE(page.size());
    EXPECT_EQ(RowMatches(page), RowMatches(page, TRegExpr::Engine::kBacktracking));
  }
}

// Case folding is for ASCII letters only, whether the byte falls where sixteen are compared at
// a time or in the short tail of the text.
TEST(RegExprTest, CaselessLiteralsFoldOnlyAsciiLetters) {
  auto lower = [](int c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
  int mismatches = 0;
  for (int p = 1; p < 256; ++p) {
    const bool alnum = std::isalnum(p) != 0 && p < 128;
    const std::string piece = (alnum ? "" : "\\") + std::string(1, static_cast<char>(p));
    // The byte as the needle's first, last and middle character.
    for (const std::string& pattern : {piece, piece + "x", "x" + piece, "x" + piece + "x"}) {
      TRegExpr fast;
      TRegExpr oracle;
      oracle.SetEngine(TRegExpr::Engine::kBacktracking);
      for (TRegExpr* re : {&fast, &oracle}) {
        re->SetModifier('i', true);
        re->SetExpression(pattern);
      }
      ASSERT_TRUE(fast.UsesLiteralChain()) << p;
      std::string literal = pattern;
      if (!alnum) literal.erase(literal.find('\\'), 1);
      for (int t = 1; t < 256; ++t) {
        for (const std::size_t before : {std::size_t{0}, std::size_t{21}}) {
          const std::string text = std::string(before, '.') + "X" + static_cast<char>(t) + "x" +
                                   std::string(before, '.');
          // Where the literal first occurs, letters compared through ASCII lower case.
          int expected = -1;
          for (std::size_t i = 0; expected < 0 && i + literal.size() <= text.size(); ++i) {
            bool same = true;
            for (std::size_t k = 0; k < literal.size(); ++k) {
              same = same && lower(static_cast<unsigned char>(text[i + k])) ==
                                 lower(static_cast<unsigned char>(literal[k]));
            }
            if (same) expected = static_cast<int>(i) + 1;
          }
          fast.SetInputString(text);
          oracle.SetInputString(text);
          fast.Exec();
          oracle.Exec();
          if (fast.MatchPos(0) != expected || oracle.MatchPos(0) != expected) ++mismatches;
        }
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

// The worst case stays linear: the backtracking engine would take minutes on these.
TEST(RegExprTest, AdversarialMegabytePagesFinishQuickly) {
  struct Case {
    const char* what;
    std::string page;
    std::vector<Captures> expected;
  };
  const std::size_t kMiB = 1 << 20;
  const Case cases[] = {
      {"links without title", test_pages::Repeated(test_pages::kLinkWithoutTitle, kMiB), {}},
      {"links without title, one entry at the end",
       test_pages::Repeated(test_pages::kLinkWithoutTitle, kMiB) +
           QuoteEntry("GBP/USD", "1.3051", "1.3054"),
       {{"GBP/USD", "1.3051", "1.3054"}}},
      {"entries with one blank before title",
       test_pages::Repeated(test_pages::kOneBlankEntry, kMiB),
       {}},
      {"entries that never close", test_pages::Repeated(test_pages::kUnclosedEntry, kMiB), {}},
      {"bid cells that never close",
       test_pages::Repeated(test_pages::kUnclosedCellEntry, kMiB),
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RowMatches(c.page), c.expected);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  }
}

}  // namespace
}  // namespace tiramon
