// The quote refresh in a temporary program folder against canned servers: go-ahead or not,
// live page or cache, the cache file's bytes, the file errors and their messages, a second
// press during the status download, and a cache write that dies half way.
#include "quotes/refresh.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "app/unit1.h"
#include "quotes/page_parser.h"
#include "support/download.h"
#include "support/numtext.h"
#include "tests/quote_pages.h"
#include "tests/support/canned_server.h"
#include "tests/support/test_files.h"

namespace tiramon {
namespace {

using test_pages::QuoteEntry;
using testing::CannedServer;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

constexpr const char* kQuotesPath = "/quotes/streaming-forex-rates-%E2%80%93-majors";

std::string Page(const std::vector<std::string>& entries) {
  std::string page = "<html><body><ul><li><a href=\"/currencies\">Menu</a></li></ul><table>\n";
  for (const std::string& entry : entries) page += entry;
  return page + "</table></body></html>";
}

const std::string kLivePage =
    Page({QuoteEntry("EUR/USD", "1.1234", "1.1236"), QuoteEntry("GBP/USD", "1.2674", "1.2677")});
const std::string kCachedPage = Page({QuoteEntry("USD/JPY", "151.42", "151.44")}) + "\r\n";

std::string Ok(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// Serves the status answer and the page answer; counts what was asked for.
class Publisher {
 public:
  Publisher(std::string status, std::string page)
      : server_(CannedServer::Replies([status, page](const std::string& request) -> std::string {
          if (request.rfind("GET /down/news.txt ", 0) == 0) return status;
          if (request.rfind(std::string("GET ") + kQuotesPath + " ", 0) == 0) return page;
          return "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n";
        })) {}

  Environment At(const std::filesystem::path& folder) const {
    Environment environment;
    environment.programFolder = folder;
    environment.statusUrl = server_.Url("/down/news.txt");
    environment.quotesUrl = server_.Url(kQuotesPath);
    return environment;
  }
  int Requests(std::string_view path) const {
    int n = 0;
    for (const std::string& request : server_.requests()) {
      if (request.rfind("GET " + std::string(path) + " ", 0) == 0) ++n;
    }
    return n;
  }

 private:
  CannedServer server_;
};

std::vector<std::string> Captions(const TForm1& form) {
  std::vector<std::string> captions;
  for (const TListItem& item : form.ListView1.items) captions.push_back(item.caption);
  return captions;
}

class RefreshTest : public ::testing::Test {
 protected:
  void SetUp() override { DecimalMark = '.'; }
  TempDir dir_;
};

TEST_F(RefreshTest, UsesTheLivePageOnlyWithAGoAhead) {
  const std::vector<std::string> live = {"EUR/USD", "GBP/USD"};
  const std::vector<std::string> cached = {"USD/JPY"};
  const std::string noStatus = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n";
  struct Case {
    const char* name;
    std::string status;  // the status file's answer
    std::string page;    // the quote page's answer
    bool available;
  } cases[] = {
      {"go-ahead 1", Ok("1\r\n"), Ok(kLivePage), true},
      {"go-ahead 0", Ok("0\r\nnews follow"), Ok(kLivePage), true},
      {"go-ahead in hexadecimal after blanks", Ok("  $1F\n"), Ok(kLivePage), true},
      {"a word", Ok("closed\r\n"), Ok(kLivePage), false},
      {"a blank after the number", Ok("1 \r\n"), Ok(kLivePage), false},
      {"a byte-order mark",
       Ok("\xEF\xBB\xBF"
          "1\r\n"),
       Ok(kLivePage), false},
      {"an empty first line", Ok("\r\n1\r\n"), Ok(kLivePage), false},
      {"beyond 32 bits", Ok("4294967296"), Ok(kLivePage), false},
      {"no status file", noStatus, Ok(kLivePage), false},
      {"an empty status file", Ok(""), Ok(kLivePage), false},
      {"live page fails", Ok("1"), "HTTP/1.1 500 Error\r\nContent-Length: 0\r\n\r\n", false},
      {"live page cut off", Ok("1"), "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(dir_ / "kotirovki.dat", kCachedPage);
    Publisher publisher(c.status, c.page);
    TForm1 form(publisher.At(dir_.path()));
    form.QuotesAvailable = !c.available;
    form.Button9Click();
    EXPECT_EQ(form.QuotesAvailable, c.available);
    EXPECT_EQ(Captions(form), c.available ? live : cached);
    EXPECT_EQ(ReadFile(dir_ / "kotirovki.dat"), c.available ? kLivePage + "\r\n" : kCachedPage);
    EXPECT_EQ(publisher.Requests(kQuotesPath), 1);  // fetched whatever the status said
    // The source panel says which page is shown: the live one, or the cache and why.
    const bool fetchFailed = c.page.rfind("HTTP/1.1 200", 0) != 0;
    const std::string said = c.available ? "Страница котировок: "
                             : fetchFailed ? "Нет связи, из кэша: страница котировок от "
                                           : "Из кэша: страница котировок от ";
    EXPECT_EQ(form.StatusBar1.panels[1].text.rfind(said, 0), 0u) << form.StatusBar1.panels[1].text;
  }
}

TEST_F(RefreshTest, KeepsTheLiveBytesAndNormalisesTheCacheOnRead) {
  // A NUL and a lone CR in the live page reach the cache as they came.
  const std::string live = kLivePage + std::string("\0tail\rend\n", 10);
  {
    Publisher publisher(Ok("1"), Ok(live));
    TForm1 form(publisher.At(dir_.path()));
    form.Button9Click();
    EXPECT_EQ(ReadFile(dir_ / "kotirovki.dat"), live + "\r\n");
  }
  // Read back, every lone CR and LF becomes CR LF, inside captions too.
  const std::string lfOnly = "<table>\n" + QuoteEntry("EUR/\nUSD", "1.1", "1.2", "Line\nbreak") +
                             "\r" + QuoteEntry("GBP/USD", "1.3", "1.4") + "\n\n";
  WriteFile(dir_ / "kotirovki.dat", lfOnly);
  Publisher publisher(Ok("closed"), Ok(kLivePage));
  TForm1 form(publisher.At(dir_.path()));
  form.Button9Click();
  EXPECT_EQ(Captions(form), (std::vector<std::string>{"EUR/\r\nUSD", "GBP/USD"}));
  EXPECT_EQ(ReadFile(dir_ / "kotirovki.dat"), lfOnly);  // reading never rewrites it
  EXPECT_EQ(quotes::NormalizeLineBreaks("a\nb\rc\r\nd\n\re"), "a\r\nb\r\nc\r\nd\r\n\r\ne");
  EXPECT_EQ(quotes::SplitLines(std::string("1\r\n\n2\r3\0x\n", 10)),
            (std::vector<std::string>{"1", "", "2", std::string("3\0x", 3)}));
}

TEST_F(RefreshTest, AnEmptyLivePageWithAGoAheadLeavesOnlyALineBreakInTheCache) {
  WriteFile(dir_ / "kotirovki.dat", kCachedPage);
  Publisher publisher(Ok("1"), "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
  TForm1 form(publisher.At(dir_.path()));
  form.Button9Click();
  EXPECT_TRUE(form.QuotesAvailable);
  EXPECT_TRUE(form.ListView1.items.empty());
  EXPECT_EQ(ReadFile(dir_ / "kotirovki.dat"), "\r\n");
}

TEST_F(RefreshTest, AMissingCacheStopsTheRefreshWithItsPath) {
  Publisher publisher(Ok("closed"), Ok(kLivePage));
  TForm1 form(publisher.At(dir_.path()));
  form.ListView1.items.push_back(TListItem{"OLD/ROW", {}});
  try {
    form.Button9Click();
    ADD_FAILURE() << "no error";
  } catch (const UserError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + (dir_ / "kotirovki.dat").string() +
                                         "\". No such file or directory");
  }
  EXPECT_TRUE(form.ListView1.items.empty());
  EXPECT_FALSE(form.QuotesAvailable);
}

TEST_F(RefreshTest, AnUnwritableCacheStopsBeforeTheParse) {
  std::filesystem::create_directory(dir_ / "kotirovki.dat");  // cannot be replaced by a file
  Publisher publisher(Ok("1"), Ok(kLivePage));
  TForm1 form(publisher.At(dir_.path()));
  try {
    form.Button9Click();
    ADD_FAILURE() << "no error";
  } catch (const UserError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot create file \"" + (dir_ / "kotirovki.dat").string() + "\". Is a directory");
  }
  EXPECT_TRUE(form.ListView1.items.empty());
  EXPECT_TRUE(form.QuotesAvailable);

  // A read-only program folder: even a status file open to all is replaced through a temporary
  // file beside it, so the refresh stops at the status file, and the cache could not be written
  // either.
  const auto folder = dir_ / "read-only";
  std::filesystem::create_directory(folder);
  WriteFile(folder / "news.txt", "");
  chmod((folder / "news.txt").c_str(), 0666);
  chmod(folder.c_str(), 0555);
  const Environment environment = publisher.At(folder);
  const std::optional<std::string> outcome = testing::RunUnprivileged([&]() -> std::string {
    TForm1 child(environment);
    std::string said;
    try {
      child.Button9Click();
      said = "no error";
    } catch (const std::exception& e) {
      said = std::string(e.what()) + (child.QuotesAvailable ? " / available" : " / unavailable") +
             " / rows " + std::to_string(child.ListView1.items.size());
    }
    try {
      quotes::WriteCacheFile(folder / "kotirovki.dat", kLivePage);
    } catch (const std::exception& e) {
      said += std::string(" / ") + e.what();
    }
    return said;
  });
  ASSERT_TRUE(outcome.has_value());
  EXPECT_EQ(*outcome, "File access denied / unavailable / rows 0 / Cannot create file \"" +
                          (folder / "kotirovki.dat").string() + "\". Permission denied");
}

TEST_F(RefreshTest, AnUnwritableStatusFileStopsBeforeTheTableIsTouched) {
  Publisher publisher(Ok("1"), Ok(kLivePage));
  TForm1 form(publisher.At(dir_.path()));
  form.edit_lot.text = "0.10";
  form.Button9Click();
  ASSERT_EQ(Captions(form), (std::vector<std::string>{"EUR/USD", "GBP/USD"}));
  EXPECT_EQ(form.ListView1.columns.at(4).caption, "0.10 лот (без плеча)");

  std::filesystem::remove(dir_ / "news.txt");
  std::filesystem::create_directory(dir_ / "news.txt");
  form.edit_lot.text = "2";
  try {
    form.Button9Click();
    ADD_FAILURE() << "no error";
  } catch (const InOutError& e) {
    EXPECT_STREQ(e.what(), "File access denied");
  }
  EXPECT_EQ(Captions(form), (std::vector<std::string>{"EUR/USD", "GBP/USD"}));
  EXPECT_EQ(form.ListView1.columns.at(4).caption, "0.10 лот (без плеча)");
  EXPECT_FALSE(form.QuotesAvailable);
  EXPECT_EQ(publisher.Requests(kQuotesPath), 1);
}

TEST_F(RefreshTest, ALinkPlantedAsOneOfItsFilesIsRefusedAndWhatItPointsAtKept) {
  const std::string note = "Это символическая ссылка: программа не читает и не пишет свои файлы";
  struct Case {
    const char* name;
    const char* link;    // the file planted as a link
    std::string status;  // the status file's answer
    const char* error;   // how the message begins, before the file's path
  } cases[] = {
      {"the status file", "news.txt", Ok("1"), "Cannot create file"},
      {"the cache, written after a go-ahead", "kotirovki.dat", Ok("1"), "Cannot create file"},
      {"the cache, read without one", "kotirovki.dat", Ok("closed"), "Cannot open file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir folder;
    TempDir home;
    const auto letter = home / "letter.txt";
    WriteFile(letter, "the user's own bytes");
    std::filesystem::create_symlink(letter, folder / c.link);
    Publisher publisher(c.status, Ok(kLivePage));
    TForm1 form(publisher.At(folder.path()));
    try {
      form.Button9Click();
      ADD_FAILURE() << "no error";
    } catch (const InOutError& e) {
      const std::string expected =
          std::string(c.error) + " \"" + (folder / c.link).string() + "\". " + note;
      EXPECT_EQ(std::string(e.what()).rfind(expected, 0), 0u) << e.what();
    }
    EXPECT_EQ(ReadFile(letter), "the user's own bytes");
    EXPECT_TRUE(std::filesystem::is_symlink(folder / c.link));
  }
}

TEST_F(RefreshTest, QuittingDuringAHungPageFetchLeavesTableAndCacheAsTheyWere) {
  WriteFile(dir_ / "kotirovki.dat", kCachedPage);
  // The go-ahead comes; the page server accepts and never answers.
  CannedServer publisher([](testing::CannedConnection& connection) {
    while (std::optional<std::string> request = connection.ReadRequest()) {
      if (request->rfind("GET /down/news.txt ", 0) != 0) {
        connection.ReadRequest(std::chrono::seconds(60));
        return;
      }
      if (!connection.Send(Ok("1"))) return;
    }
  });
  Environment environment;
  environment.programFolder = dir_.path();
  environment.statusUrl = publisher.Url("/down/news.txt");
  environment.quotesUrl = publisher.Url(kQuotesPath);
  int pumps = 0;
  environment.processEvents = [&pumps] { return ++pumps < 6; };  // the user quits
  TForm1 form(environment);
  quotes::ParseQuotePage(form, kLivePage);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(form.Button9Click(), DownloadAborted);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(Captions(form), (std::vector<std::string>{"EUR/USD", "GBP/USD"}));
  EXPECT_EQ(ReadFile(dir_ / "kotirovki.dat"), kCachedPage);
}

TEST_F(RefreshTest, APressDuringTheStatusDownloadIsIgnored) {
  Publisher publisher(Ok("1"), Ok(kLivePage));
  Environment environment = publisher.At(dir_.path());
  TForm1* self = nullptr;
  int pumps = 0;
  environment.processEvents = [&] {
    ++pumps;
    self->Button9Click();  // the user presses the button again
    return true;
  };
  TForm1 form(environment);
  self = &form;
  form.Button9Click();
  EXPECT_GT(pumps, 0);
  EXPECT_EQ(publisher.Requests("/down/news.txt"), 1);
  EXPECT_EQ(publisher.Requests(kQuotesPath), 1);
  EXPECT_EQ(Captions(form), (std::vector<std::string>{"EUR/USD", "GBP/USD"}));
  // Once it has ended the button works again.
  form.Button9Click();
  EXPECT_EQ(publisher.Requests(kQuotesPath), 2);
}

TEST_F(RefreshTest, ACacheWriteThatDiesHalfWayKeepsTheOldCacheWhole) {
  const auto cache = dir_ / "kotirovki.dat";
  WriteFile(cache, kCachedPage);
  const std::string bigPage(300 * 1024, 'p');

  // The process is killed in the middle of the write.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    quotes::WriteCacheFile(cache, bigPage, [](std::size_t written) {
      if (written >= 128 * 1024) raise(SIGKILL);
    });
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(ReadFile(cache), kCachedPage);

  // A write that fails (a full disk, say) leaves no temporary file behind either.
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
    if (entry.path() != cache) std::filesystem::remove(entry.path());
  }
  EXPECT_THROW(quotes::WriteCacheFile(cache, bigPage,
                                      [](std::size_t written) {
                                        if (written >= 64 * 1024) {
                                          throw InOutError("Disk full");
                                        }
                                      }),
               InOutError);
  EXPECT_EQ(ReadFile(cache), kCachedPage);
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
    ++files;
  }
  EXPECT_EQ(files, 1);

  // A complete write replaces the cache, readable by others as an ordinary file.
  quotes::WriteCacheFile(cache, bigPage);
  EXPECT_EQ(ReadFile(cache), bigPage + "\r\n");
  struct stat info {};
  ASSERT_EQ(stat(cache.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
}

}  // namespace
}  // namespace tiramon
