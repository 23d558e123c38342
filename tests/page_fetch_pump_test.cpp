// The page fetch with the window's event pump, against canned servers on loopback: the pump
// keeps running while the server stalls anywhere (connect, headers, bodies), a pump that says
// stop ends the fetch at once, and otherwise the result and every failure are exactly those of
// the fetch without a pump. The name lookup that cannot be interrupted is left to finish alone.
#include <gtest/gtest.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <typeinfo>
#include <vector>

#include "support/http_client.h"
#include "support/http_error.h"
#include "support/http_socket.h"
#include "tests/support/canned_server.h"
#include "tests/support/client_limits.h"

namespace tiramon {
namespace {

using namespace std::chrono_literals;
using testing::CannedConnection;
using testing::CannedServer;
using Clock = std::chrono::steady_clock;

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 5000ms) {
  const auto end = Clock::now() + limit;
  while (!condition()) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

// Limits far beyond a test's length: only giving up can end a stalled fetch in time.
void MakePatient(HttpClient& client) {
  client.connectLimit = 10000ms;
  client.readLimit = 10000ms;
  client.fetchLimit = 20000ms;
  client.redirectBodyLimit = 10000ms;
  client.errorBodyLimit = 10000ms;
}

using testing::MakeQuick;

// The event pump as a test sees it: when each call came, and a stop (false) once `stopWhen`
// holds after at least `minCalls` calls.
class PumpLog {
 public:
  PumpLog(std::size_t minCalls, std::function<bool()> stopWhen)
      : minCalls_(minCalls), stopWhen_(std::move(stopWhen)), start_(Clock::now()) {}

  std::function<bool()> Pump() {
    return [this] {
      const auto now = Clock::now();
      calls_.push_back(now);
      if (calls_.size() >= minCalls_ && stopWhen_()) {
        stoppedAt_ = now;
        return false;
      }
      return true;
    };
  }

  std::size_t calls() const { return calls_.size(); }
  const std::optional<Clock::time_point>& stoppedAt() const { return stoppedAt_; }
  // The longest time without a call, from the start of the fetch to the last call.
  Clock::duration LargestGap() const {
    Clock::duration largest{};
    Clock::time_point previous = start_;
    for (const Clock::time_point call : calls_) {
      largest = std::max(largest, call - previous);
      previous = call;
    }
    return largest;
  }

 private:
  std::size_t minCalls_;
  std::function<bool()> stopWhen_;
  Clock::time_point start_;
  std::vector<Clock::time_point> calls_;
  std::optional<Clock::time_point> stoppedAt_;
};

struct StallState {
  std::atomic<bool> stalled{false};
  std::atomic<bool> clientClosed{false};
};

// Sends `bytes` after the request, then stays silent until the client hangs up.
CannedServer::Handler SendThenStall(std::string bytes, StallState& state) {
  return [bytes = std::move(bytes), &state](CannedConnection& c) {
    if (!c.ReadRequest() || !c.Send(bytes)) return;
    state.stalled = true;
    if (c.WaitForClose(20000ms)) state.clientClosed = true;
  };
}

// A listener on loopback that never accepts, its queue filled, so that a further connect gets
// no answer: the kernel drops the opening segment of a connection that finds the queue full.
class FullListener {
 public:
  FullListener() {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 0) != 0) {
      return;
    }
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    while (!Full() && fillers_.size() < 16) {
      const std::size_t queued = Queued();
      const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
      fillers_.push_back(fd);
      connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
      if (!WaitUntil([&] { return Queued() > queued; }, 2000ms)) return;
    }
  }
  ~FullListener() {
    for (const int fd : fillers_) close(fd);
    if (listener_ >= 0) close(listener_);
  }
  FullListener(const FullListener&) = delete;
  FullListener& operator=(const FullListener&) = delete;

