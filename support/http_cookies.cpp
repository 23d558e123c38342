// Cookie parsing and matching, kept simple: a fetch lives for seconds, so only what a redirect
// chain needs is honoured (domain, path, expiry, secure); everything else is ignored.
#include "support/http_cookies.h"

#include <algorithm>
#include <cctype>
#include <ctime>

#include "support/http_reader.h"

namespace tiramon::http {
namespace {

constexpr std::size_t kMaxCookies = 200;

std::string LowerCopy(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return result;
}

std::string HostName(const Target& target) {
  std::string host = LowerCopy(target.host);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    host = host.substr(1, host.size() - 2);
  }
  return host;
}

// The host is the cookie's domain or one of its subdomains.
bool DomainMatches(std::string_view host, std::string_view domain) {
  if (host == domain) return true;
  return host.size() > domain.size() && host.substr(host.size() - domain.size()) == domain &&
         host[host.size() - domain.size() - 1] == '.';
}

// Where a cookie without a Path attribute applies: the folder of the request path.
std::string DefaultPath(const Target& target) {
  std::string path = target.path;
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  return path.empty() ? "/" : path;
}

std::string_view Unquote(std::string_view text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    return text.substr(1, text.size() - 2);
  }
  return text;
}

int MonthIndex(std::string_view token) {
  static constexpr const char* kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                            "jul", "aug", "sep", "oct", "nov", "dec"};
  if (token.size() < 3) return -1;
  const std::string lower = LowerCopy(token.substr(0, 3));
  for (int i = 0; i < 12; ++i) {
    if (lower == kMonths[i]) return i;
  }
  return -1;
}

bool IsDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c));
  });
}

int ToInt(std::string_view digits) {
  int value = 0;
  for (char c : digits) value = value * 10 + (c - '0');
  return value;
}

}  // namespace

std::optional<std::chrono::system_clock::time_point> ParseCookieDate(std::string_view text) {
  int day = -1, month = -1, year = -1, hour = -1, minute = -1, second = -1;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && !std::isalnum(static_cast<unsigned char>(text[i])) &&
           text[i] != ':') {
      ++i;
    }
    std::size_t j = i;
    while (j < text.size() &&
           (std::isalnum(static_cast<unsigned char>(text[j])) || text[j] == ':')) {
      ++j;
    }
    const std::string_view token = text.substr(i, j - i);
    i = j;
    if (token.empty()) continue;
    if (hour < 0 && token.find(':') != std::string_view::npos) {
      const std::size_t a = token.find(':');
      const std::size_t b = token.find(':', a + 1);
      const std::string_view h = token.substr(0, a);
      const std::string_view m = token.substr(a + 1, b == std::string_view::npos ? b : b - a - 1);
      const std::string_view s = b == std::string_view::npos ? "0" : token.substr(b + 1);
      if (IsDigits(h) && IsDigits(m) && IsDigits(s) && h.size() <= 2 && m.size() <= 2 &&
          s.size() <= 2) {
        hour = ToInt(h);
        minute = ToInt(m);
        second = ToInt(s);
      }
    } else if (day < 0 && IsDigits(token) && token.size() <= 2) {
      day = ToInt(token);
    } else if (month < 0 && MonthIndex(token) >= 0) {
      month = MonthIndex(token);
    } else if (year < 0 && IsDigits(token) && token.size() <= 4) {
      year = ToInt(token);
    }
  }
  if (year >= 70 && year <= 99) year += 1900;
  if (year >= 0 && year <= 69) year += 2000;
  if (day < 1 || day > 31 || month < 0 || year < 1601 || hour < 0 || hour > 23 || minute > 59 ||
      second > 59) {
    return std::nullopt;
  }
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  const std::time_t t = timegm(&tm);
  return std::chrono::system_clock::from_time_t(t);
}

void CookieStore::StoreSetCookie(std::string_view header, const Target& target, TimePoint now) {
  Store(header, target, now);
}

