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

// One pruning of one set. A line goes only once what it recorded is gone. Nothing outside the set's
// destinations is deleted, and never a destination's own folder. A server that cannot be reached,
// or will not let the line's user in, ends the FTP part of the pruning and keeps its lines.
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
    };

    void rotateOne(int keep, int& quantity, QString& text);
    void acrossAll(int keep, int& quantity, QString& text);
    Gone deleteVersion(const core::VersionLine& version);
    Gone deleteFolderVersion(const core::VersionLine& version) const;
    Gone deleteFtpVersion(const core::VersionLine& version);
    bool removeRemoteTree(const QString& folder, int depth);
    bool meetsStopRule(const core::VersionLine& version) const;
    void removeLine(const QString& line, int& quantity, QString& text);
    void report(const QString& reason) const;

    const core::BackupSetInfo& m_set;
    QStringList m_lines;
    bool m_ftpStopped = false;
    std::unique_ptr<ftp::clsFtpClient> m_client;
    std::unique_ptr<ftp::FtpSteps> m_steps;
};

} // namespace engine
