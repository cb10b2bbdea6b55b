#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include "FtpTestSupport.h"
#include "ftp/clsFtpClient.h"
#include "platform/EventLoop.h"
#include "support/SmallDisk.h"
#include "support/Waits.h"

using namespace ftp;
using test::FtpPeer;
using test::runOperation;
using test::SessionLog;

namespace
{

QByteArray randomBytes(qint64 size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(QRandomGenerator::global()->bounded(256));
    return bytes;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class TransferTest : public ::testing::Test
{
protected:
    // Starts the peer with options and logs in.
    void connect(const QStringList& options = {}, bool passive = true)
    {
        ASSERT_TRUE(peer.start(options)) << peer.error().toStdString();
        peer.configure(client);
        client.setPassiveMode(passive);
        QObject::connect(&client, &clsFtpClient::OnDataTransferProgress,
                         [this](qint64 bytes) { progress.append(bytes); });
        ASSERT_EQ(runOperation(client, log, [&] { return client.Connect(); }), "OnConnect 0");
    }
    QString run(const std::function<bool()>& start)
    {
        progress.clear();
        return runOperation(client, log, start);
    }
    QString remote(const QString& name) const { return QDir(peer.root()).filePath(name); }
    QString local(const QString& name) const { return QDir(folder.path()).filePath(name); }
    // Names in the local folder, to catch temporary copies left behind.
    QStringList localNames() const { return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden); }

    FtpPeer peer;
    QTemporaryDir folder;
    clsFtpClient client;
    SessionLog log {client};
    QList<qint64> progress;
};

} // namespace

TEST_F(TransferTest, FilesTravelByteForByteBothWaysPassiveAndActive)
{
    for (const bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        if (!peer.port())
            connect({}, passive);
        client.setPassiveMode(passive);
        for (const qint64 size : {0, 1, 1460, 1461, 3 * 1024 * 1024 + 7}) {
            SCOPED_TRACE(size);
            const QString name = QStringLiteral("file %1 %2.bin").arg(size).arg(passive);
            const QByteArray bytes = randomBytes(size);
            writeFile(local(name), bytes);

            EXPECT_EQ(run([&] { return client.UploadFile(local(name), name, 0); }), "OnUploadFile 0");
            EXPECT_EQ(readFile(remote(name)), bytes);
            if (size > 0) {
                ASSERT_FALSE(progress.isEmpty());
                EXPECT_EQ(progress.last(), size);
                EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
            } else {
                EXPECT_TRUE(progress.isEmpty());
            }

            const QString back = local(name + ".back");
            EXPECT_EQ(run([&] { return client.DownloadFile(name, back, true); }), "OnDownloadFile 0");
            EXPECT_EQ(readFile(back), bytes);
            if (size > 0)
                EXPECT_EQ(progress.last(), size);
            EXPECT_FALSE(client.Busy());
        }
    }
    EXPECT_EQ(localNames().size(), 20) << localNames().join(", ").toStdString();
}

TEST_F(TransferTest, InterruptedTransfersResumeWhereTheyStopped)
{
    connect();
    const QByteArray bytes = randomBytes(5000);
    writeFile(remote("whole.bin"), bytes);
    writeFile(local("part.bin"), bytes.left(1000));

    EXPECT_EQ(run([&] { return client.DownloadFile("whole.bin", local("part.bin"), false); }), "OnDownloadFile 0");
    EXPECT_EQ(readFile(local("part.bin")), bytes);
    EXPECT_EQ(log.commands().filter("REST"), QStringList {"REST 1000"});
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_GT(progress.first(), 1000);

    writeFile(local("up.bin"), bytes);
    writeFile(remote("up.bin"), bytes.left(3000));
    EXPECT_EQ(run([&] { return client.UploadFile(local("up.bin"), "up.bin", 3000); }), "OnUploadFile 0");
    EXPECT_EQ(readFile(remote("up.bin")), bytes);
    EXPECT_EQ(progress.last(), 5000);

    // A local copy longer than the remote file cannot be resumed.
    writeFile(local("long.bin"), bytes + "more");
    EXPECT_EQ(run([&] { return client.DownloadFile("whole.bin", local("long.bin"), false); }), "OnDownloadFile 1");
    EXPECT_EQ(client.LastFtpError().Number, 16554);
    EXPECT_EQ(readFile(local("long.bin")), bytes + "more");
}

