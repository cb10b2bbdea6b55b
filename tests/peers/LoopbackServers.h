#pragma once

#include <QTcpServer>

namespace test
{

// A port on 127.0.0.1 that nothing listens on: a connect to it is refused at once.
quint16 closedPort();

// A listening port that never answers: a client connects and waits for a greeting in vain.
class SilentServer
{
public:
    SilentServer();
    quint16 port() const { return server.serverPort(); }

    QTcpServer server;
    // Connections taken so far.
    int connections = 0;
};

} // namespace test
