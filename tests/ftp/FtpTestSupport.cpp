#include "FtpTestSupport.h"

#include "platform/EventLoop.h"
#include "support/Waits.h"

namespace test
{

bool FtpPeer::start(const QStringList& options)
{
    if (!m_root.isValid())
        return false;
    return m_process.start(QStringLiteral("ftp_peer.py"),
                           QStringList {QStringLiteral("--root"), m_root.path(), QStringLiteral("--user"), user(),
                                        QStringLiteral("--password"), password()}
                               + options);
}

void FtpPeer::configure(ftp::clsFtpClient& client, const QString& user) const
{
    client.setFtpServer(QStringLiteral("127.0.0.1"));
    (void)client.setRemotePort(port());
    client.setUsername(user);
    client.setPassword(user.isEmpty() ? QString() : password());
    // A working peer answers well within this, however busy the machine.
    (void)client.setTimeOut(test::EventLimitMs / 1000);
}

SessionLog::SessionLog(ftp::clsFtpClient& client)
{
    using ftp::clsFtpClient;
    auto completion = [this](const char* name) {
        return
            [this, name](int result) { entries.append(QStringLiteral("%1 %2").arg(QLatin1String(name)).arg(result)); };
    };
    QObject::connect(&client, &clsFtpClient::OnConnect, completion("OnConnect"));
    QObject::connect(&client, &clsFtpClient::OnCreateDirectory, completion("OnCreateDirectory"));
    QObject::connect(&client, &clsFtpClient::OnDeleteFile, completion("OnDeleteFile"));
    QObject::connect(&client, &clsFtpClient::OnGetCurrentDirectory, completion("OnGetCurrentDirectory"));
    QObject::connect(&client, &clsFtpClient::OnSetCurrentDirectory, completion("OnSetCurrentDirectory"));
    QObject::connect(&client, &clsFtpClient::OnRemoveDirectory, completion("OnRemoveDirectory"));
    QObject::connect(&client, &clsFtpClient::OnRenameFile, completion("OnRenameFile"));
    QObject::connect(&client, &clsFtpClient::OnDownloadFile, completion("OnDownloadFile"));
    QObject::connect(&client, &clsFtpClient::OnUploadFile, completion("OnUploadFile"));
    QObject::connect(&client, &clsFtpClient::OnEnumFiles, completion("OnEnumFiles"));
    QObject::connect(&client, &clsFtpClient::OnQuitSession, completion("OnQuitSession"));
    QObject::connect(&client, &clsFtpClient::OnGetFileSize, completion("OnGetFileSize"));
    QObject::connect(&client, &clsFtpClient::OnStateChange,
                     [this](int state) { entries.append(QStringLiteral("state %1").arg(state)); });
    QObject::connect(&client, &clsFtpClient::SessionProtocolMessage, [this](const QString& message, int type) {
        entries.append((type == 0 ? QStringLiteral("> ") : QStringLiteral("< ")) + message);
    });
}

QStringList SessionLog::completions() const
{
    QStringList found;
    for (const QString& entry : entries) {
        if (entry.startsWith(QLatin1String("On")))
            found.append(entry);
    }
    return found;
}

QStringList SessionLog::commands() const
{
    QStringList found;
    for (const QString& entry : entries) {
        if (entry.startsWith(QLatin1String("> ")))
            found.append(entry.mid(2));
    }
    return found;
}

QList<int> SessionLog::states() const
{
    QList<int> found;
    for (const QString& entry : entries) {
        if (entry.startsWith(QLatin1String("state ")))
            found.append(entry.mid(6).toInt());
    }
    return found;
}

bool SessionLog::waitForCompletion(int limitMs)
{
    return platform::waitWhile([this] { return completions().isEmpty(); }, limitMs);
}

QString runOperation(ftp::clsFtpClient& client, SessionLog& log, const std::function<bool()>& start)
{
    log.clear();
    if (!start())
        return QStringLiteral("refused: %1 %2")
            .arg(client.LastFtpError().Number)
            .arg(client.LastFtpError().Description);
    if (!log.waitForCompletion())
        return QStringLiteral("no completion");
    return log.completions().constFirst();
}

ScriptedServer::ScriptedServer(QByteArray greeting, LineHandler onLine)
    : m_greeting(std::move(greeting))
    , m_onLine(std::move(onLine))
{
    m_server.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            if (!m_greeting.isEmpty())
                socket->write(m_greeting);
            QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                while (socket->canReadLine()) {
                    const QByteArray line = socket->readLine().chopped(2);
                    received.append(QString::fromUtf8(line));
                    if (m_onLine)
                        m_onLine(*socket, line);
                }
            });
        }
    });
}

bool answerLoginAndPassive(QTcpSocket& socket, const QByteArray& line, quint16 dataPort)
{
    if (line.startsWith("USER"))
        socket.write("230 in\r\n");
    else if (line.startsWith("PWD"))
        socket.write("257 \"/\"\r\n");
    else if (line.startsWith("TYPE"))
        socket.write("200 ok\r\n");
    else if (line.startsWith("PASV"))
        socket.write(
            QStringLiteral("227 Passive (127,0,0,1,%1,%2)\r\n").arg(dataPort / 256).arg(dataPort % 256).toLatin1());
    else
        return false;
    return true;
}

} // namespace test
