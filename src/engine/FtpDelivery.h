#pragma once

#include <functional>
#include <memory>

#include <QString>
#include <QStringList>

#include "core/BackupSet.h"
#include "engine/FolderDelivery.h"

namespace ftp
{
class clsFtpClient;
class FtpSteps;
} // namespace ftp

namespace engine
{

// Delivers one run of a set to one of its FTP destinations: each listed file mirrored below the
// destination's remote folder (or its time-stamp folder), or the single archive into it. Each file
// goes over a session of its own: connect (a connect that runs out of time is tried again, up to
// three more times), enter the remote folder, make and enter the mirror levels, send, QUIT. A file
// arrives under a temporary name and takes the place of the old copy only when complete.
class FtpDelivery
{
public:
    explicit FtpDelivery(platform::RunContext& run = core::programRun());
    ~FtpDelivery();

    // Delivers to destination slot `destination` of `set` (see FolderDelivery::deliver). Sets the
    // set's RunDestType, RunFtpHost, RunFtpUser, RunFtpPassword, RunFtpFolder, RunFtpPort and
    // LastFolder for the version line; on failure also the program's strFailureReason.
    FolderDeliveryResult deliver(core::BackupSetInfo& set, int destination, const QString& timestampFolder,
                                 const QString& archivePath);

    // Packs and protects one source file as the set asks (see FolderDelivery).
    std::function<PreparedFile(const QString& source)> prepareFile;
    // Starts (true) and ends (false) the run window's connect limit, which raises the program's
    // bConnectTimedOut when it runs out.
    std::function<void(bool on)> watchConnect;

private:
    struct Sent : platform::Result
    {
        qint64 bytes = 0;
    };

    platform::Result open();
    platform::Result openAt();
    platform::Result enterLevels(const QStringList& levels);
    Sent send(const QString& localPath, const QString& remoteName);
    void close();
    FolderDeliveryResult deliverEachFile(const core::BackupSetInfo& set);
    FolderDeliveryResult deliverArchive(const QString& archivePath);

    platform::RunContext& m_run;
    const core::DestinationInfo* m_dest = nullptr;
    QString m_host;
    int m_port = 21;
    QStringList m_stampLevels;
    // The size of the file being sent, for the progress text.
    qint64 m_fileSize = 0;
    std::unique_ptr<ftp::clsFtpClient> m_client;
    std::unique_ptr<ftp::FtpSteps> m_steps;
};

} // namespace engine
