#include "restore/RestoreRun.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "VersionFixtures.h"
#include "core/ProgramState.h"
#include "core/ScramblePassword.h"
#include "peers/LoopbackServers.h"
#include "peers/PeerProcess.h"
#include "platform/MirrorPath.h"
#include "support/RecordingRun.h"

using restore::RestoreRun;
using restore::RestoreSummary;

using test::closedPort;

namespace
{
const QString User = "user";
// Nothing but blanks and signs: a password some servers' clients would scramble before sending.
const QString ServerPassword = "$ $_+=";
const QString Host = "127.0.0.1";

QString mirrored(const QString& path)
{
    return platform::mirrorRelativePath(path).value_or(QString());
}

// Versions laid out in the folder of a pyftpdlib peer, whose login folder is its root.
class RestoreRunFtpTest : public test::VersionTest
{
protected:
    void SetUp() override
    {
        VersionTest::SetUp();
        ASSERT_TRUE(serverRoot.isValid());
    }

    bool startServer(const QStringList& options = {})
    {
        const bool started = peer.start(
            "ftp_peer.py",
            QStringList {"--root", serverRoot.path(), "--user", User, "--password", ServerPassword} + options);
        EXPECT_TRUE(started) << peer.error().toStdString();
        return started;
    }

    // Where a remote folder lies on disk: below the login folder, absolute or not.
    QString onDisk(const QString& remoteFolder) const
    {
        return QDir::cleanPath(serverRoot.path() + "/" + remoteFolder);
    }

    // Lays out a version in `remoteFolder` on the server and returns its line as an FTP run records it.
    QString ftpVersion(const QString& remoteFolder, int mode, bool isProtected, quint16 port = 0)
    {
        const QString archive = core::state().CurrentSet.ZIPName + (isProtected ? ".bf" : "");
        makeVersion(onDisk(remoteFolder), mode, isProtected);
        return QStringList {"FTP",
                            User,
                            core::ScramblePassword(ServerPassword),
                            Host,
                            QString::number(port ? port : peer.port()),
                            remoteFolder,
                            remoteFolder + "/" + archive,
                            "10/12/2026 12:00:00",
                            "12",
                            QString::number(mode),
                            QString::number(isProtected ? 1 : 0),
                            Password}
            .join('|');
    }

    // The loaded set delivers to the peer, passive or active.
    void deliversToPeer(bool passive)
    {
        core::BackupSetInfo& set = core::state().CurrentSet;
        set.DestCount = 1;
        core::DestinationInfo& dest = set.Dest[1];
        dest.Type = core::DestinationType::Ftp;
        dest.FTPHost = Host;
        dest.FTPPort = QString::number(peer.port());
        dest.FTPPassive = passive;
    }

    void expectNoWorkLeft()
    {
        EXPECT_EQ(QDir(programFile("tmp")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList());
    }
    QStringList downloads() const { return logLines().filter(QRegularExpression("^Downloading File: ")); }

    QTemporaryDir serverRoot;
    test::PeerProcess peer;
};
} // namespace

TEST_F(RestoreRunFtpTest, EveryLayoutIsFetchedOverOneLoginAndRestored)
{
    ASSERT_TRUE(startServer());
    struct Case
    {
        int mode;
        bool isProtected;
        QString folder;
        bool passive;
        bool newFolder;
        // The first remote path asked for.
        QString firstDownload;
    };
    const QString odd = "/backup/Mön Docs";
    const QString relative = "backup/Docs";
    const Case cases[] = {
        {0, false, odd, true, false, odd + "/" + mirrored(paths[0])},
        {0, true, relative, false, true, relative + "/" + mirrored(paths[0]) + ".bf"},
        {1, false, odd, false, true, odd + "/Docs_Backup.zip"},
        {1, true, relative, true, false, relative + "/Docs_Backup.zip.bf"},
        {2, false, relative, true, true, relative + "/" + mirrored(paths[0]) + ".zip"},
        {2, true, odd, false, false, odd + "/" + mirrored(paths[0]) + ".zip.bf"},
    };
    writeRestoreList(paths);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << (c.isProtected ? ", protected" : ", plain") << ", "
                                        << c.folder.toStdString() << (c.passive ? ", passive" : ", active")
                                        << (c.newFolder ? ", new folder" : ", previous location"));
        QFile::remove(programFile("status.log"));
        deliversToPeer(c.passive);
        const QString version = ftpVersion(c.folder, c.mode, c.isProtected);
        const QString target = c.newFolder ? disk("restored here") : QString();
        QMap<QString, QByteArray> expected = everything();
        if (c.newFolder) {
            for (const QString& path : std::as_const(paths))
                expected["scratch/restored here/" + mirrored(path)] = originals[path];
        } else {
            ASSERT_TRUE(QDir(disk("src")).removeRecursively());
        }

