#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "RunFixture.h"
#include "core/ProgramState.h"
#include "core/SetDocument.h"
#include "peers/LoopbackServers.h"
#include "peers/PeerProcess.h"
#include "platform/EventLoop.h"
#include "restore/RestoreList.h"
#include "restore/WarningScript.h"
#include "restore/frmRestoreToNew.h"
#include "restore/frmRestoring.h"
#include "restore/frmSelectFiles.h"
#include "restore/frmVersions.h"

using platform::Form;
using restore::frmRestoring;
using Answer = test::WarningScript::Action;

using test::closedPort;
using test::SilentServer;

namespace
{
const QString User = "user";
const QString ServerPassword = "secret";
const QString Host = "127.0.0.1";
// Long enough for any restore of these sets; the wait ends as soon as the restore does.
constexpr int RestoreLimitMs = 90000;

// Passes control connections on to the peer and counts them; data connections go to the peer
// directly.
class CountingRelay
{
public:
    explicit CountingRelay(quint16 target)
    {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this, target] {
            while (QTcpSocket* client = server.nextPendingConnection()) {
                ++connections;
                client->setParent(&server);
                auto* upstream = new QTcpSocket(client);
                QObject::connect(client, &QTcpSocket::readyRead, upstream,
                                 [client, upstream] { upstream->write(client->readAll()); });
                QObject::connect(upstream, &QTcpSocket::readyRead, client,
                                 [client, upstream] { client->write(upstream->readAll()); });
                QObject::connect(upstream, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
                QObject::connect(client, &QTcpSocket::disconnected, upstream, &QTcpSocket::disconnectFromHost);
                upstream->connectToHost(QHostAddress::LocalHost, target);
            }
        });
    }
    quint16 port() const { return server.serverPort(); }
    QTcpServer server;
    int connections = 0;
};

// The paths that were added, removed or changed between two snapshots, for a readable failure.
QStringList changed(const QMap<QString, test::EntryState>& before, const QMap<QString, test::EntryState>& after)
{
    QStringList paths;
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (!after.contains(it.key()))
            paths << "removed " + it.key();
        else if (after.value(it.key()) != it.value())
            paths << "changed " + it.key();
    }
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (!before.contains(it.key()))
            paths << "added " + it.key();
    }
    return paths;
}

// Sets delivered by the real run to the FTP peer and restored through the chooser, the file
// selection and the restore window.
class FtpRestoreRoundTripTest : public test::RunFixture
{
protected:
    struct Delivery
    {
        int compression = 1;
        bool protect = false;
        bool timestamps = false;
        bool passive = true;
        // As the destination names it; without a leading "/" it is below the login folder.
        QString folder = QStringLiteral("/backup");
    };

    void SetUp() override
    {
        RunFixture::SetUp();
        ASSERT_TRUE(serverRoot.isValid());
    }

    bool startServer(const QStringList& options = {})
    {
        peer.stop();
        const bool started = peer.start(
            "ftp_peer.py",
            QStringList {"--root", serverRoot.path(), "--user", User, "--password", ServerPassword} + options);
        EXPECT_TRUE(started) << peer.error().toStdString();
        return started;
    }

    // Runs a set with one FTP destination on the peer and checks that it arrived.
    void deliver(const Delivery& delivery)
    {
        ASSERT_TRUE(QDir().mkpath(serverRoot.path() + "/" + delivery.folder));
        makeSet({.compression = delivery.compression,
                 .protect = delivery.protect,
                 .timestamps = delivery.timestamps,
                 .destinations = 1,
                 .adjust = [&](core::BackupSetInfo& set) {
                     core::DestinationInfo& dest = set.Dest[1];
                     dest.Type = core::DestinationType::Ftp;
                     dest.FTPHost = Host;
                     dest.FTPPort = QString::number(peer.port());
                     dest.FTPUser = User;
                     dest.FTPPass = ServerPassword;
                     dest.FTPFolder = delivery.folder;
                     dest.FTPPassive = delivery.passive;
                 }});
        runAndClose();
        ASSERT_EQ(saved("Status"), "Success");
        ASSERT_EQ(savedSection("VERSIONS").size(), 1);
        ASSERT_TRUE(savedSection("VERSIONS").first().startsWith("FTP|"));
    }

