#include "core/WorkFolder.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include "platform/ProgramFolder.h"
#include "support/ProgramFolderTest.h"

using namespace core;

namespace
{
mode_t modeOf(const QString& path)
{
    struct stat st = {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

class WorkFolderTest : public test::ProgramFolderTest
{
protected:
    void TearDown() override
    {
        ReleaseWorkFolder();
        test::ProgramFolderTest::TearDown();
    }
};
} // namespace

TEST_F(WorkFolderTest, WinTmpDirIsAPrivateFolderBelowTheProgramFolder)
{
    const QString work = WinTmpDir();
    ASSERT_FALSE(work.isEmpty());
    EXPECT_TRUE(work.startsWith(platform::ProgramFolder::file("tmp/work-"))) << qPrintable(work);
    EXPECT_TRUE(work.endsWith('/'));
    EXPECT_TRUE(QFileInfo(work).isDir());
    EXPECT_EQ(modeOf(work), 0700);
    EXPECT_EQ(modeOf(programFile("tmp")), 0700);
    EXPECT_EQ(WinTmpDir(), work);

    ASSERT_TRUE(test::writeFile(work + "filestemp1.lst", "x"));
    EXPECT_TRUE(ReleaseWorkFolder());
    EXPECT_FALSE(QFileInfo::exists(work));

    const QString next = WinTmpDir();
    EXPECT_NE(next, work);
    EXPECT_TRUE(QFileInfo(next).isDir());
}

TEST_F(WorkFolderTest, WorkFoldersOfProcessesThatAreGoneAreRemoved)
{
    // The id of a process that has ended.
    QProcess ended;
    ended.start("sh", {"-c", "echo $$"});
    ASSERT_TRUE(ended.waitForFinished());
    const QString deadPid = QString::fromUtf8(ended.readAllStandardOutput()).trimmed();
    ASSERT_FALSE(deadPid.isEmpty());
    struct Case
    {
        QString name;
        bool kept;
    };
    const Case cases[] = {
        {"work-" + deadPid + "-abc123", false},
        // Process 1 runs as long as the system does.
        {"work-1-abc123", true},
        {"restore-abc123", true},
        {"work-notapid", true},
    };
    for (const Case& c : cases)
        ASSERT_TRUE(test::writeFile(programFile("tmp/" + c.name + "/Docs.zip"), "plain data"));

    const QString work = WinTmpDir();
    ASSERT_FALSE(work.isEmpty());
    EXPECT_TRUE(work.startsWith(programFile("tmp/work-" + QString::number(QCoreApplication::applicationPid()) + "-")));
    for (const Case& c : cases)
        EXPECT_EQ(QFileInfo::exists(programFile("tmp/" + c.name)), c.kept) << qPrintable(c.name);
}

TEST_F(WorkFolderTest, StartUpRemovesWhatProcessesThatAreGoneLeft)
{
    QProcess ended;
    ended.start("sh", {"-c", "echo $$"});
    ASSERT_TRUE(ended.waitForFinished());
    const QString deadPid = QString::fromUtf8(ended.readAllStandardOutput()).trimmed();
    ASSERT_FALSE(deadPid.isEmpty());
    const QString ownPid = QString::number(QCoreApplication::applicationPid());
    struct Case
    {
        QString path;
        bool kept;
    };
    const Case cases[] = {
        {"tmp/work-" + deadPid + "-abc123/Docs.zip", false},
        {"tmp/restore-" + deadPid + "-AbC123/files/home/u/secret.txt", false},
        {"tmp/work-" + ownPid + "-abc123/Docs.zip", true},
        {"tmp/restore-1-abc123/a.txt", true},
        // A kill just before the rename of a store write, by the older name or the hidden one.
        {"data/Docs.sbd.Ab12Cd", false},
        {"data/Docs.sbd.bak.x1Y2z3", false},
        {"data/DocsRESTORE.lst.aaaaaa", false},
        {"data/.Docs.sbd.Ab12Cd", false},
        {"settings/.app.ini.Ab12Cd", false},
        {"settings/app.ini", true},
        {"settings/notes.txt.abcdef", true},
        {"data/Docs.sbd", true},
        {"data/Docs.sbd.bak", true},
        {"data/Docs.lst", true},
        {"data/Docs.sfl", true},
        {"data/Docs.sbd.toolong1", true},
        {"data/notes.txt.abcdef", true},
    };
    for (const Case& c : cases)
        ASSERT_TRUE(test::writeFile(programFile(c.path), "left"));
    // A restore killed while it wrote beside the user's files names what it left in its work folder.
    const QString restore = "tmp/restore-" + deadPid + "-AbC123/";
    ASSERT_TRUE(test::writeFile(programFile("user/.report.txt.Xy12Ab"), "a restored copy left by a kill"));
    ASSERT_TRUE(test::writeFile(programFile("user/report.txt"), "the user's file"));
    ASSERT_TRUE(test::writeFile(
        temporaryNamesList(programFile(restore)),
        QFile::encodeName(programFile("user/.report.txt.Xy12Ab") + "\n" + programFile("user/report.txt") + "\n")));

    removeAbandonedWorkFiles();

    for (const Case& c : cases) {
        const QString top = programFile(c.path.section('/', 0, 1));
        EXPECT_EQ(QFileInfo::exists(top), c.kept) << qPrintable(c.path);
    }
    EXPECT_EQ(QDir(programFile("user")).entryList(QDir::Files | QDir::Hidden), QStringList {"report.txt"});
}
