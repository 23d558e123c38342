// A TCP connection for the page fetch: connect with a time limit, send, and receive through
// poll so that every wait has an end. No proxy, no TLS.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "support/http_reader.h"

namespace tiramon::http {

class SocketConnection : public ByteSource {
 public:
  // Runs while the connection waits, at least every kPumpInterval, for a caller that must stay
  // responsive (the window's events); it may throw to give up the wait.
  using Pump = std::function<void()>;
  static constexpr std::chrono::milliseconds kPumpInterval{50};

  // Resolves `host` and connects to the first of its addresses that answers; all attempts
  // together end by `limit` after the call (or at `deadline`, if that comes first). With a pump,
  // every wait of this connection runs it, name resolution included.
  SocketConnection(const std::string& host, int port, std::chrono::milliseconds limit,
                   Clock::time_point deadline, Pump pump = {});
  ~SocketConnection() override;
  SocketConnection(const SocketConnection&) = delete;
  SocketConnection& operator=(const SocketConnection&) = delete;

  // Sends all of `bytes` (one write unless the kernel takes less), waiting as the timer allows.
  void Send(std::string_view bytes, const ReadTimer& timer);
  std::size_t Read(char* buffer, std::size_t size, const ReadTimer& timer) override;

  const std::string& host() const { return host_; }
  int port() const { return port_; }

 private:
  int fd_ = -1;
  std::string host_;
  int port_;
  Pump pump_;
};

}  // namespace tiramon::http
