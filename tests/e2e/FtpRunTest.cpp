#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "RunFixture.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "core/ScramblePassword.h"
#include "core/SetDocument.h"
#include "core/SetText.h"
#include "main_window/BackupSetList.h"
#include "peers/LoopbackServers.h"
#include "peers/PeerProcess.h"
#include "support/ZipFixtures.h"

using test::closedPort;
using test::SilentServer;

namespace
{
const QString User = "user";
const QString ServerPassword = "secret";
const QString RemoteFolder = "/backup";

class FtpRunTest : public test::RunFixture
{
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        ASSERT_TRUE(serverRoot.isValid());
        ASSERT_TRUE(QDir().mkpath(remote()));
    }

    bool startServer(const QStringList& options = {})
    {
        const bool started = peer.start(
            "ftp_peer.py",
            QStringList {"--root", serverRoot.path(), "--user", User, "--password", ServerPassword} + options);
        EXPECT_TRUE(started) << peer.error().toStdString();
        return started;
    }

    // The local path of the remote folder the destination names.
    QString remote() const { return serverRoot.path() + RemoteFolder; }

    // Destination `n` delivers to the peer.
    void toServer(core::BackupSetInfo& set, int n, quint16 port) const
    {
        core::DestinationInfo& dest = set.Dest[n];
        dest.Type = core::DestinationType::Ftp;
        dest.FTPHost = "127.0.0.1";
        dest.FTPPort = QString::number(port);
        dest.FTPUser = User;
        dest.FTPPass = ServerPassword;
        dest.FTPFolder = RemoteFolder;
        dest.FTPPassive = true;
    }

    // A set with one FTP destination on `port`.
    void makeFtpSet(int compression, bool timestamps, quint16 port,
                    const std::function<void(core::BackupSetInfo&)>& adjust = {})
    {
        makeSet({.compression = compression,
                 .timestamps = timestamps,
                 .destinations = 1,
                 .adjust = [&](core::BackupSetInfo& set) {
                     toServer(set, 1, port);
                     if (adjust)
                         adjust(set);
                 }});
    }

    // The files below a folder and their bytes.
    QMap<QString, QByteArray> tree(const QString& root) const
    {
        QMap<QString, QByteArray> files;
        for (const QString& file : test::filesBelow(root))
            files.insert(file, test::readFile(root + "/" + file));
        return files;
    }

    QString versionLineFor(const QString& kind, const QString& folder, qint64 bytes, int compression,
                           bool protect) const
    {
        const QString size = core::generalNumberText(double(bytes) / 1024.0);
        const QString archive = folder + "/Docs Backup.zip" + (protect ? ".bf" : "");
        const QString head = kind == "LAN" ? "LAN|" + folder + "|" + archive
                                           : QStringLiteral("FTP|%1|%2|127.0.0.1|%3|%4|%5")
                                                 .arg(User, core::ScramblePassword(ServerPassword))
                                                 .arg(peer.port())
                                                 .arg(folder, archive);
        return QStringLiteral("%1|%2|%3|%4|%5|%6")
            .arg(head, Now, size)
            .arg(compression)
            .arg(protect ? 1 : 0)
            .arg(Password);
    }

    // The same, deciphered when protected: each delivery protects its own copy, with its own salt.
    QMap<QString, QByteArray> plainTree(const QString& root, bool protect)
    {
        QMap<QString, QByteArray> files;
        for (const QString& file : test::filesBelow(root))
            files.insert(file, test::readFile(plainFile(root + "/" + file, protect)));
        return files;
    }

    qint64 bytesOf(const QMap<QString, QByteArray>& files) const
    {
        qint64 total = 0;
        for (const QByteArray& bytes : files)
            total += bytes.size();
        return total;
    }

    QTemporaryDir serverRoot;
    test::PeerProcess peer;
};

