#include "ftp/clsFtpSocket.h"

#include <utility>

#include <sys/ioctl.h>
#include <sys/socket.h>

#include <linux/sockios.h>

#include <QHash>
#include <QHostAddress>
#include <QHostInfo>
#include <QTcpServer>
#include <QTcpSocket>

#include "ftp/SocketSupport.h"

namespace ftp
{

namespace
{

const int kWrongState = 40006;
const int kOverflow = 6;
const int kOutOfRange = 9;
const qint64 kReadBufferSize = 4 * 1024 * 1024;

// Connections a listener took in and announced, until a socket adopts them.
QHash<qintptr, QTcpSocket*>& acceptedConnections()
{
    static QHash<qintptr, QTcpSocket*> connections;
    return connections;
}

bool isDottedIPv4(const QString& text)
{
    QHostAddress address;
    return address.setAddress(text) && address.protocol() == QAbstractSocket::IPv4Protocol;
}

} // namespace

clsFtpSocket::clsFtpSocket(QObject* parent)
    : QObject(parent)
{ }

clsFtpSocket::~clsFtpSocket()
{
    Abort();
}

qintptr clsFtpSocket::SocketHandle() const
{
    if (m_socket)
        return m_socket->socketDescriptor();
    if (m_server)
        return m_server->socketDescriptor();
    return -1;
}

void clsFtpSocket::setRemoteHost(const QString& host)
{
    m_remoteHost = host;
    if (!host.isEmpty() && isDottedIPv4(host))
        m_remoteHostIP = host;
}

FtpResult clsFtpSocket::SendData(const QString& text)
{
    return SendData(text.toUtf8());
}

FtpResult clsFtpSocket::SendData(const QByteArray& data)
{
    const QString source = QStringLiteral("clsFtpSocket.SendData");
    if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState)
        return FtpResult::fail(
            kWrongState, QStringLiteral("Wrong protocol or connection state for the requested transaction or request."),
            source);
    if (data.isEmpty())
        return FtpResult::fail(kOutOfRange, QStringLiteral("Subscript out of range"), source);
    m_sending = true;
    if (m_socket->write(data) < 0) {
        // Reported from the event loop, as every other failure of the connection.
        QPointer<QTcpSocket> socket = m_socket;
        const int error = m_socket->error();
        QMetaObject::invokeMethod(
            this, [this, socket, error] { socketFailed(socket, error); }, Qt::QueuedConnection);
    }
    return FtpResult::success();
}

void clsFtpSocket::PeekData(QByteArray& data, qint64 maxLen)
{
    if (m_receiveBuffer.isEmpty())
        return;
    const qint64 count = maxLen > 0 && maxLen <= m_receiveBuffer.size() ? maxLen : m_receiveBuffer.size();
    data = m_receiveBuffer.left(count);
    m_bytesReceived = m_receiveBuffer.size();
}

void clsFtpSocket::GetData(QByteArray& data, qint64 maxLen)
{
    if (m_receiveBuffer.isEmpty())
        return;
    const qint64 count = maxLen > 0 && maxLen <= m_receiveBuffer.size() ? maxLen : m_receiveBuffer.size();
    if (count == m_receiveBuffer.size()) {
        // The common case of a transfer: hand the buffer over without copying it.
        data = std::exchange(m_receiveBuffer, QByteArray());
    } else {
        data = m_receiveBuffer.left(count);
        m_receiveBuffer.remove(0, count);
    }
    m_bytesReceived = m_receiveBuffer.size();
}

FtpResult clsFtpSocket::Bind(int localPort, const QString& localIP)
{
    const QString source = QStringLiteral("clsFtpSocket.Bind");
    if (!localIP.isEmpty())
        m_localIP = localIP;
    if (localPort > 0)
        m_localPort = localPort;
    if (m_localPort < 0 || m_localPort > 65535)
        return FtpResult::fail(kOverflow, QStringLiteral("Overflow"), source);
    if (!m_localIP.isEmpty() && !isDottedIPv4(m_localIP))
        return FtpResult::fail(WSAEINVAL, GetErrorDescription(WSAEINVAL), source);
    m_bound = true;
    return FtpResult::success();
}

FtpResult clsFtpSocket::Listen()
{
    const QString source = QStringLiteral("clsFtpSocket.Listen");
    if (!m_bound) {
        if (FtpResult bound = Bind(0, {}); !bound)
            return FtpResult::fail(bound.error().Number, bound.error().Description, source);
    }
    if (m_server) {
        m_server->close();
        m_server->deleteLater();
    }
    m_server = new QTcpServer(this);
    connect(m_server, &QTcpServer::newConnection, this, &clsFtpSocket::connectionArrived);
    const QHostAddress address = m_localIP.isEmpty() ? QHostAddress(QHostAddress::AnyIPv4) : QHostAddress(m_localIP);
    if (!m_server->listen(address, static_cast<quint16>(m_localPort))) {
        m_state = StateError;
        const int number = socketErrorNumber(m_server->serverError());
        return FtpResult::fail(number, GetErrorDescription(number), source);
    }
    m_localPort = m_server->serverPort();
    m_localIP = m_server->serverAddress().toString();
    m_state = StateListening;
    return FtpResult::success();
}

