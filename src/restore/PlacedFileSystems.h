#pragma once

#include <QHash>
#include <QSet>
#include <QString>

#include "platform/Result.h"

namespace restore
{

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
