// The fetch loop: one pass per request, redirects followed on the same connection when the
// server allows it. Any failure drops the connection, since its state is then unknown.
#include "support/http_client.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <utility>

#include "support/http_socket.h"

namespace tiramon {

using http::Clock;
using http::ReadTimer;
using http::ResponseHead;
using http::Target;

struct HttpClient::Connection {
  Connection(const std::string& host, int port, std::chrono::milliseconds limit,
             Clock::time_point deadline, const http::CancelSignal* cancel)
      : socket(host, port, limit, deadline, {}, cancel), reader(socket) {}
  http::SocketConnection socket;
  http::ResponseReader reader;
};

HttpClient::HttpClient() = default;
HttpClient::~HttpClient() = default;

namespace {

// "close" or "keep-alive" among the comma-separated tokens of a header value.
bool HasToken(const ResponseHead& head, std::string_view name, std::string_view token) {
  for (std::string_view value : head.FindAll(name)) {
    while (!value.empty()) {
      const std::size_t comma = value.find(',');
      if (http::EqualsNoCase(http::TrimBlanks(value.substr(0, comma)), token)) return true;
      if (comma == std::string_view::npos) break;
      value.remove_prefix(comma + 1);
    }
  }
  return false;
}

bool IsRedirect(const ResponseHead& head) {
  const int code = head.statusCode;
  return (code >= 300 && code <= 399 && code != 304) || head.Find("Location") != nullptr;
}

// Marks the client busy for one call. A second fetch on the same client from inside the event
// pump would share the connection with the worker of the first.
class BusyScope {
 public:
  explicit BusyScope(bool& busy) : busy_(busy) {
    if (busy_) throw std::logic_error("a page fetch is already running on this client");
    busy_ = true;
  }
  ~BusyScope() { busy_ = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  bool& busy_;
};

// What the worker leaves for the waiting thread.
struct Outcome {
  std::mutex mutex;
  std::condition_variable finishedChanged;
  bool finished = false;
  std::string text;
  std::exception_ptr error;
};

// Gives up and joins the worker however the waiting thread leaves, so that no worker outlives
// the client, the outcome or the signal it uses.
class WorkerScope {
 public:
  WorkerScope(std::thread& worker, http::CancelSignal& cancel) : worker_(worker), cancel_(cancel) {}
  ~WorkerScope() { Stop(); }
  WorkerScope(const WorkerScope&) = delete;
  WorkerScope& operator=(const WorkerScope&) = delete;

  void Stop() {
    if (!worker_.joinable()) return;
    cancel_.Raise();
    worker_.join();
  }
  void Join() { worker_.join(); }

 private:
  std::thread& worker_;
  http::CancelSignal& cancel_;
};

}  // namespace

std::string HttpClient::FetchPageText(std::string_view url) {
  const BusyScope busy(busy_);
  return FetchOrReset(url, nullptr);
}

std::string HttpClient::FetchPageText(std::string_view url,
                                      const std::function<bool()>& processEvents) {
  if (!processEvents) return FetchPageText(url);
  const BusyScope busy(busy_);
  const std::string address(url);  // the pump may change whatever `url` points into
  http::CancelSignal cancel;
  Outcome outcome;
  std::thread worker;
  try {
    worker = std::thread([this, &address, &cancel, &outcome] {
      std::string text;
      std::exception_ptr error;
      try {
        text = FetchOrReset(address, &cancel);
      } catch (...) {
        error = std::current_exception();
      }
      const std::lock_guard<std::mutex> lock(outcome.mutex);
      outcome.text = std::move(text);
      outcome.error = error;
      outcome.finished = true;
      outcome.finishedChanged.notify_one();
    });
  } catch (const std::system_error& e) {
    throw HttpError(std::string("cannot start the page fetch: ") + e.what());
  }
  WorkerScope scope(worker, cancel);
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(outcome.mutex);
      if (outcome.finishedChanged.wait_for(lock, kPumpInterval, [&] { return outcome.finished; })) {
        break;
      }
    }
    if (!processEvents()) {
      scope.Stop();
      throw DownloadAborted("Page fetch aborted");
    }
  }
  scope.Join();
  if (outcome.error) std::rethrow_exception(outcome.error);
  return std::move(outcome.text);
}

std::string HttpClient::FetchOrReset(std::string_view url, const http::CancelSignal* cancel) {
  try {
    return Fetch(url, cancel);
  } catch (...) {
    connection_.reset();
    keepOpen_ = false;
    throw;
  }
}

bool HttpClient::StaysOpen(const ResponseHead& head) const {
  if (!connection_ || connection_->reader.atEnd()) return false;
  if (head.IsHttp11()) {
    return !HasToken(head, "Connection", "close") && !HasToken(head, "Proxy-Connection", "close");
  }
  return HasToken(head, "Connection", "keep-alive") ||
         HasToken(head, "Proxy-Connection", "keep-alive");
}

