#include "desktop/single_instance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace tiramon::desktop {
namespace {

constexpr char kRequest[] = "show\n";
// How long a later start keeps trying to reach a copy that holds the lock: one that has only
// just started may not be listening yet.
constexpr int kReachMs = 5000;
constexpr int kAttemptMs = 250;

}  // namespace

SingleInstance::SingleInstance(const QString& folder, QObject* parent) : QObject(parent) {
  // The runtime folder is the user's own (Qt makes sure it is private), so neither the lock nor
  // the socket can be planted or reached by anyone else.
  const QString base =
      folder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) : folder;
  if (base.isEmpty() || !QDir().mkpath(base)) return;  // nowhere to meet: every copy runs
  const QString socket = base + "/tiramon.socket";
  lock_ = std::make_unique<QLockFile>(base + "/tiramon.lock");
  // Held for as long as the program runs; only a lock whose process has gone is stale.
  lock_->setStaleLockTime(0);
  if (!lock_->tryLock(0)) {
    if (lock_->error() == QLockFile::LockFailedError && AskRunningCopy(socket)) {
      handedOver_ = true;
      return;
    }
    // The running copy cannot be reached, or the lock cannot be made: this copy runs on its own
    // rather than leave the user without a window.
    qWarning("tiramon: another copy holds %s but does not answer; starting anyway",
             qPrintable(lock_->fileName()));
    lock_.reset();
    return;
  }
  // Whatever a crashed copy left under the socket's name goes.
  QLocalServer::removeServer(socket);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  connect(&server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* client = server_.nextPendingConnection()) {
      connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
      const auto read = [this, client] {
        if (!client->canReadLine()) return;
        if (client->readLine(64) == kRequest) emit activationRequested();
        client->disconnectFromServer();
      };
      connect(client, &QLocalSocket::readyRead, this, read);
      read();
    }
  });
  if (!server_.listen(socket)) {
    qWarning("tiramon: cannot listen on %s: %s", qPrintable(socket),
             qPrintable(server_.errorString()));
  }
}

SingleInstance::~SingleInstance() { server_.close(); }

bool SingleInstance::AskRunningCopy(const QString& socket) {
  const QDeadlineTimer deadline(kReachMs);
  while (!deadline.hasExpired()) {
    QLocalSocket client;
    client.connectToServer(socket);
    if (client.waitForConnected(kAttemptMs)) {
      client.write(kRequest);
      // In the running copy's socket once written: it is read there whenever its events run.
      const bool sent = client.waitForBytesWritten(kAttemptMs);
      client.disconnectFromServer();
      if (sent) return true;
    } else {
      // Refused at once (nobody listens yet): a pause before the next attempt, not a spin.
      QThread::msleep(kAttemptMs / 5);
    }
  }
  return false;
}

}  // namespace tiramon::desktop
