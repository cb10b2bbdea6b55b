#pragma once

#include <optional>

#include <QString>
#include <QStringList>
#include <QVariantList>

namespace core
{

// True for an existing regular file (hidden ones too; names compare exactly). False for folders,
// for the empty path and for a path that ends with "/". Never fails.
bool FileExists(const QString& path);

// Creates one folder; a failure (it exists, its parent is missing, a bad name) is ignored.
void MakeDirSafe(const QString& folder);
// Creates every missing folder of a file path except its last part ("/x/y/z.bak" makes /x and /x/y;
// "/x/y/" makes the same). True when the folder part exists afterwards; running it twice is harmless.
bool MakePath(const QString& path);

// Deletes the folder with everything below it, read-only contents included. Symbolic links inside
// are removed as links and never followed. Refuses, touching nothing, an empty, relative or root
// path, the home folder and its ancestors, any path with a ".." part, and a path that is itself a
// symbolic link. True only when the folder is gone.
bool DeleteFolderTree(const QString& folder);
// False for the folders DeleteFolderTree refuses.
bool mayDeleteFolderTree(const QString& folder);

// How DeleteFolderBelow ended.
enum class FolderBelow
{
    // The folder is gone, or was never there.
    Gone,
    // A part of the path is a symbolic link or no folder: nothing was deleted.
    NotAFolder,
    // The folder could not be deleted, wholly or in part, or `base` cannot be opened.
    Failed,
};
// Deletes the folder `parts` (names, none empty, "." or "..") below the folder `base`, with
// everything in it. No part below `base` is followed when it is a symbolic link, so nothing outside
// `base` can be reached. Refuses (Failed) the folders DeleteFolderTree refuses.
FolderBelow DeleteFolderBelow(const QString& base, const QStringList& parts);

// The total size in bytes of the regular files below the folder (symbolic links not followed).
// -1 when the folder is missing or any part of it cannot be read; the failure goes to ErrorIn.
qint64 FolderSize(const QString& folder);
// The date value of the folder's last change; that of 1 January 1901 00:00 on failure (reported
// through ErrorIn).
double FolderDateModified(const QString& folder);
// The file's last-modified date and time as a general date text; nullopt when it is not a file.
std::optional<QString> GetFileDateModified(const QString& path);

// The local date value of a UTC file time (100-nanosecond steps since 1 January 1601); the zero date
// for a time that cannot be converted (reported through ErrorIn).
double Win32ToVbTime(qint64 fileTime);

// Reports a failed file-system call (errno `systemError`) through reportFailure with the runtime's
// matching error number.
void reportFileFailure(const QString& location, const QVariantList& argValues, int systemError);

} // namespace core