TEST_F(TransferTest, ARefusedDownloadLeavesNoFileAndTheEarlierOneWhole)
{
    connect();
    EXPECT_EQ(run([&] { return client.DownloadFile("missing.bin", local("new.bin"), true); }), "OnDownloadFile 1");
    EXPECT_EQ(client.LastFtpError().Number, 16550);
    writeFile(local("kept.bin"), "earlier");
    EXPECT_EQ(run([&] { return client.DownloadFile("missing.bin", local("kept.bin"), true); }), "OnDownloadFile 1");
    EXPECT_EQ(readFile(local("kept.bin")), QByteArray("earlier"));
    EXPECT_EQ(localNames(), QStringList {"kept.bin"});

    EXPECT_EQ(run([&] { return client.UploadFile(local("missing.bin"), "x.bin", 0); }), "OnUploadFile 1");
    EXPECT_EQ(client.LastFtpError().Number, 53);
    EXPECT_FALSE(QFileInfo::exists(remote("x.bin")));
}

TEST_F(TransferTest, ADownloadThatDoesNotFitFailsWithTheSystemsReasonAndKeepsTheEarlierFile)
{
    test::SmallDisk disk(folder.path(), "256k");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here: " << disk.error().toStdString();
    connect();
    writeFile(remote("big.bin"), randomBytes(1024 * 1024));
    writeFile(local("big.bin"), "earlier");

    EXPECT_EQ(run([&] { return client.DownloadFile("big.bin", local("big.bin"), true); }), "OnDownloadFile 1");
    EXPECT_EQ(client.LastFtpError().Description,
              QStringLiteral("Cannot write %1: %2").arg(local("big.bin"), qt_error_string(ENOSPC)));
    EXPECT_EQ(readFile(local("big.bin")), QByteArray("earlier"));
    EXPECT_EQ(localNames(), QStringList {"big.bin"});
}

TEST_F(TransferTest, ACutDataConnectionFailsTheTransferAndKeepsTheEarlierFile)
{
    for (const bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        FtpPeer cutting;
        ASSERT_TRUE(cutting.start({"--drop-after", "100000"})) << cutting.error().toStdString();
        clsFtpClient session;
        cutting.configure(session);
        session.setPassiveMode(passive);
        SessionLog events(session);
        ASSERT_EQ(runOperation(session, events, [&] { return session.Connect(); }), "OnConnect 0");

        const QByteArray bytes = randomBytes(1024 * 1024);
        writeFile(QDir(cutting.root()).filePath("big.bin"), bytes);
        writeFile(local("big.bin"), "earlier");
        EXPECT_EQ(
            runOperation(session, events, [&] { return session.DownloadFile("big.bin", local("big.bin"), true); }),
            "OnDownloadFile 1");
        EXPECT_EQ(readFile(local("big.bin")), QByteArray("earlier"));
        EXPECT_EQ(localNames(), QStringList {"big.bin"});

        writeFile(local("up.bin"), bytes);
        EXPECT_EQ(runOperation(session, events, [&] { return session.UploadFile(local("up.bin"), "up.bin", 0); }),
                  "OnUploadFile 1");
        EXPECT_FALSE(session.Busy());
        QFile::remove(local("up.bin"));
    }
}

TEST_F(TransferTest, AStalledTransferEndsWithATimeOutAndClosesEverything)
{
    connect({"--stall-after", "100000"});
    ASSERT_TRUE(client.setTimeOut(1));
    writeFile(remote("big.bin"), randomBytes(1024 * 1024));
    writeFile(local("big.bin"), "earlier");

    EXPECT_EQ(run([&] { return client.DownloadFile("big.bin", local("big.bin"), true); }), "OnDownloadFile 2");
    platform::waitWhile([] { return true; }, 1500);
    EXPECT_EQ(log.completions(), QStringList {"OnDownloadFile 2"});
    EXPECT_FALSE(client.Busy());
    EXPECT_EQ(client.FtpSessionState(), 1);
    EXPECT_EQ(client.LastFtpError().Number, 10060);
    EXPECT_EQ(readFile(local("big.bin")), QByteArray("earlier"));
    EXPECT_EQ(localNames(), QStringList {"big.bin"});
}