        RestoreRun run(request(version, target), platform::unwatchedRun(), question);
        int connects = 0;
        run.watchConnect = [&](bool on) { connects += on ? 1 : 0; };
        EXPECT_EQ(run.run(), RestoreRun::Outcome::Completed);
        // One login serves every file.
        EXPECT_EQ(connects, 1);
        EXPECT_EQ(run.summary().statusText(), "Done!\r\nFiles restored: 6, skipped: 0, missing: 0, failed: 0.");
        EXPECT_EQ(everything(), expected);
        expectNoWorkLeft();
        const QStringList fetched = downloads();
        ASSERT_EQ(fetched.size(), c.mode == 1 ? 1 : paths.size());
        EXPECT_TRUE(fetched[0].startsWith("Downloading File: " + c.firstDownload + " > ")) << fetched[0].toStdString();
        EXPECT_FALSE(QString::fromUtf8(test::readFile(programFile("status.log"))).contains(ServerPassword));
        EXPECT_TRUE(logLines().contains("Folder: " + c.folder));
        EXPECT_TRUE(logLines().contains("================Restore Complete=============="));

        ASSERT_TRUE(QDir(onDisk("backup")).removeRecursively());
        if (c.newFolder) {
            ASSERT_TRUE(QDir(target).removeRecursively());
        }
    }
}

