// POSIX sockets for the page fetch. The socket is non-blocking and every wait is a poll with a
// timeout, so a silent server costs at most the configured limit. MSG_NOSIGNAL keeps a server
// that hangs up mid-request from killing the program with SIGPIPE.
#include "support/http_socket.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "support/http_error.h"

namespace tiramon::http {
namespace {

// Milliseconds until whichever comes first; <= 0 means the time is up.
long long MillisecondsLeft(Clock::time_point a, Clock::time_point b) {
  const Clock::time_point end = std::min(a, b);
  if (end == Clock::time_point::max()) return 24LL * 3600 * 1000;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count();
  return left;
}

// Waits for `events` on `fd` within the timer; throws HttpTimeout when it runs out. With a
// pump the wait goes in slices, the pump running after each.
void WaitFor(int fd, short events, const ReadTimer& timer, const char* what,
             const SocketConnection::Pump& pump) {
  const Clock::time_point idleEnd = Clock::now() + timer.idle;
  const long long slice = pump ? SocketConnection::kPumpInterval.count() : 24LL * 3600 * 1000;
  for (;;) {
    const long long left = MillisecondsLeft(idleEnd, timer.deadline);
    if (left <= 0) throw HttpTimeout(what);
    pollfd p{fd, events, 0};
    const int n = poll(&p, 1, static_cast<int>(std::min(left, slice)));
    if (n > 0) return;
    if (n < 0 && errno != EINTR) throw HttpError(std::string("poll: ") + std::strerror(errno));
    if (pump) pump();
  }
}

std::string SystemReason(const char* what, int error) {
  return std::string(what) + ": " + std::strerror(error);
}

struct AddrInfoDeleter {
  void operator()(addrinfo* info) const { freeaddrinfo(info); }
};
using Addresses = std::unique_ptr<addrinfo, AddrInfoDeleter>;

Addresses Resolve(const std::string& name, const std::string& service, int& rc) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  rc = getaddrinfo(name.c_str(), service.c_str(), &hints, &found);
  return Addresses(rc == 0 ? found : nullptr);
}

// The system resolver cannot be interrupted and may wait for seconds on a slow name server, so
// with a pump it runs on a thread of its own while the pump keeps running. A caller that gives
// up leaves the thread to finish alone; it then frees what it found.
Addresses ResolveWhilePumping(const std::string& name, const std::string& service, int& rc,
                              const SocketConnection::Pump& pump) {
  addrinfo numeric{};
  numeric.ai_flags = AI_NUMERICHOST;
  numeric.ai_socktype = SOCK_STREAM;
  addrinfo* literal = nullptr;
  if (getaddrinfo(name.c_str(), service.c_str(), &numeric, &literal) == 0) {
    rc = 0;
    return Addresses(literal);  // an address as written needs no name server
  }
  struct Lookup {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool abandoned = false;
    int rc = 0;
    Addresses result;
  };
  auto lookup = std::make_shared<Lookup>();
  std::thread([lookup, name, service] {
    int code = 0;
    Addresses found = Resolve(name, service, code);
    const std::lock_guard<std::mutex> lock(lookup->mutex);
    if (!lookup->abandoned) lookup->result = std::move(found);
    lookup->rc = code;
    lookup->finished = true;
    lookup->done.notify_all();
  }).detach();
  std::unique_lock<std::mutex> lock(lookup->mutex);
  while (!lookup->done.wait_for(lock, SocketConnection::kPumpInterval,
                                [&] { return lookup->finished; })) {
    lock.unlock();
    try {
      pump();
    } catch (...) {
      lock.lock();
      lookup->abandoned = true;
      throw;
    }
    lock.lock();
  }
  rc = lookup->rc;
  return std::move(lookup->result);
}

}  // namespace

SocketConnection::SocketConnection(const std::string& host, int port,
                                   std::chrono::milliseconds limit, Clock::time_point deadline,
                                   Pump pump)
    : host_(host), port_(port), pump_(std::move(pump)) {
  std::string name = host;
  if (name.size() >= 2 && name.front() == '[' && name.back() == ']') {
    name = name.substr(1, name.size() - 2);
  }
  const std::string service = std::to_string(port);
  int rc = 0;
  const Addresses addresses =
      pump_ ? ResolveWhilePumping(name, service, rc, pump_) : Resolve(name, service, rc);
  if (rc != 0) throw HttpError("cannot resolve " + name + ": " + gai_strerror(rc));

  const Clock::time_point end = std::min(deadline, Clock::now() + limit);
  std::string failure = "no address to connect to";
  for (addrinfo* a = addresses.get(); a != nullptr; a = a->ai_next) {
    const int fd =
        socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) {
      failure = SystemReason("socket", errno);
      continue;
    }
    int error = 0;
    if (connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
      error = errno;
      if (error == EINPROGRESS) {
        try {
          WaitFor(fd, POLLOUT, ReadTimer{limit, end}, "connect time limit reached", pump_);
        } catch (...) {
          close(fd);
          throw;
        }
        socklen_t length = sizeof error;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
      }
    }
    if (error == 0) {
      const int one = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      fd_ = fd;
      return;
    }
    close(fd);
    failure = SystemReason(("connect to " + name).c_str(), error);
  }
  throw HttpError(failure);
}

SocketConnection::~SocketConnection() {
  if (fd_ >= 0) close(fd_);
}

void SocketConnection::Send(std::string_view bytes, const ReadTimer& timer) {
  while (!bytes.empty()) {
    const ssize_t n = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      WaitFor(fd_, POLLOUT, timer, "send time limit reached", pump_);
    } else if (n < 0 && errno != EINTR) {
      throw HttpError(SystemReason("send", errno));
    }
  }
}

std::size_t SocketConnection::Read(char* buffer, std::size_t size, const ReadTimer& timer) {
  for (;;) {
    const ssize_t n = recv(fd_, buffer, size, 0);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      WaitFor(fd_, POLLIN, timer, "read time limit reached", pump_);
    } else if (errno != EINTR) {
      throw HttpError(SystemReason("recv", errno));
    }
  }
}

}  // namespace tiramon::http