TEST_F(TransferTest, CancelLeavesNoTemporaryFile)
{
    connect({"--stall-after", "100000"});
    writeFile(remote("big.bin"), randomBytes(1024 * 1024));
    log.clear();
    ASSERT_TRUE(client.DownloadFile("big.bin", local("new.bin"), true));
    ASSERT_TRUE(platform::waitWhile([&] { return progress.isEmpty(); }, test::EventLimitMs));
    client.CancelAsyncMethod();
    EXPECT_EQ(log.completions(), QStringList {"OnDownloadFile 3"});
    EXPECT_TRUE(localNames().isEmpty()) << localNames().join(", ").toStdString();
}

TEST_F(TransferTest, PassiveTransfersIgnoreTheAddressTheServerNames)
{
    connect({"--masquerade", "127.0.0.2"});
    writeFile(remote("a.txt"), "masqueraded");
    EXPECT_EQ(run([&] { return client.DownloadFile("a.txt", local("a.txt"), true); }), "OnDownloadFile 0");
    EXPECT_TRUE(log.entries.filter("< 227").first().contains("127,0,0,2"));
    EXPECT_EQ(readFile(local("a.txt")), QByteArray("masqueraded"));
}

TEST_F(TransferTest, TheActiveListenerServesOnlyTheServer)
{
    connect({}, false);
    writeFile(remote("a.txt"), QByteArray(200000, 'a'));
    QTcpSocket stranger;
    bool strangerTried = false;
    QObject::connect(&client, &clsFtpClient::SessionProtocolMessage, [&](const QString& message, int type) {
        if (type != 0 || !message.startsWith("PORT "))
            return;
        const QStringList fields = message.mid(5).split(',');
        const quint16 port = static_cast<quint16>(fields[4].toInt() * 256 + fields[5].toInt());
        ASSERT_TRUE(stranger.bind(QHostAddress("127.0.0.2"), 0));
        stranger.connectToHost(QHostAddress::LocalHost, port);
        strangerTried = stranger.waitForConnected(test::EventLimitMs);
    });
    EXPECT_EQ(run([&] { return client.DownloadFile("a.txt", local("a.txt"), true); }), "OnDownloadFile 0");
    EXPECT_TRUE(strangerTried);
    EXPECT_EQ(readFile(local("a.txt")), QByteArray(200000, 'a'));
    EXPECT_EQ(stranger.bytesAvailable(), 0);
    EXPECT_TRUE(stranger.state() != QAbstractSocket::ConnectedState || !stranger.waitForReadyRead(200));
}

TEST_F(TransferTest, ListingsReadTheFolderInTheServersOrder)
{
    connect();
    QDir root(peer.root());
    ASSERT_TRUE(root.mkdir("a folder"));
    ASSERT_TRUE(root.mkdir("Ordner ä"));
    writeFile(remote("two words.txt"), "12345");
    writeFile(remote("Grüße.txt"), "");
    ASSERT_TRUE(QFile::link("a folder", remote("link to folder")));

    for (const bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        client.setPassiveMode(passive);
        EXPECT_EQ(run([&] { return client.EnumFiles(); }), "OnEnumFiles 0");
        ASSERT_TRUE(client.CurrentDirectoryFiles());
        QStringList names;
        QMap<QString, clsFtpFile> byName;
        for (const clsFtpFile& file : *client.CurrentDirectoryFiles()) {
            names.append(file.Filename);
            byName.insert(file.Filename, file);
        }
        QStringList sorted = names;
        sorted.sort();
        EXPECT_EQ(sorted, (QStringList {"Grüße.txt", "Ordner ä", "a folder", "link to folder", "two words.txt"}));
        // Entries keep the order of the listing's lines.
        qsizetype at = -1;
        for (const QString& name : names) {
            const qsizetype found = client.CurrentDirectoryListing().indexOf(name, at + 1);
            EXPECT_GT(found, at) << name.toStdString();
            at = found;
        }
        EXPECT_TRUE(byName["a folder"].IsDirectory);
        EXPECT_TRUE(byName["Ordner ä"].IsDirectory);
        EXPECT_FALSE(byName["link to folder"].IsDirectory);
        EXPECT_EQ(byName["two words.txt"].FileSize, 5);
        ASSERT_FALSE(progress.isEmpty());
    }
}

