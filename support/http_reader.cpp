// Response reading: every loop here is bounded by a size cap or ends at the peer's close, and
// every wait goes through the source with the caller's timer, so no response can hold the
// reader forever or make it buffer without limit.
#include "support/http_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#include "support/http_error.h"

namespace tiramon::http {
namespace {

constexpr std::size_t kChunkLineLimit = 4096;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = Lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// What the Content-Length headers of a response say, once they agree with each other.
struct DeclaredLength {
  enum Kind { kAbsent, kNotNumber, kValue } kind = kAbsent;
  std::uint64_t value = 0;
};

DeclaredLength ParseOneLength(std::string_view text) {
  text = TrimBlanks(text);
  if (!text.empty() && text[0] == '-' && AllDigits(text.substr(1))) {
    throw HttpError("negative Content-Length");
  }
  if (!AllDigits(text)) return {DeclaredLength::kNotNumber, 0};
  std::uint64_t value = 0;
  for (char c : text) {
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) {
      throw HttpError("Content-Length out of range");
    }
    value = value * 10 + digit;
  }
  return {DeclaredLength::kValue, value};
}

// Two different lengths leave no way to tell where this response ends and the next begins.
DeclaredLength ContentLengthOf(const ResponseHead& head) {
  DeclaredLength result;
  bool seen = false;
  for (std::string_view value : head.FindAll("Content-Length")) {
    const DeclaredLength one = ParseOneLength(value);
    if (seen && (one.kind != result.kind || one.value != result.value)) {
      throw HttpError("conflicting Content-Length headers");
    }
    result = one;
    seen = true;
  }
  return result;
}

bool IsChunked(const ResponseHead& head) {
  for (std::string_view value : head.FindAll("Transfer-Encoding")) {
    if (ContainsNoCase(value, "chunked")) return true;
  }
  return false;
}

// A chunk size line: hexadecimal digits, then optionally blanks and extensions after ";".
std::uint64_t ParseChunkSize(std::string_view line, std::uint64_t cap) {
  line = TrimBlanks(line);
  std::size_t i = 0;
  std::uint64_t size = 0;
  while (i < line.size() && HexValue(line[i]) >= 0) {
    size = size * 16 + static_cast<std::uint64_t>(HexValue(line[i]));
    if (size > cap) throw HttpError("chunk larger than the body limit");
    ++i;
  }
  if (i == 0) throw HttpError("chunk size is not a hexadecimal number");
  while (i < line.size() && IsBlank(line[i])) ++i;
  if (i < line.size() && line[i] != ';') throw HttpError("chunk size is not a hexadecimal number");
  return size;
}

}  // namespace

