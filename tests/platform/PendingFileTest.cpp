#include "platform/PendingFile.h"

#include <cerrno>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/ProgramFolderTest.h"

using platform::PendingFile;
using platform::TemporaryNames;

namespace
{
class PendingFileTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString& relative) const { return dir.path() + "/" + relative; }
    QStringList entries(const QString& folder = QString()) const
    {
        return QDir(path(folder)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    QStringList listed() const
    {
        return QString::fromUtf8(test::readFile(path("work/names"))).split('\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir dir;
};

// Both ways a pending file can go: unnamed where the file system offers it, else a hidden name.
struct Way
{
    const char* name;
    bool unnamed;
};
const Way ways[] = {{"unnamed", true}, {"hidden name", false}};
} // namespace

TEST_F(PendingFileTest, TheTargetChangesOnlyWhenPlaced)
{
    const QDateTime stamp(QDate(2024, 2, 29), QTime(23, 59, 58));
    const auto restore = qScopeGuard([] { PendingFile::offerUnnamedFiles(true); });
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        PendingFile::offerUnnamedFiles(way.unnamed);
        QDir(path("a")).removeRecursively();
        QDir(path("work")).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(path("work")));
        ASSERT_TRUE(test::writeFile(path("a/old.txt"), "old"));
        TemporaryNames names(path("work/names"));

        for (const QString& name : {"old.txt", "new.txt"}) {
            PendingFile pending(path("a/" + name), &names);
            ASSERT_TRUE(pending.open());
            EXPECT_EQ(pending.named(), !way.unnamed);
            ASSERT_TRUE(pending.write("new ", 4));
            ASSERT_TRUE(pending.write("content", 7));
            pending.stamp(stamp, 0640);
            // What the overwrite question reads: the content by its path.
            EXPECT_EQ(test::readFile(pending.path()), "new content");
            if (way.unnamed) {
                // Nothing in the user's folder that a kill would leave behind.
                EXPECT_EQ(entries("a"), QStringList {"old.txt"});
            } else {
                // Hidden beside the target, and noted for the next start.
                EXPECT_EQ(QFileInfo(pending.path()).path(), path("a"));
                EXPECT_TRUE(QFileInfo(pending.path()).fileName().startsWith("." + name + "."));
                EXPECT_TRUE(listed().contains(pending.path()));
            }
            if (name == "old.txt")
                EXPECT_EQ(test::readFile(path("a/old.txt")), "old");
            else
                EXPECT_FALSE(QFileInfo::exists(path("a/new.txt")));

            ASSERT_TRUE(pending.place()) << pending.reason().toStdString();
            EXPECT_EQ(test::readFile(path("a/" + name)), "new content");
            EXPECT_EQ(QFileInfo(path("a/" + name)).lastModified(), stamp);
            EXPECT_EQ(QFileInfo(path("a/" + name)).permissions() & 0x7077,
                      QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
        }
        EXPECT_EQ(entries("a"), (QStringList {"new.txt", "old.txt"}));
    }
}

TEST_F(PendingFileTest, WhatIsNotPlacedLeavesNothingBehind)
{
    const auto restore = qScopeGuard([] { PendingFile::offerUnnamedFiles(true); });
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        PendingFile::offerUnnamedFiles(way.unnamed);
        QDir(path("a")).removeRecursively();
        ASSERT_TRUE(test::writeFile(path("a/a.txt"), "old"));
        ASSERT_TRUE(QDir().mkpath(path("a/folder")));
        {
            // Dropped part-way, and left to go out of scope.
            PendingFile partWay(path("a/a.txt"));
            ASSERT_TRUE(partWay.open());
            ASSERT_TRUE(partWay.write("half", 4));
            partWay.discard();
            PendingFile forgotten(path("a/a.txt"));
            ASSERT_TRUE(forgotten.open());
            ASSERT_TRUE(forgotten.write("new", 3));

            // A folder where the file should go stays a folder.
            PendingFile blocked(path("a/folder"));
            ASSERT_TRUE(blocked.open());
            EXPECT_FALSE(blocked.place());
            EXPECT_EQ(blocked.error(), EISDIR);
            EXPECT_EQ(blocked.reason(), "cannot write " + path("a/folder") + ": " + qt_error_string(EISDIR));
        }
        EXPECT_EQ(entries("a"), (QStringList {"a.txt", "folder"}));
        EXPECT_EQ(test::readFile(path("a/a.txt")), "old");

        // A folder that is not there.
        PendingFile nowhere(path("gone/a.txt"));
        EXPECT_FALSE(nowhere.open());
        EXPECT_EQ(nowhere.error(), ENOENT);
    }
}

TEST_F(PendingFileTest, TheListedNamesGoAndNothingElse)
{
    ASSERT_TRUE(QDir().mkpath(path("work")));
    ASSERT_TRUE(test::writeFile(path("a/.big.bin.egk9Kg"), "a copy left by a kill"));
    ASSERT_TRUE(test::writeFile(path("a/.b.txt.Xy12Ab"), "not listed"));
    ASSERT_TRUE(test::writeFile(path("a/report.txt"), "the user's file"));
    ASSERT_TRUE(test::writeFile(path("a/.profile"), "the user's hidden file"));
    ASSERT_TRUE(QDir().mkpath(path("a/.folder.Ab12Cd")));
    ASSERT_TRUE(QFile::link(path("a/report.txt"), path("a/.link.Ab12Cd")));
    // A list the program did not write: only its own kind of name is ever removed.
    const QStringList lines
        = {path("a/.big.bin.egk9Kg"), path("a/report.txt"), path("a/.profile"),         path("a/.folder.Ab12Cd"),
           path("a/.link.Ab12Cd"),    "a/.relative.Ab12Cd", path("a/.gone.txt.Ab12Cd"), ""};
    ASSERT_TRUE(test::writeFile(path("work/names"), lines.join('\n').toUtf8()));

    TemporaryNames::removeListed(path("work/names"));

    EXPECT_EQ(entries("a"),
              (QStringList {".b.txt.Xy12Ab", ".folder.Ab12Cd", ".link.Ab12Cd", ".profile", "report.txt"}));
    EXPECT_EQ(test::readFile(path("a/report.txt")), "the user's file");
    EXPECT_FALSE(QFileInfo::exists(path("work/names")));
    // No list at all is nothing to do.
    TemporaryNames::removeListed(path("work/names"));
}