void clsFtpSocket::connectionArrived()
{
    QTcpServer* server = m_server;
    while (server && server == m_server && server->hasPendingConnections()) {
        QTcpSocket* socket = server->nextPendingConnection();
        // The listener may be closed from the handler; the connection must not go with it.
        socket->setParent(nullptr);
        const qintptr handle = socket->socketDescriptor();
        acceptedConnections().insert(handle, socket);
        emit OnConnectionRequest(handle);
        // A connection nobody adopted is dropped.
        if (QTcpSocket* left = acceptedConnections().take(handle)) {
            left->abort();
            left->deleteLater();
        }
    }
}

QString clsFtpSocket::RequestPeerIP(qintptr requestID)
{
    const QTcpSocket* socket = acceptedConnections().value(requestID);
    return socket ? socket->peerAddress().toString() : QString();
}

FtpResult clsFtpSocket::Accept(qintptr requestID)
{
    QTcpSocket* socket = acceptedConnections().take(requestID);
    if (!socket)
        return FtpResult::fail(WSAEINVAL, GetErrorDescription(WSAEINVAL), QStringLiteral("clsFtpSocket.Accept"));
    destroySocket();
    adopt(socket);
    m_localPort = socket->localPort();
    m_localIP = socket->localAddress().toString();
    m_localHostName = m_localIP;
    m_remotePort = socket->peerPort();
    m_remoteHostIP = socket->peerAddress().toString();
    m_remoteHost = m_remoteHostIP;
    m_state = StateConnected;
    // Bytes that came before the adoption were announced to nobody.
    if (socket->bytesAvailable() > 0) {
        QPointer<QTcpSocket> guard = socket;
        QMetaObject::invokeMethod(
            this, [this, guard] { readArrived(guard); }, Qt::QueuedConnection);
    }
    return FtpResult::success();
}

FtpResult clsFtpSocket::Connect(const QString& remoteHost, int remotePort)
{
    const QString source = QStringLiteral("clsFtpSocket.clsFtpSocket.Connect");
    if (!remoteHost.isEmpty())
        m_remoteHost = remoteHost;
    if (remotePort >= 0)
        m_remotePort = remotePort;
    if (m_remoteHost.isEmpty())
        return FtpResult::fail(WSAEADDRNOTAVAIL, GetErrorDescription(WSAEADDRNOTAVAIL), source);
    if (m_remotePort < 0 || m_remotePort > 65535)
        return FtpResult::fail(kOverflow, QStringLiteral("Overflow"), source);
    destroySocket();
    if (isDottedIPv4(m_remoteHost)) {
        connectTo(m_remoteHost);
        return FtpResult::success();
    }
    // The lookup runs beside the event loop and always ends, with an address or an error.
    m_state = StateResolvingHost;
    m_lookupId = QHostInfo::lookupHost(m_remoteHost, this, &clsFtpSocket::lookupDone);
    return FtpResult::success();
}

void clsFtpSocket::lookupDone(const QHostInfo& info)
{
    if (info.lookupId() != m_lookupId)
        return;
    m_lookupId = -1;
    if (info.error() != QHostInfo::NoError) {
        m_state = StateError;
        raiseError(info.error() == QHostInfo::HostNotFound ? WSAHOST_NOT_FOUND : WSANO_RECOVERY);
        return;
    }
    QString address;
    for (const QHostAddress& candidate : info.addresses()) {
        if (candidate.protocol() == QAbstractSocket::IPv4Protocol) {
            address = candidate.toString();
            break;
        }
    }
    if (address.isEmpty()) {
        m_state = StateError;
        raiseError(WSANO_DATA);
        return;
    }
    m_state = StateHostResolved;
    m_remoteHost = info.hostName();
    m_remoteHostIP = address;
    connectTo(address);
}

void clsFtpSocket::connectTo(const QString& address)
{
    auto* socket = new QTcpSocket(this);
    adopt(socket);
    m_state = StateConnecting;
    socket->connectToHost(QHostAddress(address), static_cast<quint16>(m_remotePort));
}

void clsFtpSocket::adopt(QTcpSocket* socket)
{
    m_socket = socket;
    socket->setParent(this);
    // Bounded, so a fast sender cannot fill the memory while the event loop is busy elsewhere.
    socket->setReadBufferSize(kReadBufferSize);
    QPointer<QTcpSocket> guard = socket;
    // Every notification is posted, so no event runs inside the member that caused it, and a
    // notification of a connection dropped since then finds its socket gone and does nothing.
    connect(
        socket, &QTcpSocket::connected, this, [this, guard] { connected(guard); }, Qt::QueuedConnection);
    connect(
        socket, &QTcpSocket::readyRead, this, [this, guard] { readArrived(guard); }, Qt::QueuedConnection);
    connect(
        socket, &QTcpSocket::bytesWritten, this, [this, guard](qint64 bytes) { written(guard, bytes); },
        Qt::QueuedConnection);
    connect(
        socket, &QTcpSocket::disconnected, this, [this, guard] { peerClosed(guard); }, Qt::QueuedConnection);
    connect(
        socket, &QTcpSocket::errorOccurred, this,
        [this, guard](QAbstractSocket::SocketError error) { socketFailed(guard, error); }, Qt::QueuedConnection);
}

