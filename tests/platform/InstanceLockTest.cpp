#include "platform/InstanceLock.h"
#include "support/FileTimes.h"

#include <memory>

#include <QDateTime>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{
class InstanceLockTest : public ::testing::Test
{
protected:
    QString path() const { return folder.filePath("quillback.lock"); }
    QTemporaryDir folder;
};
} // namespace

TEST_F(InstanceLockTest, ASecondInstanceIsRefusedUntilTheFirstEnds)
{
    auto first = std::make_unique<platform::InstanceLock>(path());
    ASSERT_TRUE(first->tryLock());
    EXPECT_TRUE(first->tryLock());
    platform::InstanceLock second(path());
    EXPECT_FALSE(second.tryLock());
    first.reset();
    EXPECT_TRUE(second.tryLock());
}

TEST_F(InstanceLockTest, ALongRunningInstanceKeepsItsLock)
{
    platform::InstanceLock first(path());
    ASSERT_TRUE(first.tryLock());
    // The first instance has been running for days: its lock is old, not stale.
    ASSERT_TRUE(test::setModified(path(), QDateTime::currentDateTimeUtc().addDays(-3)));
    platform::InstanceLock second(path());
    EXPECT_FALSE(second.tryLock());
}

TEST_F(InstanceLockTest, ALockLeftByAnEndedProcessIsTakenOver)
{
    QFile lockFile(path());
    ASSERT_TRUE(lockFile.open(QIODevice::WriteOnly));
    // A process number far above any the system hands out.
    lockFile.write("2147483000\nquillback\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lockFile.close();
    platform::InstanceLock lock(path());
    EXPECT_TRUE(lock.tryLock());
}

TEST_F(InstanceLockTest, ALockThatCannotBeMadeDoesNotStopTheStart)
{
    platform::InstanceLock lock(folder.filePath("missing/quillback.lock"));
    EXPECT_TRUE(lock.tryLock());
}
