#include "core/FileSystemHelpers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "core/ErrorReport.h"
#include "platform/DateText.h"
#include "support/FileTimes.h"
#include "support/ProgramFolderTest.h"
#include "support/ScopedEnv.h"

using namespace core;

namespace
{
class FileSystemHelpersTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString path(const QString& relative) const { return dir.path() + QLatin1Char('/') + relative; }
    void file(const QString& relative, qsizetype size = 1)
    {
        ASSERT_TRUE(test::writeFile(path(relative), QByteArray(size, 'x')));
    }
    void folder(const QString& relative) { ASSERT_TRUE(QDir().mkpath(path(relative))); }
    void link(const QString& target, const QString& relative) { ASSERT_TRUE(QFile::link(target, path(relative))); }
    static void setModified(const QString& file, const QDateTime& when) { ASSERT_TRUE(test::setModified(file, when)); }

    QTemporaryDir dir;
};

bool runsAsRoot()
{
    return ::geteuid() == 0;
}
} // namespace

TEST_F(FileSystemHelpersTest, FileExistsOnlyForFiles)
{
    file("a.txt");
    file(".hidden");
    folder("sub");
    link(path("a.txt"), "to-file");
    link(path("gone"), "dangling");
    const std::pair<QString, bool> cases[] = {
        {path("a.txt"), true},     {path(".hidden"), true},
        {path("to-file"), true},   {path("A.TXT"), false},
        {path("sub"), false},      {path("sub/"), false},
        {path("a.txt/"), false},   {path("missing.txt"), false},
        {path("dangling"), false}, {"", false},
    };
    for (const auto& [name, exists] : cases)
        EXPECT_EQ(FileExists(name), exists) << qPrintable(name);
}

TEST_F(FileSystemHelpersTest, MakePathCreatesTheFoldersOfAFilePath)
{
    EXPECT_TRUE(MakePath(path("x/y/z.bak")));
    EXPECT_TRUE(QFileInfo(path("x/y")).isDir());
    EXPECT_FALSE(QFileInfo::exists(path("x/y/z.bak")));
    // Twice is harmless.
    EXPECT_TRUE(MakePath(path("x/y/z.bak")));

    EXPECT_TRUE(MakePath(path("p/q/")));
    EXPECT_TRUE(QFileInfo(path("p/q")).isDir());

    // A file standing where a folder must go.
    file("blocked");
    EXPECT_FALSE(MakePath(path("blocked/inner/f.txt")));
    EXPECT_TRUE(QFileInfo(path("blocked")).isFile());

    EXPECT_FALSE(MakePath(""));
}

TEST_F(FileSystemHelpersTest, DeleteFolderTreeRefusesDangerousPaths)
{
    // The home folder is a fixture, so that a broken guard could only hurt the fixture.
    folder("home/user/docs");
    file("home/user/docs/keep.txt");
    folder("victim");
    file("victim/keep.txt");
    link(path("victim"), "link-to-victim");
    const test::ScopedEnv home("HOME", QFile::encodeName(path("home/user")));

    const QString refused[] = {
        "",
        "relative/dir",
        path("home/user"),
        path("home/user/"),
        path("home"),
        dir.path(),
        path("victim/../victim"),
        path("home/user/docs/.."),
        path("link-to-victim"),
        path("link-to-victim/"),
    };
    for (const QString& folder : refused) {
        EXPECT_FALSE(mayDeleteFolderTree(folder)) << qPrintable(folder);
        EXPECT_FALSE(DeleteFolderTree(folder)) << qPrintable(folder);
    }
    EXPECT_TRUE(QFileInfo::exists(path("home/user/docs/keep.txt")));
    EXPECT_TRUE(QFileInfo::exists(path("victim/keep.txt")));

    // The root is refused before anything is looked at; only the guard is asked here.
    for (const char* root : {"/", "//", "/."})
        EXPECT_FALSE(mayDeleteFolderTree(root)) << root;
}

