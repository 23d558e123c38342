// URL handling of the page fetch. Nothing is decoded or re-encoded: the server gets the path
// and query exactly as the page or the redirect wrote them.
#include "support/http_url.h"

#include <cctype>
#include <vector>

#include "support/http_error.h"

namespace tiramon::http {
namespace {

std::string_view StripFragment(std::string_view url) { return url.substr(0, url.find('#')); }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

// Length of a leading "scheme:" (letters, digits, "+", "-", "." after a first letter), or 0.
std::size_t SchemeLength(std::string_view url) {
  if (url.empty() || !std::isalpha(static_cast<unsigned char>(url[0]))) return 0;
  std::size_t i = 1;
  while (i < url.size() && (std::isalnum(static_cast<unsigned char>(url[i])) || url[i] == '+' ||
                            url[i] == '-' || url[i] == '.')) {
    ++i;
  }
  return (i < url.size() && url[i] == ':') ? i : 0;
}

bool HasAuthority(std::string_view url) {
  const std::size_t n = SchemeLength(url);
  if (n > 0) return url.substr(n, 3) == "://";
  return url.substr(0, 2) == "//";
}

int ParsePort(std::string_view text) {
  if (text.empty() || text.size() > 5) throw HttpError("invalid port in URL");
  int port = 0;
  for (char c : text) {
    if (c < '0' || c > '9') throw HttpError("invalid port in URL");
    port = port * 10 + (c - '0');
  }
  if (port < 1 || port > 65535) throw HttpError("invalid port in URL");
  return port;
}

void SetPath(Target& target, std::string_view fullPath) {
  if (fullPath.empty()) fullPath = "/";
  const std::size_t slash = fullPath.rfind('/');
  if (slash == std::string_view::npos) {
    target.path = "/";
    target.document = std::string(fullPath);
  } else {
    target.path = std::string(fullPath.substr(0, slash + 1));
    target.document = std::string(fullPath.substr(slash + 1));
  }
}

void SplitQuery(std::string_view pathAndQuery, std::string_view& path, std::string_view& query) {
  const std::size_t q = pathAndQuery.find('?');
  path = pathAndQuery.substr(0, q);
  query = q == std::string_view::npos ? std::string_view() : pathAndQuery.substr(q);
}

}  // namespace

Target ParseUrl(std::string_view url) {
  url = StripFragment(Trim(url));
  Target target;
  std::string_view rest = url;
  const std::size_t schemeLength = SchemeLength(url);
  if (schemeLength > 0 && url.substr(schemeLength, 3) == "://") {
    for (char c : url.substr(0, schemeLength)) {
      target.scheme += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    rest = url.substr(schemeLength + 3);
  } else {
    target.scheme = "http";
    if (rest.substr(0, 2) == "//") rest.remove_prefix(2);
  }

  const std::size_t authorityEnd = rest.find_first_of("/?");
  std::string_view authority = rest.substr(0, authorityEnd);
  const std::string_view pathAndQuery =
      authorityEnd == std::string_view::npos ? std::string_view() : rest.substr(authorityEnd);
  const std::size_t at = authority.rfind('@');
  if (at != std::string_view::npos) authority.remove_prefix(at + 1);  // credentials: never sent

  std::string_view host = authority;
  std::string_view port;
  if (!authority.empty() && authority[0] == '[') {
    const std::size_t close = authority.find(']');
    if (close == std::string_view::npos) throw HttpError("invalid host in URL");
    host = authority.substr(0, close + 1);
    const std::string_view after = authority.substr(close + 1);
    if (!after.empty()) {
      if (after[0] != ':') throw HttpError("invalid host in URL");
      port = after.substr(1);
    }
  } else if (const std::size_t colon = authority.rfind(':'); colon != std::string_view::npos) {
    host = authority.substr(0, colon);
    port = authority.substr(colon + 1);
  }
  if (host.empty() || host == "[]") throw HttpError("URL without a host");
  target.host = std::string(host);
  if (!port.empty()) {
    target.port = ParsePort(port);
  } else {
    target.port = target.scheme == "http" ? 80 : 0;
  }

  std::string_view path;
  std::string_view query;
  SplitQuery(pathAndQuery, path, query);
  SetPath(target, path);
  target.query = std::string(query);
  return target;
}

Target ResolveLocation(const Target& base, std::string_view location) {
  location = StripFragment(Trim(location));
  if (HasAuthority(location)) return ParseUrl(location);
  if (SchemeLength(location) > 0) throw HttpError("unsupported redirect location");

  Target target = base;
  if (location.empty()) return target;
  std::string_view path;
  std::string_view query;
  SplitQuery(location, path, query);
  target.query = std::string(query);
  if (path.empty()) return target;  // "?query": same document, new query
  if (path[0] == '/') {
    SetPath(target, RemoveDotSegments(path));
  } else {
    SetPath(target, RemoveDotSegments(base.path + std::string(path)));
  }
  return target;
}

std::string RemoveDotSegments(std::string_view path) {
  std::vector<std::string_view> segments;
  bool trailingSlash = false;
  if (!path.empty() && path[0] == '/') path.remove_prefix(1);
  for (;;) {
    const std::size_t slash = path.find('/');
    const std::string_view segment = path.substr(0, slash);
    const bool last = slash == std::string_view::npos;
    if (segment == ".") {
      trailingSlash = last;
    } else if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
      trailingSlash = last;
    } else {
      segments.push_back(segment);
      trailingSlash = false;
    }
    if (last) break;
    path.remove_prefix(slash + 1);
  }
  std::string result = "/";
  for (std::size_t i = 0; i < segments.size(); ++i) {
    if (i > 0) result += '/';
    result += segments[i];
  }
  if (trailingSlash && result.back() != '/') result += '/';
  return result;
}

std::string FormatRequest(const Target& target, std::string_view accept,
                          std::string_view acceptLanguage, std::string_view userAgent,
                          std::string_view cookies) {
  std::string request = "GET " + target.RequestTarget() + " HTTP/1.1\r\n";
  const auto line = [&request](std::string_view name, std::string_view value) {
    if (value.empty()) return;
    request.append(name).append(": ").append(value).append("\r\n");
  };
  std::string host = target.host;
  if (target.port != 80) host += ":" + std::to_string(target.port);
  line("Host", host);
  line("Accept", accept);
  line("Accept-Language", acceptLanguage);
  line("User-Agent", userAgent);
  line("Cookie", cookies);
  request += "\r\n";
  return request;
}

}  // namespace tiramon::http
