// One copy of the program per user. The first start holds a lock file in the user's runtime
// folder and listens on a local socket beside it; a later start, finding the lock held by a live
// process, asks that copy over the socket to bring its window forward and exits. A lock or a
// socket left by a copy that crashed is taken over.
//
// The socket is a plain local-domain one watched by the event loop: the whole of Qt's network
// module, and the libraries it loads at start, for one line between two copies of ourselves cost
// the start-up more than this file.
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;

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
  struct Caller {
    int fd = -1;
    QSocketNotifier* notifier = nullptr;
    std::string heard;
  };

  bool Listen(const std::string& socket);
  void Accept();
  void Hear(int fd);
  void HangUp(int fd);

  std::unique_ptr<QLockFile> lock_;
  std::string socketPath_;
  int listener_ = -1;
  QSocketNotifier* listening_ = nullptr;
  std::vector<Caller> callers_;
  bool handedOver_ = false;
};

}  // namespace tiramon::desktop
