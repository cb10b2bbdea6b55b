#include "engine/FolderDelivery.h"

#include <cerrno>
#include <csignal>
#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <gtest/gtest.h>

#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "core/SetDocument.h"
#include "core/WorkFolder.h"
#include "platform/PendingFile.h"
#include "support/FileTimes.h"
#include "support/OpenFiles.h"
#include "support/Outcome.h"
#include "support/ProgramFolderTest.h"
#include "support/RecordingRun.h"

namespace
{
using test::Outcome;

qint64 modifiedSeconds(const QString& path)
{
    return QFileInfo(path).lastModified().toSecsSinceEpoch();
}

class FolderDeliveryTest : public test::ProgramFolderTest
{
protected:
    void SetUp() override
    {
        test::ProgramFolderTest::SetUp();
        core::state().LoggingEnabled = true;
        source = programFile("source");
        dest = programFile("backup");
        files = {source + "/Docs/a.txt", source + "/Docs/sub/b b.txt", source + "/top.dat"};
        contents = {"alpha", "bravo two", QByteArray(3 * 1024 * 1024 + 7, 'z')};
        for (int i = 0; i < files.size(); ++i) {
            ASSERT_TRUE(test::writeFile(files.at(i), contents.at(i)));
            ASSERT_TRUE(test::setModified(files.at(i), 1700000000 + i * 3600));
        }
        writeList(files);

        set.ItemName = "Docs";
        set.DestCount = 1;
        set.Dest[1].Type = core::DestinationType::Folder;
        set.Dest[1].LocalFolder = dest;
    }

    void writeList(const QStringList& paths)
    {
        QByteArray list;
        for (const QString& path : paths)
            list += path.toUtf8() + "\r\n";
        ASSERT_TRUE(test::writeFile(core::setFileListPath("Docs"), list));
    }

    // Where a source file's copy lies below a destination root.
    static QString mirrored(const QString& root, const QString& path) { return root + path; }

    QString log() const { return QString::fromUtf8(test::readFile(core::RunLogPath())); }

