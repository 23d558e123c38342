// The meeting of two copies: a second start hands over to the first and the first is asked for
// its window; what a crashed copy left behind is taken over; a caller that says anything else,
// or says nothing, asks for nothing.
#include "desktop/single_instance.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>

#include "tests/gui/gui_fixture.h"

namespace tiramon::desktop {
namespace {

class SingleInstanceTest : public ::testing::Test {
 protected:
  QString Socket() const { return folder_.path() + "/tiramon.socket"; }

  // A caller that writes `line` to the first copy's socket and hangs up.
  void Say(const std::string& line) const {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(Socket());
    std::memcpy(address.sun_path, path.constData(), path.size() + 1);
    ASSERT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::write(fd, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    ::close(fd);
  }

  QTemporaryDir folder_;
};

TEST_F(SingleInstanceTest, ASecondStartHandsOverAndTheFirstIsAskedForItsWindow) {
  SingleInstance first(folder_.path());
  ASSERT_FALSE(first.handedOver());
  QSignalSpy asked(&first, &SingleInstance::activationRequested);
  // The socket is the user's alone.
  struct stat socket {};
  ASSERT_EQ(::stat(QFile::encodeName(Socket()).constData(), &socket), 0);
  EXPECT_EQ(socket.st_mode & 0077, 0u);

  const SingleInstance second(folder_.path());
  EXPECT_TRUE(second.handedOver());
  EXPECT_TRUE(asked.wait(5000));
  EXPECT_EQ(asked.count(), 1);
}

TEST_F(SingleInstanceTest, WhatACrashedCopyLeftIsTakenOver) {
  // A socket file nobody listens on and no lock: a copy that died.
  QFile stale(Socket());
  ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
  stale.close();
  SingleInstance first(folder_.path());
  EXPECT_FALSE(first.handedOver());
  QSignalSpy asked(&first, &SingleInstance::activationRequested);
  Say("show\n");
  EXPECT_TRUE(asked.wait(5000));
}

TEST_F(SingleInstanceTest, OnlyTheOneLineAsksForTheWindow) {
  SingleInstance first(folder_.path());
  QSignalSpy asked(&first, &SingleInstance::activationRequested);
  // Strangers first, then the real request: it is heard, so the strangers were heard before it
  // (callers are served in order) and asked for nothing.
  for (const std::string& stranger :
       {std::string("hide\n"), std::string("show"), std::string("show\nshow\n").substr(1),
        std::string(200, 'x'), std::string()}) {
    Say(stranger);
  }
  Say("show\n");
  ASSERT_TRUE(asked.wait(5000));
  QTest::qWait(0);
  EXPECT_EQ(asked.count(), 1);
}

TEST_F(SingleInstanceTest, AFolderTooDeepForASocketLetsEveryCopyRun) {
  // A local address holds about a hundred bytes; a longer runtime path cannot be met at.
  const QString deep = folder_.path() + "/" + QString(120, 'd');
  SingleInstance first(deep);
  const SingleInstance second(deep);
  EXPECT_FALSE(first.handedOver());
  EXPECT_FALSE(second.handedOver());
}

}  // namespace
}  // namespace tiramon::desktop
