#include "engine/Leftovers.h"

#include <unistd.h>

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "core/ProgramState.h"
#include "support/ProgramFolderTest.h"

namespace
{
class LeftoversTest : public test::ProgramFolderTest
{
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        set.ItemName = "Docs";
        set.UseTimeStamp = true;
        set.Accurancy = 3;
        set.TimeStampFormat = "mmmm dd, yyyy# (hh.mm)";
        dest = programFile("backup");
        ASSERT_TRUE(QDir().mkpath(dest));
    }

    // Makes each path below the destination: a folder when it ends with "/", else a file.
    void make(const QStringList& paths) const
    {
        for (const QString& path : paths) {
            if (path.endsWith('/'))
                ASSERT_TRUE(QDir().mkpath(dest + "/" + path));
            else
                ASSERT_TRUE(test::writeFile(dest + "/" + path, "x"));
        }
    }
    static void link(const QString& target, const QString& path)
    {
        ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()), 0);
    }
    QStringList left() const { return QDir(dest).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot); }

    core::BackupSetInfo set;
    QString dest;
};

const QString Current = "December 10, 2026 (12.00) Docs";
} // namespace

TEST_F(LeftoversTest, OnlyTimeStampFoldersOfInterruptedRunsThatHoldNothingOfUseGo)
{
    const QString outside = programFile("elsewhere");
    ASSERT_TRUE(test::writeFile(outside + "/precious.txt", "keep"));
    make({// An interrupted run: its mirror folders and a hidden temporary copy.
          "December 09, 2026 (12.00) Docs/home/u/", "December 09, 2026 (12.00) Docs/home/u/.a.txt.Ab12Cd",
          // One that stopped before its first file.
          "December 04, 2026 (07.30) Docs/",
          // The stamp of this run, a version's folder, a copy that arrived, a hidden file of another kind.
          Current + "/", "December 08, 2026 (12.00) Docs/home/", "December 07, 2026 (12.00) Docs/home/a.txt",
          "December 06, 2026 (12.00) Docs/.a.txt", "December 06, 2026 (12.00) Docs/.a.txt.partial",
          // Folders the program did not name: another set's, the user's.
          "December 05, 2026 (12.00) Other/", "Photos/", "Photos/.b.txt.Cd34Ef"});
    // Links are never followed, not even to an empty folder.
    ASSERT_TRUE(QDir().mkpath(dest + "/December 03, 2026 (12.00) Docs"));
    link(outside, dest + "/December 03, 2026 (12.00) Docs/home");
    ASSERT_TRUE(QDir().mkpath(programFile("empty")));
    link(programFile("empty"), dest + "/December 02, 2026 (12.00) Docs");
    const QStringList versions {"LAN|" + dest + "/December 08, 2026 (12.00) Docs|" + dest
                                + "/December 08, 2026 (12.00) Docs/Docs_Backup.zip|x|1|1|0|pw"};

    engine::removeFolderLeftovers(dest, set, Current, versions);

    EXPECT_EQ(left(),
              QStringList({"December 02, 2026 (12.00) Docs", "December 03, 2026 (12.00) Docs",
                           "December 05, 2026 (12.00) Other", "December 06, 2026 (12.00) Docs",
                           "December 07, 2026 (12.00) Docs", "December 08, 2026 (12.00) Docs", Current, "Photos"}));
    EXPECT_EQ(test::readFile(outside + "/precious.txt"), "keep");
    EXPECT_TRUE(QDir(programFile("empty")).exists());
    EXPECT_TRUE(QFileInfo::exists(dest + "/Photos/.b.txt.Cd34Ef"));
}

TEST_F(LeftoversTest, ServersNameTheFolderWithoutSlashesAndTheirUnfinishedFilesEndInPartial)
{
    set.TimeStampFormat = "yyyy/mm/dd# hh.mm";
    EXPECT_TRUE(engine::isStaleTimestampFolder("20261209 12.00 Docs", set, "20261210 12.00 Docs", {}, true));
    EXPECT_FALSE(engine::isStaleTimestampFolder("20261209 12.00 Docs", set, "20261210 12.00 Docs", {}, false));
    EXPECT_FALSE(engine::isStaleTimestampFolder("20261210 12.00 Docs", set, "20261210 12.00 Docs", {}, true));
    EXPECT_FALSE(engine::isStaleTimestampFolder("20261209 12.00 Docs", set, "20261210 12.00 Docs",
                                                {"FTP|u|p|h|21|/b/20261209 12.00 Docs|/b/x.zip|x|1|1|0|pw"}, true));

    EXPECT_EQ(engine::partialName("a.zip"), "a.zip.partial");
    EXPECT_TRUE(engine::isPartialName("a.zip.partial"));
    EXPECT_FALSE(engine::isPartialName(".partial"));
    EXPECT_FALSE(engine::isPartialName("a.zip"));
}
