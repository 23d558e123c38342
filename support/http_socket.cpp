// POSIX sockets for the page fetch. The socket is non-blocking and every wait is a poll with a
// timeout, so a silent server costs at most the configured limit. MSG_NOSIGNAL keeps a server
// that hangs up mid-request from killing the program with SIGPIPE.
#include "support/http_socket.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
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

// Waits for `events` on `fd` within the timer; throws HttpTimeout when it runs out and
// DownloadAborted once the timer's cancel signal is raised, whichever comes first. With a pump
// the wait goes in slices, the pump running after each; so does a signal without a descriptor.
void WaitFor(int fd, short events, const ReadTimer& timer, const char* what,
             const SocketConnection::Pump& pump) {
  const CancelSignal* cancel = timer.cancel;
  const int cancelFd = cancel != nullptr ? cancel->fd() : -1;
  const Clock::time_point idleEnd = Clock::now() + timer.idle;
  const bool sliced = pump || (cancel != nullptr && cancelFd < 0);
  const long long slice = sliced ? SocketConnection::kPumpInterval.count() : 24LL * 3600 * 1000;
  for (;;) {
    if (cancel != nullptr) cancel->ThrowIfRaised();
    const long long left = MillisecondsLeft(idleEnd, timer.deadline);
    if (left <= 0) throw HttpTimeout(what);
    // poll skips an entry whose descriptor is negative, so the signal's may be absent.
    pollfd p[2] = {{fd, events, 0}, {cancelFd, POLLIN, 0}};
    const int n = poll(p, 2, static_cast<int>(std::min(left, slice)));
    if (n < 0 && errno != EINTR) throw HttpError(std::string("poll: ") + std::strerror(errno));
    if (cancel != nullptr) cancel->ThrowIfRaised();
    if (n > 0 && p[0].revents != 0) return;
    if (pump) pump();
  }
}

std::string SystemReason(const char* what, int error) {
  return std::string(what) + ": " + std::strerror(error);
}

Addresses Resolve(const std::string& name, const std::string& service, int& rc) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  rc = getaddrinfo(name.c_str(), service.c_str(), &hints, &found);
  return Addresses(rc == 0 ? found : nullptr);
}

// An address as written needs no name server, so it is read at once, on this thread.
Addresses ResolveAside(const std::string& name, const std::string& service, int& rc,
                       const SocketConnection::Pump& pump, const CancelSignal* cancel) {
  addrinfo numeric{};
  numeric.ai_flags = AI_NUMERICHOST;
  numeric.ai_socktype = SOCK_STREAM;
  addrinfo* literal = nullptr;
  if (getaddrinfo(name.c_str(), service.c_str(), &numeric, &literal) == 0) {
    rc = 0;
    return Addresses(literal);
  }
  // The lookup keeps its own copies of the name: it may outlive this call.
  Addresses found;
  rc = LookUpAside(
      [name, service](addrinfo** result) {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        return getaddrinfo(name.c_str(), service.c_str(), &hints, result);
      },
      found, pump, cancel);
  return found;
}

}  // namespace

SocketConnection::SocketConnection(const std::string& host, int port,
                                   std::chrono::milliseconds limit, Clock::time_point deadline,
                                   Pump pump, const CancelSignal* cancel)
    : host_(host), port_(port), pump_(std::move(pump)) {
  std::string name = host;
  if (name.size() >= 2 && name.front() == '[' && name.back() == ']') {
    name = name.substr(1, name.size() - 2);
  }
  const std::string service = std::to_string(port);
  int rc = 0;
  const Addresses addresses = (pump_ || cancel != nullptr)
                                  ? ResolveAside(name, service, rc, pump_, cancel)
                                  : Resolve(name, service, rc);
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
          WaitFor(fd, POLLOUT, ReadTimer{limit, end, cancel}, "connect time limit reached", pump_);
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
  if (timer.cancel != nullptr) timer.cancel->ThrowIfRaised();
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
  // A server that never lets the socket run dry would otherwise keep a given-up fetch reading
  // until a size cap or the fetch limit.
  if (timer.cancel != nullptr) timer.cancel->ThrowIfRaised();
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

void AddressesDeleter::operator()(addrinfo* info) const { freeaddrinfo(info); }

CancelSignal::CancelSignal() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

CancelSignal::~CancelSignal() {
  if (fd_ >= 0) close(fd_);
}

void CancelSignal::Raise() {
  raised_.store(true, std::memory_order_release);
  if (fd_ >= 0) {
    // Once is enough: the counter stays readable, and a full counter is readable too.
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(fd_, &one, sizeof one);
  }
}

void CancelSignal::ThrowIfRaised() const {
  if (raised()) throw DownloadAborted("Fetch aborted");
}

int LookUpAside(Lookup lookup, Addresses& found, const SocketConnection::Pump& pump,
                const CancelSignal* cancel) {
  // Shared by the two threads; whichever lets go last frees it.
  struct Shared {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool abandoned = false;
    int rc = 0;
    Addresses result;
  };
  auto shared = std::make_shared<Shared>();
  std::thread([shared, lookup = std::move(lookup)] {
    addrinfo* raw = nullptr;
    int code = EAI_FAIL;
    try {
      code = lookup(&raw);
    } catch (...) {
      code = EAI_MEMORY;  // the only thing a lookup of ours throws is bad_alloc
    }
    Addresses mine(raw);
    if (code != 0) mine.reset();
    const std::lock_guard<std::mutex> lock(shared->mutex);
    if (!shared->abandoned) shared->result = std::move(mine);
    shared->rc = code;
    shared->finished = true;
    shared->done.notify_all();
  }).detach();

  std::unique_lock<std::mutex> lock(shared->mutex);
  for (;;) {
    if (shared->finished) break;
    if (cancel != nullptr && cancel->raised()) {
      shared->abandoned = true;
      cancel->ThrowIfRaised();
    }
    if (shared->done.wait_for(lock, SocketConnection::kPumpInterval,
                              [&] { return shared->finished; })) {
      break;
    }
    if (cancel != nullptr && cancel->raised()) continue;  // no pump for a fetch given up
    if (!pump) continue;
    lock.unlock();
    try {
      pump();
    } catch (...) {
      lock.lock();
      shared->abandoned = true;
      throw;
    }
    lock.lock();
  }
  found = std::move(shared->result);
  return shared->rc;
}

}  // namespace tiramon::http