void CookieStore::StoreSetCookie2(std::string_view header, const Target& target, TimePoint now) {
  // Cookies of this header are separated by commas outside quoted values.
  bool quoted = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= header.size(); ++i) {
    if (i < header.size() && header[i] == '"') quoted = !quoted;
    if (i == header.size() || (header[i] == ',' && !quoted)) {
      Store(header.substr(start, i - start), target, now);
      start = i + 1;
    }
  }
}

void CookieStore::Store(std::string_view cookieText, const Target& target, TimePoint now) {
  Cookie cookie;
  cookie.domain = HostName(target);
  cookie.path = DefaultPath(target);
  bool first = true;
  bool maxAgeSeen = false;
  while (!cookieText.empty() || first) {
    const std::size_t semicolon = cookieText.find(';');
    const std::string_view part = TrimBlanks(cookieText.substr(0, semicolon));
    cookieText =
        semicolon == std::string_view::npos ? std::string_view() : cookieText.substr(semicolon + 1);
    const std::size_t eq = part.find('=');
    const std::string_view key = TrimBlanks(part.substr(0, eq));
    const std::string_view value =
        eq == std::string_view::npos ? std::string_view() : TrimBlanks(part.substr(eq + 1));
    if (first) {
      first = false;
      if (eq == std::string_view::npos || key.empty()) return;
      cookie.name = std::string(key);
      cookie.value = std::string(value);
      continue;
    }
    if (EqualsNoCase(key, "domain") && !value.empty()) {
      std::string domain = LowerCopy(Unquote(value));
      if (!domain.empty() && domain.front() == '.') domain.erase(0, 1);
      if (!DomainMatches(HostName(target), domain)) return;  // a cookie for someone else
      cookie.domain = domain;
    } else if (EqualsNoCase(key, "path")) {
      const std::string_view path = Unquote(value);
      if (!path.empty() && path.front() == '/') cookie.path = std::string(path);
    } else if (EqualsNoCase(key, "max-age")) {
      std::string_view digits = Unquote(value);
      const bool negative = !digits.empty() && digits.front() == '-';
      if (negative) digits.remove_prefix(1);
      if (IsDigits(digits)) {
        maxAgeSeen = true;
        if (negative || digits.size() > 9) {
          cookie.expires =
              negative ? now - std::chrono::seconds(1) : now + std::chrono::hours(24 * 365 * 30);
        } else {
          const int seconds = ToInt(digits);
          cookie.expires =
              seconds == 0 ? now - std::chrono::seconds(1) : now + std::chrono::seconds(seconds);
        }
      }
    } else if (EqualsNoCase(key, "expires") && !maxAgeSeen) {
      cookie.expires = ParseCookieDate(Unquote(value));
    } else if (EqualsNoCase(key, "secure")) {
      cookie.secure = true;
    }
  }

  const auto same = [&cookie](const Cookie& c) {
    return c.name == cookie.name && c.domain == cookie.domain && c.path == cookie.path;
  };
  cookies_.erase(std::remove_if(cookies_.begin(), cookies_.end(), same), cookies_.end());
  const bool expired = cookie.expires && *cookie.expires <= now;
  if (!expired && cookies_.size() < kMaxCookies) cookies_.push_back(std::move(cookie));
}

std::string CookieStore::HeaderFor(const Target& target, TimePoint now) {
  cookies_.erase(std::remove_if(cookies_.begin(), cookies_.end(),
                                [now](const Cookie& c) { return c.expires && *c.expires <= now; }),
                 cookies_.end());
  const std::string host = HostName(target);
  const std::string requestPath = target.path + target.document;
  std::vector<const Cookie*> matching;
  for (const Cookie& cookie : cookies_) {
    if (cookie.secure || !DomainMatches(host, cookie.domain)) continue;
    if (requestPath.compare(0, cookie.path.size(), cookie.path) != 0) continue;
    matching.push_back(&cookie);
  }
  std::stable_sort(matching.begin(), matching.end(),
                   [](const Cookie* a, const Cookie* b) { return a->path > b->path; });
  std::string header;
  for (const Cookie* cookie : matching) {
    if (!header.empty()) header += "; ";
    header += cookie->name + "=" + cookie->value;
  }
  return header;
}

}  // namespace tiramon::http