  // A listening socket's TCP_INFO tells its queue length and the most it takes.
  bool Full() const {
    const tcp_info info = Info();
    return info.tcpi_unacked > info.tcpi_sacked;
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

 private:
  tcp_info Info() const {
    tcp_info info{};
    socklen_t length = sizeof info;
    getsockopt(listener_, IPPROTO_TCP, TCP_INFO, &info, &length);
    return info;
  }
  std::size_t Queued() const { return Info().tcpi_unacked; }

  int listener_ = -1;
  int port_ = 0;
  std::vector<int> fillers_;
};

TEST(PageFetchPumpTest, APumpThatSaysStopEndsAStallAnywhereAtOnce) {
  const std::string ok = "HTTP/1.1 200 OK\r\n";
  struct Case {
    const char* name;
    std::string sent;  // after the request, before the stall
    bool inConnect = false;
  } cases[] = {
      {"silent after the request", ""},
      {"stall in the headers", ok + "Server: x\r\n"},
      {"stall in the body", ok + "Content-Length: 100\r\n\r\n0123456789"},
      {"stall in a chunked body", ok + "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n"},
      {"stall in an error body", "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nab"},
      // The client drains a redirect's body to keep the connection; a stall there is the one
      // failure it otherwise shrugs off.
      {"stall in a redirect body",
       "HTTP/1.1 302 Found\r\nLocation: /next\r\nContent-Length: 99\r\n\r\nab"},
      {"stall in the connect", "", true},
  };
  CannedServer afterwards(CannedServer::Replies(
      [](const std::string&) { return "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"; }));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StallState state;
    CannedServer server(SendThenStall(c.sent, state));
    std::optional<FullListener> full;
    std::string url = server.Url("/");
    if (c.inConnect) {
      full.emplace();
      ASSERT_TRUE(full->Full());
      url = full->Url();
    }
    HttpClient client;
    MakePatient(client);
    client.followRedirects = true;
    // Four calls are 200 ms: the connect has long been sent by then.
    PumpLog log(4, [&] { return c.inConnect || state.stalled.load(); });
    EXPECT_THROW(client.FetchPageText(url, log.Pump()), DownloadAborted);
    const auto ended = Clock::now();
    ASSERT_TRUE(log.stoppedAt().has_value());
    EXPECT_LT(ended - *log.stoppedAt(), 1s);
    EXPECT_GE(log.calls(), 4u);
    EXPECT_LE(log.LargestGap(), 100ms);
    if (!c.inConnect) {
      EXPECT_TRUE(WaitUntil([&] { return state.clientClosed.load(); }));
    }
    // The client is free again and starts afresh.
    EXPECT_EQ(client.FetchPageText(afterwards.Url("/"), [] { return true; }), "ok");
  }
}

TEST(PageFetchPumpTest, APumpThatThrowsEndsTheFetchWithItsOwnError) {
  StallState state;
  CannedServer server(SendThenStall("", state));
  HttpClient client;
  MakePatient(client);
  int calls = 0;
  try {
    client.FetchPageText(server.Url("/"), [&]() -> bool {
      if (++calls >= 2 && state.stalled) throw std::out_of_range("window closed");
      return true;
    });
    ADD_FAILURE() << "no error";
  } catch (const std::out_of_range& e) {
    EXPECT_STREQ(e.what(), "window closed");
  }
  EXPECT_TRUE(WaitUntil([&] { return state.clientClosed.load(); }));
}

// Fetches `url` with a fresh client each way; what came back, or the failure's type and text.
struct Fetched {
  std::string text;
  std::string errorType;  // empty: no error
  std::string what;
  int statusCode = 0;
  std::string body;
};

Fetched FetchOnce(const std::string& url, const std::function<void(HttpClient&)>& setUp,
                  const std::function<bool()>& pump, bool withPump) {
  HttpClient client;
  setUp(client);
  Fetched result;
  try {
    result.text = withPump ? client.FetchPageText(url, pump) : client.FetchPageText(url);
  } catch (const HttpProtocolError& e) {
    result.errorType = typeid(e).name();
    result.what = e.what();
    result.statusCode = e.statusCode();
    result.body = e.body();
  } catch (const std::exception& e) {
    result.errorType = typeid(e).name();
    result.what = e.what();
  }
  return result;
}

