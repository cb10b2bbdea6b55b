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
struct FtpStep;
} // namespace ftp

namespace engine
{

// Delivers one run of a set to one of its FTP destinations: each listed file mirrored below the
// destination's remote folder (or its time-stamp folder), or the single archive into it. Each file
// goes over a session of its own: connect (a connect that runs out of time is tried again, up to
// three more times), enter the remote folder, make and enter the mirror levels, send, QUIT. A file
// arrives under a temporary name and takes the place of the old copy only when the server holds it
// whole (by its answer to SIZE, where it gives one); a server that will not rename gets the file under
// its own name once it has shown that it keeps what it is sent. With time stamps, a delivery ends by
// removing the time-stamp folders that interrupted runs of the set left holding only unfinished files.
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
    // The set's version lines: a time-stamp folder one of them names is never taken for a leftover.
    QStringList versionLines;

private:
    struct Sent : platform::Result
    {
        qint64 bytes = 0;
        // The server said, through SIZE, that it holds every byte sent.
        bool confirmed = false;
    };

    platform::Result open();
    platform::Result openAt();
    platform::Result enterLevels(const QStringList& levels);
    Sent send(const QString& localPath, const QString& remoteName);
    Sent store(const QString& localPath, const QString& remoteName);
    ftp::FtpStep rename(const QString& from, const QString& to);
    void removeLeftovers(const core::BackupSetInfo& set, const QString& stamp);
    bool onlyPartials(const QString& folder, int depth, QStringList& files, QStringList& folders);
    void close();
    FolderDeliveryResult deliverEachFile(const core::BackupSetInfo& set);
    FolderDeliveryResult deliverArchive(const QString& archivePath);

    platform::RunContext& m_run;
    const core::DestinationInfo* m_dest = nullptr;
    QString m_host;
    int m_port = 21;
    QStringList m_stampLevels;
    // The size of the file being sent, for the progress text, and the bytes of it that have left.
    qint64 m_fileSize = 0;
    qint64 m_bytesSent = 0;
    bool m_uploading = false;
    // The server refused to rename a file it kept whole: the rest go under their own names at once.
    bool m_storeDirectly = false;
    std::unique_ptr<ftp::clsFtpClient> m_client;
    std::unique_ptr<ftp::FtpSteps> m_steps;
};

} // namespace engine
