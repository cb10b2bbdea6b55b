#include "restore/PendingFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/ProgramFolderTest.h"

namespace
{
class PendingFileTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString& relative) const { return dir.path() + "/" + relative; }
    QStringList entries() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir dir;
};
} // namespace

TEST_F(PendingFileTest, TheTargetChangesOnlyWhenPlaced)
{
    const QDateTime stamp(QDate(2024, 2, 29), QTime(23, 59, 58));
    ASSERT_TRUE(test::writeFile(path("a.txt"), "old"));
    restore::PendingFile pending(path("a.txt"));
    ASSERT_TRUE(pending.open().succeeded());
    // Hidden, beside the target.
    EXPECT_EQ(QFileInfo(pending.path()).path(), dir.path());
    EXPECT_TRUE(QFileInfo(pending.path()).fileName().startsWith(".a.txt."));
    ASSERT_TRUE(pending.write("new ", 4));
    ASSERT_TRUE(pending.write("content", 7));
    ASSERT_TRUE(pending.finish(stamp, 0640).succeeded());
    EXPECT_EQ(test::readFile(path("a.txt")), "old");

    ASSERT_TRUE(pending.place().succeeded());
    EXPECT_EQ(test::readFile(path("a.txt")), "new content");
    EXPECT_EQ(QFileInfo(path("a.txt")).lastModified(), stamp);
    EXPECT_EQ(QFileInfo(path("a.txt")).permissions() & 0x7077,
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    EXPECT_EQ(entries(), QStringList {"a.txt"});
}

TEST_F(PendingFileTest, WhatIsNotPlacedLeavesNothingBehind)
{
    ASSERT_TRUE(test::writeFile(path("a.txt"), "old"));
    ASSERT_TRUE(QDir().mkpath(path("folder")));
    {
        // Dropped part-way, finished but not wanted, and left to go out of scope.
        restore::PendingFile partWay(path("a.txt"));
        ASSERT_TRUE(partWay.open().succeeded());
        ASSERT_TRUE(partWay.write("half", 4));
        partWay.discard();
        restore::PendingFile unwanted(path("b.txt"));
        ASSERT_TRUE(unwanted.open().succeeded());
        ASSERT_TRUE(unwanted.finish(QDateTime(), std::nullopt).succeeded());
        restore::PendingFile forgotten(path("a.txt"));
        ASSERT_TRUE(forgotten.open().succeeded());
        ASSERT_TRUE(forgotten.write("new", 3));

        // A folder where the file should go stays a folder.
        restore::PendingFile blocked(path("folder"));
        ASSERT_TRUE(blocked.open().succeeded());
        ASSERT_TRUE(blocked.finish(QDateTime(), std::nullopt).succeeded());
        EXPECT_FALSE(blocked.place().succeeded());
        EXPECT_TRUE(blocked.reason().startsWith("cannot write " + path("folder") + ": "))
            << blocked.reason().toStdString();
    }
    EXPECT_EQ(entries(), (QStringList {"a.txt", "folder"}));
    EXPECT_EQ(test::readFile(path("a.txt")), "old");
    EXPECT_TRUE(QFileInfo(path("folder")).isDir());

    // A folder that is not there.
    restore::PendingFile nowhere(path("gone/a.txt"));
    EXPECT_FALSE(nowhere.open().succeeded());
    EXPECT_TRUE(nowhere.reason().startsWith("cannot write " + path("gone/a.txt"))) << nowhere.reason().toStdString();
}