TEST_F(TransferTest, ActiveModeTakesTheNextPortForEachDataConnection)
{
    connect({}, false);
    QList<int> ports;
    QObject::connect(&client, &clsFtpClient::SessionProtocolMessage, [&](const QString& message, int type) {
        if (type == 0 && message.startsWith("PORT ")) {
            const QStringList fields = message.mid(5).split(',');
            EXPECT_EQ(fields.mid(0, 4).join('.'), QStringLiteral("127.0.0.1"));
            ports.append(fields[4].toInt() * 256 + fields[5].toInt());
        }
    });
    EXPECT_EQ(run([&] { return client.EnumFiles(); }), "OnEnumFiles 0");
    EXPECT_TRUE(client.CurrentDirectoryFiles());
    EXPECT_EQ(client.CurrentDirectoryFiles()->Count(), 0);
    EXPECT_EQ(run([&] { return client.EnumFiles(); }), "OnEnumFiles 0");
    ASSERT_EQ(ports.size(), 2);
    EXPECT_GE(ports[0], 20000);
    EXPECT_LE(ports[0], 40001);
    EXPECT_EQ(ports[1], ports[0] == 40001 ? 20000 : ports[0] + 1);
}

TEST(TransferOrderTest, ADownloadCompletesOnlyWithBothTheDataAndTheServersWord)
{
    // A server that confirms the transfer before it sends the data, or sends the data and never confirms.
    for (const bool confirmFirst : {true, false}) {
        SCOPED_TRACE(confirmFirst ? "226 before the data" : "data without 226");
        QTcpServer data;
        ASSERT_TRUE(data.listen(QHostAddress::LocalHost, 0));
        const quint16 port = data.serverPort();
        test::ScriptedServer control {"220 ready\r\n", [&](QTcpSocket& socket, const QByteArray& line) {
                                          if (test::answerLoginAndPassive(socket, line, port))
                                              return;
                                          if (line.startsWith("RETR"))
                                              socket.write(confirmFirst ? "150 go\r\n226 done\r\n" : "150 go\r\n");
                                      }};
        clsFtpClient client;
        client.setFtpServer("127.0.0.1");
        ASSERT_TRUE(client.setRemotePort(control.port()));
        client.setUsername("user");
        ASSERT_TRUE(client.setTimeOut(2));
        client.setPassiveMode(true);
        SessionLog log(client);
        ASSERT_EQ(runOperation(client, log, [&] { return client.Connect(); }), "OnConnect 0");

        QTemporaryDir folder;
        const QString target = QDir(folder.path()).filePath("a.bin");
        log.clear();
        ASSERT_TRUE(client.DownloadFile("a.bin", target, true));
        ASSERT_TRUE(platform::waitWhile([&] { return !data.hasPendingConnections(); }, test::EventLimitMs));
        QTcpSocket* connection = data.nextPendingConnection();
        platform::waitWhile([] { return true; }, 300);
        EXPECT_TRUE(log.completions().isEmpty()) << "nothing is complete before the data";
        connection->write("payload");
        connection->disconnectFromHost();
        ASSERT_TRUE(log.waitForCompletion());
        if (confirmFirst) {
            EXPECT_EQ(log.completions(), QStringList {"OnDownloadFile 0"});
            EXPECT_EQ(readFile(target), QByteArray("payload"));
        } else {
            EXPECT_EQ(log.completions(), QStringList {"OnDownloadFile 2"});
            EXPECT_FALSE(QFileInfo::exists(target));
        }
    }
}
