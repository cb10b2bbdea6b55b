#include "engine/FtpDelivery.h"

#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "core/SetDocument.h"
#include "peers/PeerProcess.h"
#include "platform/MirrorPath.h"
#include "support/Outcome.h"
#include "support/ProgramFolderTest.h"
#include "support/RecordingRun.h"

namespace
{
using test::Outcome;

const QString RemoteFolder = "/backup";

// Deliveries to a pyftpdlib peer serving a folder of the test.
class FtpDeliveryTest : public test::ProgramFolderTest
{
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        core::state().LoggingEnabled = true;
        ASSERT_TRUE(serverRoot.isValid());
        ASSERT_TRUE(QDir().mkpath(remote()));
        source = programFile("source/a.txt");
        ASSERT_TRUE(test::writeFile(source, "the new copy"));
        archive = programFile("tmp/Docs_Backup.zip");
        ASSERT_TRUE(test::writeFile(archive, "the new copy"));
        writeList({source});

        set.ItemName = "Docs";
        set.DestCount = 1;
        core::DestinationInfo& dest = set.Dest[1];
        dest.Type = core::DestinationType::Ftp;
        dest.FTPHost = "127.0.0.1";
        dest.FTPUser = "user";
        dest.FTPPass = "secret";
        dest.FTPFolder = RemoteFolder;
        dest.FTPPassive = true;
    }

    bool startServer(const QStringList& options = {})
    {
        peer.stop();
        const bool started
            = peer.start("ftp_peer.py",
                         QStringList {"--root", serverRoot.path(), "--user", "user", "--password", "secret"} + options);
        EXPECT_TRUE(started) << peer.error().toStdString();
        set.Dest[1].FTPPort = QString::number(peer.port());
        return started;
    }

    void writeList(const QStringList& paths)
    {
        QByteArray list;
        for (const QString& path : paths)
            list += path.toUtf8() + "\r\n";
        ASSERT_TRUE(test::writeFile(core::setFileListPath("Docs"), list));
    }

    engine::FolderDeliveryResult deliver(core::CompressionMode mode, const QString& stamp = {})
    {
        engine::FtpDelivery delivery(run);
        delivery.versionLines = versionLines;
        set.Compression = mode;
        set.UseTimeStamp = !stamp.isEmpty();
        return delivery.deliver(set, 1, stamp, archive);
    }

    // Where a file sent in `mode` lies on the server's disk.
    QString delivered(core::CompressionMode mode, const QString& stamp = {}) const
    {
        const QString root = remote() + (stamp.isEmpty() ? QString() : "/" + stamp);
        return mode == core::CompressionMode::OneArchive ? root + "/Docs_Backup.zip"
                                                         : root + "/" + *platform::mirrorRelativePath(source);
    }
    QString remote() const { return serverRoot.path() + RemoteFolder; }
    QString log() const { return QString::fromUtf8(test::readFile(core::RunLogPath())); }
    // Every file below the served folder, by its path there.
    QStringList remoteFiles() const
    {
        QStringList found;
        QDirIterator it(serverRoot.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            found << it.next().mid(serverRoot.path().size());
        found.sort();
        return found;
    }

    QTemporaryDir serverRoot;
    test::PeerProcess peer;
    QString source;
    QString archive;
    QStringList versionLines;
    core::BackupSetInfo set;
    test::RecordingRun run;
};
} // namespace

TEST_F(FtpDeliveryTest, TheEarlierCopyGoesOnlyWhenTheNewOneCanTakeItsPlace)
{
    const struct
    {
        const char* name;
        QStringList options;
        bool arrives;
        // In the log, or in the failure's reason.
        QString said;
    } servers[] = {
        {"a server that renames", {}, true, {}},
        {"a server without rename permission",
         {"--perm", "elradmw"},
         true,
         "The server refused to rename Docs_Backup.zip.partial"},
        {"a server that keeps nothing it is sent", {"--uploads", "discarded"}, false, "could not take its name: 550"},
        {"a server that keeps empty files", {"--uploads", "emptied"}, false, "the server kept 0 of the 12 bytes"},
        // Nothing shows that the sent copy is whole, so the earlier one must not make way for it.
        {"a server that neither renames over a file nor answers SIZE",
         {"--deny", "RNTO", "--deny", "SIZE"},
         false,
         "could not take its name: 550"},
    };
    for (const auto& server : servers) {
        for (const core::CompressionMode mode : {core::CompressionMode::OneArchive, core::CompressionMode::EachFile}) {
            const bool one = mode == core::CompressionMode::OneArchive;
            SCOPED_TRACE(testing::Message() << server.name << (one ? ", one archive" : ", each file"));
            ASSERT_TRUE(startServer(server.options));
            QFile::remove(core::RunLogPath());
            ASSERT_TRUE(QDir(remote()).removeRecursively());
            const QString target = delivered(mode);
            ASSERT_TRUE(test::writeFile(target, "the earlier copy"));

            const engine::FolderDeliveryResult result = deliver(mode);

            const QByteArray newCopy = "the new copy";
            EXPECT_EQ(test::readFile(target), server.arrives ? newCopy : QByteArray("the earlier copy"));
            // Nothing but the file itself is left on the server.
            EXPECT_EQ(remoteFiles(), QStringList {target.mid(serverRoot.path().size())});
            const QString said = log() + result.reason() + result.copyErrors;
            if (server.arrives) {
                EXPECT_EQ(test::outcomeOf(result), Outcome::Succeeded) << result.reason().toStdString();
                EXPECT_EQ(result.deliveredFiles, 1);
                EXPECT_EQ(result.deliveredBytes, newCopy.size());
            } else if (one) {
                EXPECT_EQ(test::outcomeOf(result), Outcome::Failed);
            } else {
                EXPECT_EQ(result.failedFiles, QStringList {source});
            }
            if (!server.said.isEmpty()) {
                const QString expected = one ? server.said : QString(server.said).replace("Docs_Backup.zip", "a.txt");
                EXPECT_TRUE(said.contains(expected)) << said.toStdString();
            }
        }
    }
}

