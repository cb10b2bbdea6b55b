#pragma once

#include <memory>

#include <QString>
#include <QStringList>

#include "core/BackupSet.h"
#include "core/VersionLine.h"

namespace ftp
{
class clsFtpClient;
class FtpSteps;
} // namespace ftp

namespace engine
{

// The set loader's pruning of the loaded set (CurrentSet): deletes, oldest first, the versions beyond
// the newest `iKeep` at their folders and FTP servers and removes their lines from `prjData`,
// lowering `iQuantity` by one for each line removed. `arrVersions` holds the version lines, newest
// first; it is only read.
void SyncVersions(QStringList& arrVersions, int& iKeep, int& iQuantity, QString& prjData);

// One pruning of one set. A line goes only once what it recorded is gone. Only a folder strictly below
// one of the set's current destinations is deleted, never through a symbolic link, never one that
// another line still records, and never a destination's own folder; a line that names anything else
// deletes nothing and is removed, with the reason in the log. A server that cannot be reached, or
// will not let the line's user in, ends the FTP part of the pruning and keeps its lines.
class VersionPruning
{
public:
    explicit VersionPruning(const core::BackupSetInfo& set);
    ~VersionPruning();

    void prune(const QStringList& versions, int keep, int& quantity, QString& text);

    // Seconds an FTP operation of the pruning may wait for the server.
    static constexpr int TimeOutSeconds = 30;

private:
    enum class Gone
    {
        Yes,
        No,
        ServerDown,
        // The line names nothing the pruning may delete: it goes, and nothing is deleted.
        NotOurs,
    };

    void rotateOne(int keep, int& quantity, QString& text);
    void acrossAll(int keep, int& quantity, QString& text);
    Gone deleteVersion(const core::VersionLine& version);
    Gone deleteFolderVersion(const core::VersionLine& version) const;
    Gone deleteFtpVersion(const core::VersionLine& version);
    Gone deleteFtpFolder(const core::VersionLine& version, const QString& top, const QStringList& parts,
                         const QString& archiveName);
    bool removeRemoteTree(const QString& folder, int depth);
    bool meetsStopRule(const core::VersionLine& version) const;
    bool heldByAnotherLine(const core::VersionLine& version, const QString& destinationFolder) const;
    Gone passOver(const core::VersionLine& version, const QString& why) const;
    void removeLine(const QString& line, int& quantity, QString& text);
    void report(const QString& reason) const;

    const core::BackupSetInfo& m_set;
    QStringList m_lines;
    bool m_ftpStopped = false;
    std::unique_ptr<ftp::clsFtpClient> m_client;
    std::unique_ptr<ftp::FtpSteps> m_steps;
};

} // namespace engine