TEST_F(FtpRunTest, AFolderAndAServerReceiveTheSameVersionsAndKeepOnlyTheLastTwo)
{
    ASSERT_TRUE(startServer());
    for (const int compression : {0, 1, 2}) {
        for (const bool protect : {false, true}) {
            SCOPED_TRACE(QStringLiteral("compression %1, protected %2").arg(compression).arg(protect).toStdString());
            QDir(backup(1)).removeRecursively();
            QDir(remote()).removeRecursively();
            ASSERT_TRUE(QDir().mkpath(remote()));
            clock.set(QDateTime(QDate(2026, 12, 10), QTime(12, 0, 0)));
            makeSet({.compression = compression,
                     .protect = protect,
                     .timestamps = true,
                     .destinations = 2,
                     .rotation = 2,
                     .adjust = [&](core::BackupSetInfo& set) {
                         toServer(set, 2, peer.port());
                         set.DeleteBackups = 1;
                         set.KeepVersions = 2;
                     }});

            runAndClose();

            // Both received the same tree, byte for byte.
            const QMap<QString, QByteArray> local = tree(backup(1));
            ASSERT_FALSE(local.isEmpty());
            const bool perFileProtected = protect && compression != 1;
            if (perFileProtected)
                EXPECT_EQ(plainTree(remote(), true), plainTree(backup(1), true));
            else
                EXPECT_EQ(tree(remote()), local);
            EXPECT_TRUE(test::filesBelow(backup(1)).first().startsWith(Stamp + "/"));
            if (compression == 1) {
                EXPECT_TRUE(test::unzipTestsOk(
                    plainFile(remote() + "/" + Stamp + "/Docs_Backup.zip" + (protect ? ".bf" : ""), protect)));
            }
            EXPECT_EQ(saved("Status"), "Success");
            EXPECT_EQ(saved("LastFolder"), Stamp);
            EXPECT_EQ(
                savedSection("VERSIONS"),
                QStringList({versionLineFor("FTP", RemoteFolder + "/" + Stamp, bytesOf(local), compression, protect),
                             versionLineFor("LAN", backup(1) + "/" + Stamp, bytesOf(local), compression, protect)}));

            // Two more runs, an hour apart: the third leaves the two newest versions at each place.
            QStringList stamps {Stamp};
            for (const QString& stamp :
                 {QString("December 10, 2026 (13.00) Docs"), QString("December 10, 2026 (14.00) Docs")}) {
                clock.advanceSeconds(3600);
                loadSet();
                runAndClose();
                stamps << stamp;
            }
            const QStringList kept = {stamps.at(1), stamps.at(2)};
            EXPECT_EQ(QDir(backup(1)).entryList(QDir::Dirs | QDir::NoDotAndDotDot), kept);
            EXPECT_EQ(QDir(remote()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), kept);
            EXPECT_EQ(plainTree(backup(1) + "/" + stamps.at(1), perFileProtected),
                      plainTree(remote() + "/" + stamps.at(1), perFileProtected));
            const QStringList versions = savedSection("VERSIONS");
            ASSERT_EQ(versions.size(), 4);
            for (int i = 0; i < 4; ++i)
                EXPECT_TRUE(versions.at(i).contains("/" + stamps.at(2 - i / 2) + "|")) << versions.at(i).toStdString();
            EXPECT_EQ(saved("Status"), "Success");
        }
    }
}

TEST_F(FtpRunTest, ASecondArchiveReplacesTheFirstOnlyWhenItArrivesWhole)
{
    ASSERT_TRUE(startServer());
    makeFtpSet(1, false, peer.port());
    runAndClose();
    const QString archive = remote() + "/Docs_Backup.zip";
    ASSERT_TRUE(test::unzipTestsOk(archive));
    EXPECT_EQ(test::filesBelow(remote()), QStringList({"Docs_Backup.zip"}));
    EXPECT_EQ(savedSection("VERSIONS").size(), 1);
    EXPECT_EQ(saved("LastFolder"), "");

    // A second run replaces it with the files as they are now.
    ASSERT_TRUE(test::writeFile(source + "/Docs/a.txt", "alpha, second edition\n"));
    loadSet();
    runAndClose();
    EXPECT_EQ(saved("Status"), "Success");
    EXPECT_EQ(test::unzipEntry(archive, entryOf(source + "/Docs/a.txt")), "alpha, second edition\n");
    EXPECT_EQ(test::filesBelow(remote()), QStringList({"Docs_Backup.zip"}));
    const QByteArray whole = test::readFile(archive);

    // A third is cut off during its upload: the second stays whole and the run records the failure.
    ASSERT_TRUE(test::writeFile(source + "/Docs/a.txt", "alpha, third edition\n"));
    peer.stop();
    ASSERT_TRUE(startServer({"--drop-after", "20000"}));
    QString text = document();
    text.replace(QRegularExpression("FTPPort=\\d+"), "FTPPort=" + QString::number(peer.port()));
    ASSERT_TRUE(test::writeFile(core::setDocumentPath("Docs"), text.toUtf8()));
    loadSet();
    runAndClose();
    EXPECT_EQ(test::readFile(archive), whole);
    EXPECT_EQ(test::filesBelow(remote()), QStringList({"Docs_Backup.zip"}));
    EXPECT_TRUE(saved("Status").startsWith("FAILURE Could not send the archive to 127.0.0.1"))
        << saved("Status").toStdString();
    // The second version took the first one's line; the failed one adds none.
    EXPECT_EQ(savedSection("VERSIONS").size(), 1);
}

