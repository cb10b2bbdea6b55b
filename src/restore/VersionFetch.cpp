#include "restore/VersionFetch.h"

#include <QFile>
#include <QFileInfo>

#include "core/FileSystemHelpers.h"
#include "core/PathHelpers.h"
#include "core/RunLog.h"
#include "ftp/FtpDestinationFields.h"
#include "ftp/FtpSteps.h"
#include "ftp/clsFtpClient.h"
#include "platform/FileCopy.h"
#include "platform/RunContext.h"

namespace restore
{
namespace
{
constexpr int TimeOutSeconds = 60;
// The server's word for a file that is not there.
constexpr int NoSuchFile = 550;
} // namespace

VersionFetch::VersionFetch(const core::VersionLine& version, const core::BackupSetInfo& set, platform::RunContext& run)
    : m_version(version)
    , m_run(run)
{
    if (version.kind() != core::VersionLine::Kind::Ftp)
        return;
    m_client = std::make_unique<ftp::clsFtpClient>();
    m_steps = std::make_unique<ftp::FtpSteps>(*m_client);
    const int port = version.ftpPortNumber() > 0 ? version.ftpPortNumber() : 21;
    m_client->setFtpServer(version.ftpHost());
    (void)m_client->setRemotePort(port);
    m_client->setUsername(version.ftpUser());
    // In clear: the line keeps it scrambled only on disk.
    m_client->setPassword(version.ftpUser().isEmpty() ? QString() : version.ftpPassword());
    m_client->setPassiveMode(ftp::passiveForServer(set, version.ftpHost(), port));
    (void)m_client->setTimeOut(TimeOutSeconds);
}

VersionFetch::~VersionFetch()
{
    if (m_client)
        quit();
}

QString VersionFetch::sourceOf(const QString& name) const
{
    // On the server as the delivery wrote it, from the login folder.
    if (m_client)
        return ftp::joinFtpFolder(m_version.ftpFolder(), name);
    return core::JoinPath(m_version.folder(), name);
}

Fetched VersionFetch::fetch(const QString& source, const QString& workFile)
{
    core::MakePath(workFile);
    if (m_run.stopRequested()) {
        Fetched stopped;
        stopped.setOutcome(platform::Result::stop());
        return stopped;
    }
    return m_client ? download(source, workFile) : copy(source, workFile);
}

Fetched VersionFetch::copy(const QString& source, const QString& workFile)
{
    Fetched fetched;
    if (!core::FileExists(source)) {
        fetched.missing = true;
        return fetched;
    }
    core::LogEvent(QStringLiteral("Restoring File: ") + source + QStringLiteral(" > ") + workFile);
    fetched.setOutcome(platform::copyFileReplacing(source, workFile, m_run));
    return fetched;
}

void VersionFetch::quit()
{
    // A stopped restore does not wait for the server's goodbye.
    if (m_run.stopRequested())
        m_client->CloseControlConnection();
    else
        m_steps->quit();
}

platform::Result VersionFetch::connect()
{
    const ftp::FtpStep step = m_steps->connect(m_run, watchConnect);
    if (step.succeeded() || step.stopped())
        return step;
    // Trying again with the same login would only be refused again.
    if (step.ended == ftp::FtpStep::Ended::Refused)
        m_noServer
            = QStringLiteral("Restore failed: could not log in to %1: %2").arg(m_version.ftpHost(), step.reason());
    else
        m_noServer = QStringLiteral("Restore failed: could not connect to ") + m_version.ftpHost();
    return platform::Result::failure(m_noServer);
}

// A server that answers SIZE must have sent every byte of the file; one that does not answer it is
// taken at its word that the transfer is complete.
platform::Result VersionFetch::checkSize(const QString& remote, const QString& local)
{
    const ftp::FtpStep size = m_steps->run([&] { return m_client->GetFileSize(remote); });
    if (m_run.stopRequested()) {
        QFile::remove(local);
        return platform::Result::stop();
    }
    const qint64 received = QFileInfo(local).size();
    if (!size.succeeded() || m_client->RemoteFileSize() == received)
        return platform::Result::success();
    QFile::remove(local);
    const QString reason = QStringLiteral("The server sent %1 of the %2 bytes of %3.")
                               .arg(received)
                               .arg(m_client->RemoteFileSize())
                               .arg(remote);
    core::LogEvent(QStringLiteral("Download Failed - ") + reason);
    return platform::Result::failure(reason);
}

Fetched VersionFetch::download(const QString& remote, const QString& local)
{
    Fetched fetched;
    if (m_noServer.isEmpty() && m_client->FtpSessionState() == ftp::clsFtpClient::StateNotConnected) {
        const platform::Result connected = connect();
        if (!connected) {
            fetched.setOutcome(connected);
            fetched.noServer = !connected.stopped();
            return fetched;
        }
    }
    if (!m_noServer.isEmpty()) {
        fetched.setOutcome(platform::Result::failure(m_noServer));
        fetched.noServer = true;
        return fetched;
    }

    m_run.showStatus(QStringLiteral("FTP: Downloading ") + remote + QStringLiteral("..."));
    core::LogEvent(QStringLiteral("Downloading File: ") + remote + QStringLiteral(" > ") + local);
    const ftp::FtpStep step = m_steps->run([&] { return m_client->DownloadFile(remote, local, true); });
    if (step.succeeded()) {
        fetched.setOutcome(checkSize(remote, local));
        return fetched;
    }
    if (m_run.stopRequested()) {
        fetched.setOutcome(platform::Result::stop(step.reason()));
        return fetched;
    }
    core::LogEvent(QStringLiteral("Download Failed - Check Login"));
    fetched.missing = step.replyCode == NoSuchFile;
    fetched.setOutcome(platform::Result::failure(step.reason()));
    return fetched;
}

} // namespace restore