TEST(PageFetchPumpTest, PagesComeBackByteForByteAsWithoutThePump) {
  const std::string ok = "HTTP/1.1 200 OK\r\n";
  std::string binary = "a";
  binary += '\0';
  binary += "\xff\r\n\x80z";
  std::string large(3u << 20, 'q');
  for (std::size_t i = 0; i < large.size(); i += 4099) large[i] = static_cast<char>(i % 251);
  struct Case {
    const char* name;
    CannedServer::Handler handler;
    std::string expected;
    std::size_t minPumps = 0;  // while the server pauses half way
    bool byName = false;       // "localhost" instead of the address
  } cases[] = {
      {"length", CannedServer::Replies([&](const std::string&) {
         return ok + "Content-Length: 5\r\n\r\nhello";
       }),
       "hello"},
      {"chunked", CannedServer::Replies([&](const std::string&) {
         return ok + "Transfer-Encoding: chunked\r\n\r\n2\r\nhe\r\n3\r\nllo\r\n0\r\n\r\n";
       }),
       "hello"},
      {"any byte", CannedServer::Replies([&](const std::string&) {
         return ok + "Content-Length: 7\r\n\r\n" + binary;
       }),
       binary},
      {"three megabytes until close",
       [&](CannedConnection& c) {
         if (c.ReadRequest()) c.Send(ok + "\r\n" + large);
       },
       large},
      {"a redirect on the same connection", CannedServer::Replies([&](const std::string& request) {
         if (request.rfind("GET /next ", 0) == 0) return ok + "Content-Length: 4\r\n\r\nnext";
         return std::string(
             "HTTP/1.1 301 Moved\r\nLocation: /next\r\nContent-Length: 3\r\n\r\nabc");
       }),
       "next"},
      {"a pause in the body",
       [&](CannedConnection& c) {
         if (!c.ReadRequest() || !c.Send(ok + "Content-Length: 10\r\n\r\n01234")) return;
         c.Pause(300ms);
         c.Send("56789");
       },
       "0123456789", 4},
      {"a host name", CannedServer::Replies([&](const std::string&) {
         return ok + "Content-Length: 4\r\n\r\nname";
       }),
       "name", 0, true},
  };
  const auto setUp = [](HttpClient& client) {
    MakeQuick(client);
    client.readLimit = 2000ms;  // longer than the pause
    client.followRedirects = true;
    client.acceptLanguage = "ru";
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    CannedServer server(std::move(c.handler));
    std::string url = server.Url("/page?x=1");
    if (c.byName) url.replace(url.find("127.0.0.1"), 9, "localhost");
    const Fetched plain = FetchOnce(url, setUp, {}, false);
    PumpLog log(0, [] { return false; });
    const Fetched pumped = FetchOnce(url, setUp, log.Pump(), true);
    EXPECT_EQ(plain.errorType + plain.what, "");
    EXPECT_EQ(pumped.errorType + pumped.what, "");
    EXPECT_TRUE(plain.text == c.expected) << plain.text.size() << " bytes";
    EXPECT_TRUE(pumped.text == c.expected) << pumped.text.size() << " bytes";
    EXPECT_GE(log.calls(), c.minPumps);
    if (c.minPumps > 0) {
      EXPECT_LE(log.LargestGap(), 100ms);
    }
    // The same requests on the wire, whichever way the page was fetched.
    const std::vector<std::string> requests = server.requests();
    ASSERT_EQ(requests.size() % 2, 0u);
    const std::size_t half = requests.size() / 2;
    for (std::size_t i = 0; i < half; ++i) EXPECT_EQ(requests[i], requests[half + i]);
  }
}