    QString source, dest;
    QStringList files;
    QList<QByteArray> contents;
    core::BackupSetInfo set;
    test::RecordingRun run;
    engine::FolderDelivery delivery {run};
};

TEST_F(FolderDeliveryTest, MirrorFoldersAreMadeBelowTheRoot)
{
    const QString root = programFile("mirror");
    struct Case
    {
        QString path;
        QString root;
        QString folder;
    };
    const Case cases[] = {
        {"/home/u/a.txt", root, root + "/home/u/"},
        {"/home/u/a.txt", root + "/", root + "/home/u/"},
        {"/a.txt", root, root + "/"},
        {"C:\\Data\\Docs\\a.txt", root, root + "/Data/Docs/"},
        {"\\\\server\\share\\dir\\a.txt", root, root + "/server/share/dir/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(engine::MakeMirrorFolder(c.path, c.root), c.folder);
        EXPECT_TRUE(QFileInfo(c.folder).isDir());
    }

    EXPECT_EQ(engine::MakeMirrorFolder("/up/../../etc/passwd", root), std::nullopt);
    EXPECT_EQ(engine::MakeMirrorFolder("/", root), std::nullopt);
    EXPECT_FALSE(QFileInfo::exists(root + "/up"));
}

TEST_F(FolderDeliveryTest, EachFileIsMirroredBelowTheDestinationOrItsTimeStampFolder)
{
    struct Case
    {
        QString timestamp;
        QString root;
        QString runLanFolder;
        QString lastFolder;
    };
    const Case cases[] = {
        {"", dest, dest + "/", ""},
        {"December 08, 2026 (14.05) Docs", dest + "/December 08, 2026 (14.05) Docs",
         dest + "/December 08, 2026 (14.05) Docs", "December 08, 2026 (14.05) Docs"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.timestamp.toStdString());
        QDir(dest).removeRecursively();
        QFile::remove(core::RunLogPath());
        set.UseTimeStamp = !c.timestamp.isEmpty();

        const engine::FolderDeliveryResult result = delivery.deliver(set, 1, c.timestamp, QString());

        ASSERT_EQ(test::outcomeOf(result), Outcome::Succeeded) << result.reason().toStdString();
        qint64 bytes = 0;
        for (int i = 0; i < files.size(); ++i) {
            const QString copy = mirrored(c.root, files.at(i));
            EXPECT_EQ(test::readFile(copy), contents.at(i)) << copy.toStdString();
            EXPECT_EQ(modifiedSeconds(copy), modifiedSeconds(files.at(i))) << copy.toStdString();
            EXPECT_TRUE(log().contains("Backing Up: " + files.at(i) + " > " + copy + "\r\n")) << copy.toStdString();
            bytes += contents.at(i).size();
        }
        EXPECT_EQ(result.deliveredBytes, bytes);
        EXPECT_EQ(result.deliveredFiles, 3);
        EXPECT_TRUE(result.copyErrors.isEmpty());
        EXPECT_EQ(set.RunDestType, core::DestinationType::Folder);
        EXPECT_EQ(set.RunLanFolder, c.runLanFolder);
        EXPECT_EQ(set.LastFolder, c.lastFolder);
        EXPECT_EQ(log().contains("Making Timestamp Folder"), set.UseTimeStamp);
        // Nothing is written beside the sources.
        EXPECT_EQ(QDir(source + "/Docs").entryList(QDir::Files), QStringList {"a.txt"});
    }
}

TEST_F(FolderDeliveryTest, AFileGoneSinceTheCollectionIsNamedAndTheRestArrives)
{
    const QString gone = files.at(1);
    const QString previousCopy = mirrored(dest, gone);
    ASSERT_TRUE(test::writeFile(previousCopy, "last week's copy"));
    ASSERT_TRUE(QFile::remove(gone));

    const engine::FolderDeliveryResult result = delivery.deliver(set, 1, QString(), QString());

    ASSERT_EQ(test::outcomeOf(result), Outcome::Succeeded);
    EXPECT_EQ(result.copyErrors, "Error 53 File not found\r\nFile: " + gone + "\r\n\r\n");
    EXPECT_EQ(result.failedFiles, QStringList {gone});
    EXPECT_TRUE(log().contains("Could not copy " + gone + ": Error 53 File not found\r\n"));
    EXPECT_EQ(result.deliveredFiles, 2);
    EXPECT_EQ(result.deliveredBytes, contents.at(0).size() + contents.at(2).size());
    EXPECT_EQ(test::readFile(mirrored(dest, files.at(0))), contents.at(0));
    EXPECT_EQ(test::readFile(mirrored(dest, files.at(2))), contents.at(2));
    // The earlier version of the file that could not be sent stays whole.
    EXPECT_EQ(test::readFile(previousCopy), "last week's copy");
}

TEST_F(FolderDeliveryTest, ADestinationThatCannotBeMadeFailsTheDelivery)
{
    const QString blocker = programFile("blocker");
    ASSERT_TRUE(test::writeFile(blocker, "a regular file"));
    ASSERT_TRUE(test::writeFile(dest + "/stamp", "a file where the time-stamp folder goes"));
    const QString rootLink = programFile("root");
    ASSERT_EQ(::symlink("/", QFile::encodeName(rootLink).constData()), 0);
    struct Case
    {
        QString folder;
        QString timestamp;
        int compression;
        QString reason;
    };
    const Case cases[] = {
        {blocker + "/sub", "", 0, "Could not create folder: " + blocker + "/sub"},
        {blocker + "/sub", "", 1, "Could not create folder: " + blocker + "/sub"},
        {blocker + "/sub", "stamp", 0, "Could not create folder: " + blocker + "/sub"},
        {dest, "stamp", 0, "Could not create folder: " + dest + "/stamp"},
        {dest, "stamp", 1, "Could not create folder: " + dest + "/stamp"},
        {"", "", 0, "Destination 1 names no folder."},
        {"backup", "", 0, "The destination folder \"backup\" is not a full path."},
        {dest, "../out", 0, "The time-stamp folder \"../out\" would lie outside the destination folder."},
        {dest, "", 3, "The compression mode 3 is not known; nothing was delivered."},
        // Each source file would be mirrored onto itself.
        {"/", "", 0, "The destination \"/\" is the root folder: each file would be copied onto itself."},
        {rootLink + "/", "", 0,
         "The destination \"" + rootLink + "\" is the root folder: each file would be copied onto itself."},
    };
    const QString archive = programFile("tmp/docs.zip");
    ASSERT_TRUE(test::writeFile(archive, "PK archive"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason.toStdString());
        core::state().strFailureReason.clear();
        set.Dest[1].LocalFolder = c.folder;
        set.Compression = core::fromStoredCode<core::CompressionMode>(c.compression);
        set.UseTimeStamp = !c.timestamp.isEmpty();

        const engine::FolderDeliveryResult result = delivery.deliver(set, 1, c.timestamp, archive);

        EXPECT_EQ(test::outcomeOf(result), Outcome::Failed);
        EXPECT_EQ(result.reason(), c.reason);
        EXPECT_EQ(core::state().strFailureReason, c.reason);
        EXPECT_EQ(result.deliveredBytes, 0);
    }
    EXPECT_FALSE(QFileInfo::exists(dest + "/docs.zip"));
    EXPECT_FALSE(QFileInfo::exists(mirrored(dest, files.at(0))));
    EXPECT_EQ(log().count("Backing Up: "), 0);
}

TEST_F(FolderDeliveryTest, ADestinationThatTakesNoMoreFilesFailsAtOnce)
{
    files << source + "/Docs/d.txt" << source + "/Docs/e.txt";
    for (const QString& file : files.mid(3))
        ASSERT_TRUE(test::writeFile(file, "more"));
    writeList(files);
    const struct
    {
        const char* name;
        // The error the copy of the second file meets at the destination, with what it leaves.
        int error;
        std::function<void()> meanwhile;
        bool fails;
    } cases[] = {
        {"no space", ENOSPC, {}, true},
        {"quota exceeded", EDQUOT, {}, true},
        {"read-only file system", EROFS, {}, true},
        {"destination gone", ENOENT, [&] { ASSERT_TRUE(QDir(dest).removeRecursively()); }, true},
        // One file that cannot be written there keeps the others coming.
        {"one file refused", EACCES, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(dest).removeRecursively();
        core::state().strFailureReason.clear();
        QStringList tried;
        delivery.copyFile = [&](const QString& from, const QString& to, platform::RunContext& copyRun) {
            tried << from;
            if (tried.size() != 2)
                return platform::copyFileReplacing(from, to, copyRun);
            if (c.meanwhile)
                c.meanwhile();
            return platform::CopyResult {
                platform::Result::failure("cannot write " + to + ": " + qt_error_string(c.error)), 0, c.error};
        };

        const engine::FolderDeliveryResult result = delivery.deliver(set, 1, QString(), QString());

        if (c.fails) {
            EXPECT_EQ(test::outcomeOf(result), Outcome::Failed);
            EXPECT_EQ(tried.size(), 2);
            EXPECT_EQ(result.reason(),
                      "The destination " + dest + " takes no more files: cannot write " + mirrored(dest, files.at(1))
                          + ": " + qt_error_string(c.error));
            EXPECT_EQ(core::state().strFailureReason, result.reason());
        } else {
            EXPECT_EQ(test::outcomeOf(result), Outcome::Succeeded);
            EXPECT_EQ(tried, files);
            EXPECT_EQ(result.deliveredFiles, files.size() - 1);
            EXPECT_EQ(result.failedFiles, QStringList {files.at(1)});
        }
    }
}

TEST_F(FolderDeliveryTest, NoFileArrivingIsAFailureThatNamesEveryFile)
{
    // The first level of every mirror folder is taken by a file.
    ASSERT_TRUE(test::writeFile(dest + source.section('/', 0, 1), "in the way"));

    const engine::FolderDeliveryResult result = delivery.deliver(set, 1, QString(), QString());

    EXPECT_EQ(test::outcomeOf(result), Outcome::Failed);
    EXPECT_EQ(result.reason(), "None of the 3 listed files could be copied to " + dest);
    EXPECT_EQ(core::state().strFailureReason, result.reason());
    EXPECT_EQ(result.failedFiles, files);
    EXPECT_TRUE(result.copyErrors.startsWith("Error 76 Path not found\r\nFile: " + files.at(0) + "\r\n\r\n"));
}

TEST_F(FolderDeliveryTest, TheSingleArchiveGoesIntoTheRootAndReplacesTheOldOneOnlyWhenItArrives)
{
    set.Compression = core::CompressionMode::OneArchive;
    set.UseTimeStamp = true;
    const QString stamp = "-2026_12_10- Docs";
    const QString archive = programFile("tmp/My_Docs.zip.bf");
    const QString target = dest + "/" + stamp + "/My_Docs.zip.bf";
    ASSERT_TRUE(test::writeFile(target, "the old archive"));

    // An archive that is not there (an e-mail delivery removed it) leaves the old one in place.
    engine::FolderDeliveryResult result = delivery.deliver(set, 1, stamp, archive);
    EXPECT_EQ(test::outcomeOf(result), Outcome::Failed);
    EXPECT_TRUE(result.reason().startsWith("Could not copy the archive to " + target + ": "))
        << result.reason().toStdString();
    EXPECT_EQ(test::readFile(target), "the old archive");

    const QByteArray bytes(1024 * 1024 * 2 + 1, 'a');
    ASSERT_TRUE(test::writeFile(archive, bytes));
    ASSERT_TRUE(test::setModified(archive, 1700000000));
    result = delivery.deliver(set, 1, stamp, archive);

    ASSERT_EQ(test::outcomeOf(result), Outcome::Succeeded) << result.reason().toStdString();
    EXPECT_EQ(test::readFile(target), bytes);
    EXPECT_EQ(modifiedSeconds(target), 1700000000);
    EXPECT_EQ(result.deliveredBytes, bytes.size());
    EXPECT_EQ(set.RunLanFolder, dest + "/" + stamp);
    EXPECT_EQ(set.LastFolder, stamp);
    EXPECT_TRUE(log().contains("Backing Up: " + archive + " > " + dest + " / " + stamp + " / My_Docs.zip.bf\r\n"));
    EXPECT_EQ(QDir(dest + "/" + stamp).entryList(QDir::Files), QStringList {"My_Docs.zip.bf"});
}

TEST_F(FolderDeliveryTest, PackedFilesTakeTheirNamesAndTheirWorkCopiesGo)
{
    set.Compression = core::CompressionMode::ArchivePerFile;
    set.ProtectData = core::ProtectionMode::Blowfish;
    EXPECT_EQ(test::outcomeOf(delivery.deliver(set, 1, QString(), QString())), Outcome::Failed);

    const QString work = programFile("tmp/work");
    QStringList made;
    delivery.prepareFile = [&](const QString& path) {
        engine::PreparedFile prepared;
        prepared.name = QFileInfo(path).fileName() + ".zip.bf";
        prepared.path = work + "/" + prepared.name;
        prepared.workFiles = {work + "/" + QFileInfo(path).fileName() + ".zip", prepared.path};
        if (path == files.at(2)) {
            prepared.error = "the zip library refused it";
            return prepared;
        }
        for (const QString& file : prepared.workFiles)
            EXPECT_TRUE(test::writeFile(file, "packed " + path.toUtf8()));
        made << prepared.workFiles;
        return prepared;
    };

    const engine::FolderDeliveryResult result = delivery.deliver(set, 1, QString(), QString());

    ASSERT_EQ(test::outcomeOf(result), Outcome::Succeeded) << result.reason().toStdString();
    EXPECT_EQ(test::readFile(mirrored(dest, files.at(0)) + ".zip.bf"), "packed " + files.at(0).toUtf8());
    EXPECT_EQ(test::readFile(mirrored(dest, files.at(1)) + ".zip.bf"), "packed " + files.at(1).toUtf8());
    EXPECT_FALSE(QFileInfo::exists(mirrored(dest, files.at(2)) + ".zip.bf"));
    EXPECT_EQ(result.copyErrors,
              "Error 75 Path/File access error: the zip library refused it\r\nFile: " + files.at(2) + "\r\n\r\n");
    EXPECT_EQ(made.size(), 4);
    EXPECT_TRUE(QDir(work).isEmpty());
}

TEST_F(FolderDeliveryTest, AStopRequestEndsTheDeliveryAndLeavesNoWorkFile)
{
    set.ProtectData = core::ProtectionMode::Blowfish;
    const QString work = programFile("tmp/work");
    int prepared = 0;
    delivery.prepareFile = [&](const QString& path) {
        const QString copy = work + "/" + QFileInfo(path).fileName() + ".bf";
        EXPECT_TRUE(test::writeFile(copy, "protected"));
        if (++prepared == 2)
            core::state().bStopBackup = true;
        return engine::PreparedFile {copy, QFileInfo(path).fileName() + ".bf", {copy}, {}};
    };

    const engine::FolderDeliveryResult result = delivery.deliver(set, 1, QString(), QString());

    EXPECT_EQ(test::outcomeOf(result), Outcome::Stopped);
    EXPECT_EQ(prepared, 2);
    EXPECT_TRUE(QFileInfo::exists(mirrored(dest, files.at(0)) + ".bf"));
    EXPECT_FALSE(QFileInfo::exists(mirrored(dest, files.at(1)) + ".bf"));
    EXPECT_TRUE(QDir(work).isEmpty());
    EXPECT_EQ(run.statuses, QStringList {"[Moving files to the backup location] \r\n" + work + "/a.txt.bf"});
}

TEST_F(FolderDeliveryTest, TheNextDeliveryClearsWhatAnInterruptedOneLeft)
{
    set.UseTimeStamp = true;
    set.Accurancy = 3;
    set.TimeStampFormat = "mmmm dd, yyyy# (hh.mm)";
    const QString interrupted = "December 09, 2026 (12.00) Docs";
    const QString named = "December 08, 2026 (12.00) Docs";
    const QString next = "December 10, 2026 (12.00) Docs";
    // Cut off in its first copy, on a file system without unnamed files: a hidden temporary copy stays.
    delivery.copyFile = [](const QString&, const QString& to, platform::RunContext&) {
        const QFileInfo target(to);
        EXPECT_TRUE(test::writeFile(target.absolutePath() + "/." + target.fileName() + ".Ab12Cd", "half"));
        return platform::CopyResult {platform::Result::stop()};
    };
    ASSERT_EQ(test::outcomeOf(delivery.deliver(set, 1, interrupted, QString())), Outcome::Stopped);
    ASSERT_FALSE(QDir(dest + "/" + interrupted).isEmpty());
    // A folder a version line names stays, whatever it holds.
    ASSERT_TRUE(QDir().mkpath(dest + "/" + named + "/home"));
    delivery.versionLines = {"LAN|" + dest + "/" + named + "|" + dest + "/" + named + "/Docs_Backup.zip|x|1|1|0|pw"};
    delivery.copyFile = {};

    ASSERT_EQ(test::outcomeOf(delivery.deliver(set, 1, next, QString())), Outcome::Succeeded);

    EXPECT_EQ(QDir(dest).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList({named, next}));
    EXPECT_TRUE(log().contains("Removing what an interrupted backup left: " + dest + "/" + interrupted + "\r\n"));
    EXPECT_EQ(test::readFile(mirrored(dest + "/" + next, files.at(0))), contents.at(0));
}

} // namespace

TEST_F(FolderDeliveryTest, AKilledDeliveryLeavesNoHiddenCopyOnceTheProgramStartsAgain)
{
    // Where the file system offers no unnamed files (network folders), a copy on its way has a
    // hidden name beside its target.
    const auto unnamed = qScopeGuard([] { platform::PendingFile::offerUnnamedFiles(true); });
    const auto below = [&] {
        QStringList names;
        for (QDirIterator it(dest, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
            names << QFileInfo(it.next()).fileName();
        return names;
    };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // No test assertion here: the child ends by its kill, or says how far it came.
        platform::PendingFile::offerUnnamedFiles(false);
        test::RecordingRun killed;
        killed.stopWhen = [&] {
            if (test::writingBelow(dest))
                ::kill(::getpid(), SIGKILL);
            return false;
        };
        engine::FolderDelivery delivery {killed};
        delivery.deliver(set, 1, QString(), QString());
        ::_exit(3);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;
    const QStringList left = below();
    ASSERT_EQ(left.size(), 1) << left.join(", ").toStdString();
    EXPECT_TRUE(platform::isTemporaryCopyName(left.first())) << left.first().toStdString();

    // What the program does when it starts.
    core::removeAbandonedWorkFiles();

    EXPECT_EQ(below(), QStringList());
}