TEST_F(FtpRunTest, AServerThatCannotBeUsedFailsTheDestinationWithItsReason)
{
    ASSERT_TRUE(startServer());
    SilentServer silent;
    const quint16 closed = closedPort();
    struct Case
    {
        QString what;
        std::function<void(core::BackupSetInfo&)> adjust;
        QString reason;
        int connections;
    };
    const Case cases[] = {
        {"wrong password", [](core::BackupSetInfo& set) { set.Dest[1].FTPPass = "wrong"; },
         "FAILURE Could not log in to 127.0.0.1: 530", 0},
        {"closed port", [&](core::BackupSetInfo& set) { set.Dest[1].FTPPort = QString::number(closed); },
         "FAILURE Could not connect to 127.0.0.1: ", 0},
        {"silent server",
         [&](core::BackupSetInfo& set) { set.Dest[1].FTPPort = QString::number(silent.server.serverPort()); },
         "FAILURE Could not connect to 127.0.0.1", 4},
        {"refused folder", [](core::BackupSetInfo& set) { set.Dest[1].FTPFolder = "/missing"; },
         "FAILURE Could not enter the folder \"/missing\" on 127.0.0.1: 550", 0},
        {"bad port", [](core::BackupSetInfo& set) { set.Dest[1].FTPPort = "abc"; },
         "FAILURE The port \"abc\" of destination 1 is not a number from 1 to 65535.", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what.toStdString());
        silent.connections = 0;
        QFile::remove(core::RunLogPath());
        makeFtpSet(1, true, peer.port(), c.adjust);

        // The connect limit runs out in moments rather than thirty seconds.
        const bool silentServer = c.connections > 0;
        QPointer<engine::frmProcessing> window = run([silentServer](engine::frmProcessing* running, const QString&) {
            if (silentServer)
                running->timFTP->setInterval(1);
        });
        ASSERT_FALSE(window.isNull());
        EXPECT_TRUE(closeByCountdown(window));

        EXPECT_TRUE(saved("Status").startsWith(c.reason)) << saved("Status").toStdString();
        EXPECT_EQ(savedSection("VERSIONS"), QStringList());
        EXPECT_EQ(headline, "The backup could not be completed successfully.");
        EXPECT_EQ(silent.connections, c.connections);
        EXPECT_EQ(logLines().count("FTP: Connecting again to 127.0.0.1"), c.connections ? 3 : 0);
        EXPECT_EQ(test::filesBelow(remote()), QStringList());
    }
}

TEST_F(FtpRunTest, AFileThatCannotBeSentIsListedAndTheNextIsSent)
{
    ASSERT_TRUE(startServer());
    // A file where the run must make a folder: the one file below it cannot arrive.
    const QString sub = source + "/Docs/sub";
    ASSERT_TRUE(test::writeFile(remote() + "/" + entryOf(sub), "in the way"));
    makeFtpSet(0, false, peer.port());

    runAndClose();

    EXPECT_EQ(saved("Status"), "Success (incomplete: 1 file missing)");
    for (const QString& file : listed) {
        if (!file.startsWith(sub))
            EXPECT_EQ(test::readFile(remote() + "/" + entryOf(file)), contents.value(file)) << file.toStdString();
    }
    EXPECT_TRUE(finalStatus.contains("File: " + sub + "/b b.txt")) << finalStatus.toStdString();
    EXPECT_EQ(savedSection("VERSIONS").size(), 1);
}

