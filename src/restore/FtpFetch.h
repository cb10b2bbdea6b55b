#pragma once

#include <functional>
#include <memory>

#include <QString>

#include "core/VersionLine.h"
#include "platform/Result.h"

namespace core
{
struct BackupSetInfo;
}

namespace ftp
{
class clsFtpClient;
class FtpSteps;
} // namespace ftp

namespace platform
{
class RunContext;
}

namespace restore
{

// How bringing one file of a version into the work folder ended.
struct Fetched : platform::Result
{
    // The version holds no such file: it is listed missing rather than failed.
    bool missing = false;
    // The version's server cannot be reached or refuses the login: nothing more can be fetched.
    bool noServer = false;
};

// The one FTP session that fetches the files of an FTP version. It logs in with the version's host,
// port, user and password at the first download and serves every later one over the same login,
// logging in again only when the server has dropped it. It is passive or active as the set's
// destination at the version's host and port is, passive when the set has none there. Remote paths are taken as the
// delivery wrote them, from the login folder. Every wait ends with the session's time-out or the run's stop; a stop
// closes the session.
class FtpFetch
{
public:
    FtpFetch(const core::VersionLine& version, const core::BackupSetInfo& set, platform::RunContext& run);
    ~FtpFetch();
    FtpFetch(const FtpFetch&) = delete;
    FtpFetch& operator=(const FtpFetch&) = delete;

    // Downloads `remote` to `local`. Only a download that completed leaves a file at `local`.
    Fetched download(const QString& remote, const QString& local);
    // Ends the session with QUIT, when there is one.
    void quit();

    // Starts (true) and ends (false) the window's connect limit around each connect attempt.
    std::function<void(bool on)> watchConnect;

private:
    platform::Result connect();

    platform::RunContext& m_run;
    QString m_host;
    std::unique_ptr<ftp::clsFtpClient> m_client;
    std::unique_ptr<ftp::FtpSteps> m_steps;
    // Why the server cannot serve the restore, once a connect has failed.
    QString m_noServer;
};

} // namespace restore
