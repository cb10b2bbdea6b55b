#include "ftp/FtpSteps.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTimer>

#include <gtest/gtest.h>

#include "FtpTestSupport.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "ftp/clsFtpClient.h"
#include "peers/LoopbackServers.h"
#include "platform/RunContext.h"
#include "support/ProgramFolderTest.h"
#include "support/Waits.h"

using ftp::clsFtpClient;
using ftp::FtpStep;
using ftp::FtpSteps;
using test::FtpPeer;

namespace
{

QByteArray noise(qint64 size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

class FtpStepsTest : public test::ProgramFolderTest
{
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        core::state().LoggingEnabled = true;
    }

    // Logs in to a peer started with `options`, with a time-out of `seconds`.
    void connect(const QStringList& options, int seconds, bool passive = true)
    {
        ASSERT_TRUE(peer.start(options)) << peer.error().toStdString();
        peer.configure(client);
        ASSERT_TRUE(client.setTimeOut(seconds));
        client.setPassiveMode(passive);
        ASSERT_TRUE(steps.run([this] { return client.Connect(); }).succeeded());
    }
    QString remote(const QString& name) const { return QDir(peer.root()).filePath(name); }
    QString local(const QString& name) const { return programFile(name); }

    FtpPeer peer;
    clsFtpClient client;
    FtpSteps steps {client};
};

} // namespace

TEST_F(FtpStepsTest, ATransferGoesOnForAsLongAsItsBytesKeepMoving)
{
    // About four seconds each way at the server's pace, against a time-out of one.
    const qint64 size = 1024 * 1024;
    connect({"--throttle", "262144"}, 1);
    const QByteArray bytes = noise(size);
    ASSERT_TRUE(test::writeFile(local("up.bin"), bytes));

    const FtpStep up = steps.run([&] { return client.UploadFile(local("up.bin"), "up.bin", 0); });
    EXPECT_TRUE(up.succeeded()) << up.reason().toStdString();
    EXPECT_EQ(test::readFile(remote("up.bin")), bytes);

    const FtpStep down = steps.run([&] { return client.DownloadFile("up.bin", local("down.bin"), true); });
    EXPECT_TRUE(down.succeeded()) << down.reason().toStdString();
    EXPECT_EQ(test::readFile(local("down.bin")), bytes);
}

TEST_F(FtpStepsTest, ATransferThatStopsMovingEndsAfterTheTimeOut)
{
    connect({"--stall-after", "100000"}, 1);
    // Far more than the system takes in at once, so the stall shows on this side too.
    const QByteArray bytes = noise(32 * 1024 * 1024);
    ASSERT_TRUE(test::writeFile(local("up.bin"), bytes));
    ASSERT_TRUE(test::writeFile(remote("down.bin"), bytes.left(1024 * 1024)));

    const FtpStep up = steps.run([&] { return client.UploadFile(local("up.bin"), "up.bin", 0); });
    EXPECT_EQ(up.ended, FtpStep::Ended::TimedOut);
    EXPECT_FALSE(up.reason().isEmpty());

    ASSERT_TRUE(steps.run([this] { return client.Connect(); }).succeeded());
    const FtpStep down = steps.run([&] { return client.DownloadFile("down.bin", local("down.bin"), true); });
    EXPECT_EQ(down.ended, FtpStep::Ended::TimedOut);
    EXPECT_FALSE(QFileInfo::exists(local("down.bin")));
}

TEST_F(FtpStepsTest, ARefusalNamesTheCommandItAnswered)
{
    // Without the "f" permission the server refuses every rename at its first word.
    connect({"--perm", "elradmw"}, test::EventLimitMs / 1000);
    ASSERT_TRUE(test::writeFile(remote("a.txt"), "a"));
    const FtpStep refused = steps.run([this] { return client.RenameFile("a.txt", "b.txt"); });
    EXPECT_EQ(refused.ended, FtpStep::Ended::Refused);
    EXPECT_EQ(refused.replyCode, 550);
    EXPECT_EQ(refused.refusedCommand, "RNFR");

    const FtpStep size = steps.run([this] { return client.GetFileSize("missing.txt"); });
    EXPECT_EQ(size.refusedCommand, "SIZE");
}

TEST_F(FtpStepsTest, AConnectThatRunsOutOfTimeLogsWhy)
{
    test::SilentServer silent;
    client.setFtpServer("127.0.0.1");
    ASSERT_TRUE(client.setRemotePort(silent.port()));
    // The caller's connect limit runs out long before the session's own time-out.
    QTimer limit;
    limit.setSingleShot(true);
    limit.setInterval(200);
    QObject::connect(&limit, &QTimer::timeout, [] { core::state().bConnectTimedOut = true; });
    const FtpStep step = steps.connect(platform::unwatchedRun(), [&limit](bool on) {
        if (on)
            limit.start();
        else
            limit.stop();
    });

    EXPECT_EQ(step.ended, FtpStep::Ended::TimedOut);
    EXPECT_EQ(silent.connections, 1 + FtpSteps::ConnectRetries);
    const QString log = QString::fromUtf8(test::readFile(core::RunLogPath()));
    EXPECT_TRUE(log.contains("FTP: Connection Failed. The server did not answer within 1 seconds."))
        << log.toStdString();
}

TEST(FtpStepsChatterTest, RepliesWithoutProgressDoNotKeepAStepAlive)
{
    // The server opens the data connection for a listing, sends nothing on it, and keeps answering
    // "150" on the control connection: talk, but no step forward.
    QTcpServer data;
    ASSERT_TRUE(data.listen(QHostAddress::LocalHost, 0));
    const quint16 port = data.serverPort();
    QTimer chatter;
    chatter.setInterval(200);
    int chatted = 0;
    // Far longer than the session's time-out and the steps' margin.
    constexpr int MostChatter = 150;
    QPointer<QTcpSocket> control;
    QObject::connect(&chatter, &QTimer::timeout, [&] {
        if (control && ++chatted < MostChatter)
            control->write("150 still listing\r\n");
    });
    test::ScriptedServer server {"220 ready\r\n", [&](QTcpSocket& socket, const QByteArray& line) {
                                     if (test::answerLoginAndPassive(socket, line, port))
                                         return;
                                     if (line.startsWith("LIST")) {
                                         control = &socket;
                                         chatter.start();
                                     }
                                 }};
    clsFtpClient client;
    FtpSteps steps {client};
    client.setFtpServer("127.0.0.1");
    ASSERT_TRUE(client.setRemotePort(server.port()));
    client.setUsername("user");
    ASSERT_TRUE(client.setTimeOut(1));
    client.setPassiveMode(true);
    ASSERT_TRUE(steps.run([&] { return client.Connect(); }).succeeded());

    const FtpStep listed = steps.run([&] { return client.EnumFiles(); });
    EXPECT_EQ(listed.ended, FtpStep::Ended::TimedOut) << listed.reason().toStdString();
    EXPECT_LT(chatted, MostChatter) << "the step ended only when the server fell silent";
}