TEST_F(FtpDeliveryTest, TheNextDeliveryClearsWhatAnInterruptedOneLeftAndNothingElse)
{
    set.Accurancy = 3;
    set.TimeStampFormat = "mmmm dd, yyyy# (hh.mm)";
    const QString interrupted = "December 09, 2026 (12.00) Docs";
    const QString next = "December 10, 2026 (12.00) Docs";
    // A big file first, whose upload the server stops taking; the run is stopped
    // while it waits.
    const QString big = programFile("source/big.bin");
    QByteArray noise(4 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    ASSERT_TRUE(test::writeFile(big, noise));
    writeList({big, source});
    ASSERT_TRUE(startServer({"--stall-after", "100000"}));
    bool stop = false;
    run.stopWhen = [&stop] { return stop; };
    run.onStatus = [&stop](const QString& text) {
        if (text.startsWith("FTP: Uploading"))
            QTimer::singleShot(500, [&stop] { stop = true; });
    };
    ASSERT_EQ(test::outcomeOf(deliver(core::CompressionMode::EachFile, interrupted)), Outcome::Stopped);
    const QString partial = remote() + "/" + interrupted + "/" + *platform::mirrorRelativePath(big) + ".partial";
    ASSERT_TRUE(QFileInfo::exists(partial)) << remoteFiles().join('\n').toStdString();

    // What the next delivery must leave: a version's folder, a copy that arrived,
    // a link, the user's.
    const QStringList keep {"December 08, 2026 (12.00) Docs/home/a.txt.partial",
                            "December 07, 2026 (12.00) Docs/home/a.txt",
                            "December 06, 2026 (12.00) Other/a.txt.partial", "Photos/a.txt.partial"};
    for (const QString& file : keep)
        ASSERT_TRUE(test::writeFile(remote() + "/" + file, "x"));
    ASSERT_TRUE(QDir().mkpath(remote() + "/December 05, 2026 (12.00) Docs"));
    ASSERT_TRUE(test::writeFile(programFile("elsewhere/precious.txt"), "keep"));
    ASSERT_EQ(::symlink(QFile::encodeName(programFile("elsewhere")).constData(),
                        QFile::encodeName(remote() + "/December 05, 2026 (12.00) Docs/link").constData()),
              0);
    versionLines = {"FTP|user|x|127.0.0.1|21|/backup/December 08, 2026 (12.00) "
                    "Docs|/backup/December 08, 2026 "
                    "(12.00) Docs/x.zip|x|1|1|0|pw"};
    writeList({source});
    run.stopWhen = {};
    run.onStatus = {};
    ASSERT_TRUE(startServer());

    ASSERT_EQ(test::outcomeOf(deliver(core::CompressionMode::EachFile, next)), Outcome::Succeeded);

    EXPECT_FALSE(QFileInfo::exists(remote() + "/" + interrupted));
    EXPECT_TRUE(log().contains("FTP: Removing what an interrupted backup left: " + RemoteFolder + "/" + interrupted))
        << log().toStdString();
    for (const QString& file : keep)
        EXPECT_TRUE(QFileInfo::exists(remote() + "/" + file)) << file.toStdString();
    EXPECT_TRUE(QFileInfo(remote() + "/December 05, 2026 (12.00) Docs/link").isSymLink());
    EXPECT_EQ(test::readFile(programFile("elsewhere/precious.txt")), "keep");
    EXPECT_EQ(test::readFile(delivered(core::CompressionMode::EachFile, next)), "the new copy");
}