TEST_F(FileSystemHelpersTest, DeleteFolderTreeRemovesLinksWithoutFollowingThem)
{
    folder("outside/inner");
    file("outside/inner/precious.txt");
    file("outside/precious.txt");
    folder("tree/a/b");
    file("tree/a/b/f.txt");
    link(path("outside"), "tree/folder-link");
    link(path("outside/precious.txt"), "tree/a/file-link");
    // Read-only contents go too.
    file("tree/ro/locked.txt");
    ASSERT_TRUE(QFile::setPermissions(path("tree/ro/locked.txt"), QFile::ReadOwner));
    ASSERT_TRUE(QFile::setPermissions(path("tree/ro"), QFile::ReadOwner | QFile::ExeOwner));

    EXPECT_TRUE(DeleteFolderTree(path("tree/")));
    EXPECT_FALSE(QFileInfo::exists(path("tree")));
    EXPECT_TRUE(QFileInfo::exists(path("outside/inner/precious.txt")));
    EXPECT_TRUE(QFileInfo::exists(path("outside/precious.txt")));
}

TEST_F(FileSystemHelpersTest, DeleteFolderTreeOfWhatIsNoFolder)
{
    file("plain.txt");
    EXPECT_FALSE(DeleteFolderTree(path("missing")));
    EXPECT_FALSE(DeleteFolderTree(path("plain.txt")));
    EXPECT_TRUE(QFileInfo::exists(path("plain.txt")));
}

TEST_F(FileSystemHelpersTest, DeleteFolderBelowNeverGoesThroughALink)
{
    struct Case
    {
        QStringList parts;
        FolderBelow ended;
        // The folder that is gone afterwards; everything else is still there.
        QString gone;
    };
    const Case cases[] = {
        {{"v1"}, FolderBelow::Gone, "dest/v1/"},
        {{"deep", "v2"}, FolderBelow::Gone, "dest/deep/v2/"},
        {{"missing"}, FolderBelow::Gone, {}},
        {{"missing", "v1"}, FolderBelow::Gone, {}},
        {{"link"}, FolderBelow::NotAFolder, {}},
        {{"link", "v1"}, FolderBelow::NotAFolder, {}},
        {{"deep", "link", "v1"}, FolderBelow::NotAFolder, {}},
        {{"file.txt"}, FolderBelow::NotAFolder, {}},
        {{"file.txt", "v1"}, FolderBelow::NotAFolder, {}},
        {{".."}, FolderBelow::Failed, {}},
        {{"v1", "..", "v1"}, FolderBelow::Failed, {}},
        {{}, FolderBelow::Failed, {}},
    };
    const QString files[]
        = {"dest/v1/a/f.txt", "dest/v1/b.txt", "dest/deep/v2/g.txt", "dest/file.txt", "elsewhere/v1/precious.txt"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.parts.join("/").toStdString());
        QDir(path("dest")).removeRecursively();
        QDir(path("elsewhere")).removeRecursively();
        for (const QString& name : files)
            file(name);
        link(path("elsewhere"), "dest/link");
        link(path("elsewhere"), "dest/deep/link");

        EXPECT_EQ(DeleteFolderBelow(path("dest"), c.parts), c.ended);
        for (const QString& name : files)
            EXPECT_EQ(QFileInfo::exists(path(name)), c.gone.isEmpty() || !name.startsWith(c.gone)) << qPrintable(name);
        EXPECT_TRUE(QFileInfo(path("dest/link")).isSymLink());
    }
    // A base that is not there is no sign that the folder went.
    EXPECT_EQ(DeleteFolderBelow(path("unplugged"), {"v1"}), FolderBelow::Failed);
}

