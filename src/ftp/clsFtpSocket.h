#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include "ftp/clsFtpError.h"

class QHostInfo;
class QTcpServer;
class QTcpSocket;

namespace ftp
{

// One non-blocking IPv4 TCP endpoint with socket-control style members: methods start work and return
// at once; connects, arriving data, incoming connections, closes and failures come as events from the
// event loop, never from inside the member that started them.
class clsFtpSocket : public QObject
{
    Q_OBJECT

public:
    // The numbers are fixed: callers compare with them.
    enum SocketState
    {
        StateClosed = 0,
        StateOpen = 1,
        StateListening = 2,
        StateConnectionPending = 3,
        StateResolvingHost = 4,
        StateHostResolved = 5,
        StateConnecting = 6,
        StateConnected = 7,
        StateClosing = 8,
        StateError = 9,
    };

    enum SocketProtocol
    {
        ProtocolTcp = 0,
        ProtocolUdp = 1,
    };

    explicit clsFtpSocket(QObject* parent = nullptr);
    ~clsFtpSocket() override;

    // Hands bytes to the connection. Fails with 40006 when no connection is open, with 9 when there is
    // nothing to send; a failing write is reported through OnError.
    FtpResult SendData(const QByteArray& data);
    // Text travels as UTF-8.
    FtpResult SendData(const QString& text);
    // The first maxLen buffered bytes (all when maxLen is not in 1..buffered), left in the buffer.
    void PeekData(QByteArray& data, qint64 maxLen = 0);
    FtpResult Listen();
    // As PeekData, but takes the bytes out of the buffer. An empty buffer leaves data unchanged.
    void GetData(QByteArray& data, qint64 maxLen = 0);
    FtpResult Connect(const QString& remoteHost = {}, int remotePort = -1);
    void CloseSocket();
    // Ends the sending side once every byte handed over is written, and keeps the connection open for
    // the peer's close: the bytes still on their way can be watched (UnsentBytes) until then.
    void ShutdownSend();
    // Bytes handed over that the peer has not acknowledged yet: those still buffered here and those
    // the system holds for the connection.
    qint64 UnsentBytes() const;
    FtpResult Bind(int localPort, const QString& localIP);
    // Takes over a connection that a listening socket announced through OnConnectionRequest.
    FtpResult Accept(qintptr requestID);
    // The peer address of an announced connection, so a handler can refuse a stranger before Accept.
    static QString RequestPeerIP(qintptr requestID);
    int State() const { return m_state; }
    qintptr SocketHandle() const;
    int RemotePort() const { return m_remotePort; }
    void setRemotePort(int port) { m_remotePort = port; }
    QString RemoteHostIP() const { return m_remoteHostIP; }
    QString RemoteHost() const { return m_remoteHost; }
    void setRemoteHost(const QString& host);
    // Streams only: nothing here sends datagrams.
    int Protocol() const { return ProtocolTcp; }
    int LocalPort() const { return m_localPort; }
    void setLocalPort(int port) { m_localPort = port; }
    QString LocalIP() const { return m_localIP; }
    QString LocalHostName() const { return m_localHostName; }
    qint64 BytesReceived() const { return m_bytesReceived; }

    // Drops connection, listener and lookup at once without an event and forgets the bytes buffered
    // either way, so nothing of this connection can reach a later one.
    void Abort();

signals:
    void OnClose();
    void OnConnect();
    void OnConnectionRequest(qintptr requestID);
    void OnDataArrival(qint64 bytesTotal);
    void OnError(int Number, const QString& Description, int Scode, const QString& Source, const QString& HelpFile,
                 int HelpContext, bool CancelDisplay);
    void OnSendComplete();
    void OnSendProgress(qint64 bytesSent, qint64 bytesRemaining);

private:
    void adopt(QTcpSocket* socket);
    void destroySocket();
    void raiseError(int number, const QString& source = {});
    void connectTo(const QString& address);
    void lookupDone(const QHostInfo& info);
    void readArrived(QTcpSocket* socket);
    void peerClosed(QTcpSocket* socket);
    void socketFailed(QTcpSocket* socket, int qtError);
    void written(QTcpSocket* socket, qint64 bytes);
    void connected(QTcpSocket* socket);
    void connectionArrived();
    void takeLocalName();

    QTcpSocket* m_socket = nullptr;
    QTcpServer* m_server = nullptr;
    int m_lookupId = -1;
    int m_state = StateClosed;
    qint64 m_bytesReceived = 0;
    QString m_localHostName;
    QString m_localIP;
    int m_localPort = 0;
    QString m_remoteHost;
    QString m_remoteHostIP;
    int m_remotePort = 0;
    QByteArray m_receiveBuffer;
    bool m_sending = false;
    bool m_bound = false;
    // ShutdownSend waits for the buffered bytes to be written.
    bool m_shutdownWhenWritten = false;
};

} // namespace ftp
