// The page fetch against canned servers on loopback, and its response reader on canned bytes:
// the exact request on the wire, redirects, connection reuse, body framing, failures, and
// hostile servers that must end in a result or a clean failure within the limits.
#include "support/http_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/http_cookies.h"
#include "support/http_reader.h"
#include "support/http_url.h"
#include "tests/support/canned_server.h"
#include "tests/support/client_limits.h"

namespace tiramon {
namespace {

using namespace std::chrono_literals;
using testing::CannedConnection;
using testing::CannedServer;

std::string RequestLine(const std::string& request) {
  return request.substr(0, request.find("\r\n"));
}

std::string TargetOf(const std::string& request) {
  const std::string line = RequestLine(request);
  const std::size_t a = line.find(' ');
  const std::size_t b = line.rfind(' ');
  return line.substr(a + 1, b - a - 1);
}

using testing::MakeQuick;

// Sends one canned answer to every request; closes after it when `close` is set.
CannedServer::Handler Canned(std::string answer, bool close = false) {
  return [answer = std::move(answer), close](CannedConnection& c) {
    while (c.ReadRequest()) {
      if (!c.Send(answer) || close) return;
    }
  };
}

// ---- URLs and the request ------------------------------------------------------------------

TEST(HttpUrlTest, ParsesTargets) {
  struct Case {
    const char* url;
    const char* host;
    int port;
    const char* path;
    const char* document;
    const char* query;
  } cases[] = {
      {"http://example.org/quotes/streaming-forex-rates-%E2%80%93-majors", "example.org", 80,
       "/quotes/", "streaming-forex-rates-%E2%80%93-majors", ""},
      {"HTTP://Example.org:8080", "Example.org", 8080, "/", "", ""},
      {"http://h/a/b/?x=1&y=%20#frag", "h", 80, "/a/b/", "", "?x=1&y=%20"},
      {"http://user:secret@h:81/d?q#f", "h", 81, "/", "d", "?q"},
      {"http://[::1]:8765/x", "[::1]", 8765, "/", "x", ""},
      {"//h/x", "h", 80, "/", "x", ""},
      {"ftp://h/x", "h", 0, "/", "x", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    const http::Target t = http::ParseUrl(c.url);
    EXPECT_EQ(t.host, c.host);
    EXPECT_EQ(t.port, c.port);
    EXPECT_EQ(t.path, c.path);
    EXPECT_EQ(t.document, c.document);
    EXPECT_EQ(t.query, c.query);
  }
  for (const char* bad :
       {"http://", "http://h:0/", "http://h:65536/", "http://h:8x/", "http:///x"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(http::ParseUrl(bad), HttpError);
  }
}

TEST(HttpUrlTest, ResolvesRedirectLocations) {
  const http::Target base = http::ParseUrl("http://h:8000/a/b/c?old");
  struct Case {
    const char* location;
    const char* expected;  // host:port then the request target
  } cases[] = {
      {"d", "h:8000 /a/b/d"},
      {"./d", "h:8000 /a/b/d"},
      {"../d", "h:8000 /a/d"},
      {"../../../../d", "h:8000 /d"},
      {"./d/./e/../f", "h:8000 /a/b/d/f"},
      {"..", "h:8000 /a/"},
      {".", "h:8000 /a/b/"},
      {"/x/../y?z=1", "h:8000 /y?z=1"},
      {"/p%20q/r", "h:8000 /p%20q/r"},
      {"?new", "h:8000 /a/b/c?new"},
      {"d#fragment", "h:8000 /a/b/d"},
      {"", "h:8000 /a/b/c?old"},
      {"http://other/x", "other:80 /x"},
      {"//other:81/x/../y", "other:81 /x/../y"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.location);
    const http::Target t = http::ResolveLocation(base, c.location);
    EXPECT_EQ(t.host + ":" + std::to_string(t.port) + " " + t.RequestTarget(), c.expected);
  }
  EXPECT_EQ(http::ResolveLocation(base, "https://h/x").scheme, "https");
  EXPECT_THROW(http::ResolveLocation(base, "mailto:someone@h"), HttpError);
}

TEST(HttpUrlTest, FormatsTheRequestWithOnlyNonEmptyHeaders) {
  const http::Target withPort = http::ParseUrl("http://h:8080/p/d?q=1");
  EXPECT_EQ(http::FormatRequest(withPort, "text/html, */*", "ru", "Agent", "a=1"),
            "GET /p/d?q=1 HTTP/1.1\r\nHost: h:8080\r\nAccept: text/html, */*\r\n"
            "Accept-Language: ru\r\nUser-Agent: Agent\r\nCookie: a=1\r\n\r\n");
  const http::Target plain = http::ParseUrl("http://h/");
  EXPECT_EQ(http::FormatRequest(plain, "text/html, */*", "", "", ""),
            "GET / HTTP/1.1\r\nHost: h\r\nAccept: text/html, */*\r\n\r\n");
}

// ---- Cookies -------------------------------------------------------------------------------

TEST(HttpCookiesTest, SendsMatchingCookiesInDescendingPathOrder) {
  const auto now = std::chrono::system_clock::now();
  http::CookieStore store;
  const http::Target origin = http::ParseUrl("http://www.example.org/shop/cart/view");
  store.StoreSetCookie("root=1; Path=/", origin, now);
  store.StoreSetCookie("shop=2; Path=/shop", origin, now);
  store.StoreSetCookie("deflt=3", origin, now);  // the request's folder: /shop/cart
  store.StoreSetCookie("other=4; Path=/blog", origin, now);
  store.StoreSetCookie("safe=5; Path=/; Secure", origin, now);
  store.StoreSetCookie("old=6; Path=/; Expires=Thu, 01 Jan 1970 00:00:01 GMT", origin, now);
  store.StoreSetCookie("short=7; Path=/; Max-Age=1", origin, now);
  store.StoreSetCookie("wide=8; Domain=.example.org; Path=/", origin, now);
  store.StoreSetCookie("foreign=9; Domain=evil.example; Path=/", origin, now);
  store.StoreSetCookie2("c2a=10; Version=1; Path=\"/shop\", c2b=11; Version=1", origin, now);

  struct Case {
    const char* url;
    std::chrono::seconds later;
    const char* header;
  } cases[] = {
      {"http://www.example.org/shop/cart/pay", 0s,
       "deflt=3; c2b=11; shop=2; c2a=10; root=1; short=7; wide=8"},
      {"http://WWW.Example.ORG/shop/", 0s, "shop=2; c2a=10; root=1; short=7; wide=8"},
      {"http://www.example.org/blog/x", 5s, "other=4; root=1; wide=8"},
      {"http://img.example.org/shop/", 0s, "wide=8"},
      {"http://example.org.evil.example/", 0s, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    EXPECT_EQ(store.HeaderFor(http::ParseUrl(c.url), now + c.later), c.header);
  }
  // A cookie set again replaces the first; Max-Age=0 deletes it.
  store.StoreSetCookie("root=new; Path=/", origin, now);
  store.StoreSetCookie("shop=; Path=/shop; Max-Age=0", origin, now);
  EXPECT_EQ(store.HeaderFor(http::ParseUrl("http://www.example.org/shop"), now + 5s),
            "c2a=10; wide=8; root=new");
}

TEST(HttpCookiesTest, ReadsCookieDates) {
  const auto epoch = std::chrono::system_clock::from_time_t(0);
  struct Case {
    const char* text;
    long long seconds;  // since 1970, -1: unreadable
  } cases[] = {
      {"Wed, 09 Jun 2021 10:18:14 GMT", 1623233894},
      {"Wednesday, 09-Jun-21 10:18:14 GMT", 1623233894},
      {"Wed Jun  9 10:18:14 2021", 1623233894},
      {"09 Jun 2021", -1},
      {"soon", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto parsed = http::ParseCookieDate(c.text);
    if (c.seconds < 0) {
      EXPECT_FALSE(parsed.has_value());
    } else {
      ASSERT_TRUE(parsed.has_value());
      EXPECT_EQ(std::chrono::duration_cast<std::chrono::seconds>(*parsed - epoch).count(),
                c.seconds);
    }
  }
}

// ---- The response reader on canned bytes ----------------------------------------------------

struct ReadResult {
  std::string body;
  bool atEnd;
};

ReadResult ReadResponse(const std::string& bytes, std::size_t step, const http::Limits& limits) {
  http::StringSource source(bytes, step);
  http::ResponseReader reader(source);
  http::HeaderBudget budget(limits);
  const http::ResponseHead head = reader.ReadHead(budget, http::ReadTimer{});
  std::string body = reader.ReadBody(head, limits, http::ReadTimer{});
  return {body, reader.atEnd()};
}

// The same response streamed to a sink: the pieces, and whether the body came whole.
struct StreamResult {
  std::vector<std::string> pieces;
  bool complete;
};

StreamResult StreamResponse(const std::string& bytes, std::size_t step) {
  http::StringSource source(bytes, step);
  http::ResponseReader reader(source);
  http::HeaderBudget budget{http::Limits{}};
  const http::ResponseHead head = reader.ReadHead(budget, http::ReadTimer{});
  StreamResult result;
  result.complete =
      reader.ReadBodyTo(head, http::Limits{}, http::ReadTimer{},
                        [&](std::string_view piece) { result.pieces.emplace_back(piece); });
  return result;
}

TEST(HttpReaderTest, FramesBodiesAtAnySplit) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string body;
    bool atEnd;            // the connection is used up
    bool complete = true;  // the body came as long as its framing said
  } cases[] = {
      {"length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhelloNEXT", "hello", false},
      {"chunked with extension and trailer",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n5\r\nhello\r\n6;x=1\r\n world\r\n"
       "0\r\nTrailer: t\r\n\r\nNEXT",
       "hello world", false},
      {"chunk sizes in capitals",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nA\r\n"
       "0123456789\r\n0\r\n\r\n",
       "0123456789", false},
      {"length wins over chunked",
       "HTTP/1.1 200 OK\r\nContent-Length: 3\r\nTransfer-Encoding: chunked\r\n\r\nabcdef", "abc",
       false},
      {"until close", "HTTP/1.1 200 OK\r\n\r\nall of it", "all of it", true},
      {"length not a number", "HTTP/1.1 200 OK\r\nContent-Length: many\r\n\r\nxyz", "xyz", true},
      {"length zero", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\nNEXT", "", false},
      {"length beyond the close", "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial",
       "partial", true, false},
      {"chunked cut between chunks",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n", "hello", true, false},
      {"bare LF line ends", "HTTP/1.1 200 OK\nContent-Length: 2\n\nok", "ok", false},
      {"headers cut by the close", "HTTP/1.1 200 OK\r\nServer: x", "", true},
      {"NUL and high bytes",
       std::string("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\na\0\xff", 41) + "b",
       std::string("a\0\xff"
                   "b",
                   4),
       false},
      {"same length twice", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nContent-Length: 2\r\n\r\nok",
       "ok", false},
  };
  for (const Case& c : cases) {
    for (std::size_t step : {std::size_t(1), std::size_t(3), std::size_t(100000)}) {
      SCOPED_TRACE(std::string(c.name) + ", step " + std::to_string(step));
      const ReadResult r = ReadResponse(c.bytes, step, http::Limits{});
      EXPECT_EQ(r.body, c.body);
      EXPECT_EQ(r.atEnd, c.atEnd);
      const StreamResult streamed = StreamResponse(c.bytes, step);
      std::string joined;
      for (const std::string& piece : streamed.pieces) {
        EXPECT_LE(piece.size(), step);  // handed on as it arrives, not gathered first
        joined += piece;
      }
      EXPECT_EQ(joined, c.body);
      EXPECT_EQ(streamed.complete, c.complete);
    }
  }
}

TEST(HttpReaderTest, RejectsMalformedFraming) {
  const std::string ok = "HTTP/1.1 200 OK\r\n";
  const char* cases[] = {
      "Transfer-Encoding: chunked\r\n\r\n10000000000000000\r\nx",  // 2^64
      "Transfer-Encoding: chunked\r\n\r\nFFFFFFFFFFFFFFFFFFFF\r\nx",
      "Transfer-Encoding: chunked\r\n\r\n200001\r\nx",  // larger than the 2 MiB cap below
      "Transfer-Encoding: chunked\r\n\r\nzz\r\nx",
      "Transfer-Encoding: chunked\r\n\r\n-5\r\nx",
      "Transfer-Encoding: chunked\r\n\r\n3\r\nabcdef\r\n0\r\n\r\n",  // data longer than its size
      "Content-Length: -1\r\n\r\nx",
      "Content-Length: 5\r\nContent-Length: 6\r\n\r\nhello!",
      "Content-Length: 99999999999999999999999\r\n\r\nx",
      "Content-Length: 2097153\r\n\r\nx",
  };
  http::Limits limits;
  limits.maxBodyBytes = 2u << 20;
  for (const char* tail : cases) {
    SCOPED_TRACE(tail);
    EXPECT_THROW(ReadResponse(ok + tail, 7, limits), HttpError);
  }
}

// Bytes without end, counting how many the reader took.
class EndlessSource : public http::ByteSource {
 public:
  EndlessSource(std::string head, std::string repeat)
      : head_(std::move(head)), repeat_(std::move(repeat)) {}
  std::size_t Read(char* buffer, std::size_t size, const http::ReadTimer&) override {
    for (std::size_t i = 0; i < size; ++i) {
      buffer[i] = produced_ < head_.size() ? head_[produced_]
                                           : repeat_[(produced_ - head_.size()) % repeat_.size()];
      ++produced_;
    }
    return size;
  }
  std::size_t produced() const { return produced_; }

 private:
  std::string head_;
  std::string repeat_;
  std::size_t produced_ = 0;
};

TEST(HttpReaderTest, EndlessResponsesStopAtTheCaps) {
  http::Limits limits;
  limits.maxBodyBytes = 1u << 20;
  struct Case {
    const char* name;
    std::string head;
    std::string repeat;
    bool inBody;
    std::size_t maxTaken;
  } cases[] = {
      {"endless headers", "HTTP/1.1 200 OK\r\n", "X-Filler: 0123456789\r\n", false, 128 * 1024},
      {"endless header line", "HTTP/1.1 200 OK\r\nX-Long: ", "a", false, 128 * 1024},
      {"endless status line", "HTTP/1.1 200 ", "OK", false, 128 * 1024},
      {"endless interim answers", "", "HTTP/1.1 100 Continue\r\n\r\n", false, 128 * 1024},
      {"endless chunks", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n",
       "400\r\n" + std::string(1024, 'c') + "\r\n", true, (1u << 20) + 64 * 1024},
      {"endless chunk trailer", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n",
       "T: v\r\n", true, 128 * 1024},
      {"endless body until close", "HTTP/1.1 200 OK\r\n\r\n", "b", true, (1u << 20) + 64 * 1024},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EndlessSource source(c.head, c.repeat);
    http::ResponseReader reader(source);
    http::HeaderBudget budget(limits);
    EXPECT_THROW(
        {
          for (;;) {  // interim answers included, as the client reads them
            const http::ResponseHead head = reader.ReadHead(budget, http::ReadTimer{});
            if (!c.inBody && head.statusCode == 100) continue;
            reader.ReadBody(head, limits, http::ReadTimer{});
            break;
          }
        },
        HttpError);
    EXPECT_LE(source.produced(), c.maxTaken);
  }
}

TEST(HttpReaderTest, ReadsStatusCodes) {
  struct Case {
    const char* line;
    int code;
  } cases[] = {{"HTTP/1.1 200 OK", 200}, {"HTTP/1.0 404 Not Found", 404},
               {"HTTP/1.1 302", 302},    {"HTTP/1.1  301  Moved", 301},
               {"HTTP/1.1 OK 200", -1},  {"HTTP/1.1 20x OK", -1},
               {"garbage", -1},          {"HTTP/1.1 99999999999 Big", -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(http::StatusCodeOf(c.line), c.code);
  }
}

// ---- The client on the wire ----------------------------------------------------------------

TEST(HttpClientTest, SendsExactlyTheConfiguredRequest) {
  CannedServer server(Canned("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"));
  const std::string host = "127.0.0.1:" + std::to_string(server.port());
  {
    HttpClient client;
    MakeQuick(client);
    client.userAgent = "Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)";
    client.acceptLanguage = "ru";
    EXPECT_EQ(client.FetchPageText(server.Url("/quotes/streaming-forex-rates-%E2%80%93-majors"
                                              "?a=%20b#top")),
              "ok");
  }
  {
    HttpClient client;  // nothing set: the optional headers stay out
    MakeQuick(client);
    EXPECT_EQ(client.FetchPageText(server.Url("")), "ok");
  }
  const std::vector<std::string> requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0],
            "GET /quotes/streaming-forex-rates-%E2%80%93-majors?a=%20b HTTP/1.1\r\n"
            "Host: " +
                host +
                "\r\nAccept: text/html, */*\r\nAccept-Language: ru\r\n"
                "User-Agent: Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)\r\n\r\n");
  EXPECT_EQ(requests[1], "GET / HTTP/1.1\r\nHost: " + host + "\r\nAccept: text/html, */*\r\n\r\n");
}

TEST(HttpClientTest, SendsCookiesBackAlongARedirectChain) {
  CannedServer server(CannedServer::Replies([](const std::string& request) -> std::string {
    if (TargetOf(request) == "/login") {
      return "HTTP/1.1 302 Found\r\nSet-Cookie: a=1; Path=/\r\nSet-Cookie: b=2; Path=/x\r\n"
             "Set-Cookie: gone=1; Max-Age=0\r\nSet-Cookie: s=1; Secure\r\n"
             "Set-cookie2: c=3; Version=1; Path=\"/x/y\"\r\nLocation: /x/y/z\r\n"
             "Content-Length: 0\r\n\r\n";
    }
    return "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\ndone";
  }));
  HttpClient client;
  MakeQuick(client);
  client.followRedirects = true;
  EXPECT_EQ(client.FetchPageText(server.Url("/login")), "done");
  const std::vector<std::string> requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].find("Cookie:"), std::string::npos);
  const std::string tail = "Cookie: c=3; b=2; a=1\r\n\r\n";
  ASSERT_GE(requests[1].size(), tail.size());
  EXPECT_EQ(requests[1].substr(requests[1].size() - tail.size()), tail);
}

// Answers /hop/N with a redirect to /hop/N+1 while N < hops, then with "final".
CannedServer::Handler HopServer(int hops) {
  return CannedServer::Replies([hops](const std::string& request) -> std::string {
    const int n = std::stoi(TargetOf(request).substr(5));
    if (n < hops) {
      return "HTTP/1.1 302 Found\r\nLocation: /hop/" + std::to_string(n + 1) +
             "\r\nContent-Length: 5\r\n\r\nmoved";
    }
    return "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nfinal";
  });
}

TEST(HttpClientTest, FollowsFourteenRedirectsAndEndsEmptyAtTheFifteenth) {
  struct Case {
    int hops;
    std::string result;
    std::size_t requests;
  } cases[] = {{1, "final", 2}, {14, "final", 15}, {15, "", 15}, {40, "", 15}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hops);
    CannedServer server(HopServer(c.hops));
    HttpClient client;
    MakeQuick(client);
    client.followRedirects = true;
    EXPECT_EQ(client.FetchPageText(server.Url("/hop/0")), c.result);
    EXPECT_EQ(server.requests().size(), c.requests);
    EXPECT_EQ(server.connections(), 1);  // every hop on the same connection
  }
}

TEST(HttpClientTest, RedirectsFailWhenNotFollowedOrToHttps) {
  CannedServer server(HopServer(1));
  {
    HttpClient client;  // a new client does not follow
    MakeQuick(client);
    try {
      client.FetchPageText(server.Url("/hop/0"));
      ADD_FAILURE() << "no error";
    } catch (const HttpProtocolError& e) {
      EXPECT_EQ(e.statusCode(), 302);
      EXPECT_EQ(e.statusLine(), "HTTP/1.1 302 Found");
      EXPECT_EQ(e.body(), "moved");
    }
  }
  CannedServer secure(Canned("HTTP/1.1 301 Moved\r\nLocation: https://127.0.0.1:" +
                             std::to_string(server.port()) + "/\r\nContent-Length: 0\r\n\r\n"));
  HttpClient client;
  MakeQuick(client);
  client.followRedirects = true;
  EXPECT_THROW(client.FetchPageText(secure.Url("/")), HttpError);
  EXPECT_THROW(client.FetchPageText("https://127.0.0.1:1/"), HttpError);
  EXPECT_EQ(secure.requests().size(), 1u);
}

TEST(HttpClientTest, ResolvesRelativeLocationsOnTheWire) {
  struct Case {
    const char* location;
    const char* target;
  } cases[] = {{"next", "/a/b/next"},
               {"../up?x=1", "/a/up?x=1"},
               {"./c/./d/../e", "/a/b/c/e"},
               {"/top/%E2%80%93#frag", "/top/%E2%80%93"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.location);
    CannedServer server(CannedServer::Replies([&c](const std::string& request) -> std::string {
      if (TargetOf(request) == "/a/b/start?q") {
        return std::string("HTTP/1.1 302 Found\r\nLocation: ") + c.location +
               "\r\nContent-Length: 0\r\n\r\n";
      }
      return "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";
    }));
    HttpClient client;
    MakeQuick(client);
    client.followRedirects = true;
    EXPECT_EQ(client.FetchPageText(server.Url("/a/b/start?q")), "ok");
    const std::vector<std::string> requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(TargetOf(requests[1]), c.target);
    EXPECT_NE(requests[1].find("Host: 127.0.0.1:" + std::to_string(server.port()) + "\r\n"),
              std::string::npos);
  }
}

TEST(HttpClientTest, ReusesTheConnectionOnlyWhenTheServerAllows) {
  struct Case {
    const char* name;
    std::string redirect;  // status line and headers of the redirect, without the empty line
    std::string body;
    int secondConnection;
    bool serverCloses = false;  // after sending the redirect
  } cases[] = {
      {"1.1 with length", "HTTP/1.1 302 Found\r\nContent-Length: 3", "abc", 0},
      {"1.1 chunked", "HTTP/1.1 302 Found\r\nTransfer-Encoding: chunked", "3\r\nabc\r\n0\r\n\r\n",
       0},
      {"1.1 close", "HTTP/1.1 302 Found\r\nConnection: close\r\nContent-Length: 0", "", 1},
      {"1.1 close among tokens", "HTTP/1.1 302 Found\r\nConnection: TE, Close\r\nContent-Length: 0",
       "", 1},
      {"1.1 proxy close", "HTTP/1.1 302 Found\r\nProxy-Connection: close\r\nContent-Length: 0", "",
       1},
      {"1.0 plain", "HTTP/1.0 302 Found\r\nContent-Length: 0", "", 1},
      {"1.0 keep-alive", "HTTP/1.0 302 Found\r\nConnection:  Keep-Alive \r\nContent-Length: 0", "",
       0},
      // A body without length on a kept connection cannot be drained: the connection goes.
      {"1.1 body until close", "HTTP/1.1 302 Found", "never ends", 1},
      {"1.1 body ended by the close", "HTTP/1.1 302 Found", "the end", 1, true},
      {"1.1 length, then the close", "HTTP/1.1 302 Found\r\nContent-Length: 3", "abc", 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string redirect = c.redirect + "\r\nLocation: /final\r\n\r\n" + c.body;
    CannedServer server([&](CannedConnection& connection) {
      while (std::optional<std::string> request = connection.ReadRequest()) {
        if (TargetOf(*request) != "/start") {
          connection.Send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
        } else if (!connection.Send(redirect) || c.serverCloses) {
          return;
        }
      }
    });
    HttpClient client;
    MakeQuick(client);
    client.followRedirects = true;
    EXPECT_EQ(client.FetchPageText(server.Url("/start")), "ok");
    const std::vector<int> connections = server.requestConnections();
    ASSERT_EQ(connections.size(), 2u);
    EXPECT_EQ(connections[1], c.secondConnection);
  }
}

TEST(HttpClientTest, ARedirectToAnotherPortOpensANewConnection) {
  CannedServer target(Canned("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nthere"));
  CannedServer origin(Canned("HTTP/1.1 302 Found\r\nLocation: " + target.Url("/x") +
                             "\r\nContent-Length: 0\r\n\r\n"));
  HttpClient client;
  MakeQuick(client);
  client.followRedirects = true;
  EXPECT_EQ(client.FetchPageText(origin.Url("/")), "there");
  EXPECT_EQ(origin.requests().size(), 1u);
  ASSERT_EQ(target.requests().size(), 1u);
  EXPECT_NE(target.requests()[0].find("Host: 127.0.0.1:" + std::to_string(target.port())),
            std::string::npos);
}

TEST(HttpClientTest, ReturnsBodiesAsFramed) {
  struct Case {
    const char* name;
    std::string answer;
    bool close;
    std::string body;
  } cases[] = {
      {"length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", false, "hello"},
      {"chunked",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nhe\r\n3\r\nllo\r\n0\r\n\r\n",
       false, "hello"},
      {"until close", "HTTP/1.1 200 OK\r\n\r\nhello", true, "hello"},
      {"length zero", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", false, ""},
      {"no content", "HTTP/1.1 204 No Content\r\n\r\n", false, ""},
      {"continue first",
       "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", false, "ok"},
      {"length beyond the close", "HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\nhalf", true,
       "half"},
      {"other success", "HTTP/1.1 203 Non-Authoritative\r\nContent-Length: 2\r\n\r\nok", false,
       "ok"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CannedServer server(Canned(c.answer, c.close));
    HttpClient client;
    MakeQuick(client);
    EXPECT_EQ(client.FetchPageText(server.Url("/")), c.body);  // a wait on the body would time out
  }
}

TEST(HttpClientTest, FailsWithTheServersAnswer) {
  struct Case {
    std::string answer;
    int code;
    std::string statusLine;
    std::string body;
  } cases[] = {
      {"HTTP/1.1 304 Not Modified\r\nContent-Length: 0\r\n\r\n", 304, "HTTP/1.1 304 Not Modified",
       ""},
      {"HTTP/1.1 404 Not Found\r\nContent-Length: 7\r\n\r\nmissing", 404, "HTTP/1.1 404 Not Found",
       "missing"},
      {"HTTP/1.1 401 Unauthorized\r\nContent-Length: 0\r\n\r\n", 401, "HTTP/1.1 401 Unauthorized",
       ""},
      {"HTTP/1.1 500 Oops\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nboom\r\n0\r\n\r\n", 500,
       "HTTP/1.1 500 Oops", "boom"},
      {"SOMETHING ELSE\r\nContent-Length: 1\r\n\r\n?", -1, "SOMETHING ELSE", "?"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.statusLine);
    CannedServer server(Canned(c.answer));
    HttpClient client;
    MakeQuick(client);
    client.followRedirects = true;
    try {
      client.FetchPageText(server.Url("/"));
      ADD_FAILURE() << "no error";
    } catch (const HttpProtocolError& e) {
      EXPECT_EQ(e.statusCode(), c.code);
      EXPECT_EQ(e.statusLine(), c.statusLine);
      EXPECT_EQ(e.body(), c.body);
    }
  }
}

// ---- Hostile servers -------------------------------------------------------------------------

// Writes `head`, then `repeat` again and again until the client gives up.
CannedServer::Handler Flood(std::string head, std::string repeat) {
  return [head = std::move(head), repeat = std::move(repeat)](CannedConnection& c) {
    if (!c.ReadRequest() || !c.Send(head)) return;
    std::string block;
    while (block.size() < 64 * 1024) block += repeat;
    while (c.Send(block)) {
    }
  };
}

// Writes `bytes`, then stays silent until the client closes.
CannedServer::Handler SendThenStall(std::string bytes) {
  return [bytes = std::move(bytes)](CannedConnection& c) {
    if (c.ReadRequest() && c.Send(bytes)) c.WaitForClose(10000ms);
  };
}

// One byte every 50 ms, for ever.
CannedServer::Handler Trickle(std::string head) {
  return [head = std::move(head)](CannedConnection& c) {
    if (!c.ReadRequest() || !c.Send(head)) return;
    while (c.Send("x")) c.Pause(50ms);
  };
}

TEST(HttpClientTest, HostileServersEndInAResultOrACleanFailure) {
  const std::string ok = "HTTP/1.1 200 OK\r\n";
  enum Outcome { kFails, kTimesOut, kEmpty, kReturnsOk };
  struct Case {
    const char* name;
    CannedServer::Handler handler;
    Outcome outcome;
    std::chrono::milliseconds within;
  } cases[] = {
      {"endless header stream", Flood(ok, "X-Filler: 0123456789abcdef\r\n"), kFails, 1500ms},
      {"one megabyte header line", Canned(ok + "X-Long: " + std::string(1 << 20, 'a') + "\r\n\r\n"),
       kFails, 1500ms},
      {"endless interim answers", Flood("", "HTTP/1.1 100 Continue\r\n\r\n"), kFails, 1500ms},
      {"chunk size of 2^64",
       Canned(ok + "Transfer-Encoding: chunked\r\n\r\n10000000000000000\r\nabc\r\n0\r\n\r\n"),
       kFails, 1500ms},
      {"chunk size not hexadecimal", Canned(ok + "Transfer-Encoding: chunked\r\n\r\nxyz\r\n"),
       kFails, 1500ms},
      {"negative length", Canned(ok + "Content-Length: -5\r\n\r\nhello"), kFails, 1500ms},
      {"conflicting lengths", Canned(ok + "Content-Length: 5\r\nContent-Length: 50\r\n\r\nhello"),
       kFails, 1500ms},
      {"endless body", Flood(ok + "\r\n", "b"), kFails, 3000ms},
      {"silence after the request", SendThenStall(""), kTimesOut, 1500ms},
      {"stall in the headers", SendThenStall(ok + "Server: x\r\n"), kTimesOut, 1500ms},
      {"stall in the body", SendThenStall(ok + "Content-Length: 100\r\n\r\n0123456789"), kTimesOut,
       1500ms},
      {"stall in an error body",
       SendThenStall("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nab"), kTimesOut, 1500ms},
      {"trickle past the fetch limit", Trickle(ok + "\r\n"), kTimesOut, 2000ms},
      {"reset in the body",
       [ok](CannedConnection& c) {
         if (c.ReadRequest() && c.Send(ok + "Content-Length: 100\r\n\r\n0123456789")) {
           c.Pause(50ms);
           c.Reset();
         }
       },
       kFails, 1500ms},
      {"close before answering", [](CannedConnection& c) { c.ReadRequest(); }, kFails, 1500ms},
      {"redirect to itself",
       Canned("HTTP/1.1 302 Found\r\nLocation: /\r\nContent-Length: 0\r\n\r\n"), kEmpty, 1500ms},
      {"redirect with a stalled body",
       [ok](CannedConnection& c) {
         auto request = c.ReadRequest();
         if (request && TargetOf(*request) == "/") {
           c.Send("HTTP/1.1 302 Found\r\nLocation: /next\r\nContent-Length: 99\r\n\r\nab");
           c.WaitForClose();  // the client gives up on this body and on this connection
         } else if (request) {
           c.Send(ok + "Content-Length: 2\r\n\r\nok");
         }
       },
       kReturnsOk, 1500ms},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    CannedServer server(std::move(c.handler));
    HttpClient client;
    MakeQuick(client);
    client.followRedirects = true;
    client.fetchLimit = 1000ms;
    client.maxBodyBytes = 1u << 20;
    const auto start = std::chrono::steady_clock::now();
    try {
      const std::string body = client.FetchPageText(server.Url("/"));
      EXPECT_TRUE(c.outcome == kEmpty || c.outcome == kReturnsOk) << "returned " << body.size();
      EXPECT_EQ(body, c.outcome == kReturnsOk ? "ok" : "");
    } catch (const HttpTimeout&) {
      EXPECT_EQ(c.outcome, kTimesOut);
    } catch (const HttpError& e) {
      EXPECT_EQ(c.outcome, kFails) << e.what();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, c.within);
  }
}

TEST(HttpClientTest, TheErrorBodyHasItsOwnShortLimit) {
  CannedServer server(SendThenStall("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nab"));
  HttpClient client;
  MakeQuick(client);
  client.readLimit = 5000ms;  // only the error body's own limit can end this quickly
  client.errorBodyLimit = 200ms;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(client.FetchPageText(server.Url("/")), HttpTimeout);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, 190ms);
  EXPECT_LT(elapsed, 1500ms);
}

TEST(HttpClientTest, ConnectionFailuresAreHttpErrors) {
  int port = 0;
  {
    CannedServer closed(Canned(""));
    port = closed.port();
  }  // nobody listens there now
  HttpClient client;
  MakeQuick(client);
  EXPECT_THROW(client.FetchPageText("http://127.0.0.1:" + std::to_string(port) + "/"), HttpError);
  EXPECT_THROW(client.FetchPageText("ftp://127.0.0.1/"), HttpError);  // no port for the scheme
}

}  // namespace
}  // namespace tiramon
