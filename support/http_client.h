// The page fetch: our own HTTP/1.1 client over a direct TCP connection (no proxy, no TLS) that
// returns a page's body as raw bytes. One object serves one fetch; the caller sets it up, calls
// FetchPageText and drops it, taking the connection and the cookies with it. A caller with a
// window to keep alive passes its event pump, and the fetch then runs on a worker thread.
//
// Limits, so that no server can freeze the program or exhaust its memory:
//   connect                      10 s for all addresses of the host together
//   read (idle)                  20 s without a byte from the server
//   whole fetch                  120 s, redirects included
//   discarded redirect body      4 s, then the connection is dropped instead of reused
//   error body                   2 s
//   headers                      64 KiB and 200 lines per response (interim responses included)
//   body                         32 MiB
// Host name resolution waits as long as the system's resolver does.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "support/http_cookies.h"
#include "support/http_error.h"
#include "support/http_reader.h"
#include "support/http_url.h"

namespace tiramon {

namespace http {
class CancelSignal;
class SocketConnection;
}  // namespace http

class HttpClient {
 public:
  HttpClient();
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // Request settings; an empty value leaves its header out.
  std::string userAgent;
  std::string acceptLanguage;
  std::string accept = "text/html, */*";
  bool followRedirects = false;
  int maxRedirectPasses = 15;  // so at most 14 redirects are followed

  // Limits (see above); tests make them small.
  std::chrono::milliseconds connectLimit{10000};
  std::chrono::milliseconds readLimit{20000};
  std::chrono::milliseconds fetchLimit{120000};
  std::chrono::milliseconds redirectBodyLimit{4000};
  std::chrono::milliseconds errorBodyLimit{2000};
  std::size_t maxHeaderBytes = std::size_t{64} * 1024;
  std::size_t maxHeaderLines = 200;
  std::size_t maxBodyBytes = 32u << 20;

  // GETs `url` (scheme http), following redirects when asked to, and returns the final body
  // exactly as received. A 15th redirect in a row ends the fetch with an empty result. Throws
  // HttpError (HttpTimeout, HttpProtocolError) on any failure.
  std::string FetchPageText(std::string_view url);

  // The same fetch on a worker thread, while this thread runs processEvents at least every
  // kPumpInterval; an empty processEvents fetches on this thread as above. Limits, result and
  // failures are those of FetchPageText(url): the worker's exception reaches the caller as it
  // was thrown. When processEvents returns false (the user quits), every wait of the worker ends
  // at once (a name lookup within about kPumpInterval) and DownloadAborted is thrown; when it
  // throws, the fetch ends the same way and its exception goes on. processEvents may run anything,
  // other clients' fetches included, but no second fetch on this client (std::logic_error), and
  // must leave this client's settings alone until the call returns.
  std::string FetchPageText(std::string_view url, const std::function<bool()>& processEvents);
  static constexpr std::chrono::milliseconds kPumpInterval{50};

 private:
  struct Connection;
  std::string FetchOrReset(std::string_view url, const http::CancelSignal* cancel);
  std::string Fetch(std::string_view url, const http::CancelSignal* cancel);
  bool Connect(const http::Target& target, http::Clock::time_point deadline,
               const http::CancelSignal* cancel);
  http::ResponseHead Exchange(const http::Target& target, http::Clock::time_point deadline,
                              const http::ReadTimer& timer);
  http::ResponseHead ReadFinalHead(const http::Target& target, const http::ReadTimer& timer);
  bool StaysOpen(const http::ResponseHead& head) const;

  std::unique_ptr<Connection> connection_;
  bool keepOpen_ = false;
  http::CookieStore cookies_;
  bool busy_ = false;  // a fetch runs; only ever read and written on the caller's thread
};

}  // namespace tiramon
