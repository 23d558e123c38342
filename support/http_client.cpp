// The fetch loop: one pass per request, redirects followed on the same connection when the
// server allows it. Any failure drops the connection, since its state is then unknown.
#include "support/http_client.h"

#include <utility>

#include "support/http_socket.h"

namespace tiramon {

using http::Clock;
using http::ReadTimer;
using http::ResponseHead;
using http::Target;

struct HttpClient::Connection {
  Connection(const std::string& host, int port, std::chrono::milliseconds limit,
             Clock::time_point deadline)
      : socket(host, port, limit, deadline), reader(socket) {}
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

}  // namespace

std::string HttpClient::FetchPageText(std::string_view url) {
  try {
    return Fetch(url);
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
bool HttpClient::Connect(const Target& target, Clock::time_point deadline) {
  if (connection_ && (!http::EqualsNoCase(connection_->socket.host(), target.host) ||
                      connection_->socket.port() != target.port || !keepOpen_)) {
    connection_.reset();
  }
  if (connection_) return true;
  connection_ = std::make_unique<Connection>(target.host, target.port, connectLimit, deadline);
  return false;
}

// Sends the request and reads the answer's head. A kept connection that the server closed in
// the meantime fails before the first byte of an answer; the request then goes once more on a
// new connection, since nothing of it can have been acted upon.
ResponseHead HttpClient::Exchange(const Target& target, Clock::time_point deadline,
                                  const ReadTimer& timer) {
  const bool reused = Connect(target, deadline);
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
  Connect(target, deadline);
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

std::string HttpClient::Fetch(std::string_view url) {
  const Clock::time_point deadline = Clock::now() + fetchLimit;
  const http::Limits limits{maxHeaderBytes, maxHeaderLines, maxBodyBytes};
  const ReadTimer timer{readLimit, deadline};
  Target target = http::ParseUrl(url);
  std::string result;
  for (int pass = 1;; ++pass) {
    if (target.scheme == "https") throw HttpError("https is not supported: " + std::string(url));
    if (target.port == 0) throw HttpError("no port known for scheme " + target.scheme);
    const ResponseHead head = Exchange(target, deadline, timer);
    keepOpen_ = StaysOpen(head);

    if (IsRedirect(head)) {
      if (!followRedirects) {
        const ReadTimer errorTimer{errorBodyLimit,
                                   std::min(deadline, Clock::now() + errorBodyLimit)};
        std::string body = connection_->reader.ReadBody(head, limits, errorTimer);
        throw HttpProtocolError(head.statusCode, head.statusLine, std::move(body));
      }
      if (keepOpen_) {
        // Unread bytes of this body would be taken for the next status line, so a body that
        // cannot be drained in time costs the connection, not the fetch.
        const ReadTimer discardTimer{redirectBodyLimit,
                                     std::min(deadline, Clock::now() + redirectBodyLimit)};
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

    const ReadTimer errorTimer{errorBodyLimit, std::min(deadline, Clock::now() + errorBodyLimit)};
    std::string body = connection_->reader.ReadBody(head, limits, errorTimer);
    throw HttpProtocolError(head.statusCode, head.statusLine, std::move(body));
  }
  if (!keepOpen_) connection_.reset();
  return result;
}

}  // namespace tiramon