TEST_F(RestoreRunFtpTest, WhatTheServerLacksIsListedMissingAndTheRestRestores)
{
    ASSERT_TRUE(startServer());
    writeRestoreList(paths);
    struct Case
    {
        const char* name;
        int mode;
        // Deleted on the server, relative to the version's folder.
        QString gone;
        qint64 restored;
        qint64 missing;
    };
    const Case cases[] = {
        {"the archive", 1, "Docs_Backup.zip", 0, 6},
        {"one file's archive", 2, mirrored(paths[1]) + ".zip", 5, 1},
        {"one file", 0, mirrored(paths[3]), 5, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString version = ftpVersion("/backup/Docs", c.mode, false);
        ASSERT_TRUE(QFile::remove(onDisk("/backup/Docs/" + c.gone)));
        RestoreSummary summary;
        EXPECT_EQ(restore(request(version, disk("new")), &summary), RestoreRun::Outcome::Completed);
        EXPECT_EQ(summary.restored, c.restored);
        EXPECT_EQ(summary.missing, c.missing);
        EXPECT_EQ(summary.failed, 0);
        EXPECT_EQ(summary.missingList, QStringList {"/backup/Docs/" + c.gone});
        EXPECT_EQ(filesBelow(disk("new")).size(), c.restored);
        expectNoWorkLeft();
        ASSERT_TRUE(QDir(onDisk("backup")).removeRecursively());
        ASSERT_TRUE(QDir(disk("new")).removeRecursively());
    }
}

TEST_F(RestoreRunFtpTest, AServerThatCannotServeTheRestoreEndsItWithNothingPlaced)
{
    writeRestoreList(paths);
    struct Case
    {
        const char* name;
        bool running;
        QString password;
        QString error;
    };
    const Case cases[] = {
        {"server down", false, ServerPassword, "Restore failed: could not connect to 127.0.0.1"},
        {"wrong password", true, "not the password", "Restore failed: could not log in to 127.0.0.1: 530 "},
    };
    for (const Case& c : cases) {
        for (const int mode : {0, 1}) {
            SCOPED_TRACE(testing::Message() << c.name << ", mode " << mode);
            QFile::remove(programFile("status.log"));
            if (c.running) {
                ASSERT_TRUE(peer.isRunning() || startServer());
            }
            QString version = ftpVersion("/backup/Docs", mode, false, c.running ? peer.port() : closedPort());
            version.replace(core::ScramblePassword(ServerPassword), core::ScramblePassword(c.password));
            const QMap<QString, QByteArray> before = everything();

            test::RecordingRun run;
            RestoreSummary summary;
            EXPECT_EQ(restore(request(version, disk("new")), &summary, run), RestoreRun::Outcome::Completed);
            EXPECT_TRUE(summary.error.startsWith(c.error)) << summary.error.toStdString();
            EXPECT_TRUE(run.statuses.last().contains(c.error));
            EXPECT_EQ(logLines().filter(c.error).size(), 1) << logLines().join('\n').toStdString();
            EXPECT_EQ(summary.restored, 0);
            EXPECT_EQ(everything(), before);
            expectNoWorkLeft();
            // A refusal or a closed port is not tried again.
            EXPECT_TRUE(logLines().filter("FTP: Connecting again").isEmpty());
            ASSERT_TRUE(QDir(onDisk("backup")).removeRecursively());
        }
    }
}

TEST_F(RestoreRunFtpTest, ADropDuringADownloadFailsThatFileAndLeavesItsTargetAlone)
{
    // Only big.bin, of 3 MiB, outlasts the cut.
    ASSERT_TRUE(startServer({"--drop-after", "200000"}));
    writeRestoreList(paths);
    const QString big = source("big.bin");
    for (const int mode : {1, 0}) {
        SCOPED_TRACE(testing::Message() << "mode " << mode);
        for (const QString& path : std::as_const(paths))
            ASSERT_TRUE(test::writeFile(path, originals[path]));
        const QString version = ftpVersion("/backup/Docs", mode, false);
        // The previous location holds other content, which a failed file must keep.
        for (const QString& path : std::as_const(paths))
            ASSERT_TRUE(test::writeFile(path, "changed since"));
        question = test::ScriptedQuestion {restore::OverwriteAnswer::YesToAll};

        RestoreSummary summary;
        EXPECT_EQ(restore(request(version), &summary), RestoreRun::Outcome::Completed);
        EXPECT_EQ(test::readFile(big), "changed since");
        expectNoWorkLeft();
        ASSERT_EQ(summary.failedList.size(), 1);
        EXPECT_TRUE(summary.failedList[0].contains("426")) << summary.failedList[0].toStdString();
        if (mode == 1) {
            // The archive is the one fetch: nothing of it is used.
            EXPECT_EQ(summary.failed, paths.size());
            EXPECT_EQ(summary.restored, 0);
        } else {
            EXPECT_EQ(summary.failed, 1);
            EXPECT_TRUE(summary.failedList[0].startsWith(big));
            // The session goes on serving the other files.
            EXPECT_EQ(summary.restored, paths.size() - 1);
            for (const QString& path : std::as_const(paths)) {
                if (path != big) {
                    EXPECT_EQ(test::readFile(path), originals[path]) << path.toStdString();
                }
            }
        }
        ASSERT_TRUE(QDir(onDisk("backup")).removeRecursively());
    }
}

TEST_F(RestoreRunFtpTest, AStopWhileADownloadWaitsEndsTheSessionAndPlacesNothing)
{
    ASSERT_TRUE(startServer({"--stall-after", "100000"}));
    writeRestoreList(paths);
    for (const int mode : {1, 0}) {
        SCOPED_TRACE(testing::Message() << "mode " << mode);
        const QString version = ftpVersion("/backup/Docs", mode, false);
        test::RecordingRun run;
        // The stall holds the download of the archive, or of big.bin.
        run.onStatus = [&](const QString& text) {
            if (text.startsWith("FTP: Downloading") && (mode == 1 || text.contains("big.bin")))
                QTimer::singleShot(300, [] { core::state().bStopBackup = true; });
        };
        EXPECT_EQ(restore(request(version, disk("new")), nullptr, run), RestoreRun::Outcome::Stopped);
        // Copies come before big.bin in the list; nothing comes after the stop.
        EXPECT_EQ(filesBelow(disk("new")).size(), mode == 1 ? 0 : 2);
        EXPECT_FALSE(logLines().contains("================Restore Complete=============="));
        expectNoWorkLeft();
        core::state().bStopBackup = false;
        ASSERT_TRUE(QDir(onDisk("backup")).removeRecursively());
        QDir(disk("new")).removeRecursively();
    }
}

TEST_F(RestoreRunFtpTest, ADownloadShorterThanTheServersFileFailsThatFile)
{
    // The server sends 100000 bytes of any file and calls it complete: only big.bin is longer.
    ASSERT_TRUE(startServer({"--short-downloads", "100000"}));
    writeRestoreList(paths);
    const QString big = source("big.bin");
    for (const int mode : {0, 1}) {
        SCOPED_TRACE(testing::Message() << "mode " << mode);
        for (const QString& path : std::as_const(paths))
            ASSERT_TRUE(test::writeFile(path, originals[path]));
        const QString version = ftpVersion("/backup/Docs", mode, false);
        for (const QString& path : std::as_const(paths))
            ASSERT_TRUE(test::writeFile(path, "changed since"));
        question = test::ScriptedQuestion {restore::OverwriteAnswer::YesToAll};

        RestoreSummary summary;
        EXPECT_EQ(restore(request(version), &summary), RestoreRun::Outcome::Completed);
        EXPECT_EQ(test::readFile(big), "changed since");
        expectNoWorkLeft();
        ASSERT_EQ(summary.failedList.size(), 1);
        EXPECT_TRUE(summary.failedList[0].contains("The server sent 100000 of the "))
            << summary.failedList[0].toStdString();
        EXPECT_FALSE(summary.statusText().contains("failed: 0")) << summary.statusText().toStdString();
        if (mode == 1) {
            EXPECT_EQ(summary.restored, 0);
        } else {
            EXPECT_TRUE(summary.failedList[0].startsWith(big));
            EXPECT_EQ(summary.restored, paths.size() - 1);
        }
        ASSERT_TRUE(QDir(onDisk("backup")).removeRecursively());
    }
}