TEST(PageFetchPumpTest, FailuresAreThoseOfTheFetchWithoutThePump) {
  int closedPort = 0;
  {
    CannedServer closed(CannedServer::Replies([](const std::string&) { return std::string(); }));
    closedPort = closed.port();
  }  // nobody listens there now
  const std::string refused = "http://127.0.0.1:" + std::to_string(closedPort) + "/";
  const std::string timeout = typeid(HttpTimeout).name();
  const std::string protocol = typeid(HttpProtocolError).name();
  const std::string plainError = typeid(HttpError).name();
  struct Case {
    const char* name;
    CannedServer::Handler handler;  // empty: `url` as given
    std::string url;
    std::string type;
    int statusCode = 0;
    std::string body{};
  } cases[] = {
      {"connection refused", {}, refused, plainError},
      {"no scheme with a port", {}, "ftp://127.0.0.1/", plainError},
      {"https", {}, "https://127.0.0.1:1/", plainError},
      {"not found", CannedServer::Replies([](const std::string&) {
         return std::string("HTTP/1.1 404 Not Found\r\nContent-Length: 7\r\n\r\nmissing");
       }),
       "", protocol, 404, "missing"},
      {"server error, chunked", CannedServer::Replies([](const std::string&) {
         return std::string(
             "HTTP/1.1 500 Oops\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nboom\r\n0\r\n\r\n");
       }),
       "", protocol, 500, "boom"},
      {"malformed chunk", CannedServer::Replies([](const std::string&) {
         return std::string("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nxyz\r\n");
       }),
       "", plainError},
      {"silence past the read limit",
       [](CannedConnection& c) {
         if (c.ReadRequest()) c.WaitForClose(5000ms);
       },
       "", timeout},
      {"closed before answering", [](CannedConnection& c) { c.ReadRequest(); }, "", plainError},
  };
  const auto setUp = [](HttpClient& client) { MakeQuick(client); };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::optional<CannedServer> server;
    if (c.handler) {
      server.emplace(std::move(c.handler));
      c.url = server->Url("/");
    }
    const Fetched plain = FetchOnce(c.url, setUp, {}, false);
    const Fetched pumped = FetchOnce(
        c.url, setUp, [] { return true; }, true);
    EXPECT_EQ(plain.errorType, c.type) << plain.what;
    EXPECT_EQ(pumped.errorType, c.type) << pumped.what;
    EXPECT_EQ(pumped.what, plain.what);
    EXPECT_FALSE(pumped.what.empty());
    EXPECT_EQ(pumped.statusCode, c.statusCode);
    EXPECT_EQ(pumped.body, c.body);
    EXPECT_EQ(plain.body, c.body);
  }
}

TEST(PageFetchPumpTest, TheEventsMayRunAnotherFetchButNotOnTheSameClient) {
  std::atomic<bool> innerDone{false};
  CannedServer outerServer([&](CannedConnection& c) {
    if (!c.ReadRequest()) return;
    // The outer answer waits for the inner fetch, so the inner one surely runs nested.
    const auto end = Clock::now() + 10s;
    while (!innerDone && Clock::now() < end) c.Pause(2ms);
    c.Send("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nouter");
  });
  CannedServer innerServer(CannedServer::Replies([](const std::string&) {
    return std::string("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\ninner");
  }));
  HttpClient outer;
  MakePatient(outer);
  std::string innerText;
  std::vector<std::string> sameClient;
  int innerPumps = 0;
  const std::string innerUrl = innerServer.Url("/");
  const std::string outerText = outer.FetchPageText(outerServer.Url("/"), [&] {
    if (innerDone) return true;
    for (int way = 0; way < 2; ++way) {
      try {
        if (way == 0) outer.FetchPageText(innerUrl);
        if (way == 1) outer.FetchPageText(innerUrl, [] { return true; });
        sameClient.push_back("fetched");
      } catch (const std::logic_error&) {
        sameClient.push_back("refused");
      }
    }
    HttpClient inner;
    MakeQuick(inner);
    innerText = inner.FetchPageText(innerUrl, [&] { return ++innerPumps > 0; });
    innerDone = true;
    return true;
  });
  EXPECT_EQ(outerText, "outer");
  EXPECT_EQ(innerText, "inner");
  EXPECT_EQ(sameClient, (std::vector<std::string>{"refused", "refused"}));
  EXPECT_EQ(innerServer.requests().size(), 1u);  // only the other client reached it
  // And the outer client is free once its fetch is over.
  EXPECT_EQ(outer.FetchPageText(innerUrl), "inner");
}

