#include "peers/PeerProcess.h"

#include <QDeadlineTimer>
#include <QDir>

namespace test
{

PeerProcess::~PeerProcess()
{
    stop();
}

QString PeerProcess::python()
{
    return QStringLiteral("/usr/bin/python3");
}

QString PeerProcess::scriptPath(const QString& script)
{
    return QDir(QStringLiteral(QUILLBACK_PEERS_DIR)).filePath(script);
}

bool PeerProcess::start(const QString& script, const QStringList& arguments, int limitMs)
{
    stop();
    m_error.clear();
    m_stderr.clear();
    m_process.setProgram(python());
    m_process.setArguments(QStringList {QStringLiteral("-u"), scriptPath(script)} + arguments);
    m_process.start();
    if (!m_process.waitForStarted(limitMs)) {
        m_error = QStringLiteral("%1 did not start: %2").arg(python(), m_process.errorString());
        return false;
    }
    QDeadlineTimer deadline(limitMs);
    QByteArray line;
    while (!m_process.canReadLine()) {
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning) {
            m_error = QStringLiteral("%1 gave no port: %2").arg(script, errorOutput());
            stop();
            return false;
        }
        m_process.waitForReadyRead(100);
    }
    line = m_process.readLine().trimmed();
    bool ok = false;
    const uint port = line.toUInt(&ok);
    if (!ok || port == 0 || port > 65535) {
        m_error = QStringLiteral("%1 printed \"%2\" instead of a port: %3")
                      .arg(script, QString::fromUtf8(line), errorOutput());
        stop();
        return false;
    }
    m_port = static_cast<quint16>(port);
    return true;
}

void PeerProcess::stop()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
    m_port = 0;
}

QString PeerProcess::errorOutput()
{
    m_stderr += m_process.readAllStandardError();
    return QString::fromUtf8(m_stderr);
}

} // namespace test
