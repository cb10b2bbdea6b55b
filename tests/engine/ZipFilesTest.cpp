#include "engine/ZipFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "core/ErrorReport.h"
#include "core/ProgramState.h"
#include "support/ProgramFolderTest.h"
#include "support/ZipFixtures.h"

using engine::clsZipFiles;

namespace
{

class ZipFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sources.isValid());
        ASSERT_TRUE(target.isValid());
    }

    QString source(const QString& relative) const { return sources.path() + QLatin1Char('/') + relative; }
    QString archive() const { return target.path() + QStringLiteral("/Weekly_Backup.zip"); }
    QString write(const QString& relative, const QByteArray& bytes)
    {
        EXPECT_TRUE(test::writeFile(source(relative), bytes));
        return source(relative);
    }
    // The entry name of an absolute source path: the path below "/".
    static QString entryOf(const QString& path) { return path.mid(1); }

    // Builds like a run: a new builder, the archive name, no updating, the paths, MakeZipFile.
    qint32 build(const QStringList& paths, const QString& zipName)
    {
        clsZipFiles zip;
        zip.setZipFileName(zipName);
        zip.setUpdatingZip(false);
        for (const QString& path : paths)
            zip.AddFile(path);
        const qint32 result = zip.MakeZipFile();
        skipped = zip.SkippedFiles();
        message = zip.GetLastMessage();
        return result;
    }

    void expectHolds(const QString& zipName, const QStringList& paths) const
    {
        QString output;
        ASSERT_TRUE(test::unzipTestsOk(zipName, &output)) << output.toStdString();
        QStringList names;
        for (const QString& path : paths)
            names << entryOf(path);
        EXPECT_EQ(test::unzipNames(zipName), names);
        for (const QString& path : paths)
            EXPECT_EQ(test::unzipEntry(zipName, entryOf(path)), test::readFile(path)) << path.toStdString();
    }

    QTemporaryDir sources;
    QTemporaryDir target;
    QList<platform::ZipSkippedEntry> skipped;
    QString message;
};

TEST(ZipFilesBuilder, OptionsReadBackAndNamesAreListedOnceEach)
{
    clsZipFiles zip;
    EXPECT_FALSE(zip.RecurseFolders());
    EXPECT_FALSE(zip.Encrypted());
    EXPECT_FALSE(zip.IncludeSystemFiles());
    EXPECT_FALSE(zip.UpdatingZip());
    EXPECT_EQ(zip.ZipFileName(), QString());
    EXPECT_EQ(zip.RootDirectory(), QStringLiteral("/"));
    EXPECT_EQ(zip.ZipFileCount(), 0);

    zip.setRecurseFolders(true);
    zip.setEncrypted(true);
    zip.setIncludeSystemFiles(true);
    zip.setUpdatingZip(true);
    zip.setZipFileName(QStringLiteral("/tmp/x.zip"));
    zip.setRootDirectory(QStringLiteral("/home/u"));
    EXPECT_TRUE(zip.RecurseFolders() && zip.Encrypted() && zip.IncludeSystemFiles() && zip.UpdatingZip());
    EXPECT_EQ(zip.ZipFileName(), QStringLiteral("/tmp/x.zip"));
    EXPECT_EQ(zip.RootDirectory(), QStringLiteral("/home/u"));

    // Paths are compared exactly: another letter case is another file here.
    for (const char* name : {"/d/a.txt", "/d/b.txt", "/d/a.txt", "/d/A.txt", "", "/d/b.txt"})
        zip.AddFile(QString::fromUtf8(name));
    EXPECT_EQ(zip.ZipFileCount(), 3);
}

TEST(ZipFilesBuilder, RemovingANameThatIsNotListedLeavesTheErrorAndTheList)
{
    clsZipFiles zip;
    zip.AddFile(QStringLiteral("/d/a.txt"));
    zip.AddFile(QStringLiteral("/d/b.txt"));

    zip.RemoveFile(QStringLiteral("/d/c.txt"));
    EXPECT_EQ(core::Err().Number, -2147219502);
    EXPECT_EQ(core::Err().Source, QStringLiteral("CGZip::RemoveFile"));
    EXPECT_EQ(core::Err().Description, QStringLiteral("File is not in Zip List"));
    EXPECT_EQ(zip.ZipFileCount(), 2);

    core::Err().Clear();
    zip.RemoveFile(QStringLiteral("/d/a.txt"));
    EXPECT_EQ(core::Err().Number, 0);
    EXPECT_EQ(zip.ZipFileCount(), 1);
    zip.AddFile(QStringLiteral("/d/a.txt"));
    EXPECT_EQ(zip.ZipFileCount(), 2);
}

