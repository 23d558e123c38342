// The status download against canned servers on loopback, by each of its two routes (direct and
// libcurl): what replaces the file and what leaves it alone, the request it sends, file errors,
// the proxy settings and which route an address takes, and the event pump that keeps the window
// alive during a slow transfer.
#include "support/download.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/canned_server.h"
#include "tests/support/test_files.h"

namespace tiramon {
namespace {

using namespace std::chrono_literals;
using testing::CannedConnection;
using testing::CannedServer;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// No proxy of the machine running the tests may get between the download and the loopback
// server; the settings come back afterwards.
class DownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
                             "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
      if (const char* value = std::getenv(name)) saved_[name] = value;
      unsetenv(name);
    }
  }
  void TearDown() override {
    for (const char* name : {"http_proxy", "no_proxy"}) unsetenv(name);
    for (const auto& [name, value] : saved_) setenv(name.c_str(), value.c_str(), 1);
  }

  std::map<std::string, std::string> saved_;
  TempDir dir_;
};

using download_detail::Route;

// Every rule of the download holds for both routes.
class DownloadRouteTest : public DownloadTest, public ::testing::WithParamInterface<Route> {
 protected:
  bool Download(std::string_view url, const std::filesystem::path& file,
                const std::function<bool()>& processEvents = {}) {
    return download_detail::DownloadVia(GetParam(), url, file, processEvents);
  }
};

INSTANTIATE_TEST_SUITE_P(BothRoutes, DownloadRouteTest,
                         ::testing::Values(Route::kDirect, Route::kLibcurl),
                         [](const ::testing::TestParamInfo<Route>& info) {
                           return info.param == Route::kDirect ? "Direct" : "Libcurl";
                         });

// The temporary file a download writes beside `file` before it takes the file's place.
std::optional<std::filesystem::path> Temporary(const std::filesystem::path& file) {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(file.parent_path(), ignored)) {
    if (entry.path().filename().string().rfind(file.filename().string() + ".", 0) == 0) {
      return entry.path();
    }
  }
  return std::nullopt;
}

// How many bytes of the download have reached the disk, in its temporary file or in place.
std::uintmax_t Written(const std::filesystem::path& file) {
  std::error_code ignored;
  const std::uintmax_t size = std::filesystem::file_size(Temporary(file).value_or(file), ignored);
  return ignored ? 0 : size;
}

CannedServer::Handler Answer(std::string bytes) {
  return [bytes = std::move(bytes)](CannedConnection& c) {
    if (c.ReadRequest()) c.Send(bytes);
  };
}

TEST_P(DownloadRouteTest, ReplacesTheFileOnlyWithACompleteNonEmpty200) {
  struct Case {
    const char* name;
    std::string answer;
    bool result;
    std::optional<std::string> file;  // afterwards; nullopt: no file
  } cases[] = {
      {"200 with a body", "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n1\r\n", true, "1\r\n"},
      {"200 until close", "HTTP/1.0 200 OK\r\n\r\n42\nrest", true, "42\nrest"},
      {"404 leaves the old file", "HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\nnope", false,
       "old"},
      {"500 leaves the old file", "HTTP/1.1 500 Error\r\nContent-Length: 0\r\n\r\n", false, "old"},
      {"no answer leaves the old file", "", false, "old"},
      // A failed download after the 200 loses nothing: the previous file stays whole.
      {"200 with an empty body keeps the old file", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n",
       false, "old"},
      {"200 cut short keeps the old file", "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial",
       false, "old"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto file = dir_ / "news.txt";
    WriteFile(file, "old");
    CannedServer server(Answer(c.answer));
    EXPECT_EQ(Download(server.Url("/down/news.txt"), file), c.result);
    EXPECT_EQ(ReadFile(file), c.file);
    EXPECT_EQ(Temporary(file), std::nullopt);
  }
}

TEST_P(DownloadRouteTest, AnEndlessBodyStopsAtTheSizeCapAndKeepsTheOldFile) {
  CannedServer server([](CannedConnection& c) {
    if (!c.ReadRequest() || !c.Send("HTTP/1.0 200 OK\r\n\r\n")) return;
    const std::string block(64 * 1024, 'z');
    while (c.Send(block)) {
    }
  });
  const auto file = dir_ / "news.txt";
  WriteFile(file, "old");
  EXPECT_FALSE(Download(server.Url("/"), file));
  EXPECT_EQ(ReadFile(file), "old");
  EXPECT_EQ(Temporary(file), std::nullopt);
}

TEST_P(DownloadRouteTest, FollowsRedirectsAndSendsItsAgentWithoutCaching) {
  CannedServer server(CannedServer::Replies([](const std::string& request) -> std::string {
    if (request.rfind("GET /old ", 0) == 0) {
      return "HTTP/1.1 302 Found\r\nLocation: /down/news.txt\r\nContent-Length: 0\r\n\r\n";
    }
    return "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n7\n";
  }));
  const auto file = dir_ / "news.txt";
  EXPECT_TRUE(Download(server.Url("/old"), file));
  EXPECT_EQ(ReadFile(file), "7\n");
  const std::vector<std::string> requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  for (const char* header :
       {"User-Agent: Тирамон\r\n", "Cache-Control: no-cache\r\n", "Pragma: no-cache\r\n"}) {
    SCOPED_TRACE(header);
    EXPECT_NE(requests[1].find(header), std::string::npos) << requests[1];
  }
}

TEST_F(DownloadTest, AnAddressGoesDirectUnlessLibcurlMustCarryIt) {
  struct Case {
    const char* url;
    const char* variable;  // set to a proxy address, or nullptr
    Route route;
  } cases[] = {
      {"http://127.0.0.1:8765/news.txt", nullptr, Route::kDirect},
      {"http://publisher.example/down/news.txt", nullptr, Route::kDirect},
      {"https://publisher.example/down/news.txt", nullptr, Route::kLibcurl},
      {"ftp://publisher.example/news.txt", nullptr, Route::kLibcurl},
      {"http://publisher.example/news.txt", "http_proxy", Route::kLibcurl},
      {"http://publisher.example/news.txt", "all_proxy", Route::kLibcurl},
      {"http://publisher.example/news.txt", "ALL_PROXY", Route::kLibcurl},
      // libcurl reads neither of these for an http address.
      {"http://publisher.example/news.txt", "HTTP_PROXY", Route::kDirect},
      {"http://publisher.example/news.txt", "https_proxy", Route::kDirect},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.url) + " " + (c.variable ? c.variable : "-"));
    if (c.variable) setenv(c.variable, "http://127.0.0.1:3128", 1);
    EXPECT_EQ(download_detail::RouteFor(c.url), c.route);
    if (c.variable) unsetenv(c.variable);
  }
}

