#pragma once

#include <functional>

#include <QList>
#include <QString>

namespace platform
{

// One entry to pack: a file read from sourcePath, or a folder entry.
struct ZipEntrySource
{
    QString sourcePath;
    // Relative and "/"-separated ("home/u/a.txt"), as zipEntryRelativePath gives it back unchanged;
    // stored as UTF-8 and flagged as such.
    QString entryName;
    bool folder = false;
};

// An entry left out of the archive, with the reason in words a person can read.
struct ZipSkippedEntry
{
    QString sourcePath;
    QString entryName;
    QString reason;
};

enum class ZipWriteStatus
{
    // The archive is complete at its path.
    Written,
    // A stop was requested; the archive's path is as it was.
    Stopped,
    // No entry was left to pack; the archive's path is as it was.
    NothingToPack,
    // The archive to update is not a readable zip archive; it is left as it was.
    NotAnArchive,
    // The archive could not be written; its path is as it was.
    Failed,
};

struct ZipWriteResult
{
    ZipWriteStatus status = ZipWriteStatus::Failed;
    // Why the archive was not written.
    QString error;
    QList<ZipSkippedEntry> skipped;
    // Entries this build added or replaced.
    qsizetype packed = 0;
};

struct ZipWriteOptions
{
    // Keep an existing archive's entries and replace only those whose source is newer.
    bool updateExisting = false;
    // Asked before every chunk of source data (after a pass of the event loop); true ends the build.
    std::function<bool()> stopRequested;
};

// Sources are read, deflated and written in chunks of this size.
inline constexpr qint64 ZipChunkSize = 1024 * 1024;

// Writes the archive at archivePath. It is built under a temporary name beside it and renamed into
// place only when complete, so a failed or stopped build leaves an earlier archive untouched. An
// entry that cannot be packed (missing, unreadable, changed while it was read, unsafe or repeated
// name) is left out and listed in `skipped`; the rest of the archive is still built. Deflated at the
// default level; a file that does not shrink is stored, judged on its first 16 KiB, then on the whole
// file (on its first chunk when it is larger). Zip64 is written where sizes or counts need it.
ZipWriteResult writeZipArchive(const QString& archivePath, const QList<ZipEntrySource>& entries,
                               const ZipWriteOptions& options = {});

} // namespace platform
