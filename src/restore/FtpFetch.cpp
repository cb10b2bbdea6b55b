#include "restore/FtpFetch.h"

#include "core/RunLog.h"
#include "ftp/FtpDestinationFields.h"
#include "ftp/FtpSteps.h"
#include "ftp/clsFtpClient.h"
#include "platform/RunContext.h"

namespace restore
{
namespace
{
constexpr int TimeOutSeconds = 60;
// The server's word for a file that is not there.
constexpr int NoSuchFile = 550;
} // namespace

FtpFetch::FtpFetch(const core::VersionLine& version, const core::BackupSetInfo& set, platform::RunContext& run)
    : m_run(run)
    , m_host(version.ftpHost())
    , m_client(std::make_unique<ftp::clsFtpClient>())
    , m_steps(std::make_unique<ftp::FtpSteps>(*m_client))
{
    const int port = version.ftpPortNumber() > 0 ? version.ftpPortNumber() : 21;
    m_client->setFtpServer(m_host);
    (void)m_client->setRemotePort(port);
    m_client->setUsername(version.ftpUser());
    // In clear, whatever the version's protection: the line keeps it scrambled only on disk.
    m_client->setPassword(version.ftpUser().isEmpty() ? QString() : version.ftpPassword());
    m_client->setPassiveMode(ftp::passiveForServer(set, m_host, port));
    (void)m_client->setTimeOut(TimeOutSeconds);
}

FtpFetch::~FtpFetch()
{
    quit();
}

void FtpFetch::quit()
{
    // A stopped restore does not wait for the server's goodbye.
    if (m_run.stopRequested())
        m_client->CloseControlConnection();
    else
        m_steps->quit();
}

platform::Result FtpFetch::connect()
{
    const ftp::FtpStep step = m_steps->connect(m_run, watchConnect);
    if (step.succeeded() || step.stopped())
        return step;
    // Trying again with the same login would only be refused again.
    if (step.ended == ftp::FtpStep::Ended::Refused)
        m_noServer = QStringLiteral("Restore failed: could not log in to %1: %2").arg(m_host, step.reason());
    else
        m_noServer = QStringLiteral("Restore failed: could not connect to ") + m_host;
    return platform::Result::failure(m_noServer);
}

Fetched FtpFetch::download(const QString& remote, const QString& local)
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
        fetched.setOutcome(step);
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