std::size_t StringSource::Read(char* buffer, std::size_t size, const ReadTimer& /*timer*/) {
  const std::size_t n = std::min({size, step_, bytes_.size() - offset_});
  std::memcpy(buffer, bytes_.data() + offset_, n);
  offset_ += n;
  return n;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

bool ContainsNoCase(std::string_view text, std::string_view part) {
  if (part.empty()) return true;
  for (std::size_t i = 0; i + part.size() <= text.size(); ++i) {
    if (EqualsNoCase(text.substr(i, part.size()), part)) return true;
  }
  return false;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

const std::string* ResponseHead::Find(std::string_view name) const {
  for (const auto& [key, value] : headers) {
    if (EqualsNoCase(key, name)) return &value;
  }
  return nullptr;
}

std::vector<std::string_view> ResponseHead::FindAll(std::string_view name) const {
  std::vector<std::string_view> values;
  for (const auto& [key, value] : headers) {
    if (EqualsNoCase(key, name)) values.emplace_back(value);
  }
  return values;
}

bool ResponseHead::IsHttp11() const {
  return EqualsNoCase(std::string_view(statusLine).substr(0, 9), "HTTP/1.1 ");
}

int StatusCodeOf(std::string_view statusLine) {
  const std::size_t first = statusLine.find(' ');
  if (first == std::string_view::npos) return -1;
  std::string_view rest = statusLine.substr(first);
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  const std::string_view token = rest.substr(0, rest.find(' '));
  if (!AllDigits(token) || token.size() > 9) return -1;
  int code = 0;
  for (char c : token) code = code * 10 + (c - '0');
  return code;
}

bool ResponseReader::Fill(const ReadTimer& timer) {
  if (eof_) return false;
  if (begin_ == end_) {
    begin_ = end_ = 0;
  } else if (end_ == buffer_.size()) {
    if (begin_ == 0)
      buffer_.resize(buffer_.size() * 2);  // a long line; callers cap its length
    else {
      std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
      end_ -= begin_;
      begin_ = 0;
    }
  }
  const std::size_t n = source_.Read(buffer_.data() + end_, buffer_.size() - end_, timer);
  if (n == 0) {
    eof_ = true;
    return false;
  }
  end_ += n;
  received_ += n;
  return true;
}

// A line up to LF, without the LF and a CR before it. At the close of the connection the bytes
// since the last LF are the line; nullopt when there are none.
std::optional<std::string> ResponseReader::ReadLine(std::size_t maxLength, const ReadTimer& timer,
                                                    const char* tooLong) {
  std::size_t scanned = 0;
  for (;;) {
    const char* start = buffer_.data() + begin_;
    const std::size_t available = end_ - begin_;
    const void* lf = std::memchr(start + scanned, '\n', available - scanned);
    if (lf != nullptr) {
      const auto length = static_cast<std::size_t>(static_cast<const char*>(lf) - start);
      if (length + 1 > maxLength) throw HttpError(tooLong);
      std::string line(start, length);
      begin_ += length + 1;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    scanned = available;
    if (available >= maxLength) throw HttpError(tooLong);
    if (!Fill(timer)) {
      if (begin_ == end_) return std::nullopt;
      std::string line(buffer_.data() + begin_, end_ - begin_);
      begin_ = end_;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
  }
}

std::string ResponseReader::ReadHeaderLine(HeaderBudget& budget, const ReadTimer& timer,
                                           bool& ended) {
  if (budget.lines == 0 || budget.bytes == 0) throw HttpError("response headers too large");
  std::optional<std::string> line = ReadLine(budget.bytes, timer, "response header too large");
  if (!line) {
    ended = true;
    return {};
  }
  --budget.lines;
  budget.bytes -= std::min(budget.bytes, line->size() + 1);
  return std::move(*line);
}

ResponseHead ResponseReader::ReadHead(HeaderBudget& budget, const ReadTimer& timer) {
  ResponseHead head;
  bool ended = false;
  head.statusLine = ReadHeaderLine(budget, timer, ended);
  if (ended) throw HttpError("the server closed the connection without an answer");
  head.statusCode = StatusCodeOf(head.statusLine);
  for (;;) {
    std::string line = ReadHeaderLine(budget, timer, ended);
    if (ended || line.empty()) break;
    if (IsBlank(line[0]) && !head.headers.empty()) {  // a folded continuation of the last value
      std::string& value = head.headers.back().second;
      const std::string_view more = TrimBlanks(line);
      if (!more.empty()) value.append(value.empty() ? "" : " ").append(more);
      continue;
    }
    const std::size_t colon = line.find(':');
    std::string_view view(line);
    if (colon == std::string::npos) {
      head.headers.emplace_back(std::string(TrimBlanks(view)), std::string());
    } else {
      head.headers.emplace_back(std::string(TrimBlanks(view.substr(0, colon))),
                                std::string(TrimBlanks(view.substr(colon + 1))));
    }
  }
  return head;
}

void ResponseReader::BodyOut::Put(const char* data, std::size_t size) const {
  if (text != nullptr) text->append(data, size);
  if (sink != nullptr) (*sink)(std::string_view(data, size));
}

std::size_t ResponseReader::ReadExactly(std::size_t count, const BodyOut& out,
                                        const ReadTimer& timer) {
  std::size_t done = 0;
  while (done < count) {
    if (begin_ == end_ && !Fill(timer)) break;
    const std::size_t n = std::min(count - done, end_ - begin_);
    const char* data = buffer_.data() + begin_;
    begin_ += n;
    done += n;
    out.Put(data, n);
  }
  return done;
}

void ResponseReader::ReadToEnd(const BodyOut& out, std::size_t cap, const ReadTimer& timer) {
  std::size_t total = 0;
  for (;;) {
    if (begin_ == end_ && !Fill(timer)) return;
    const std::size_t n = end_ - begin_;
    total += n;
    if (total > cap) throw HttpError("response body larger than the limit");
    const char* data = buffer_.data() + begin_;
    begin_ = end_;
    out.Put(data, n);
  }
}

bool ResponseReader::ReadChunked(const BodyOut& out, const Limits& limits, const ReadTimer& timer) {
  std::uint64_t total = 0;
  for (;;) {
    std::optional<std::string> line = ReadLine(kChunkLineLimit, timer, "chunk size line too long");
    if (!line) return false;  // closed between chunks: what arrived is the body
    const std::uint64_t size = ParseChunkSize(*line, limits.maxBodyBytes - total);
    if (size == 0) break;
    total += size;
    if (ReadExactly(static_cast<std::size_t>(size), out, timer) < size) return false;
    std::optional<std::string> end = ReadLine(kChunkLineLimit, timer, "chunk not terminated");
    if (!end) return false;
    if (!end->empty()) throw HttpError("chunk not terminated by a line break");
  }
  // Trailer fields up to the empty line, under the header limits.
  HeaderBudget budget(limits);
  bool ended = false;
  while (!ReadHeaderLine(budget, timer, ended).empty()) {
  }
  return true;
}

bool ResponseReader::ReadFramedBody(const ResponseHead& head, const Limits& limits,
                                    const ReadTimer& timer, const BodyOut& out,
                                    std::string* reserveIn) {
  const DeclaredLength length = ContentLengthOf(head);
  if (length.kind == DeclaredLength::kValue && length.value > 0) {
    if (length.value > limits.maxBodyBytes) throw HttpError("response body larger than the limit");
    const auto count = static_cast<std::size_t>(length.value);
    // Room for the whole declared body at once: growing a large body step by step copies it
    // several times and holds it twice at each step. A server that declares much and sends
    // little costs only address space, since untouched pages are never made resident.
    if (reserveIn != nullptr) reserveIn->reserve(count);
    return ReadExactly(count, out, timer) == count;
  }
  if (IsChunked(head)) return ReadChunked(out, limits, timer);
  if (length.kind != DeclaredLength::kValue) ReadToEnd(out, limits.maxBodyBytes, timer);
  return true;
}

std::string ResponseReader::ReadBody(const ResponseHead& head, const Limits& limits,
                                     const ReadTimer& timer, bool keep) {
  // An early close leaves what arrived as the body.
  std::string body;
  ReadFramedBody(head, limits, timer, BodyOut{keep ? &body : nullptr, nullptr},
                 keep ? &body : nullptr);
  return body;
}

bool ResponseReader::ReadBodyTo(const ResponseHead& head, const Limits& limits,
                                const ReadTimer& timer, const BodySink& sink) {
  return ReadFramedBody(head, limits, timer, BodyOut{nullptr, &sink}, nullptr);
}

}  // namespace tiramon::http
