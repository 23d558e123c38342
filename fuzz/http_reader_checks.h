// Properties of the HTTP response reader fed by a fake connection. Any bytes, split anywhere:
// every response read stays within the header and body caps, or reading stops with an HttpError.
// Responses built from the input (interim answers, headers, Content-Length, chunked or
// close-delimited bodies, one after another on one connection), split anywhere: each reads back
// exactly; cut short or broken by a time-out, the responses before the break still read exactly,
// the broken one yields a prefix of its body or an HttpError, and nothing else escapes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz/byte_reader.h"
#include "fuzz/property.h"
#include "support/http_error.h"
#include "support/http_reader.h"

namespace tiramon::fuzz {
namespace http_reader_checks {

inline constexpr const char* kTimeoutMessage = "fake connection timed out";
inline constexpr std::size_t kNever = static_cast<std::size_t>(-1);

// Canned bytes handed out in pieces of the given sizes in turn; from byte `failAt` on, every
// read fails with a time-out.
class PiecewiseSource : public http::ByteSource {
 public:
  PiecewiseSource(std::string bytes, std::vector<std::size_t> pieces, std::size_t failAt)
      : bytes_(std::move(bytes)), pieces_(std::move(pieces)), failAt_(failAt) {}

  std::size_t Read(char* buffer, std::size_t size, const http::ReadTimer& /*timer*/) override {
    TIRAMON_FUZZ_REQUIRE(size > 0, "the reader asked for 0 bytes, which reads as a close");
    if (offset_ >= failAt_) throw HttpTimeout(kTimeoutMessage);
    const std::size_t piece = pieces_[next_++ % pieces_.size()];
    const std::size_t n = std::min({size, piece, bytes_.size() - offset_, failAt_ - offset_});
    std::memcpy(buffer, bytes_.data() + offset_, n);
    offset_ += n;
    return n;
  }

  std::size_t size() const { return bytes_.size(); }

