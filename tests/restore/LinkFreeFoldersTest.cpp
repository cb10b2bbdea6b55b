#include "restore/LinkFreeFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/ProgramFolderTest.h"

namespace
{
class LinkFreeFoldersTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString& relative) const { return dir.path() + "/" + relative; }

    QTemporaryDir dir;
};
} // namespace

TEST_F(LinkFreeFoldersTest, FoldersKnownToARunStillHideNoLinkBelowThem)
{
    ASSERT_TRUE(QDir().mkpath(path("elsewhere")));
    restore::FolderMaker folders(path("new"));
    ASSERT_TRUE(folders.make("a/b").succeeded());
    EXPECT_TRUE(QFileInfo(path("new/a/b")).isDir());

    // Planted after the run made a and a/b: beside them, below them, and a file in the way.
    ASSERT_TRUE(QFile::link(path("elsewhere"), path("new/a/c")));
    ASSERT_TRUE(QFile::link(path("elsewhere"), path("new/a/b/d")));
    ASSERT_TRUE(test::writeFile(path("new/a/b/f"), "a file"));
    struct Case
    {
        const char* relative;
        QString reason;
        bool refused;
    };
    const Case cases[] = {
        {"a/c", path("new/a/c") + " is a link", true},
        {"a/c/x", path("new/a/c") + " is a link", true},
        {"a/b/d/x", path("new/a/b/d") + " is a link", true},
        {"a/b/f/x", path("new/a/b/f") + " is not a folder", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.relative);
        const restore::FoldersResult made = folders.make(c.relative);
        EXPECT_FALSE(made.succeeded());
        EXPECT_EQ(made.refused, c.refused);
        EXPECT_EQ(made.reason(), c.reason);
    }
    EXPECT_EQ(QDir(path("elsewhere")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    // The folders it knows stay usable, and new ones beside them are made.
    EXPECT_TRUE(folders.make("a/b").succeeded());
    EXPECT_TRUE(folders.make("a/e/g").succeeded());
    EXPECT_TRUE(QFileInfo(path("new/a/e/g")).isDir());
}

TEST_F(LinkFreeFoldersTest, TheNewFolderItselfMayBeReachedThroughALink)
{
    // The user named it: a link on the way to it is the user's own.
    ASSERT_TRUE(QDir().mkpath(path("real")));
    ASSERT_TRUE(QFile::link(path("real"), path("named")));
    restore::FolderMaker folders(path("named/new"));
    EXPECT_TRUE(folders.make("a").succeeded());
    EXPECT_TRUE(QFileInfo(path("real/new/a")).isDir());

    ASSERT_TRUE(test::writeFile(path("file"), "x"));
    restore::FolderMaker blocked(path("file/new"));
    EXPECT_EQ(blocked.make("a").reason(), "cannot make folder " + path("file/new"));
}