TEST_F(ZipFilesTest, PacksTheListedFilesUnderTheirMirroredPaths)
{
    const QStringList paths {
        write(QStringLiteral("docs/letters 2026/file 00001.txt"), QByteArray(30000, 'a')),
        write(QStringLiteral("docs/projekt \u00e4rger/notes.txt"), "notes\n"),
        write(QStringLiteral("media/.hidden"), "hidden\n"),
        write(QStringLiteral("empty"), QByteArray()),
    };
    struct Case
    {
        QString zipName;
        QStringList paths;
    };
    // The single archive of a set, and a per-file archive.
    const Case cases[] = {
        {archive(), paths},
        {target.path() + QStringLiteral("/notes.txt.zip"), {paths[1]}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(build(c.paths, c.zipName), engine::ziperr::Ok);
        EXPECT_TRUE(skipped.isEmpty());
        EXPECT_EQ(message, QString());
        expectHolds(c.zipName, c.paths);
    }
    EXPECT_FALSE(core::state().bStopBackup);
}

TEST_F(ZipFilesTest, ANewBuildHoldsOnlyTheFilesListedNow)
{
    const QString a = write(QStringLiteral("a.txt"), "a\n");
    const QString b = write(QStringLiteral("b.txt"), "b\n");
    ASSERT_EQ(build({a, b}, archive()), engine::ziperr::Ok);
    ASSERT_TRUE(QFile::remove(b));

    // The second run no longer finds b.txt; a third lists it though it vanished since.
    ASSERT_EQ(build({a}, archive()), engine::ziperr::Ok);
    expectHolds(archive(), {a});
    ASSERT_EQ(build({a, b}, archive()), engine::ziperr::Ok);
    expectHolds(archive(), {a});
    ASSERT_EQ(skipped.size(), 1);
    EXPECT_EQ(skipped[0].sourcePath, b);
    EXPECT_EQ(skipped[0].reason, QStringLiteral("it no longer exists"));
    EXPECT_EQ(message, QStringLiteral("zip warning: %1 was not packed: it no longer exists\n").arg(b));
    EXPECT_EQ(QDir(target.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList {QStringLiteral("Weekly_Backup.zip")});
}

TEST_F(ZipFilesTest, FailuresReturnANumberAndLeaveTheStopFlagClear)
{
    const QString a = write(QStringLiteral("a.txt"), "a\n");
    struct Case
    {
        QStringList paths;
        QString zipName;
        qint32 result;
        QString messagePart;
    };
    const Case cases[] = {
        {{a}, QString(), engine::ziperr::Name, QStringLiteral("zip error: no archive name")},
        {{}, archive(), engine::ziperr::Nothing, QStringLiteral("zip error: There is nothing to pack")},
        {{source(QStringLiteral("gone.txt"))},
         archive(),
         engine::ziperr::Nothing,
         QStringLiteral("not packed: it no longer exists")},
        // Readable, but never packed under a name that climbs out of the folder it is restored to.
        {{source(QStringLiteral("../") + QFileInfo(a).dir().dirName() + QStringLiteral("/a.txt"))},
         archive(),
         engine::ziperr::Nothing,
         QStringLiteral("not packed: it has no safe name inside an archive")},
        {{a},
         target.path() + QStringLiteral("/no such folder/x.zip"),
         engine::ziperr::Write,
         QStringLiteral("zip error: The archive")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(build(c.paths, c.zipName), c.result) << c.zipName.toStdString();
        EXPECT_TRUE(message.contains(c.messagePart)) << message.toStdString();
        EXPECT_FALSE(QFile::exists(c.zipName));
        EXPECT_FALSE(core::state().bStopBackup);
    }
    // Every build starts with an empty message.
    EXPECT_EQ(build({a}, archive()), engine::ziperr::Ok);
    EXPECT_EQ(message, QString());
}

TEST_F(ZipFilesTest, CancelDuringPackingStopsAndLeavesNoArchive)
{
    const QString big = write(QStringLiteral("big.txt"), QByteArray(4 * platform::ZipChunkSize, 'z'));
    ASSERT_TRUE(test::writeFile(archive(), "last run's archive"));
    core::state().strFailureReason = QStringLiteral("Cancelled by the user");
    // The Cancel button's click, delivered by the first event-loop pass inside the build.
    QTimer::singleShot(0, [] { core::state().bStopBackup = true; });

    EXPECT_EQ(build({big}, archive()), engine::ziperr::Ok);

    EXPECT_TRUE(core::state().bStopBackup);
    EXPECT_EQ(core::state().strFailureReason, QStringLiteral("Cancelled by the user"));
    EXPECT_EQ(test::readFile(archive()), QByteArray("last run's archive"));
    EXPECT_EQ(QDir(target.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList {QStringLiteral("Weekly_Backup.zip")});
}

TEST_F(ZipFilesTest, TenThousandFilesGoIntoOneArchive)
{
    QStringList paths;
    for (int i = 0; i < 10000; ++i)
        paths << write(QStringLiteral("f%1/file %2.txt").arg(i % 10).arg(i, 5, 10, QLatin1Char('0')),
                       QByteArray::number(i));

    ASSERT_EQ(build(paths, archive()), engine::ziperr::Ok);

    EXPECT_TRUE(test::unzipTestsOk(archive()));
    const QStringList names = test::unzipNames(archive());
    ASSERT_EQ(names.size(), 10000);
    EXPECT_EQ(names.first(), entryOf(paths.first()));
    EXPECT_EQ(names.last(), entryOf(paths.last()));
    EXPECT_EQ(test::unzipEntry(archive(), entryOf(paths[4321])), QByteArray("4321"));
}

// A run's list names files it has just found; a name that has become a folder since is no file of it.
TEST_F(ZipFilesTest, NamesTakenAsFilesLeaveOutAFolder)
{
    const QString a = write(QStringLiteral("a.txt"), "a\n");
    write(QStringLiteral("tree/b.txt"), "b\n");
    clsZipFiles zip;
    zip.setZipFileName(archive());
    zip.setNamesAreFiles(true);
    zip.AddFile(a);
    zip.AddFile(source(QStringLiteral("tree")));

    ASSERT_EQ(zip.MakeZipFile(), engine::ziperr::Ok) << zip.GetLastMessage().toStdString();

    expectHolds(archive(), {a});
    ASSERT_EQ(zip.SkippedFiles().size(), 1);
    EXPECT_EQ(zip.SkippedFiles()[0].sourcePath, source(QStringLiteral("tree")));
    EXPECT_EQ(zip.SkippedFiles()[0].reason, QStringLiteral("it is not a regular file"));
}

TEST_F(ZipFilesTest, FoldersRelativeNamesAndUpdating)
{
    write(QStringLiteral("tree/a.txt"), "a\n");
    write(QStringLiteral("tree/sub/.b"), "b\n");
    const QString other = write(QStringLiteral("other.txt"), "other\n");
    const QString tree = QStringLiteral("tree");
    struct Case
    {
        bool recurse;
        bool updating;
        QStringList names;
    };
    const Case cases[] = {
        {false, false, {QStringLiteral("tree/")}},
        {true,
         false,
         {QStringLiteral("tree/"), QStringLiteral("tree/a.txt"), QStringLiteral("tree/sub/"),
          QStringLiteral("tree/sub/.b")}},
        {false, true, {entryOf(other), QStringLiteral("tree/")}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(build({other}, archive()), engine::ziperr::Ok);
        clsZipFiles zip;
        zip.setZipFileName(archive());
        zip.setRootDirectory(sources.path());
        zip.setRecurseFolders(c.recurse);
        zip.setUpdatingZip(c.updating);
        zip.AddFile(tree);

        ASSERT_EQ(zip.MakeZipFile(), engine::ziperr::Ok) << zip.GetLastMessage().toStdString();

        EXPECT_TRUE(test::unzipTestsOk(archive()));
        EXPECT_EQ(test::unzipNames(archive()), c.names);
    }
}

} // namespace
