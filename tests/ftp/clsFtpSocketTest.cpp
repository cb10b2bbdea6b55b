#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include "ftp/clsFtpSocket.h"
#include "platform/EventLoop.h"
#include "support/Waits.h"

using ftp::clsFtpSocket;

namespace
{

// The socket's events in order, with the state each one found.
struct SocketLog
{
    explicit SocketLog(clsFtpSocket& socket)
    {
        auto add = [this, &socket](const QString& entry) {
            entries.append(QStringLiteral("%1 @%2").arg(entry).arg(socket.State()));
        };
        QObject::connect(&socket, &clsFtpSocket::OnConnect, [add] { add("connect"); });
        QObject::connect(&socket, &clsFtpSocket::OnClose, [add] { add("close"); });
        QObject::connect(&socket, &clsFtpSocket::OnDataArrival,
                         [add](qint64 total) { add(QStringLiteral("data %1").arg(total)); });
        QObject::connect(&socket, &clsFtpSocket::OnSendComplete, [add] { add("sent"); });
        QObject::connect(&socket, &clsFtpSocket::OnConnectionRequest, [add](qintptr) { add("request"); });
        QObject::connect(&socket, &clsFtpSocket::OnError, [add](int number, const QString& description) {
            add(QStringLiteral("error %1 %2").arg(number).arg(description));
        });
    }
    bool waitFor(const QString& prefix, int limitMs = test::EventLimitMs)
    {
        return platform::waitWhile(
            [&] {
                for (const QString& entry : entries) {
                    if (entry.startsWith(prefix))
                        return false;
                }
                return true;
            },
            limitMs);
    }
    QStringList entries;
};

class clsFtpSocketTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0)); }

    // Connects the socket to the test's server and returns the server's end.
    QTcpSocket* connectPeer()
    {
        EXPECT_TRUE(socket.Connect("127.0.0.1", server.serverPort()));
        EXPECT_EQ(socket.State(), clsFtpSocket::StateConnecting);
        if (!log.waitFor("connect")
            || (!server.hasPendingConnections() && !server.waitForNewConnection(test::EventLimitMs)))
            return nullptr;
        return server.nextPendingConnection();
    }

    QTcpServer server;
    clsFtpSocket socket;
    SocketLog log {socket};
};

} // namespace

