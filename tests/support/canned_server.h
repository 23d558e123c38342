// A loopback server for tests: listens on 127.0.0.1 with an ephemeral port and runs a scripted
// handler for each connection, one connection at a time, on its own thread. It records every
// request head, so a test can check the exact bytes a client sent and on which connection.
#pragma once

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace tiramon::testing {

using namespace std::chrono_literals;

class CannedServer;

// One accepted connection as the handler sees it. Every wait also ends when the server stops.
class CannedConnection {
 public:
  CannedConnection(int fd, int index, int wakeFd, std::function<void(const std::string&)> record)
      : fd_(fd), index_(index), wakeFd_(wakeFd), record_(std::move(record)) {}
  CannedConnection(const CannedConnection&) = delete;
  CannedConnection& operator=(const CannedConnection&) = delete;

  int index() const { return index_; }

  // The next request head, up to and including its empty line; nullopt once the client has
  // closed, the limit has passed or the server is stopping.
  std::optional<std::string> ReadRequest(std::chrono::milliseconds limit = 5000ms) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
      const std::size_t pos = pending_.find("\r\n\r\n");
      if (pos != std::string::npos) {
        std::string head = pending_.substr(0, pos + 4);
        pending_.erase(0, pos + 4);
        if (record_) record_(head);
        return head;
      }
      if (!WaitReadable(end)) return std::nullopt;
      char buffer[4096];
      const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
      if (n <= 0) return std::nullopt;
      pending_.append(buffer, static_cast<std::size_t>(n));
    }
  }

  // Sends all bytes; false once the client has gone (or the server is stopping).
  bool Send(std::string_view bytes) {
    while (!bytes.empty()) {
      pollfd p[2] = {{fd_, POLLOUT, 0}, {wakeFd_, POLLIN, 0}};
      if (poll(p, 2, 5000) <= 0 || p[1].revents != 0) return false;
      const ssize_t n = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }

  // Aborts the connection with a reset instead of an orderly close.
  void Reset() {
    linger l{1, 0};
    setsockopt(fd_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    close(fd_);
    fd_ = -1;
  }

  // Waits until the client closes its side (what it sends meanwhile is dropped).
  bool WaitForClose(std::chrono::milliseconds limit = 5000ms) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
      if (!WaitReadable(end)) return false;
      char buffer[4096];
      if (recv(fd_, buffer, sizeof buffer, 0) <= 0) return true;
    }
  }

  void Pause(std::chrono::milliseconds duration) {
    pollfd p{wakeFd_, POLLIN, 0};
    poll(&p, 1, static_cast<int>(duration.count()));
  }

  int fd() const { return fd_; }

  ~CannedConnection() {
    if (fd_ >= 0) close(fd_);
  }

 private:
  bool WaitReadable(std::chrono::steady_clock::time_point end) {
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          end - std::chrono::steady_clock::now());
      if (left.count() <= 0 || fd_ < 0) return false;
      pollfd p[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
      const int n = poll(p, 2, static_cast<int>(left.count()));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0 || p[1].revents != 0) return false;
      if (p[0].revents != 0) return true;
    }
  }

  int fd_;
  int index_;
  int wakeFd_;
  std::function<void(const std::string&)> record_;
  std::string pending_;
};

class CannedServer {
 public:
  using Handler = std::function<void(CannedConnection&)>;

  explicit CannedServer(Handler handler) : handler_(std::move(handler)) {
    if (pipe2(wake_, O_CLOEXEC) != 0) return;
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 16) != 0) {
      return;
    }
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Loop(); });
  }

  // A handler that answers each request with what `reply` returns for it, until the client
  // closes; an empty reply closes the connection instead.
  static Handler Replies(std::function<std::string(const std::string& request)> reply) {
    return [reply = std::move(reply)](CannedConnection& connection) {
      while (std::optional<std::string> request = connection.ReadRequest()) {
        const std::string answer = reply(*request);
        if (answer.empty() || !connection.Send(answer)) return;
      }
    };
  }

  ~CannedServer() {
    stopping_ = true;
    if (wake_[1] >= 0) {
      const char byte = 1;
      [[maybe_unused]] ssize_t n = write(wake_[1], &byte, 1);
    }
    if (thread_.joinable()) thread_.join();
    if (listener_ >= 0) close(listener_);
    for (int fd : wake_) {
      if (fd >= 0) close(fd);
    }
  }

  int port() const { return port_; }
  std::string Url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
  }

  // Every request head received, in order, and the number of the connection it came on.
  std::vector<std::string> requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }
  std::vector<int> requestConnections() const {
    std::lock_guard lock(mutex_);
    return requestConnections_;
  }
  int connections() const { return accepted_.load(); }

 private:
  void Loop() {
    while (!stopping_) {
      pollfd p[2] = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
      if (poll(p, 2, -1) < 0 && errno != EINTR) return;
      if (p[1].revents != 0) return;
      if (p[0].revents == 0) continue;
      const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      const int index = accepted_++;
      CannedConnection connection(fd, index, wake_[0], [this, index](const std::string& head) {
        std::lock_guard lock(mutex_);
        requests_.push_back(head);
        requestConnections_.push_back(index);
      });
      handler_(connection);
    }
  }

  Handler handler_;
  int listener_ = -1;
  int wake_[2] = {-1, -1};
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> accepted_{0};
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::vector<int> requestConnections_;
};

}  // namespace tiramon::testing