TEST_P(DownloadRouteTest, AHostNameIsLookedUpWhileTheEventsRun) {
  CannedServer server(Answer("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n5\n"));
  std::string url = server.Url("/down/news.txt");
  url.replace(url.find("127.0.0.1"), 9, "localhost");
  const auto file = dir_ / "news.txt";
  int pumps = 0;
  EXPECT_TRUE(Download(url, file, [&] { return ++pumps > 0; }));
  EXPECT_EQ(ReadFile(file), "5\n");
  EXPECT_GE(pumps, 1);
}

TEST_P(DownloadRouteTest, AFifteenthRedirectInARowFailsTheDownload) {
  for (const int redirects : {14, 15}) {
    SCOPED_TRACE(redirects);
    CannedServer server(CannedServer::Replies([redirects](const std::string& request) {
      const int step = std::atoi(request.c_str() + 5);  // "GET /<step> HTTP/1.1"
      if (step == redirects) return std::string("HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n1");
      return "HTTP/1.1 301 Moved\r\nLocation: /" + std::to_string(step + 1) +
             "\r\nContent-Length: 0\r\n\r\n";
    }));
    const auto file = dir_ / "news.txt";
    EXPECT_EQ(Download(server.Url("/0"), file), redirects == 14);
    EXPECT_EQ(server.requests().size(), 15u);
  }
}

TEST_F(DownloadTest, GoesThroughTheUsersProxy) {
  // The canned server plays the proxy: it must receive the absolute address.
  CannedServer proxy(Answer("HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n1"));
  setenv("http_proxy", proxy.Url("").c_str(), 1);
  const auto file = dir_ / "news.txt";
  EXPECT_TRUE(DownloadToFile("http://publisher.invalid/down/news.txt", file, {}));
  ASSERT_EQ(proxy.requests().size(), 1u);
  EXPECT_EQ(proxy.requests()[0].rfind("GET http://publisher.invalid/down/news.txt HTTP/1.1\r\n", 0),
            0u);
  // An address in no_proxy goes straight to its server.
  CannedServer direct(Answer("HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n2"));
  setenv("no_proxy", "127.0.0.1", 1);
  EXPECT_TRUE(DownloadToFile(direct.Url("/down/news.txt"), file, {}));
  EXPECT_EQ(ReadFile(file), "2");
  EXPECT_EQ(proxy.requests().size(), 1u);
  ASSERT_EQ(direct.requests().size(), 1u);
  EXPECT_EQ(direct.requests()[0].rfind("GET /down/news.txt HTTP/1.1\r\n", 0), 0u);
}