TEST_F(clsFtpSocketTest, AConnectionCarriesBytesBothWaysAndEndsWithThePeersClose)
{
    QTcpSocket* peer = connectPeer();
    ASSERT_NE(peer, nullptr);
    EXPECT_EQ(log.entries, QStringList {"connect @7"});
    EXPECT_EQ(socket.LocalIP(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(socket.LocalHostName(), socket.LocalIP());

    ASSERT_TRUE(socket.SendData(QStringLiteral("abc\r\n")));
    ASSERT_TRUE(log.waitFor("sent"));
    ASSERT_TRUE(platform::waitWhile([&] { return peer->bytesAvailable() < 5; }, test::EventLimitMs));
    EXPECT_EQ(peer->readAll(), QByteArray("abc\r\n"));

    const QByteArray bytes("\x00\x80\xff"
                           "0123456789",
                           13);
    peer->write(bytes);
    ASSERT_TRUE(log.waitFor("data 13"));
    QByteArray taken = "untouched";
    socket.GetData(taken, 3);
    EXPECT_EQ(taken, bytes.left(3));
    EXPECT_EQ(socket.BytesReceived(), 10);
    socket.PeekData(taken);
    EXPECT_EQ(taken, bytes.mid(3));
    socket.GetData(taken, -1);
    EXPECT_EQ(taken, bytes.mid(3));
    socket.GetData(taken);
    EXPECT_EQ(taken, bytes.mid(3)) << "an empty buffer leaves the variable alone";

    // Data still queued at the close arrives before OnClose.
    log.entries.clear();
    peer->write("tail");
    peer->disconnectFromHost();
    ASSERT_TRUE(log.waitFor("close"));
    EXPECT_EQ(log.entries, (QStringList {"data 4 @7", "close @0"}));
    EXPECT_EQ(socket.SocketHandle(), -1);
}

TEST_F(clsFtpSocketTest, FailuresComeAsErrorsWithTheirNumbersAndStates)
{
    // Nothing to connect to.
    ftp::FtpResult noHost = socket.Connect();
    EXPECT_FALSE(noHost);
    EXPECT_EQ(noHost.error().Number, 10049);
    EXPECT_EQ(noHost.error().Description, QStringLiteral("Cannot assign requested address."));
    EXPECT_EQ(noHost.error().Source, QStringLiteral("clsFtpSocket.clsFtpSocket.Connect"));
    EXPECT_EQ(socket.State(), clsFtpSocket::StateClosed);

    // Nothing to send on.
    ftp::FtpResult notConnected = socket.SendData(QStringLiteral("x"));
    EXPECT_EQ(notConnected.error().Number, 40006);

    const quint16 closed = server.serverPort();
    server.close();
    ASSERT_TRUE(socket.Connect("127.0.0.1", closed));
    ASSERT_TRUE(log.waitFor("error"));
    EXPECT_EQ(log.entries, QStringList {"error 10061 Connection refused. @9"});
    EXPECT_EQ(socket.SocketHandle(), -1);

    log.entries.clear();
    ASSERT_TRUE(socket.Connect("no-such-host.invalid", closed));
    EXPECT_EQ(socket.State(), clsFtpSocket::StateResolvingHost);
    ASSERT_TRUE(log.waitFor("error"));
    EXPECT_EQ(log.entries, QStringList {"error 11001 Host not found. @9"});
}

TEST_F(clsFtpSocketTest, AHostNameIsLookedUpBeforeTheConnect)
{
    ASSERT_TRUE(socket.Connect("localhost", server.serverPort()));
    EXPECT_EQ(socket.State(), clsFtpSocket::StateResolvingHost);
    ASSERT_TRUE(log.waitFor("connect"));
    EXPECT_EQ(socket.RemoteHostIP(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(socket.State(), clsFtpSocket::StateConnected);
}

TEST_F(clsFtpSocketTest, ClosingOurSideEndsWithOnCloseAndAbortForgetsEverything)
{
    QTcpSocket* peer = connectPeer();
    ASSERT_NE(peer, nullptr);
    peer->write("unread");
    ASSERT_TRUE(log.waitFor("data"));

    log.entries.clear();
    socket.CloseSocket();
    EXPECT_EQ(socket.State(), clsFtpSocket::StateClosing);
    ASSERT_TRUE(log.waitFor("close"));
    EXPECT_EQ(socket.State(), clsFtpSocket::StateClosed);

    // Bytes of a closed connection stay readable until an abort.
    QByteArray left;
    socket.PeekData(left);
    EXPECT_EQ(left, QByteArray("unread"));
    socket.Abort();
    left.clear();
    socket.GetData(left);
    EXPECT_TRUE(left.isEmpty());
}

TEST_F(clsFtpSocketTest, AListenerHandsEachConnectionToTheSocketThatAcceptsIt)
{
    clsFtpSocket listener;
    clsFtpSocket accepted;
    SocketLog acceptedLog(accepted);
    ASSERT_TRUE(listener.Bind(0, "127.0.0.1"));
    ASSERT_TRUE(listener.Listen());
    EXPECT_EQ(listener.State(), clsFtpSocket::StateListening);
    ASSERT_GT(listener.LocalPort(), 0);
    QObject::connect(&listener, &clsFtpSocket::OnConnectionRequest, [&](qintptr request) {
        EXPECT_EQ(listener.State(), clsFtpSocket::StateListening);
        listener.CloseSocket();
        EXPECT_TRUE(accepted.Accept(request));
    });

    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(listener.LocalPort()));
    client.write("early");
    ASSERT_TRUE(
        platform::waitWhile([&] { return accepted.State() != clsFtpSocket::StateConnected; }, test::EventLimitMs));
    EXPECT_EQ(listener.State(), clsFtpSocket::StateClosed);
    EXPECT_EQ(accepted.RemoteHost(), accepted.RemoteHostIP());
    EXPECT_EQ(accepted.RemotePort(), client.localPort());
    // Bytes sent before the adoption are not lost.
    ASSERT_TRUE(acceptedLog.waitFor("data 5"));
    QByteArray data;
    accepted.GetData(data);
    EXPECT_EQ(data, QByteArray("early"));
}