// Returns true when the connection left open by the previous response is used again.
bool HttpClient::Connect(const Target& target, Clock::time_point deadline,
                         const http::CancelSignal* cancel) {
  if (connection_ && (!http::EqualsNoCase(connection_->socket.host(), target.host) ||
                      connection_->socket.port() != target.port || !keepOpen_)) {
    connection_.reset();
  }
  if (connection_) return true;
  connection_ =
      std::make_unique<Connection>(target.host, target.port, connectLimit, deadline, cancel);
  return false;
}

// Sends the request and reads the answer's head. A kept connection that the server closed in
// the meantime fails before the first byte of an answer; the request then goes once more on a
// new connection, since nothing of it can have been acted upon.
ResponseHead HttpClient::Exchange(const Target& target, Clock::time_point deadline,
                                  const ReadTimer& timer) {
  const bool reused = Connect(target, deadline, timer.cancel);
  const std::size_t receivedBefore = connection_->reader.received();
  const std::string request =
      http::FormatRequest(target, accept, acceptLanguage, userAgent,
                          cookies_.HeaderFor(target, std::chrono::system_clock::now()));
  try {
    connection_->socket.Send(request, timer);
    return ReadFinalHead(target, timer);
  } catch (const HttpTimeout&) {
    throw;
  } catch (const HttpError&) {
    if (!reused || connection_->reader.received() != receivedBefore) throw;
  }
  connection_.reset();
  Connect(target, deadline, timer.cancel);
  connection_->socket.Send(request, timer);
  return ReadFinalHead(target, timer);
}

ResponseHead HttpClient::ReadFinalHead(const Target& target, const ReadTimer& timer) {
  const http::Limits limits{maxHeaderBytes, maxHeaderLines, maxBodyBytes};
  http::HeaderBudget budget(limits);
  for (;;) {
    ResponseHead head = connection_->reader.ReadHead(budget, timer);
    const auto now = std::chrono::system_clock::now();
    for (const auto& [name, value] : head.headers) {
      if (http::EqualsNoCase(name, "Set-Cookie")) cookies_.StoreSetCookie(value, target, now);
      if (http::EqualsNoCase(name, "Set-Cookie2")) cookies_.StoreSetCookie2(value, target, now);
    }
    // Interim answers ("100 Continue" and the like) announce the real one.
    if (head.statusCode < 100 || head.statusCode > 199) return head;
  }
}

// Every wait below gets its timer from TimerFor, which carries the cancel signal: a wait that
// missed it could keep a given-up fetch (and the caller joining it) for its whole limit.
std::string HttpClient::Fetch(std::string_view url, const http::CancelSignal* cancel) {
  const Clock::time_point deadline = Clock::now() + fetchLimit;
  const http::Limits limits{maxHeaderBytes, maxHeaderLines, maxBodyBytes};
  // A wait of its own (an error or redirect body) ends by `idle` from now or at the deadline.
  const auto timerFor = [&](std::chrono::milliseconds idle, Clock::time_point end) {
    return ReadTimer{idle, std::min(deadline, end), cancel};
  };
  const ReadTimer timer = timerFor(readLimit, deadline);
  Target target = http::ParseUrl(url);
  std::string result;
  for (int pass = 1;; ++pass) {
    if (target.scheme == "https") throw HttpError("https is not supported: " + std::string(url));
    if (target.port == 0) throw HttpError("no port known for scheme " + target.scheme);
    const ResponseHead head = Exchange(target, deadline, timer);
    keepOpen_ = StaysOpen(head);

    if (IsRedirect(head)) {
      if (!followRedirects) {
        const ReadTimer errorTimer = timerFor(errorBodyLimit, Clock::now() + errorBodyLimit);
        std::string body = connection_->reader.ReadBody(head, limits, errorTimer);
        throw HttpProtocolError(head.statusCode, head.statusLine, std::move(body));
      }
      if (keepOpen_) {
        // Unread bytes of this body would be taken for the next status line, so a body that
        // cannot be drained in time costs the connection, not the fetch.
        const ReadTimer discardTimer =
            timerFor(redirectBodyLimit, Clock::now() + redirectBodyLimit);
        try {
          connection_->reader.ReadBody(head, limits, discardTimer, /*keep=*/false);
          keepOpen_ = StaysOpen(head);
        } catch (const HttpError&) {
          keepOpen_ = false;
        }
      }
      if (pass >= maxRedirectPasses) break;  // the result stays empty
      const std::string* location = head.Find("Location");
      target = http::ResolveLocation(target, location != nullptr ? *location : std::string());
      continue;
    }

    if (head.statusCode >= 200 && head.statusCode <= 299) {
      if (head.statusCode != 204) result = connection_->reader.ReadBody(head, limits, timer);
      keepOpen_ = StaysOpen(head);
      break;
    }

    const ReadTimer errorTimer = timerFor(errorBodyLimit, Clock::now() + errorBodyLimit);
    std::string body = connection_->reader.ReadBody(head, limits, errorTimer);
    throw HttpProtocolError(head.statusCode, head.statusLine, std::move(body));
  }
  if (!keepOpen_) connection_.reset();
  return result;
}

}  // namespace tiramon
