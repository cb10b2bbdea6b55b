#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace test
{

// A server script of this folder run with the system's Python on 127.0.0.1. The script binds port 0
// and prints the port it got as its first line; the process ends with this object.
class PeerProcess
{
public:
    PeerProcess() = default;
    ~PeerProcess();
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    // Starts `script` (a file name in tests/peers) with `arguments` and waits for its port. False, with
    // the reason in error(), when Python or the script cannot start or no port comes within the limit.
    bool start(const QString& script, const QStringList& arguments = {}, int limitMs = 15000);
    void stop();

    quint16 port() const { return m_port; }
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    QString error() const { return m_error; }
    // What the script wrote to standard error so far, for a failing test's message.
    QString errorOutput();

    // The interpreter that has Debian's server modules; another python3 earlier on the PATH may lack them.
    static QString python();
    static QString scriptPath(const QString& script);

private:
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
    QByteArray m_stderr;
};

} // namespace test
