#include "desktop/single_instance.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

namespace tiramon::desktop {
namespace {

constexpr char kRequest[] = "show\n";
// A caller says one short line; anything longer is not one of ours and is not kept.
constexpr std::size_t kLongestLine = 64;
// How long a later start keeps trying to reach a copy that holds the lock: one that has only
// just started may not be listening yet.
constexpr int kReachMs = 5000;
constexpr int kAttemptMs = 250;
// Callers the listener holds at once: a second start is one caller, a burst of them a few.
constexpr int kBacklog = 8;
constexpr std::size_t kMostCallers = 16;

// The address of `path`, or nothing when the path does not fit the address (a very deep runtime
// folder): then there is nowhere to meet and every copy runs.
std::optional<sockaddr_un> AddressOf(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address.sun_path) return std::nullopt;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return address;
}

int LocalSocket() { return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0); }

// One attempt to hand the request to a copy listening at `address`.
bool SendRequest(const sockaddr_un& address) {
  const int fd = LocalSocket();
  if (fd < 0) return false;
  bool sent = false;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
    // A local socket takes a few bytes at once or not at all; MSG_NOSIGNAL so that a copy that
    // closes at that very moment costs an error, not this process.
    const auto length = sizeof kRequest - 1;
    sent = ::send(fd, kRequest, length, MSG_NOSIGNAL) == static_cast<ssize_t>(length);
  }
  ::close(fd);
  return sent;
}

}  // namespace

SingleInstance::SingleInstance(const QString& folder, QObject* parent) : QObject(parent) {
  // The runtime folder is the user's own (Qt makes sure it is private), so neither the lock nor
  // the socket can be planted or reached by anyone else.
  const QString base =
      folder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) : folder;
  if (base.isEmpty() || !QDir().mkpath(base)) return;  // nowhere to meet: every copy runs
  const std::string socket = QFile::encodeName(base + "/tiramon.socket").toStdString();
  lock_ = std::make_unique<QLockFile>(base + "/tiramon.lock");
  // Held for as long as the program runs; only a lock whose process has gone is stale.
  lock_->setStaleLockTime(0);
  if (!lock_->tryLock(0)) {
    const auto address = AddressOf(socket);
    if (lock_->error() == QLockFile::LockFailedError && address) {
      const QDeadlineTimer deadline(kReachMs);
      while (!deadline.hasExpired()) {
        if (SendRequest(*address)) {
          handedOver_ = true;
          return;
        }
        // Refused at once (nobody listens yet): a pause before the next attempt, not a spin.
        QThread::msleep(kAttemptMs / 5);
      }
    }
    // The running copy cannot be reached, or the lock cannot be made: this copy runs on its own
    // rather than leave the user without a window.
    qWarning("tiramon: another copy holds %s but does not answer; starting anyway",
             qPrintable(lock_->fileName()));
    lock_.reset();
    return;
  }
  if (!Listen(socket)) {
    qWarning("tiramon: cannot listen on %s: %s", socket.c_str(), std::strerror(errno));
  }
}

SingleInstance::~SingleInstance() {
  while (!callers_.empty()) HangUp(callers_.back().fd);
  if (listener_ >= 0) {
    delete listening_;
    ::close(listener_);
    // Only the copy that holds the lock made the socket, so only it takes the name away.
    ::unlink(socketPath_.c_str());
  }
}

bool SingleInstance::Listen(const std::string& socket) {
  const auto address = AddressOf(socket);
  if (!address) {
    errno = ENAMETOOLONG;
    return false;
  }
  const int fd = LocalSocket();
  if (fd < 0) return false;
  // Whatever a crashed copy left under the socket's name goes: the lock says nobody listens.
  ::unlink(socket.c_str());
  // Only the user may connect, whatever the folder's permissions turn out to be.
  const mode_t previous = ::umask(0077);
  const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0;
  ::umask(previous);
  if (!bound || ::listen(fd, kBacklog) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return false;
  }
  listener_ = fd;
  socketPath_ = socket;
  listening_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
  connect(listening_, &QSocketNotifier::activated, this, [this] { Accept(); });
  return true;
}

void SingleInstance::Accept() {
  for (;;) {
    const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) return;  // none left (EAGAIN), or the caller gave up already
    if (callers_.size() >= kMostCallers) {
      // Someone floods the socket: the newest caller is turned away, the window stays usable.
      ::close(fd);
      continue;
    }
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    callers_.push_back({fd, notifier, {}});
    connect(notifier, &QSocketNotifier::activated, this, [this, fd] { Hear(fd); });
    Hear(fd);  // a caller that wrote before we looked is heard now
  }
}

void SingleInstance::Hear(int fd) {
  const auto caller =
      std::find_if(callers_.begin(), callers_.end(), [fd](const Caller& c) { return c.fd == fd; });
  if (caller == callers_.end()) return;
  char buffer[kLongestLine];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got > 0) {
      caller->heard.append(buffer, static_cast<std::size_t>(got));
      const auto end = caller->heard.find('\n');
      if (end != std::string::npos || caller->heard.size() > kLongestLine) {
        const bool asked = end != std::string::npos && caller->heard.substr(0, end + 1) == kRequest;
        HangUp(fd);
        if (asked) emit activationRequested();
        return;
      }
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno == EAGAIN) return;  // more later
    HangUp(fd);                              // the caller left without a whole line
    return;
  }
}

void SingleInstance::HangUp(int fd) {
  const auto caller =
      std::find_if(callers_.begin(), callers_.end(), [fd](const Caller& c) { return c.fd == fd; });
  if (caller == callers_.end()) return;
  // Deleted later: HangUp runs inside the notifier's own signal.
  caller->notifier->setEnabled(false);
  caller->notifier->deleteLater();
  ::close(fd);
  callers_.erase(caller);
}

}  // namespace tiramon::desktop
