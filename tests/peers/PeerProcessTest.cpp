#include <QTcpSocket>

#include <gtest/gtest.h>

#include "peers/PeerProcess.h"

TEST(PeerProcessTest, AScriptServesOnThePortItPrintsUntilStopped)
{
    test::PeerProcess peer;
    ASSERT_TRUE(peer.start("echo_peer.py")) << peer.error().toStdString();
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", peer.port());
    ASSERT_TRUE(socket.waitForConnected(5000));
    socket.write("hello\r\n");
    ASSERT_TRUE(socket.waitForReadyRead(5000));
    EXPECT_EQ(socket.readAll(), QByteArray("hello\r\n"));
    socket.close();

    peer.stop();
    EXPECT_FALSE(peer.isRunning());
}

TEST(PeerProcessTest, AScriptThatGivesNoPortIsAFailureWithItsReason)
{
    test::PeerProcess peer;
    EXPECT_FALSE(peer.start("no-such-script.py", {}, 5000));
    EXPECT_FALSE(peer.error().isEmpty());
}
