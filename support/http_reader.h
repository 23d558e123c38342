// Reading HTTP/1.x responses from any byte source: status line, headers and body framing, all
// under fixed size and time limits. Sockets are one source; tests and fuzzers feed plain bytes.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tiramon::http {

using Clock = std::chrono::steady_clock;

class CancelSignal;  // support/http_socket.h

// How long one read may wait: `idle` is the longest silence allowed, `deadline` the moment by
// which everything must have arrived, whatever the pace. A wait also ends as soon as `cancel`
// (when set) is raised from another thread. The timer goes with every wait of a fetch, so the
// signal reaches each of them without a path of its own.
struct ReadTimer {
  std::chrono::milliseconds idle{20000};
  Clock::time_point deadline = Clock::time_point::max();
  const CancelSignal* cancel = nullptr;
};

// Where response bytes come from.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `size` bytes, waiting as the timer allows. Returns 0 once the peer has closed.
  // Throws HttpTimeout when the timer runs out and HttpError when the transfer fails.
  virtual std::size_t Read(char* buffer, std::size_t size, const ReadTimer& timer) = 0;
};

// Canned bytes, handed out at most `step` at a time (so a test can split them anywhere).
class StringSource : public ByteSource {
 public:
  explicit StringSource(std::string bytes, std::size_t step = static_cast<std::size_t>(-1))
      : bytes_(std::move(bytes)), step_(step == 0 ? 1 : step) {}
  std::size_t Read(char* buffer, std::size_t size, const ReadTimer& timer) override;
  std::size_t consumed() const { return offset_; }

 private:
  std::string bytes_;
  std::size_t step_;
  std::size_t offset_ = 0;
};

// Size caps. The header budget covers the status lines and header lines of one response,
// interim 1xx responses included, and is shared with the trailer of a chunked body.
struct Limits {
  std::size_t maxHeaderBytes = std::size_t{64} * 1024;
  std::size_t maxHeaderLines = 200;
  std::size_t maxBodyBytes = 32u << 20;
};

struct HeaderBudget {
  std::size_t bytes;
  std::size_t lines;
  explicit HeaderBudget(const Limits& limits)
      : bytes(limits.maxHeaderBytes), lines(limits.maxHeaderLines) {}
};

struct ResponseHead {
  std::string statusLine;
  int statusCode = -1;
  std::vector<std::pair<std::string, std::string>> headers;  // name, value without blanks around

  // Value of the first header with this name (any letter case), if there is one.
  const std::string* Find(std::string_view name) const;
  std::vector<std::string_view> FindAll(std::string_view name) const;
  bool IsHttp11() const;
};

// The status code of a status line: its second blank-separated token as a decimal number, or -1.
int StatusCodeOf(std::string_view statusLine);

class ResponseReader {
 public:
  explicit ResponseReader(ByteSource& source) : source_(source) {}

  // One status line and its headers, up to the empty line. A close of the connection ends the
  // headers where it happens; a close before the first byte is an error.
  ResponseHead ReadHead(HeaderBudget& budget, const ReadTimer& timer);

  // The body as the head frames it. With keep false the bytes are counted against the cap and
  // dropped. Throws HttpError for a malformed or oversized body.
  std::string ReadBody(const ResponseHead& head, const Limits& limits, const ReadTimer& timer,
                       bool keep = true);

  // The same body handed to `sink` piece by piece as it arrives (a piece is at most one read of
  // the source), for a caller that stores it elsewhere. Returns false when the connection closed
  // before the body was complete as the head frames it.
  using BodySink = std::function<void(std::string_view)>;
  bool ReadBodyTo(const ResponseHead& head, const Limits& limits, const ReadTimer& timer,
                  const BodySink& sink);

  // True once the peer has closed the connection.
  bool atEnd() const { return eof_ && begin_ == end_; }
  // Bytes taken from the source so far.
  std::size_t received() const { return received_; }

 private:
  bool Fill(const ReadTimer& timer);
  std::optional<std::string> ReadLine(std::size_t maxLength, const ReadTimer& timer,
                                      const char* tooLong);
  std::string ReadHeaderLine(HeaderBudget& budget, const ReadTimer& timer, bool& ended);
  // Where body bytes go: appended to a string, handed to a sink, or (neither) dropped.
  struct BodyOut {
    std::string* text = nullptr;
    const BodySink* sink = nullptr;
    void Put(const char* data, std::size_t size) const;
  };
  // Passes on up to `count` bytes (fewer when the peer closes); returns how many arrived.
  std::size_t ReadExactly(std::size_t count, const BodyOut& out, const ReadTimer& timer);
  void ReadToEnd(const BodyOut& out, std::size_t cap, const ReadTimer& timer);
  // False when the connection closed before the last chunk.
  bool ReadChunked(const BodyOut& out, const Limits& limits, const ReadTimer& timer);
  bool ReadFramedBody(const ResponseHead& head, const Limits& limits, const ReadTimer& timer,
                      const BodyOut& out, std::string* reserveIn);

  ByteSource& source_;
  std::vector<char> buffer_ = std::vector<char>(std::size_t{16} * 1024);
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool eof_ = false;
  std::size_t received_ = 0;
};

// Comparison and trimming as HTTP header values need them.
bool EqualsNoCase(std::string_view a, std::string_view b);
bool ContainsNoCase(std::string_view text, std::string_view part);
std::string_view TrimBlanks(std::string_view text);

}  // namespace tiramon::http
