// The page fetch: our own HTTP/1.1 client over a direct TCP connection (no proxy, no TLS) that
// returns a page's body as raw bytes. One object serves one fetch; the caller sets it up, calls
// FetchPageText and drops it, taking the connection and the cookies with it.
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
#include <memory>
#include <string>
#include <string_view>

#include "support/http_cookies.h"
#include "support/http_error.h"
#include "support/http_reader.h"
#include "support/http_url.h"

namespace tiramon {

namespace http {
class SocketConnection;
}

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

 private:
  struct Connection;
  std::string Fetch(std::string_view url);
  bool Connect(const http::Target& target, http::Clock::time_point deadline);
  http::ResponseHead Exchange(const http::Target& target, http::Clock::time_point deadline,
                              const http::ReadTimer& timer);
  http::ResponseHead ReadFinalHead(const http::Target& target, const http::ReadTimer& timer);
  bool StaysOpen(const http::ResponseHead& head) const;

  std::unique_ptr<Connection> connection_;
  bool keepOpen_ = false;
  http::CookieStore cookies_;
};

}  // namespace tiramon