    // Points the set's destination and its version at another port, as when the server moved.
    void movePort(quint16 from, quint16 to)
    {
        QString text = document();
        text.replace(QStringLiteral("|%1|%2|").arg(Host).arg(from), QStringLiteral("|%1|%2|").arg(Host).arg(to));
        text.replace(QRegularExpression("FTPPort=\\d+"), "FTPPort=" + QString::number(to));
        ASSERT_TRUE(test::writeFile(core::setDocumentPath("Docs"), text.toUtf8()));
        loadSet();
    }

    // The program folder but what a restore may change: the log, the restore list the file
    // selection writes (and so the time of its folder), and tmp/, which must end empty.
    QMap<QString, test::EntryState> programFolder() const
    {
        QMap<QString, test::EntryState> entries = test::snapshot(home.path());
        entries.remove("status.log");
        entries.remove("tmp");
        const QString list = QDir(home.path()).relativeFilePath(restore::restoreListPath("Docs"));
        entries.remove(list);
        entries.remove(list.section('/', 0, -2));
        return entries;
    }

    QStringList workLeft() const
    {
        return QDir(programFile("tmp")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    // Picks the set's only version in the chooser, opened by the main window's Restore button,
    // sends it to its previous location ("") or below `newFolder`, ticks `ticked` in the file
    // selection and confirms: the restore window is loaded and about to start.
    QPointer<frmRestoring> startRestore(const QString& newFolder, const QStringList& ticked)
    {
        main->cmdRestore->click();
        restore::frmVersions* chooser = Form<restore::frmVersions>::loaded();
        EXPECT_NE(chooser, nullptr);
        if (!chooser || chooser->lvArchives->topLevelItemCount() != 1)
            return nullptr;
        EXPECT_EQ(chooser->lvArchives->topLevelItem(0)->text(0), "FTP");
        chooser->lvArchives->setCurrentItem(chooser->lvArchives->topLevelItem(0));
        if (newFolder.isEmpty()) {
            chooser->cmdContinue->click();
        } else {
            chooser->cmdRestoreToNewLocation->click();
            restore::frmRestoreToNew* newLocation = Form<restore::frmRestoreToNew>::loaded();
            EXPECT_NE(newLocation, nullptr);
            if (!newLocation)
                return nullptr;
            newLocation->txtnewFolder->setText(newFolder);
            newLocation->cmdOK->click();
        }
        restore::frmSelectFiles* files = Form<restore::frmSelectFiles>::loaded();
        EXPECT_NE(files, nullptr);
        if (!files)
            return nullptr;
        QStringList rows;
        for (int i = 0; i < files->List1->topLevelItemCount(); ++i) {
            QTreeWidgetItem* row = files->List1->topLevelItem(i);
            rows << row->text(0);
            row->setCheckState(0, ticked.contains(row->text(0)) ? Qt::Checked : Qt::Unchecked);
        }
        EXPECT_EQ(rows, listed) << "the files of the set's last run";
        files->cmdOK->click();
        QPointer<frmRestoring> window = Form<frmRestoring>::loaded();
        EXPECT_FALSE(window.isNull());
        return window;
    }

    // Waits for the restore to end and gives its final status; the window counts down to its close.
    QString finish(QPointer<frmRestoring> window)
    {
        if (!window)
            return QString();
        EXPECT_TRUE(platform::waitWhile([&] { return window && window->running(); }, RestoreLimitMs));
        if (!window)
            return QString();
        const QString status = window->lblStatus->toPlainText();
        EXPECT_TRUE(window->tmrClose->isActive()) << status.toStdString();
        for (int tick = 0; tick < 14 && window; ++tick)
            window->tmrClose_Timer();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(window.isNull());
        return status;
    }

    // The whole restore of every listed file, checking that it changed nothing but `targets` (a
    // folder relative to the program folder), left no work behind and took nothing from the server.
    QString restoreAll(const QString& newFolder, const QString& targets)
    {
        const QMap<QString, test::EntryState> before = programFolder();
        const QMap<QString, test::EntryState> server = test::snapshot(serverRoot.path());
        const QString status = finish(startRestore(newFolder, listed));
        EXPECT_EQ(changed(test::outside(before, targets), test::outside(programFolder(), targets)), QStringList());
        EXPECT_EQ(workLeft(), QStringList());
        EXPECT_EQ(changed(server, test::snapshot(serverRoot.path())), QStringList());
        return status;
    }

    void changeEveryListedFile()
    {
        for (const QString& file : std::as_const(listed))
            ASSERT_TRUE(test::writeFile(file, "changed since"));
    }

    QString sourceRelative() const { return QDir(home.path()).relativeFilePath(source); }

    QTemporaryDir serverRoot;
    test::PeerProcess peer;
};

struct RoundTrip
{
    const char* name;
    int compression;
    bool protect;
    bool timestamps;
    bool passive;
    const char* folder;
};

void PrintTo(const RoundTrip& roundTrip, std::ostream* out)
{
    *out << roundTrip.name;
}

class FtpRoundTrip : public FtpRestoreRoundTripTest, public testing::WithParamInterface<RoundTrip>
{ };

const RoundTrip roundTrips[] = {
    {"CopiesPassive", 0, false, false, true, "/backup"},
    {"ProtectedCopiesStampedActive", 0, true, true, false, "/Ablage f\u00fcr S\u00e4tze"},
    {"OneArchiveStampedActiveRelative", 1, false, true, false, "backup"},
    {"OneProtectedArchivePassive", 1, true, false, true, "/Ablage f\u00fcr S\u00e4tze"},
    {"ArchivePerFileStampedPassiveRelative", 2, false, true, true, "Sicherung \u00dcbung/s\u00e4tze"},
    {"ProtectedArchivePerFileActive", 2, true, false, false, "/backup"},
};

INSTANTIATE_TEST_SUITE_P(Deliveries, FtpRoundTrip, testing::ValuesIn(roundTrips),
                         [](const testing::TestParamInfo<RoundTrip>& info) { return std::string(info.param.name); });

} // namespace

TEST_P(FtpRoundTrip, RestoresByteForByteToThePreviousLocationAndANewFolder)
{
    const RoundTrip& c = GetParam();
    // The server takes data connections only the way the destination asks for them.
    ASSERT_TRUE(startServer({"--only", c.passive ? "passive" : "active"}));
    deliver({.compression = c.compression,
             .protect = c.protect,
             .timestamps = c.timestamps,
             .passive = c.passive,
             .folder = QString::fromUtf8(c.folder)});

    {
        SCOPED_TRACE("previous location");
        for (const QString& file : std::as_const(listed))
            ASSERT_TRUE(QFile::remove(file));
        ASSERT_TRUE(QDir(source + "/Docs").removeRecursively());
        const QString status = restoreAll(QString(), sourceRelative());
        EXPECT_TRUE(status.startsWith("Done!\nFiles restored: 7, skipped: 0, missing: 0, failed: 0."))
            << status.toStdString();
        expectListedFilesBelow(QString());
        ASSERT_TRUE(test::writeFile(excluded, "left out by the exclude mask"));
    }
    {
        SCOPED_TRACE("new folder");
        const QString target = programFile("restored h\u00e9re");
        const QString status = restoreAll(target, "restored h\u00e9re");
        EXPECT_TRUE(status.startsWith("Done!\nFiles restored: 7, skipped: 0, missing: 0, failed: 0."))
            << status.toStdString();
        expectListedFilesBelow(target);
    }
}

TEST_F(FtpRestoreRoundTripTest, AServerThatCannotBeReachedEndsTheRestoreAndPlacesNothing)
{
    struct Case
    {
        const char* name;
        int compression;
        bool silent;
    };
    const Case cases[] = {
        {"one archive, closed port", 1, false},
        {"copies, closed port", 0, false},
        {"archive per file, silent server", 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(startServer());
        deliver({.compression = c.compression});
        SilentServer silent;
        movePort(peer.port(), c.silent ? silent.server.serverPort() : closedPort());
        for (const QString& file : std::as_const(listed))
            ASSERT_TRUE(QFile::remove(file));
        QFile::remove(core::RunLogPath());

        const QMap<QString, test::EntryState> before = programFolder();
        QPointer<frmRestoring> window = startRestore(QString(), listed);
        ASSERT_FALSE(window.isNull());
        // The connect limit runs out in moments rather than thirty seconds an attempt.
        window->timFTP->setInterval(1);
        QObject::connect(window->lblStatus, &QPlainTextEdit::textChanged, window,
                         [w = window.data()] { w->timFTP->setInterval(1); });
        const QString status = finish(window);

        EXPECT_TRUE(status.contains("Restore failed: could not connect to " + Host)) << status.toStdString();
        EXPECT_FALSE(status.startsWith("Done!")) << status.toStdString();
        EXPECT_TRUE(logLines().contains("Restore failed: could not connect to " + Host))
            << logLines().join("\n").toStdString();
        EXPECT_EQ(changed(before, programFolder()), QStringList());
        EXPECT_EQ(workLeft(), QStringList());
        EXPECT_EQ(silent.connections, c.silent ? 4 : 0);
        for (const QString& file : std::as_const(listed))
            ASSERT_TRUE(test::writeFile(file, contents.value(file)));
    }
}

TEST_F(FtpRestoreRoundTripTest, ARefusedLoginIsReportedAndNotTriedAgain)
{
    ASSERT_TRUE(startServer());
    deliver({.compression = 1, .protect = true});
    const quint16 delivered = peer.port();
    // The server's password changed since the delivery.
    ASSERT_TRUE(startServer({"--password", "changed since"}));
    CountingRelay relay(peer.port());
    movePort(delivered, relay.port());
    changeEveryListedFile();

    const QMap<QString, test::EntryState> before = programFolder();
    const QString status = finish(startRestore(QString(), listed));

    EXPECT_EQ(relay.connections, 1);
    EXPECT_TRUE(status.contains(QRegularExpression("log ?in", QRegularExpression::CaseInsensitiveOption)))
        << status.toStdString();
    EXPECT_TRUE(status.contains("530")) << status.toStdString();
    EXPECT_FALSE(status.startsWith("Done!")) << status.toStdString();
    EXPECT_FALSE(log().contains(ServerPassword)) << "the password is never logged";
    EXPECT_EQ(changed(before, programFolder()), QStringList());
    EXPECT_EQ(workLeft(), QStringList());
}

TEST_F(FtpRestoreRoundTripTest, WhatTheServerNoLongerHoldsIsListedMissing)
{
    ASSERT_TRUE(startServer());
    struct Case
    {
        const char* name;
        int compression;
        // Removed from the server, below the destination's folder.
        QString removed;
        QString counts;
    };
    const QString big = source + "/Docs/big.bin";
    const Case cases[] = {
        {"one archive", 1, "Docs_Backup.zip", "Files restored: 0, skipped: 0, missing: 7, failed: 0."},
        {"archive per file", 2, entryOf(big) + ".zip", "Files restored: 6, skipped: 0, missing: 1, failed: 0."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(serverRoot.path() + "/backup").removeRecursively();
        deliver({.compression = c.compression});
        ASSERT_TRUE(QFile::remove(serverRoot.path() + "/backup/" + c.removed));
        for (const QString& file : std::as_const(listed))
            ASSERT_TRUE(QFile::remove(file));

        const QString status = restoreAll(QString(), sourceRelative());

        const QStringList lines = status.split('\n');
        EXPECT_EQ(lines.value(1), c.counts) << status.toStdString();
        const qsizetype heading = lines.indexOf("The following files could not be restored (file not found error):");
        EXPECT_GE(heading, 0) << status.toStdString();
        EXPECT_EQ(lines.value(heading + 1), "/backup/" + c.removed) << status.toStdString();
        for (const QString& file : std::as_const(listed)) {
            if (c.compression == 2 && file != big) {
                EXPECT_TRUE(test::holds(file, contents.value(file)));
            } else {
                EXPECT_FALSE(QFileInfo::exists(file)) << file.toStdString();
            }
        }
        for (const QString& file : std::as_const(listed))
            ASSERT_TRUE(test::writeFile(file, contents.value(file)));
    }
}

TEST_F(FtpRestoreRoundTripTest, ADownloadCutOffIsListedFailedAndLeavesTheTargetAlone)
{
    const QString big = source + "/Docs/big.bin";
    struct Case
    {
        const char* name;
        int compression;
        QString counts;
        // Restored besides: every listed file but the big one in the per-file mode, none otherwise.
        bool othersRestored;
    };
    const Case cases[] = {
        {"one archive", 1, "Files restored: 0, skipped: 0, missing: 0, failed: 7.", false},
        {"copies", 0, "Files restored: 6, skipped: 0, missing: 0, failed: 1.", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(startServer());
        QDir(serverRoot.path() + "/backup").removeRecursively();
        deliver({.compression = c.compression});
        const quint16 delivered = peer.port();
        // Only the big file, or the archive that holds it, is larger than this.
        ASSERT_TRUE(startServer({"--drop-after", "100000"}));
        movePort(delivered, peer.port());
        for (const QString& file : std::as_const(listed))
            ASSERT_TRUE(file == big ? test::writeFile(file, "kept as it was") : QFile::remove(file));

        const QString status = restoreAll(QString(), sourceRelative());

        const QStringList lines = status.split('\n');
        EXPECT_EQ(lines.value(1), c.counts) << status.toStdString();
        EXPECT_TRUE(lines.contains("The following files could not be restored:")) << status.toStdString();
        EXPECT_TRUE(status.contains("426")) << "the server's reason: " << status.toStdString();
        EXPECT_TRUE(test::holds(big, "kept as it was"));
        for (const QString& file : std::as_const(listed)) {
            if (file == big)
                continue;
            EXPECT_EQ(QFileInfo::exists(file), c.othersRestored) << file.toStdString();
            if (c.othersRestored) {
                EXPECT_TRUE(test::holds(file, contents.value(file)));
            }
        }
        for (const QString& file : std::as_const(listed))
            ASSERT_TRUE(test::writeFile(file, contents.value(file)));
    }
}

TEST_F(FtpRestoreRoundTripTest, CancelDuringADownloadStopsAndLeavesNoWork)
{
    ASSERT_TRUE(startServer());
    deliver({.compression = 1, .protect = true});
    const quint16 delivered = peer.port();
    // The download goes quiet part-way, so that Cancel finds it under way.
    ASSERT_TRUE(startServer({"--stall-after", "100000"}));
    movePort(delivered, peer.port());
    for (const QString& file : std::as_const(listed))
        ASSERT_TRUE(QFile::remove(file));
    QFile::remove(core::RunLogPath());

    const QMap<QString, test::EntryState> before = programFolder();
    const QMap<QString, test::EntryState> server = test::snapshot(serverRoot.path());
    QPointer<frmRestoring> window = startRestore(QString(), listed);
    ASSERT_FALSE(window.isNull());
    // Cancel a moment after the download began: the stalled server holds it open until then.
    bool cancelled = false;
    QTimer cancel;
    cancel.setSingleShot(true);
    cancel.setInterval(300);
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        if (window) {
            cancelled = true;
            window->cmdClose->click();
        }
    });
    QObject::connect(window->lblStatus, &QPlainTextEdit::textChanged, &cancel, [&] {
        if (window && window->lblStatus->toPlainText().startsWith("FTP: Downloading ") && !cancel.isActive()
            && !cancelled)
            cancel.start();
    });
    // Well within the session's time-out: the Cancel, not the time-out, must end the download.
    EXPECT_TRUE(platform::waitWhile([&] { return window && (window->running() || window->isVisible()); }, 20000));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_TRUE(cancelled) << "no download was seen under way";
    EXPECT_TRUE(logHasInOrder({"Downloading File: *"}));
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(workLeft(), QStringList());
    EXPECT_EQ(changed(before, programFolder()), QStringList());
    EXPECT_EQ(changed(server, test::snapshot(serverRoot.path())), QStringList());
    EXPECT_FALSE(logLines().contains("================Restore Complete=============="));
}

TEST_F(FtpRestoreRoundTripTest, TheOverwriteAnswersDecideAsForFolderVersions)
{
    ASSERT_TRUE(startServer());
    struct Case
    {
        const char* name;
        std::initializer_list<Answer> script;
        int prompts;
        // How many of the listed files, from the first, end as they were backed up.
        int replaced;
        QString head;
    };
    const Case cases[] = {
        {"yes to all", {Answer::YesToAll}, 1, 7, "Done!\nFiles restored: 7, skipped: 0, missing: 0, failed: 0."},
        {"yes, then no to all",
         {Answer::Yes, Answer::NoToAll},
         2,
         1,
         "Done!\nFiles restored: 1, skipped: 6, missing: 0, failed: 0."},
        {"no, then cancel",
         {Answer::No, Answer::Cancel},
         2,
         0,
         "Restore cancelled.\nFiles restored: 0, skipped: 1, missing: 0, failed: 0, not restored: 6."},
    };
    for (const int compression : {1, 2}) {
        for (const QString& file : std::as_const(listed))
            ASSERT_TRUE(test::writeFile(file, contents.value(file)));
        QDir(serverRoot.path() + "/backup").removeRecursively();
        deliver({.compression = compression, .protect = compression == 1});
        for (const Case& c : cases) {
            SCOPED_TRACE(QStringLiteral("compression %1, %2").arg(compression).arg(c.name).toStdString());
            changeEveryListedFile();
            test::WarningScript script(c.script);

            const QString status = restoreAll(QString(), sourceRelative());

            EXPECT_EQ(script.prompts, c.prompts);
            EXPECT_FALSE(script.ranOut);
            EXPECT_TRUE(status.startsWith(c.head)) << status.toStdString();
            for (int i = 0; i < listed.size(); ++i)
                EXPECT_TRUE(test::holds(listed[i], i < c.replaced ? contents.value(listed[i]) : "changed since"));
        }
    }
}