// A lookup that blocks until the test lets it go, as a resolver waiting on a dead name server.
struct Gate {
  std::mutex mutex;
  std::condition_variable changed;
  bool open = false;
  bool entered = false;
  bool returned = false;
};

http::Lookup GatedLookup(std::shared_ptr<Gate> gate) {
  return [gate](addrinfo** found) {
    std::unique_lock<std::mutex> lock(gate->mutex);
    gate->entered = true;
    gate->changed.notify_all();
    gate->changed.wait(lock, [&] { return gate->open; });
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    const int rc = getaddrinfo("127.0.0.1", "8123", &hints, found);
    gate->returned = true;
    gate->changed.notify_all();
    return rc;
  };
}

TEST(LookUpAsideTest, AGivenUpLookupEndsTheWaitAndFinishesAlone) {
  enum Ending { kFinishes, kCancelled, kPumpThrows };
  struct Case {
    const char* name;
    Ending ending;
  } cases[] = {{"the lookup finishes", kFinishes},
               {"the fetch is given up", kCancelled},
               {"the pump throws", kPumpThrows}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto gate = std::make_shared<Gate>();
    http::CancelSignal cancel;
    std::vector<Clock::time_point> pumps;
    std::optional<Clock::time_point> gaveUp;
    const auto pump = [&] {
      pumps.push_back(Clock::now());
      if (pumps.size() < 3) return;
      if (c.ending == kFinishes) {
        const std::lock_guard<std::mutex> lock(gate->mutex);
        gate->open = true;
        gate->changed.notify_all();
      } else if (!gaveUp) {
        gaveUp = Clock::now();
        if (c.ending == kPumpThrows) throw std::out_of_range("window closed");
        cancel.Raise();
      }
    };
    http::Addresses found;
    std::string outcome;
    try {
      const int rc = http::LookUpAside(GatedLookup(gate), found, pump, &cancel);
      outcome = "rc " + std::to_string(rc);
    } catch (const DownloadAborted&) {
      outcome = "aborted";
    } catch (const std::out_of_range&) {
      outcome = "pump's error";
    }
    const auto ended = Clock::now();
    Clock::duration largestGap{};
    for (std::size_t i = 1; i < pumps.size(); ++i) {
      largestGap = std::max(largestGap, pumps[i] - pumps[i - 1]);
    }
    EXPECT_LE(largestGap, 100ms);
    switch (c.ending) {
      case kFinishes: {
        EXPECT_EQ(outcome, "rc 0");
        ASSERT_NE(found, nullptr);
        ASSERT_EQ(found->ai_family, AF_INET);
        const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
        EXPECT_EQ(ntohs(address->sin_port), 8123);
        EXPECT_EQ(ntohl(address->sin_addr.s_addr), 0x7f000001u);
        break;
      }
      case kCancelled:
      case kPumpThrows: {
        EXPECT_EQ(outcome, c.ending == kCancelled ? "aborted" : "pump's error");
        EXPECT_EQ(found, nullptr);
        ASSERT_TRUE(gaveUp.has_value());
        EXPECT_LT(ended - *gaveUp, 100ms);
        // Still stuck in the resolver after the wait ended; let it go and see it finish.
        std::unique_lock<std::mutex> lock(gate->mutex);
        EXPECT_TRUE(gate->entered);
        EXPECT_FALSE(gate->returned);
        gate->open = true;
        gate->changed.notify_all();
        EXPECT_TRUE(gate->changed.wait_for(lock, 5s, [&] { return gate->returned; }));
        break;
      }
    }
  }
}

}  // namespace
}  // namespace tiramon
