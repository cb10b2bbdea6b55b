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

// Brings the files of one version into the work folder: copies them from the version's folder, or
// downloads them from its FTP server. One FTP session serves the whole restore: it logs in with the
// version's host, port, user and password at the first download, and again only when the server
// has dropped it; it is passive or active as the set's destination at that host and port is,
// passive when the set has none there. A download is complete only when it holds as many bytes as
// the server says the file has (where it answers SIZE). Every wait ends once nothing has moved for the
// session's time-out, or with the run's stop; a stop closes the session.
class VersionFetch
{
public:
    VersionFetch(const core::VersionLine& version, const core::BackupSetInfo& set, platform::RunContext& run);
    ~VersionFetch();
    VersionFetch(const VersionFetch&) = delete;
    VersionFetch& operator=(const VersionFetch&) = delete;

    // Where `name` (the archive name, or a relative path with its suffixes) lies in the version.
    QString sourceOf(const QString& name) const;
    // Brings the file at `source` to `workFile`, making its folders; only a fetch that completed
    // leaves a file there.
    Fetched fetch(const QString& source, const QString& workFile);

    // Starts (true) and ends (false) the window's connect limit around each FTP connect attempt.
    std::function<void(bool on)> watchConnect;

private:
    Fetched copy(const QString& source, const QString& workFile);
    Fetched download(const QString& remote, const QString& local);
    platform::Result checkSize(const QString& remote, const QString& local);
    platform::Result connect();
    void quit();

    const core::VersionLine m_version;
    platform::RunContext& m_run;
    // FTP versions only.
    std::unique_ptr<ftp::clsFtpClient> m_client;
    std::unique_ptr<ftp::FtpSteps> m_steps;
    // Why the server cannot serve the restore, once a connect has failed.
    QString m_noServer;
};

} // namespace restore
