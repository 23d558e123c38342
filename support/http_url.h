// Request targets of the page fetch: parsing a URL, resolving a redirect location against the
// previous target, and the exact bytes of the GET request sent for a target.
#pragma once

#include <string>
#include <string_view>

namespace tiramon::http {

struct Target {
  std::string scheme;    // lower case, "http" when none was given
  std::string host;      // as written (an IPv6 literal keeps its brackets)
  int port = 0;          // 0: no port given and none known for the scheme
  std::string path;      // up to and including the last "/", at least "/"
  std::string document;  // after the last "/"
  std::string query;     // from "?" on, or empty

  std::string RequestTarget() const { return path + document + query; }
};

// Parses an absolute URL ("scheme://host:port/path?query"; "//host/..." and a bare
// "host/..." mean http). The part from "#" on is dropped; escapes are kept as written.
// Throws HttpError for a URL without a host or with an invalid port.
Target ParseUrl(std::string_view url);

// The target a redirect location points to, seen from `base`.
Target ResolveLocation(const Target& base, std::string_view location);

// Resolves "." and ".." segments of an absolute path ("/a/b/../c" -> "/a/c").
std::string RemoveDotSegments(std::string_view path);

// The GET request for `target`: request line, then Host, Accept, Accept-Language, User-Agent and
// Cookie, each only when its value is not empty, then the empty line.
std::string FormatRequest(const Target& target, std::string_view accept,
                          std::string_view acceptLanguage, std::string_view userAgent,
                          std::string_view cookies);

}  // namespace tiramon::http