TEST_P(DownloadRouteTest, FileErrorsRaiseAnInputOutputError) {
  CannedServer server(CannedServer::Replies([](const std::string&) -> std::string {
    return "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n1\n";
  }));
  const auto readOnly = dir_ / "read-only";
  std::filesystem::create_directory(readOnly);
  chmod(readOnly.c_str(), 0555);
  const std::string url = server.Url("/down/news.txt");
  const std::optional<std::string> outcome = testing::RunUnprivileged([&]() -> std::string {
    try {
      return Download(url, readOnly / "news.txt") ? "true" : "false";
    } catch (const InOutError& e) {
      return e.what();
    }
  });
  ASSERT_TRUE(outcome.has_value());
  EXPECT_EQ(*outcome, "File access denied");
  EXPECT_FALSE(std::filesystem::exists(readOnly / "news.txt"));

  try {
    Download(url, dir_ / "missing" / "news.txt");
    ADD_FAILURE() << "no error";
  } catch (const InOutError& e) {
    EXPECT_STREQ(e.what(), "Path not found");
  }
  // A non-200 answer never touches the file, so it cannot fail on it either.
  CannedServer missing(Answer("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"));
  EXPECT_FALSE(Download(missing.Url("/"), dir_ / "missing" / "news.txt"));
}

TEST_P(DownloadRouteTest, PumpsEventsAfterEveryBlockAndWhileTheServerStalls) {
  const std::string body(5000, 'x');
  CannedServer server([&body](CannedConnection& c) {
    if (!c.ReadRequest()) return;
    c.Send("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" + body.substr(0, 100));
    c.Pause(400ms);
    c.Send(body.substr(100));
  });
  const auto file = dir_ / "news.txt";
  std::vector<std::chrono::steady_clock::time_point> pumps;
  std::vector<std::uintmax_t> sizes;
  const auto pump = [&] {
    pumps.push_back(std::chrono::steady_clock::now());
    sizes.push_back(Written(file));
    return true;
  };
  EXPECT_TRUE(Download(server.Url("/"), file, pump));
  EXPECT_EQ(ReadFile(file), body);

  ASSERT_GE(pumps.size(), 8u);  // the stall alone is eight 50 ms waits
  std::chrono::steady_clock::duration longestGap{};
  for (std::size_t i = 1; i < pumps.size(); ++i) {
    longestGap = std::max(longestGap, pumps[i] - pumps[i - 1]);
  }
  EXPECT_LT(longestGap, 200ms);  // 50 ms waits, with room for a busy machine
  // Between two pumps the file grows by one block at most.
  std::size_t blocks = 0;
  for (std::size_t i = 1; i < sizes.size(); ++i) {
    ASSERT_GE(sizes[i], sizes[i - 1]);
    EXPECT_LE(sizes[i] - sizes[i - 1], 1024u);
    if (sizes[i] > sizes[i - 1]) ++blocks;
  }
  EXPECT_GE(blocks, 5u);
  EXPECT_EQ(sizes.back(), 5000u);
}

TEST_P(DownloadRouteTest, AnEventHandlerThatThrowsEndsTheDownloadAndRemovesTheFile) {
  CannedServer server(
      Answer("HTTP/1.1 200 OK\r\nContent-Length: 3000\r\n\r\n" + std::string(3000, 'y')));
  const auto file = dir_ / "news.txt";
  int calls = 0;
  EXPECT_THROW(Download(server.Url("/"), file,
                        [&] {
                          ++calls;
                          if (Temporary(file)) {
                            throw std::runtime_error("window closed");
                          }
                          return true;
                        }),
               std::runtime_error);
  EXPECT_GE(calls, 2);  // it did run once the file was being written
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(Temporary(file), std::nullopt);
}

}  // namespace
}  // namespace tiramon

namespace tiramon {
namespace {

TEST_P(DownloadRouteTest, APumpThatSaysStopEndsAStalledDownloadAtOnce) {
  struct Case {
    const char* name;
    std::string sentBeforeStall;
    bool fileWhileStalled;
  };
  const Case cases[] = {
      {"silent server", "", false},
      {"body stops half way",
       "HTTP/1.1 200 OK\r\nContent-Length: 3000\r\n\r\n" + std::string(500, 'z'), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CannedServer server([&c](CannedConnection& connection) {
      if (!connection.ReadRequest()) return;
      connection.Send(c.sentBeforeStall);
      connection.WaitForClose(30000ms);  // the stall: nothing more until the client gives up
    });
    const auto file = dir_ / "news.txt";
    std::filesystem::remove(file);
    const auto start = std::chrono::steady_clock::now();
    std::optional<std::chrono::steady_clock::time_point> stopAsked;
    bool sawFile = false;
    const auto pump = [&] {
      sawFile = sawFile || Temporary(file).has_value();
      if (std::chrono::steady_clock::now() - start < 300ms) return true;
      if (!stopAsked) stopAsked = std::chrono::steady_clock::now();
      return false;  // the user chose to quit
    };
    EXPECT_THROW(Download(server.Url("/down/news.txt"), file, pump), DownloadAborted);
    ASSERT_TRUE(stopAsked.has_value());
    EXPECT_LT(std::chrono::steady_clock::now() - *stopAsked, 100ms);
    EXPECT_EQ(sawFile, c.fileWhileStalled);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(Temporary(file), std::nullopt);
  }
}

}  // namespace
}  // namespace tiramon
