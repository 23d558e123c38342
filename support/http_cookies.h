// The cookie store of one page fetch: cookies set by the responses of a redirect chain are sent
// back on the later requests of the same chain, and die with the client.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/http_url.h"

namespace tiramon::http {

struct Cookie {
  std::string name;
  std::string value;
  std::string domain;  // lower case, no leading "."
  std::string path;
  bool secure = false;
  std::optional<std::chrono::system_clock::time_point> expires;  // none: lives with the store
};

class CookieStore {
 public:
  using TimePoint = std::chrono::system_clock::time_point;

  // Takes the value of a Set-Cookie header (one cookie) or a Set-Cookie2 header (cookies
  // separated by commas) received for a request to `target`.
  void StoreSetCookie(std::string_view header, const Target& target, TimePoint now);
  void StoreSetCookie2(std::string_view header, const Target& target, TimePoint now);

  // The Cookie header value for a request to `target`: the live cookies whose domain matches
  // the host and whose path is a prefix of the request path, as name=value joined by "; ", in
  // descending order of their paths; secure cookies never go out, the client has no TLS.
  std::string HeaderFor(const Target& target, TimePoint now);

  const std::vector<Cookie>& cookies() const { return cookies_; }

 private:
  void Store(std::string_view cookieText, const Target& target, TimePoint now);
  std::vector<Cookie> cookies_;
};

// An HTTP date as cookies carry it ("Wed, 09 Jun 2021 10:18:14 GMT" and the older forms);
// nullopt when it cannot be read.
std::optional<std::chrono::system_clock::time_point> ParseCookieDate(std::string_view text);

}  // namespace tiramon::http
