// One copy of the program per user. The first start holds a lock file in the user's runtime
// folder and listens on a local socket beside it; a later start, finding the lock held by a live
// process, asks that copy over the socket to bring its window forward and exits. A lock or a
// socket left by a copy that crashed is taken over.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

namespace tiramon::desktop {

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  // `folder`: where the lock and the socket live; empty: the user's runtime folder.
  explicit SingleInstance(const QString& folder = {}, QObject* parent = nullptr);
  ~SingleInstance() override;

  // Another copy runs and has been asked to show its window: this one has nothing to do.
  bool handedOver() const { return handedOver_; }

 signals:
  // A later start asked for the window.
  void activationRequested();

 private:
  bool AskRunningCopy(const QString& socket);

  std::unique_ptr<QLockFile> lock_;
  QLocalServer server_;
  bool handedOver_ = false;
};

}  // namespace tiramon::desktop
