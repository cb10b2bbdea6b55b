#pragma once

#include <optional>

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>

#include "platform/Result.h"

namespace restore
{

// A restored file's new content on its way to its target: written to a hidden temporary name in
// the target's folder, so that it takes the target's name in one rename once it is whole. Removed
// unless placed, so a failed or stopped write leaves nothing behind and an existing target untouched.
// The target's folder must exist.
class PendingFile
{
public:
    explicit PendingFile(QString target);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    platform::Result open();
    // False on a write error; the reason says which.
    bool write(const char* data, qint64 size);
    // Closes the written file with its modification time and, when given, its permission bits.
    platform::Result finish(const QDateTime& modified, std::optional<quint32> mode);
    // Gives the finished file the target's name. A file it replaces goes only once the new content
    // is on the disk; a new one is made durable by the caller's sync at the end of its run.
    platform::Result place();
    // Removes the temporary file.
    void discard();

    const QString& target() const { return m_target; }
    // The temporary file, while there is one.
    QString path() const;
    const QString& reason() const { return m_reason; }

private:
    platform::Result failed(int error);

    QString m_target;
    QByteArray m_temp;
    int m_fd = -1;
    QString m_reason;
};

// The file systems a run placed files on, made durable together when it ends. One syncfs a file
// system writes back the data of every placed file and the renames and folders that name them, and
// waits for the disk once; a sync of each file would wait once per file, and would still leave the
// folders' entries unwritten.
class PlacedFileSystems
{
public:
    PlacedFileSystems() = default;
    ~PlacedFileSystems();
    PlacedFileSystems(const PlacedFileSystems&) = delete;
    PlacedFileSystems& operator=(const PlacedFileSystems&) = delete;

    // A folder a file was placed in.
    void note(const QString& folder);
    // Syncs each file system noted since the last sync; fails when one reports a lost write.
    platform::Result sync();

private:
    QSet<QString> m_folders;
    // A folder on each file system, open, by its device.
    QHash<quint64, int> m_open;
};

} // namespace restore