void clsFtpSocket::takeLocalName()
{
    m_localPort = m_socket->localPort();
    m_localIP = m_socket->localAddress().toString();
    // No reverse lookup: it could block the thread on a silent name service.
    m_localHostName = m_localIP;
}

void clsFtpSocket::connected(QTcpSocket* socket)
{
    if (!socket || socket != m_socket)
        return;
    takeLocalName();
    m_remoteHostIP = socket->peerAddress().toString();
    m_state = StateConnected;
    emit OnConnect();
}

void clsFtpSocket::readArrived(QTcpSocket* socket)
{
    if (!socket || socket != m_socket)
        return;
    const QByteArray bytes = socket->readAll();
    if (bytes.isEmpty())
        return;
    m_bytesReceived += bytes.size();
    if (m_receiveBuffer.isEmpty())
        m_receiveBuffer = bytes;
    else
        m_receiveBuffer += bytes;
    emit OnDataArrival(m_receiveBuffer.size());
}

void clsFtpSocket::written(QTcpSocket* socket, qint64 bytes)
{
    if (!socket || socket != m_socket)
        return;
    const qint64 remaining = socket->bytesToWrite();
    if (remaining == 0 && m_shutdownWhenWritten) {
        m_shutdownWhenWritten = false;
        ::shutdown(static_cast<int>(socket->socketDescriptor()), SHUT_WR);
    }
    emit OnSendProgress(bytes, remaining);
    if (socket == m_socket && remaining == 0 && m_sending) {
        m_sending = false;
        emit OnSendComplete();
    }
}

void clsFtpSocket::peerClosed(QTcpSocket* socket)
{
    if (!socket || socket != m_socket)
        return;
    const QByteArray rest = socket->readAll();
    if (!rest.isEmpty()) {
        m_receiveBuffer += rest;
        emit OnDataArrival(m_receiveBuffer.size());
        if (socket != m_socket)
            return;
    }
    m_state = StateClosing;
    destroySocket();
    m_state = StateClosed;
    emit OnClose();
}

void clsFtpSocket::socketFailed(QTcpSocket* socket, int qtError)
{
    if (!socket || socket != m_socket)
        return;
    // Qt reports the peer's orderly close as an error too; the close notification handles it.
    if (qtError == QAbstractSocket::RemoteHostClosedError && socket->state() != QAbstractSocket::ConnectingState)
        return;
    m_state = StateError;
    destroySocket();
    raiseError(socketErrorNumber(static_cast<QAbstractSocket::SocketError>(qtError)));
}

void clsFtpSocket::raiseError(int number, const QString& source)
{
    emit OnError(number, GetErrorDescription(number), 0, source, {}, 0, false);
}

void clsFtpSocket::CloseSocket()
{
    if (m_socket && m_state == StateConnected) {
        // The connection ends when the close completes; OnClose follows from the event loop.
        m_state = StateClosing;
        m_socket->disconnectFromHost();
        return;
    }
    if (!m_socket && !m_server && m_lookupId < 0)
        return;
    if (m_state == StateClosing)
        return;
    destroySocket();
    m_state = StateClosed;
}

void clsFtpSocket::ShutdownSend()
{
    if (!m_socket || m_state != StateConnected)
        return;
    if (m_socket->bytesToWrite() > 0)
        m_shutdownWhenWritten = true;
    else
        ::shutdown(static_cast<int>(m_socket->socketDescriptor()), SHUT_WR);
}

qint64 clsFtpSocket::UnsentBytes() const
{
    if (!m_socket)
        return 0;
    int queued = 0;
    const qintptr handle = m_socket->socketDescriptor();
    if (handle < 0 || ::ioctl(static_cast<int>(handle), SIOCOUTQ, &queued) != 0)
        queued = 0;
    return m_socket->bytesToWrite() + queued;
}

void clsFtpSocket::destroySocket()
{
    if (m_lookupId >= 0) {
        QHostInfo::abortHostLookup(m_lookupId);
        m_lookupId = -1;
    }
    if (m_socket) {
        QTcpSocket* socket = m_socket;
        m_socket = nullptr;
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    if (m_server) {
        QTcpServer* server = m_server;
        m_server = nullptr;
        server->disconnect(this);
        server->close();
        server->deleteLater();
    }
    m_bound = false;
    m_shutdownWhenWritten = false;
}

void clsFtpSocket::Abort()
{
    destroySocket();
    m_state = StateClosed;
    m_receiveBuffer.clear();
    m_sending = false;
}

} // namespace ftp