TEST_F(FtpRunTest, AFileTheServerRefusesLeavesAVersionThatSaysItIsIncomplete)
{
    ASSERT_TRUE(startServer({"--refuse", "a.txt"}));
    const QString refused = source + "/Docs/a.txt";
    for (const int compression : {0, 2}) {
        SCOPED_TRACE(compression);
        QDir(remote()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(remote()));
        makeFtpSet(compression, false, peer.port());

        runAndClose();

        // The run window keeps its words and names the file; the set and its row tell the rest.
        const QString status = "Success (incomplete: 1 file missing)";
        EXPECT_EQ(saved("Status"), status);
        EXPECT_EQ(setRowCell(main_window::StatusColumn), status);
        EXPECT_TRUE(finalStatus.startsWith("Backup Successful")) << finalStatus.toStdString();
        EXPECT_TRUE(finalStatus.contains("552")) << finalStatus.toStdString();
        EXPECT_TRUE(finalStatus.contains("File: " + refused)) << finalStatus.toStdString();
        EXPECT_EQ(headline, "Please wait while processing the backup set...");
        QString missing;
        EXPECT_TRUE(logHasInOrder({"Could not send " + refused + "*", "Backup Complete: Success!",
                                   "The version is incomplete: 1 file missing", "Overall Status: Success"},
                                  &missing))
            << missing.toStdString();
        // What arrived is on record, and nothing of the refused file is left on the server.
        EXPECT_EQ(savedSection("VERSIONS").size(), 1);
        const QString ending = compression == 2 ? ".zip" : "";
        QStringList expected;
        for (const QString& file : listed) {
            if (file != refused)
                expected << entryOf(file) + ending;
        }
        expected.sort();
        EXPECT_EQ(test::filesBelow(remote()), expected);
    }
}

TEST_F(FtpRunTest, CancelDuringAConnectStopsWithoutTryingAgain)
{
    SilentServer silent;
    makeFtpSet(1, false, silent.server.serverPort());
    QPointer<engine::frmProcessing> window = run([](engine::frmProcessing* running, const QString& status) {
        running->timFTP->setInterval(10);
        if (status.startsWith("FTP: Connecting... (2)"))
            running->cmdClose->click();
    });
    ASSERT_FALSE(window.isNull() && window->isVisible());
    EXPECT_EQ(silent.connections, 1);
    EXPECT_EQ(logLines().count("FTP: Connecting again to 127.0.0.1"), 0);
    EXPECT_EQ(saved("Status"), "FAILURE (Destination1 FTP = CANCELLED)");
    EXPECT_EQ(savedSection("VERSIONS"), QStringList());
}

TEST_F(FtpRunTest, EachDestinationLogsInWithItsOwnUser)
{
    ASSERT_TRUE(startServer({"--anonymous"}));
    makeSet({.destinations = 2, .rotation = 2, .adjust = [&](core::BackupSetInfo& set) {
                 toServer(set, 1, peer.port());
                 toServer(set, 2, peer.port());
                 set.Dest[2].FTPUser = "";
                 set.Dest[2].FTPPass = "";
                 set.Dest[2].FTPFolder = "/anonymous";
             }});
    ASSERT_TRUE(QDir().mkpath(serverRoot.path() + "/anonymous"));
    runAndClose();
    EXPECT_EQ(saved("Status"), "Success");
    EXPECT_EQ(tree(serverRoot.path() + "/anonymous"), tree(remote()));
    const QStringList versions = savedSection("VERSIONS");
    ASSERT_EQ(versions.size(), 2);
    EXPECT_TRUE(versions.at(0).startsWith("FTP|||127.0.0.1|")) << versions.at(0).toStdString();
    EXPECT_TRUE(versions.at(1).startsWith("FTP|user|")) << versions.at(1).toStdString();
}

} // namespace
