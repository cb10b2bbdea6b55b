#pragma once

#include <QList>
#include <QString>

#include "platform/Result.h"
#include "platform/RunContext.h"

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

// Why an archive was not written; its path is as it was in every case.
enum class ZipWriteFailure
{
    // The archive could not be written.
    CannotWrite,
    // No entry was left to pack.
    NothingToPack,
    // The archive to update is not a readable zip archive.
    NotAnArchive,
};

// Succeeded: the archive is complete at its path. Stopped: a stop was requested.
struct ZipWriteResult : Result
{
    ZipWriteFailure failure = ZipWriteFailure::CannotWrite;
    // The system's error number when the archive file could not be written; 0 otherwise.
    int writeError = 0;
    QList<ZipSkippedEntry> skipped;
    // Entries this build added or replaced.
    qsizetype packed = 0;
};

struct ZipWriteOptions
{
    // Keep an existing archive's entries and replace only those whose source is newer.
    bool updateExisting = false;
    // Yields and is asked to stop before every chunk of source data.
    RunContext* run = &unwatchedRun();
    // Threads that read and deflate ahead of the writer; 1 does it all on the calling thread, 0 takes
    // one per core (at most 8). The archive is the same byte for byte whatever the count.
    int workers = 0;
};

// Sources are read, deflated and written in chunks of this size.
inline constexpr qint64 ZipChunkSize = 1024 * 1024;

// Writes the archive at archivePath. It is built under a temporary name beside it and renamed into
// place only when complete, so a failed or stopped build leaves an earlier archive untouched. An
// entry that cannot be packed (missing, unreadable, changed while it was read, unsafe or repeated
// name) is left out and listed in `skipped`; the rest of the archive is still built. Deflated at the
// default level; a file that does not shrink is stored, judged on its first 16 KiB, then on the whole
// file (on its first chunk when it is larger). A larger file is deflated chunk by chunk, each chunk
// primed with the end of the one before, so chunks can be deflated side by side. Zip64 is written where
// sizes or counts need it.
ZipWriteResult writeZipArchive(const QString& archivePath, const QList<ZipEntrySource>& entries,
                               const ZipWriteOptions& options = {});

} // namespace platform
