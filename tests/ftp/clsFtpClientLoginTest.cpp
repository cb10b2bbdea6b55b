#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include "FtpTestSupport.h"
#include "ftp/clsFtpClient.h"
#include "peers/LoopbackServers.h"
#include "platform/EventLoop.h"
#include "support/Waits.h"

using namespace ftp;
using test::closedPort;
using test::FtpPeer;
using test::SessionLog;

TEST(clsFtpClientLoginTest, LoginsEndOnceWithTheirResultAndReason)
{
    enum Target
    {
        Peer,
        ClosedPort,
        UnknownHost
    };
    const struct
    {
        const char* name;
        QStringList options;
        Target target;
        QString user;
        QString password;
        int result;
        int error;
        QString usernameAfter;
    } cases[] = {
        {"right user", {}, Peer, "user", "secret", rsSuccess, 0, "user"},
        {"anonymous", {"--anonymous"}, Peer, "", "", rsSuccess, 0, "anonymous"},
        {"wrong password", {}, Peer, "user", "wrong", rsError, 16530, "user"},
        {"two-line greeting", {"--long-banner"}, Peer, "user", "secret", rsSuccess, 0, "user"},
        {"replies in pieces", {"--pieces", "--long-banner"}, Peer, "user", "secret", rsSuccess, 0, "user"},
        {"closed port", {}, ClosedPort, "user", "secret", rsError, 10061, "user"},
        {"unknown host", {}, UnknownHost, "user", "secret", rsError, 11001, "user"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FtpPeer peer;
        ASSERT_TRUE(peer.start(c.options)) << peer.error().toStdString();
        clsFtpClient client;
        peer.configure(client, c.user);
        client.setPassword(c.password);
        if (c.target == ClosedPort)
            ASSERT_TRUE(client.setRemotePort(closedPort()));
        if (c.target == UnknownHost)
            client.setFtpServer(QStringLiteral("no-such-host.invalid"));
        SessionLog log(client);

        ASSERT_TRUE(client.Connect());
        ASSERT_TRUE(log.waitForCompletion());
        // Late pieces or closes must not make anything act again.
        platform::waitWhile([] { return true; }, 200);

        EXPECT_EQ(log.completions(), QStringList {QStringLiteral("OnConnect %1").arg(c.result)});
        EXPECT_EQ(client.LastFtpError().Number, c.error) << client.LastFtpError().Description.toStdString();
        EXPECT_FALSE(client.Busy());
        EXPECT_EQ(client.Username(), c.usernameAfter);
        if (c.target != Peer)
            continue;
        if (c.options.contains("--pieces")) {
            // The replies really came in pieces, the last line cut inside its text.
            EXPECT_LE(client.LastServerResponse().size(), 7);
        }
        EXPECT_EQ(log.commands().count(QStringLiteral("USER ") + client.Username()), 1);
        if (c.result == rsSuccess) {
            EXPECT_EQ(log.states(), (QList<int> {2, 3, 4, 4, 5, 13, 0}));
            EXPECT_EQ(client.CurrentDirectory(), QStringLiteral("/"));
        } else {
            EXPECT_EQ(client.LastFtpError().Description, QStringLiteral("Not logged in."));
            // The refused login drops the connection.
            EXPECT_TRUE(platform::waitWhile([&] { return client.FtpSessionState() != 1; }, test::EventLimitMs));
        }
    }
}

TEST(clsFtpClientLoginTest, AnonymousLoginSendsTheFixedAddressAsPassword)
{
    FtpPeer peer;
    ASSERT_TRUE(peer.start({"--anonymous"})) << peer.error().toStdString();
    clsFtpClient client;
    peer.configure(client, QString());
    SessionLog log(client);
    ASSERT_TRUE(client.Connect());
    ASSERT_TRUE(log.waitForCompletion());
    EXPECT_EQ(log.completions(), QStringList {"OnConnect 0"});
    EXPECT_EQ(client.Password(), clsFtpClient::anonymousPassword());
    EXPECT_EQ(client.Password().size(), 20);
    EXPECT_TRUE(client.Password().contains(QLatin1Char('@')));
}

TEST(clsFtpClientLoginTest, TheTraceShowsTheDialogueButNeverThePassword)
{
    FtpPeer peer;
    ASSERT_TRUE(peer.start({"--long-banner"})) << peer.error().toStdString();
    clsFtpClient client;
    peer.configure(client);
    SessionLog log(client);
    ASSERT_TRUE(client.Connect());
    ASSERT_TRUE(log.waitForCompletion());

    EXPECT_EQ(log.commands(), (QStringList {"USER user", "PASS ********", "PWD "}));
    EXPECT_FALSE(log.entries.join('\n').contains(FtpPeer::password()));
    // The two-line greeting is traced as one reply, without its final line break.
    const QStringList replies = log.entries.filter(QRegularExpression("^< 220"));
    ASSERT_EQ(replies.size(), 1);
    EXPECT_TRUE(replies.first().startsWith("< 220-Quillback test server ready"));
    EXPECT_TRUE(replies.first().endsWith("\r\n220 "));
    // Reading the continuation text clears it.
    EXPECT_EQ(client.FtpServerMessage(),
              QStringLiteral("Quillback test server ready; this greeting is deliberately longer than 75 chars."));
    EXPECT_EQ(client.FtpServerMessage(), QString());
}

TEST(clsFtpClientLoginTest, ConnectRefusesAMissingServerAndBadLoginTexts)
{
    clsFtpClient client;
    SessionLog log(client);
    EXPECT_FALSE(client.Connect());
    EXPECT_EQ(client.LastFtpError().Number, 380);
    EXPECT_EQ(client.LastFtpError().Description,
              QStringLiteral("clsFtpClient.Connect failed: Invalid property value."));
    EXPECT_EQ(client.LastFtpError().Source, QStringLiteral("clsFtpClient.Connect"));

    client.setFtpServer(QStringLiteral("127.0.0.1"));
    client.setUsername(QStringLiteral("user\r\nDELE x"));
    EXPECT_FALSE(client.Connect());
    EXPECT_EQ(client.LastFtpError().Number, 5);
    EXPECT_TRUE(log.entries.isEmpty());
    EXPECT_FALSE(client.Busy());
}

TEST(clsFtpClientLoginTest, PropertiesRefuseValuesOutsideTheirRangeAndKeepTheOldOne)
{
    clsFtpClient client;
    EXPECT_EQ(client.RemotePort(), 21);
    EXPECT_EQ(client.SendBufferLenght(), 1460);
    EXPECT_EQ(client.TimeOut(), 60);
    EXPECT_EQ(client.TransferMode(), 1);
    EXPECT_EQ(client.FtpSessionState(), 1);

    const struct
    {
        const char* property;
        std::function<FtpResult(int)> set;
        std::function<int()> get;
        int below, low, high, above;
    } cases[] = {
        {"RemotePort", [&](int v) { return client.setRemotePort(v); }, [&] { return client.RemotePort(); }, 0, 1, 65535,
         65536},
        {"SendBufferLenght", [&](int v) { return client.setSendBufferLenght(v); },
         [&] { return client.SendBufferLenght(); }, 511, 512, 8192, 8193},
        {"TimeOut", [&](int v) { return client.setTimeOut(v); }, [&] { return client.TimeOut(); }, 0, 1, 32767, 32768},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.property);
        EXPECT_TRUE(c.set(c.low));
        for (int bad : {c.below, c.above}) {
            const FtpResult refused = c.set(bad);
            EXPECT_FALSE(refused);
            EXPECT_EQ(refused.error().Number, 380);
            EXPECT_EQ(refused.error().Description, QStringLiteral("Invalid property value."));
            EXPECT_EQ(refused.error().Source, QStringLiteral("clsFtpClient.") + c.property);
            EXPECT_EQ(c.get(), c.low);
        }
        EXPECT_TRUE(c.set(c.high));
        EXPECT_EQ(c.get(), c.high);
    }
}
