// A TCP connection for the page fetch: connect with a time limit, send, and receive through
// poll so that every wait has an end. No proxy, no TLS.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "support/http_reader.h"

struct addrinfo;

namespace tiramon::http {

// A request to give up, raised by one thread and seen by the waits of another: a flag for the
// checks between waits, and an eventfd that a poll watches beside the socket, so a wait ends at
// once instead of at its next time slice. Every wait that watches it throws DownloadAborted.
class CancelSignal {
 public:
  CancelSignal();
  ~CancelSignal();
  CancelSignal(const CancelSignal&) = delete;
  CancelSignal& operator=(const CancelSignal&) = delete;

  // Safe from any thread, any number of times.
  void Raise();
  bool raised() const { return raised_.load(std::memory_order_acquire); }
  // Readable once raised; -1 when the system had no descriptor to spare, and the waits then look
  // at the flag every kPumpInterval instead.
  int fd() const { return fd_; }
  // Throws DownloadAborted when raised.
  void ThrowIfRaised() const;

 private:
  std::atomic<bool> raised_{false};
  int fd_ = -1;
};

class SocketConnection : public ByteSource {
 public:
  // Runs while the connection waits, at least every kPumpInterval, for a caller that must stay
  // responsive (the window's events); it may throw to give up the wait.
  using Pump = std::function<void()>;
  static constexpr std::chrono::milliseconds kPumpInterval{50};

  // Resolves `host` and connects to the first of its addresses that answers; all attempts
  // together end by `limit` after the call (or at `deadline`, if that comes first). With a pump,
  // every wait of this connection runs it, name resolution included. With a cancel signal, the
  // name resolution and the connect give up (DownloadAborted) once it is raised; the later waits
  // watch the signal their timer carries.
  SocketConnection(const std::string& host, int port, std::chrono::milliseconds limit,
                   Clock::time_point deadline, Pump pump = {},
                   const CancelSignal* cancel = nullptr);
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

// Addresses from getaddrinfo, freed with freeaddrinfo.
struct AddressesDeleter {
  void operator()(addrinfo* info) const;
};
using Addresses = std::unique_ptr<addrinfo, AddressesDeleter>;

// A name lookup in getaddrinfo's manner: returns its code and, when that is 0, the addresses.
using Lookup = std::function<int(addrinfo** found)>;

// The system resolver cannot be interrupted and may wait for seconds on a slow name server, so
// `lookup` runs on a thread of its own while this one waits, running the pump every kPumpInterval
// and watching the cancel signal as often. A pump that throws, or the signal (DownloadAborted),
// ends the wait at once and leaves the thread to finish alone: it owns everything it touches
// from then on and frees what it finds, so nothing waits for it, not even the program's exit.
int LookUpAside(Lookup lookup, Addresses& found, const SocketConnection::Pump& pump,
                const CancelSignal* cancel);

}  // namespace tiramon::http