 private:
  std::string bytes_;
  std::vector<std::size_t> pieces_;
  std::size_t failAt_;
  std::size_t offset_ = 0;
  std::size_t next_ = 0;
};

inline std::vector<std::size_t> Pieces(ByteReader& in) {
  std::vector<std::size_t> pieces(in.Integral<std::size_t>(1, 8));
  const std::size_t largest = in.Bool() ? 16 : 65536;
  for (std::size_t& piece : pieces) piece = in.Integral<std::size_t>(1, largest);
  return pieces;
}

inline bool Trimmed(std::string_view s) {
  return s.empty() ||
         (s.front() != ' ' && s.front() != '\t' && s.back() != ' ' && s.back() != '\t');
}

// What holds for every head the reader returns, whatever it was fed.
inline void CheckHead(const http::ResponseHead& head, std::size_t& bytesSeen,
                      std::size_t& linesSeen, const http::Limits& limits) {
  TIRAMON_FUZZ_REQUIRE(
      head.statusCode == http::StatusCodeOf(head.statusLine),
      "status code " + std::to_string(head.statusCode) + " of " + Shown(head.statusLine));
  bytesSeen += head.statusLine.size();
  linesSeen += 1 + head.headers.size();
  TIRAMON_FUZZ_REQUIRE(head.statusLine.find('\n') == std::string::npos, "LF in a status line");
  for (const auto& [name, value] : head.headers) {
    bytesSeen += name.size() + value.size();
    TIRAMON_FUZZ_REQUIRE(
        name.find('\n') == std::string::npos && value.find('\n') == std::string::npos,
        "LF in a header");
    TIRAMON_FUZZ_REQUIRE(Trimmed(name) && Trimmed(value),
                         "header " + Shown(name) + ": " + Shown(value) + " has blanks around");
  }
  TIRAMON_FUZZ_REQUIRE(bytesSeen <= limits.maxHeaderBytes, "header bytes beyond the cap");
  TIRAMON_FUZZ_REQUIRE(linesSeen <= limits.maxHeaderLines, "header lines beyond the cap");
}

// Any bytes: up to four responses in a row, as the page fetch reads them.
inline void CheckAnyBytes(ByteReader& in) {
  http::Limits limits;
  if (!in.Bool()) {
    limits.maxHeaderBytes = in.Integral<std::size_t>(1, 4096);
    limits.maxHeaderLines = in.Integral<std::size_t>(1, 64);
    limits.maxBodyBytes = in.Integral<std::size_t>(0, 8192);
  }
  const auto keepBits = in.Integral<unsigned>(0, 15);
  std::vector<std::size_t> pieces = Pieces(in);
  PiecewiseSource source(in.Rest(), std::move(pieces), kNever);
  http::ResponseReader reader(source);
  const http::ReadTimer timer;
  try {
    for (int response = 0; response < 4 && !reader.atEnd(); ++response) {
      http::HeaderBudget budget(limits);
      std::size_t bytesSeen = 0;
      std::size_t linesSeen = 0;
      http::ResponseHead head;
      do {
        head = reader.ReadHead(budget, timer);
        CheckHead(head, bytesSeen, linesSeen, limits);
      } while (head.statusCode >= 100 && head.statusCode <= 199);
      const bool keep = ((keepBits >> response) & 1) == 0;
      const std::string body = reader.ReadBody(head, limits, timer, keep);
      TIRAMON_FUZZ_REQUIRE(body.size() <= limits.maxBodyBytes, "body beyond the cap");
      TIRAMON_FUZZ_REQUIRE(keep || body.empty(), "a discarded body was kept");
      TIRAMON_FUZZ_REQUIRE(reader.received() <= source.size(), "more bytes than were sent");
    }
  } catch (const HttpError&) {
    // A clean failure: the fetch reports it and the cache takes over.
  }
}

// One response as built, with where its head and its bytes end in the stream.
struct BuiltResponse {
  int interims = 0;
  std::string statusLine;
  int statusCode = 0;
  std::vector<std::pair<std::string, std::string>> headers;  // as the reader should give them
  std::string body;
  bool keep = true;
  bool toClose = false;  // the body runs to the close of the connection
  std::size_t headEnd = 0;
  std::size_t end = 0;
};

inline std::string Token(ByteReader& in, std::string_view alphabet, std::size_t minLength,
                         std::size_t maxLength) {
  std::string token(in.Integral<std::size_t>(minLength, maxLength), ' ');
  for (char& c : token) c = alphabet[in.Integral<std::size_t>(0, alphabet.size() - 1)];
  return token;
}

inline constexpr std::string_view kNameAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
inline constexpr std::string_view kValueAlphabet =
    " \t!\"#$%&'()*+,-./0123456789:;<=>?@ABCXYZ[\\]^_`abcxyz{|}~\x80\xC3\xFF";

inline bool NameIsFraming(std::string_view name) {
  return http::EqualsNoCase(name, "Content-Length") ||
         http::EqualsNoCase(name, "Transfer-Encoding");
}

inline std::string Hex(std::size_t value, bool upper) {
  static constexpr char kLower[] = "0123456789abcdef";
  static constexpr char kUpper[] = "0123456789ABCDEF";
  std::string digits;
  do {
    digits.insert(digits.begin(), (upper ? kUpper : kLower)[value % 16]);
    value /= 16;
  } while (value != 0);
  return digits;
}

inline void AppendChunked(ByteReader& in, const std::string& body, const std::string& eol,
                          std::string& stream) {
  const auto chunkLine = [&](std::size_t size) {
    stream.append(in.Integral<std::size_t>(0, 2), '0');
    stream += Hex(size, in.Bool());
    if (in.Integral<int>(0, 3) == 0) stream += ";name=value";
    stream += eol;
  };
  std::size_t offset = 0;
  while (offset < body.size()) {
    const std::size_t size = std::min(body.size() - offset, in.Integral<std::size_t>(1, 300));
    chunkLine(size);
    stream.append(body, offset, size);
    stream += eol;
    offset += size;
  }
  chunkLine(0);
  for (int trailers = in.Integral<int>(0, 2); trailers > 0; --trailers) {
    stream += "X-Trailer: " + Token(in, kNameAlphabet, 0, 8) + eol;
  }
  stream += eol;
}

inline BuiltResponse BuildResponse(ByteReader& in, bool last, std::string& stream) {
  BuiltResponse r;
  const std::string eol = in.Bool() ? "\r\n" : "\n";
  r.interims = in.Integral<int>(0, 2);
  for (int i = 0; i < r.interims; ++i) {
    stream += "HTTP/1.1 100 Continue" + eol;
    if (in.Bool()) stream += "X-Interim: " + std::to_string(i) + eol;
    stream += eol;
  }
  r.statusCode = in.Integral<int>(200, 599);
  r.statusLine = in.Bool() ? "HTTP/1.1 " : "HTTP/1.0 ";
  r.statusLine += std::to_string(r.statusCode);
  const std::string reason = Token(in, kNameAlphabet, 0, 12);
  if (!reason.empty()) r.statusLine += " " + reason;
  stream += r.statusLine + eol;

  for (int count = in.Integral<int>(0, 6); count > 0; --count) {
    std::string name = Token(in, kNameAlphabet, 1, 16);
    if (name[0] == '-' || name[0] == '_') name[0] = 'X';
    if (NameIsFraming(name)) name += "-Not";
    const std::string value = Token(in, kValueAlphabet, 0, 40);
    stream += name + ":" + value + eol;
    r.headers.emplace_back(name, std::string(http::TrimBlanks(value)));
  }
  int framing = in.Integral<int>(0, 2);  // Content-Length, chunked, to the close
  if (framing == 2 && !last) framing = 0;
  r.body = in.Bytes(1024);
  static constexpr const char* kLengthNames[] = {"Content-Length", "content-length",
                                                 "CONTENT-LENGTH"};
  static constexpr const char* kChunkedValues[] = {"chunked", "Chunked", "gzip, chunked"};
  if (framing == 0) {
    const std::string value = std::to_string(r.body.size());
    const std::string name = in.Pick(kLengthNames);
    stream += name + ": " + value + eol;
    r.headers.emplace_back(name, value);
  } else if (framing == 1) {
    const std::string value = in.Pick(kChunkedValues);
    stream += "Transfer-Encoding: " + value + eol;
    r.headers.emplace_back("Transfer-Encoding", value);
  }
  stream += eol;
  r.headEnd = stream.size();
  r.toClose = framing == 2;
  if (framing == 1) {
    AppendChunked(in, r.body, eol, stream);
  } else {
    stream += r.body;
  }
  r.end = stream.size();
  r.keep = in.Integral<int>(0, 3) != 0;
  if (!r.keep) r.body.clear();
  return r;
}

inline void CheckBuiltResponses(ByteReader& in) {
  std::string stream;
  std::vector<BuiltResponse> responses(in.Integral<std::size_t>(1, 3));
  for (std::size_t i = 0; i < responses.size(); ++i) {
    responses[i] = BuildResponse(in, i + 1 == responses.size(), stream);
  }
  // 0: whole, 1: cut short at `breakAt`, 2: a time-out from `breakAt` on.
  const int fault = in.Integral<int>(0, 2);
  const std::size_t breakAt = fault == 0 ? kNever : in.Integral<std::size_t>(0, stream.size());
  if (fault == 1) stream.resize(breakAt);
  std::vector<std::size_t> pieces = Pieces(in);
  PiecewiseSource source(stream, std::move(pieces), fault == 2 ? breakAt : kNever);
  http::ResponseReader reader(source);
  const http::Limits limits;
  const http::ReadTimer timer;

  for (std::size_t i = 0; i < responses.size(); ++i) {
    const BuiltResponse& expected = responses[i];
    const std::string where = "response " + std::to_string(i + 1) + " of " +
                              std::to_string(responses.size()) + " in " + Shown(stream) + ": ";
    // A body that runs to the close needs the close itself, which a time-out never gives.
    const bool whole = breakAt == kNever || expected.end < breakAt ||
                       (expected.end == breakAt && !(fault == 2 && expected.toClose));
    const bool headWhole = breakAt == kNever || expected.headEnd <= breakAt;
    http::ResponseHead head;
    std::string body;
    int interims = -1;
    try {
      http::HeaderBudget budget(limits);
      do {
        head = reader.ReadHead(budget, timer);
        ++interims;
      } while (head.statusCode >= 100 && head.statusCode <= 199);
      body = reader.ReadBody(head, limits, timer, expected.keep);
    } catch (const HttpTimeout& e) {
      TIRAMON_FUZZ_REQUIRE(fault == 2 && !whole && std::string_view(e.what()) == kTimeoutMessage,
                           where + "unexpected time-out " + Shown(e.what()));
      return;
    } catch (const HttpError& e) {
      TIRAMON_FUZZ_REQUIRE(fault == 1 && !headWhole, where + "unexpected error " + Shown(e.what()));
      return;
    }
    if (!headWhole) return;  // a head cut short reads as whatever arrived
    TIRAMON_FUZZ_REQUIRE(interims == expected.interims, where + "interim answers miscounted");
    TIRAMON_FUZZ_REQUIRE(head.statusLine == expected.statusLine,
                         where + "status line " + Shown(head.statusLine));
    TIRAMON_FUZZ_REQUIRE(head.statusCode == expected.statusCode, where + "status code");
    TIRAMON_FUZZ_REQUIRE(head.headers == expected.headers, where + "headers differ");
    if (whole) {
      TIRAMON_FUZZ_REQUIRE(body == expected.body, where + "body " + Shown(body));
    } else {
      TIRAMON_FUZZ_REQUIRE(
          expected.body.compare(0, body.size(), body) == 0 && body.size() <= expected.body.size(),
          where + "body " + Shown(body) + " is not a prefix");
      return;
    }
  }
  if (fault == 0) {
    TIRAMON_FUZZ_REQUIRE(reader.received() == stream.size(), "bytes left unread");
  }
}

}  // namespace http_reader_checks

inline void CheckHttpReader(const std::uint8_t* data, std::size_t size) {
  ByteReader in(data, size);
  if (in.Bool()) {
    http_reader_checks::CheckBuiltResponses(in);
  } else {
    http_reader_checks::CheckAnyBytes(in);
  }
}

}  // namespace tiramon::fuzz
