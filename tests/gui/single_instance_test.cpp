// One copy per user, in one process: a later start finds the first by its lock and reaches it
// through the socket, even where a crashed copy left a socket file behind.
#include "desktop/single_instance.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "tests/support/test_files.h"

namespace tiramon::desktop {
namespace {

TEST(SingleInstance, ALaterStartAsksTheFirstForItsWindowAndStepsAside) {
  testing::TempDir dir;
  // What a copy that crashed leaves: the socket's name taken by a dead file.
  testing::WriteFile(dir / "tiramon.socket", "");
  const QString folder = QString::fromStdString(dir.path().string());
  SingleInstance first(folder);
  EXPECT_FALSE(first.handedOver());
  QSignalSpy asked(&first, &SingleInstance::activationRequested);

  SingleInstance second(folder);
  EXPECT_TRUE(second.handedOver());
  EXPECT_TRUE(QTest::qWaitFor([&asked] { return asked.count() == 1; }));
}

}  // namespace
}  // namespace tiramon::desktop
