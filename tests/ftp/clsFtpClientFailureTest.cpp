#include <gtest/gtest.h>

#include "FtpTestSupport.h"
#include "ftp/clsFtpClient.h"
#include "platform/EventLoop.h"
#include "support/Waits.h"

using namespace ftp;
using test::FtpPeer;
using test::ScriptedServer;
using test::SessionLog;

namespace
{

// Only a test of a silent server gives the session a short time-out: elsewhere a slow answer from a
// busy machine must not pass for silence.
void configure(clsFtpClient& client, quint16 port, int timeOutSeconds = test::EventLimitMs / 1000)
{
    client.setFtpServer(QStringLiteral("127.0.0.1"));
    ASSERT_TRUE(client.setRemotePort(port));
    client.setUsername(QStringLiteral("user"));
    client.setPassword(QStringLiteral("secret"));
    ASSERT_TRUE(client.setTimeOut(timeOutSeconds));
}

// Waits a little past the completion, so a second event or a late state would show.
void settle(int ms = 300)
{
    platform::waitWhile([] { return true; }, ms);
}

} // namespace

TEST(clsFtpClientFailureTest, ASilentServerEndsConnectWithATimeOutOnce)
{
    ScriptedServer silent {QByteArray()};
    clsFtpClient client;
    configure(client, silent.port(), 1);
    SessionLog log(client);

    ASSERT_TRUE(client.Connect());
    EXPECT_TRUE(client.Busy());
    ASSERT_TRUE(log.waitForCompletion());
    settle(1500);

    EXPECT_EQ(log.completions(), QStringList {"OnConnect 2"});
    EXPECT_FALSE(client.Busy());
    EXPECT_EQ(client.LastFtpError().Number, 10060);
    EXPECT_EQ(client.LastFtpError().Description, QStringLiteral("The server did not answer within 1 seconds."));
}

TEST(clsFtpClientFailureTest, ServersThatBreakTheDialogueEndTheOperationWithAnError)
{
    const QByteArray noLineEnds(70 * 1024, 'x');
    const struct
    {
        const char* name;
        QByteArray greeting;
        ScriptedServer::LineHandler onLine;
        int number;
        QString description;
    } cases[] = {
        {"never a line end",
         "220 " + noLineEnds,
         {},
         10040,
         QStringLiteral("The server sent a reply line longer than 65536 bytes.")},
        {"closes after USER", "220 ready\r\n",
         [](QTcpSocket& socket, const QByteArray&) { socket.disconnectFromHost(); }, 10057,
         QStringLiteral("The server closed the connection.")},
        {"greets with 120", "120 later\r\n", {}, 16120, QStringLiteral("Service ready in nnn minutes.")},
        {"asks for an account", "220 ready\r\n",
         [](QTcpSocket& socket, const QByteArray& line) {
             socket.write(line.startsWith("USER") ? "331 password\r\n" : "332 account\r\n");
         },
         16332, QStringLiteral("Need account for login.")},
        {"PWD without a quoted path", "220 ready\r\n",
         [](QTcpSocket& socket, const QByteArray& line) {
             socket.write(line.startsWith("USER") ? "230 in\r\n" : "257 /home\r\n");
         },
         16001, QStringLiteral("Cannot retrieve the current directory path. Unexpected server response.")},
        {"unknown code", "599 odd\r\n", {}, 16599, QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedServer server {c.greeting, c.onLine};
        clsFtpClient client;
        configure(client, server.port());
        SessionLog log(client);

        ASSERT_TRUE(client.Connect());
        ASSERT_TRUE(log.waitForCompletion());
        settle();
        EXPECT_EQ(log.completions(), QStringList {"OnConnect 1"});
        EXPECT_EQ(client.LastFtpError().Number, c.number);
        EXPECT_EQ(client.LastFtpError().Description, c.description);
        EXPECT_FALSE(client.Busy());
    }
}

TEST(clsFtpClientFailureTest, TheServerClosingDuringAnOperationEndsIt)
{
    ScriptedServer server {"220 ready\r\n", [](QTcpSocket& socket, const QByteArray& line) {
                               if (line.startsWith("USER"))
                                   socket.write("230 in\r\n");
                               else if (line.startsWith("PWD"))
                                   socket.write("257 \"/\"\r\n");
                               else
                                   socket.disconnectFromHost();
                           }};
    clsFtpClient client;
    configure(client, server.port());
    SessionLog log(client);
    ASSERT_TRUE(client.Connect());
    ASSERT_TRUE(log.waitForCompletion());
    ASSERT_EQ(log.completions(), QStringList {"OnConnect 0"});

    log.clear();
    ASSERT_TRUE(client.CreateDirectory("dir"));
    ASSERT_TRUE(log.waitForCompletion());
    settle();
    EXPECT_EQ(log.completions(), QStringList {"OnCreateDirectory 1"});
    EXPECT_EQ(client.LastFtpError().Description, QStringLiteral("The server closed the connection."));
    EXPECT_EQ(client.FtpSessionState(), 1);
    EXPECT_FALSE(client.Busy());
}

TEST(clsFtpClientFailureTest, ConnectStartsAfreshWhateverTheEarlierConnectionLeft)
{
    // The first server sends half a greeting and then nothing.
    ScriptedServer stuck {"220-half a gree"};
    FtpPeer peer;
    ASSERT_TRUE(peer.start()) << peer.error().toStdString();
    clsFtpClient client;
    configure(client, stuck.port());
    SessionLog log(client);
    ASSERT_TRUE(client.Connect());
    ASSERT_TRUE(platform::waitWhile([&] { return client.LastServerResponse().isEmpty(); }, test::EventLimitMs));

    ASSERT_TRUE(client.setRemotePort(peer.port()));
    ASSERT_TRUE(client.Connect());
    EXPECT_EQ(log.completions(), QStringList {"OnConnect 3"});
    ASSERT_TRUE(platform::waitWhile([&] { return log.completions().size() < 2; }, test::EventLimitMs));
    settle();
    EXPECT_EQ(log.completions(), (QStringList {"OnConnect 3", "OnConnect 0"}));
    EXPECT_EQ(log.commands().count("USER user"), 1);
    EXPECT_EQ(client.CurrentDirectory(), QStringLiteral("/"));
}

TEST(clsFtpClientFailureTest, TwoSessionsKeepTheirOwnWatchdogsWhenOneEnds)
{
    ScriptedServer silent {QByteArray()};
    auto first = std::make_unique<clsFtpClient>();
    clsFtpClient second;
    configure(*first, silent.port(), 1);
    configure(second, silent.port(), 1);
    SessionLog log(second);
    ASSERT_TRUE(first->Connect());
    ASSERT_TRUE(second.Connect());
    first.reset();

    ASSERT_TRUE(log.waitForCompletion());
    EXPECT_EQ(log.completions(), QStringList {"OnConnect 2"});
    EXPECT_FALSE(second.Busy());
}
