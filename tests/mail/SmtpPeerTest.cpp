#include "mail/SmtpPeerTest.h"

#include <QJsonDocument>

#include "peers/LoopbackServers.h"

namespace test
{

void SmtpPeerTest::startPeer(const QStringList& arguments)
{
    ASSERT_TRUE(peer.start(QStringLiteral("smtp_peer.py"), QStringList {"--out", received.path()} + arguments))
        << peer.error().toStdString();
}

void SmtpPeerTest::startScriptedPeer(const QString& mode)
{
    ASSERT_TRUE(peer.start(QStringLiteral("scripted_smtp_peer.py"), {"--mode", mode})) << peer.error().toStdString();
}

quint16 SmtpPeerTest::closedPort()
{
    return test::closedPort();
}

QByteArray SmtpPeerTest::message(int n) const
{
    return readFile(received.filePath(QStringLiteral("message-%1.eml").arg(n)));
}

QJsonObject SmtpPeerTest::envelope(int n) const
{
    return QJsonDocument::fromJson(readFile(received.filePath(QStringLiteral("message-%1.json").arg(n)))).object();
}

QJsonObject SmtpPeerTest::parsedMessage(int n) const
{
    return QJsonDocument::fromJson(readFile(received.filePath(QStringLiteral("message-%1.parts.json").arg(n))))
        .object();
}

QByteArray SmtpPeerTest::makeFile(const QString& name, qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = 2463534242u + quint32(size);
    for (qsizetype i = 0; i < size; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        bytes[i] = char(state);
    }
    EXPECT_TRUE(writeFile(programFile(name), bytes));
    return bytes;
}

} // namespace test