TEST_F(FileSystemHelpersTest, DeleteFolderBelowLeavesAFolderItCannotRemove)
{
    if (runsAsRoot())
        GTEST_SKIP() << "root may write anywhere";
    file("dest/locked/v1/f.txt");
    ASSERT_TRUE(QFile::setPermissions(path("dest/locked"), QFile::ReadOwner | QFile::ExeOwner));
    EXPECT_EQ(DeleteFolderBelow(path("dest"), {"locked", "v1"}), FolderBelow::Failed);
    EXPECT_TRUE(QFileInfo::exists(path("dest/locked/v1/f.txt")));
    QFile::setPermissions(path("dest/locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(FileSystemHelpersTest, FolderSizeSumsFilesWithoutFollowingLinks)
{
    file("big-outside", 100000);
    folder("outside");
    file("outside/also-outside", 50000);
    file("tree/a.bin", 10);
    file("tree/sub/b.bin", 200);
    file("tree/sub/deeper/.c.bin", 3000);
    folder("tree/empty");
    link(path("big-outside"), "tree/file-link");
    link(path("outside"), "tree/sub/folder-link");

    const QString folderArg = path("tree");
    EXPECT_EQ(FolderSize(folderArg), 3210);
    EXPECT_EQ(folderArg, path("tree"));
    EXPECT_EQ(FolderSize(path("tree/")), 3210);
    EXPECT_EQ(FolderSize(path("tree/empty")), 0);
}

// Wide and deep enough that several threads share the walk.
TEST_F(FileSystemHelpersTest, FolderSizeOfAWideTreeCountsEveryFileOnce)
{
    qint64 expected = 0;
    for (int i = 0; i < 40; ++i) {
        const QString branch = QStringLiteral("wide/b%1/c%2").arg(i % 8).arg(i);
        file(branch + QStringLiteral("/f.bin"), i + 1);
        file(branch + QStringLiteral("/d/g.bin"), 1000 * (i + 1));
        expected += 1001 * (i + 1);
    }
    EXPECT_EQ(FolderSize(path("wide")), expected);
}

TEST_F(FileSystemHelpersTest, FolderSizeFailuresAreReportedNotShown)
{
    test::ScriptedPrompt prompt;
    platform::setPrompt(&prompt);
    file("plain.txt");

    for (const QString& folder : {path("missing"), path("plain.txt")}) {
        resetErrors();
        EXPECT_EQ(FolderSize(folder), -1) << qPrintable(folder);
        EXPECT_EQ(Err().Number, err::PathNotFound) << qPrintable(folder);
        EXPECT_TRUE(Err().Description.contains(folder)) << qPrintable(Err().Description);
    }
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(FileSystemHelpersTest, FolderSizeOfAnUnreadableSubfolderIsAFailure)
{
    if (runsAsRoot())
        GTEST_SKIP() << "root reads every folder";
    file("tree/a.bin", 10);
    file("tree/closed/b.bin", 20);
    ASSERT_TRUE(QFile::setPermissions(path("tree/closed"), QFile::WriteOwner));
    file("tree/open/c.bin", 30);
    for (int i = 0; i < 20; ++i)
        folder(QStringLiteral("tree/open/e%1").arg(i));
    EXPECT_EQ(FolderSize(path("tree")), -1);
    EXPECT_EQ(Err().Number, err::PermissionDenied);
    QFile::setPermissions(path("tree/closed"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(FileSystemHelpersTest, FolderAndFileDates)
{
    folder("dated");
    file("dated/f.txt");
    const QDateTime when(QDate(2026, 12, 10), QTime(8, 9, 10));
    setModified(path("dated/f.txt"), when);
    setModified(path("dated"), when);

    EXPECT_EQ(FolderDateModified(path("dated")), platform::toDateValue(when));
    EXPECT_EQ(GetFileDateModified(path("dated/f.txt")), QString("10/12/2026 08:09:10"));

    EXPECT_EQ(GetFileDateModified(path("missing.txt")), std::nullopt);
    EXPECT_EQ(GetFileDateModified(path("dated")), std::nullopt);

    const double failed = platform::toDateValue(QDate(1901, 1, 1));
    EXPECT_EQ(FolderDateModified(path("missing")), failed);
    EXPECT_EQ(Err().Number, err::PathNotFound);
    EXPECT_EQ(FolderDateModified(path("dated/f.txt")), failed);
}

TEST(FileTimeTest, LocalMidnightOfTheMillenniumIs36526)
{
    // The UTC file time of local midnight, whatever the machine's time zone.
    const qint64 unixMs = QDateTime(QDate(2000, 1, 1), QTime(0, 0)).toMSecsSinceEpoch();
    const qint64 fileTime = (unixMs + 11644473600000LL) * 10000;
    EXPECT_EQ(Win32ToVbTime(fileTime), 36526.0);
    EXPECT_EQ(Win32ToVbTime(fileTime + 12LL * 3600 * 10000000), 36526.5);
    EXPECT_EQ(Err().Number, 0);

    EXPECT_EQ(Win32ToVbTime(-1), 0.0);
    EXPECT_EQ(Err().Number, err::InvalidArgument);
}
