#include "engine/FileSearch.h"

#include <unistd.h>

#include <QFile>
#include <QTimer>

#include <gtest/gtest.h>

#include "core/ProgramState.h"
#include "support/ProgramFolderTest.h"

namespace
{
TEST(IncludePattern, MatchesNamesWithoutRegardToCase)
{
    struct Case
    {
        QString name;
        QString pattern;
        bool matches;
    };
    const Case cases[] = {
        {"Report.DOC", "*.doc", true},
        {"report.doc.bak", "*.doc", false},
        {"Makefile", "*.*", true},
        {".hidden", "*.*", true},
        {"a.b.c", "*.*", true},
        {"readme", "readme.*", true},
        {"readme.txt", "readme.*", true},
        {"readmeX", "readme.*", false},
        {"\u00dcBERSICHT.txt", "\u00fcbersicht.*", true},
        {"a.txt", "?.txt", true},
        {"ab.txt", "?.txt", false},
        {"\U0001F600.txt", "?.txt", true},
        {"file[1].txt", "file[1].txt", true},
        {"file1.txt", "file[1].txt", false},
        {"file#.txt", "file#.txt", true},
        {"file7.txt", "file#.txt", false},
        {"anything", "", false},
        {"a.txt", "sub/a.txt", false},
        {"aaab", "*a*b", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(engine::includePatternMatches(c.name, c.pattern), c.matches)
            << qPrintable(c.name) << " / " << qPrintable(c.pattern);
}

class FileSearchTest : public test::ProgramFolderTest
{
protected:
    void SetUp() override
    {
        test::ProgramFolderTest::SetUp();
        top = programFile("top");
        for (const char* file : {"b.txt", "A.doc", "c.TXT", "x.txt/y.dat", "B/b.txt", "B/C/c.txt"})
            ASSERT_TRUE(test::writeFile(top + "/" + QString::fromUtf8(file), "x"));
    }

    QStringList under(const QStringList& relative) const
    {
        QStringList paths;
        for (const QString& path : relative)
            paths << top + "/" + path;
        return paths;
    }

    QString top;
};

TEST_F(FileSearchTest, FindsDepthFirstInPatternOrder)
{
    struct Case
    {
        QString patterns;
        bool subfolders;
        QStringList expected;
    };
    const Case cases[] = {
        {"*.txt", true, {"b.txt", "c.TXT", "B/b.txt", "B/C/c.txt"}},
        {"*.txt|", true, {"b.txt", "c.TXT", "B/b.txt", "B/C/c.txt"}},
        {"*.txt|*.*", true, {"b.txt", "c.TXT", "A.doc", "B/b.txt", "B/C/c.txt", "x.txt/y.dat"}},
        {"*.*|*.txt", true, {"A.doc", "b.txt", "c.TXT", "B/b.txt", "B/C/c.txt", "x.txt/y.dat"}},
        {"*.txt", false, {"b.txt", "c.TXT"}},
        {"", true, {}},
        {"*.none", true, {}},
    };
    engine::clsdirsearch search;
    for (const Case& c : cases) {
        for (const QString& start : {top, top + "/"}) {
            search.setSearchinsubfolders(c.subfolders);
            search.findfiles(start, c.patterns);
            EXPECT_EQ(search.filesfound(), under(c.expected))
                << qPrintable(c.patterns) << " from " << qPrintable(start);
        }
    }
}

TEST_F(FileSearchTest, ReportsFoldersWithTheirSlashAndEachNewFile)
{
    engine::clsdirsearch search;
    QStringList folders;
    QStringList found;
    search.searching = [&](const QString& folder) { folders << folder; };
    search.found = [&](const QString& name, const QString& folder) { found << folder + "|" + name; };
    search.findfiles(top, "*.txt|*.*");
    EXPECT_EQ(folders, under({"", "B/", "B/C/", "x.txt/"}));
    EXPECT_EQ(found,
              QStringList({top + "/|b.txt", top + "/|c.TXT", top + "/|A.doc", top + "/B/|b.txt", top + "/B/C/|c.txt",
                           top + "/x.txt/|y.dat"}));
}

TEST_F(FileSearchTest, NeverFollowsALinkIntoAFolder)
{
    ASSERT_EQ(::symlink("..", QFile::encodeName(top + "/B/C/up").constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(top + "/B").constData(), QFile::encodeName(top + "/B/C/again").constData()),
              0);
    ASSERT_EQ(::symlink("../b.txt", QFile::encodeName(top + "/B/C/same.txt").constData()), 0);
    engine::clsdirsearch search;
    search.findfiles(top + "/B", "*.*");
    EXPECT_EQ(search.filesfound(), under({"B/b.txt", "B/C/c.txt", "B/C/same.txt"}));
    EXPECT_TRUE(search.unreadable().isEmpty());

    // A missing start folder gives nothing and says so.
    search.findfiles(top + "/gone", "*.*");
    EXPECT_TRUE(search.filesfound().isEmpty());
    EXPECT_EQ(search.unreadable(), QStringList({top + "/gone/"}));
}

TEST_F(FileSearchTest, StopsAtTheNextPollAndStartsAfreshNextTime)
{
    // Stopped from inside the walk by the run's stop request, by Cancel, or while paused.
    enum class How
    {
        StopRequest,
        Cancel,
        StopWhilePaused
    };
    for (const How how : {How::StopRequest, How::Cancel, How::StopWhilePaused}) {
        core::state().bStopBackup = false;
        engine::clsdirsearch search;
        search.found = [&](const QString&, const QString&) {
            if (how == How::StopRequest) {
                core::state().bStopBackup = true;
            } else if (how == How::Cancel) {
                search.Cancel();
            } else {
                search.setPause(true);
                QTimer::singleShot(0, [] { core::state().bStopBackup = true; });
            }
        };
        search.findfiles(top, "*.*");
        EXPECT_EQ(search.filesfound(), under({"A.doc"})) << int(how);

        core::state().bStopBackup = false;
        search.found = nullptr;
        search.findfiles(top, "*.doc");
        EXPECT_EQ(search.filesfound(), under({"A.doc"})) << int(how);
    }
}
} // namespace
