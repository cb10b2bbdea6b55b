#include "peers/LoopbackServers.h"

#include <QTcpSocket>

namespace test
{

quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

SilentServer::SilentServer()
{
    server.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server, &QTcpServer::newConnection, [this] {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            ++connections;
            socket->setParent(&server);
        }
    });
}

} // namespace test
