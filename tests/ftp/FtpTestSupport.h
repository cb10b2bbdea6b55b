#pragma once

#include <functional>
#include <memory>

#include <QByteArray>
#include <QPointer>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include "ftp/clsFtpClient.h"
#include "peers/PeerProcess.h"
#include "support/Waits.h"

namespace test
{

// The pyftpdlib peer serving a folder of its own for one test.
class FtpPeer
{
public:
    static QString user() { return QStringLiteral("user"); }
    static QString password() { return QStringLiteral("secret"); }

    // Options of ftp_peer.py besides the root: "--anonymous", "--long-banner", "--pieces".
    bool start(const QStringList& options = {});
    quint16 port() const { return m_process.port(); }
    QString root() const { return m_root.path(); }
    QString error() { return m_process.error() + m_process.errorOutput(); }
    // A session with the peer's address and the user's login, watched by a 5-second watchdog.
    void configure(ftp::clsFtpClient& client, const QString& user = FtpPeer::user()) const;

private:
    QTemporaryDir m_root;
    PeerProcess m_process;
};

// What a session raised, in order: "OnConnect 0", "state 4", "> USER user", "< 331 ...".
class SessionLog
{
public:
    explicit SessionLog(ftp::clsFtpClient& client);

    QStringList entries;
    QStringList completions() const;
    QStringList commands() const;
    QList<int> states() const;
    int count(const QString& entry) const { return static_cast<int>(entries.count(entry)); }
    // Pumps events until a completion event arrives, at most limitMs: by default longer than the
    // time-out FtpPeer::configure gives a session, so a silent peer ends the wait by that time-out.
    bool waitForCompletion(int limitMs = 2 * EventLimitMs);
    void clear() { entries.clear(); }
};

// Runs an operation on a connected session and waits for its completion; the completion entry.
QString runOperation(ftp::clsFtpClient& client, SessionLog& log, const std::function<bool()>& start);

// A server in the test itself, for peers no real server plays: silent, talking without line ends,
// or closing in the middle. The handler sees each line the client sends (without CR LF).
class ScriptedServer : public QObject
{
public:
    using LineHandler = std::function<void(QTcpSocket&, const QByteArray&)>;

    ScriptedServer(QByteArray greeting, LineHandler onLine = {});
    quint16 port() const { return m_server.serverPort(); }
    QStringList received;

private:
    QTcpServer m_server;
    QByteArray m_greeting;
    LineHandler m_onLine;
};

// Answers a scripted server's login and passive steps as a willing server does, with data
// connections to `dataPort`; false for any other line.
bool answerLoginAndPassive(QTcpSocket& socket, const QByteArray& line, quint16 dataPort);

} // namespace test
