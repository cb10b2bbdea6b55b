#pragma once

#include <functional>
#include <optional>

#include <QSet>
#include <QString>
#include <QStringList>

#include "core/BackupSet.h"
#include "core/ProgramRun.h"
#include "platform/FileCopy.h"

namespace engine
{

// The folder below `root` in which the copy of the source file `path` goes: root, "/", then every
// folder level of the path ("/home/u/a.txt" below "/mnt/b" gives "/mnt/b/home/u/"); the root
// itself, with "/", for a file at the top. The folders are created when missing (failures are left
// for the copy to report). Nothing, creating nothing, for a path that cannot be mirrored (a ".."
// part, or no name).
std::optional<QString> MakeMirrorFolder(const QString& path, const QString& root);

// One entry of a run's list of files that did not arrive: "Error <number> <description>", CR LF,
// "File: <source path>", CR LF, CR LF.
QString copyErrorEntry(qint32 number, const QString& description, const QString& source);

// What a delivery sends for one listed source file.
struct PreparedFile
{
    // The file to copy: the source itself, or a work copy (packed or protected).
    QString path;
    // Its name at the destination ("a.txt", "a.txt.zip", "a.txt.zip.bf").
    QString name;
    // Work copies to remove once the file is sent, whatever the outcome.
    QStringList workFiles;
    // Why the file could not be prepared; then nothing is copied and the file counts as failed.
    QString error;
};

// How a delivery to a folder or server ended. Succeeded: it ran to its end; files that could not be
// copied are in copyErrors. Failed: nothing usable arrived; the reason is also the run's
// strFailureReason. Stopped: the run ends through its cancelled ending.
struct FolderDeliveryResult : platform::Result
{
    // Bytes of the files and archive that arrived, for the version line.
    qint64 deliveredBytes = 0;
    qint64 deliveredFiles = 0;
    // One entry per file that could not be copied: "Error <number> <description>", CR LF,
    // "File: <source path>", CR LF, CR LF.
    QString copyErrors;
    // The source paths of those files.
    QStringList failedFiles;
};

// Removes the work copies a prepared file left, whatever became of it.
void removeWorkFiles(const PreparedFile& prepared);

// Lists a file that could not be sent among the result's copy errors and logs "Could not <verb> ...".
void addCopyError(FolderDeliveryResult& result, qint32 number, const QString& description, const QString& source,
                  const char* verb = "copy");

enum class Preparation
{
    Ready,
    // Listed as a copy error; the delivery goes on with the next file.
    Skipped,
    // A stop was asked for; the work copies are gone.
    Stopped,
};

// Prepares one listed file for sending (packed or protected through `prepareFile` when given): a file
// that cannot be prepared or named is listed as a copy error.
Preparation prepareForDelivery(const QString& source, const std::function<PreparedFile(const QString&)>& prepareFile,
                               platform::RunContext& run, FolderDeliveryResult& result, PreparedFile& prepared,
                               const char* verb = "copy");

// A delivery ended by a stop request.
FolderDeliveryResult deliveryStopped();

// A delivery whose single archive of `bytes` arrived.
FolderDeliveryResult deliveredArchive(qint64 bytes);

// A failed delivery that keeps the copy errors gathered before it failed.
FolderDeliveryResult deliveryFailure(const QString& reason, const FolderDeliveryResult& sofar = {});

// Delivers one run of a set to one of its folder destinations: each listed file mirrored below the
// destination folder (or its time-stamp folder), or the single archive into it. Every file is
// copied under a temporary name and takes its place only when complete, with its modification
// time kept, so a failed copy leaves the previous version whole. A file that cannot be read is a
// copy error; a destination that fills up, turns read-only or goes away fails the delivery at once.
// With time stamps, a delivery first removes the time-stamp folders that interrupted runs of the set
// left holding nothing of use (see removeFolderLeftovers).
class FolderDelivery
{
public:
    explicit FolderDelivery(platform::RunContext& run = core::programRun())
        : m_run(run)
    { }

    // Delivers to destination slot `destination` of `set`. `timestampFolder` is the run's time-stamp
    // folder name ("" without time stamps); `archivePath` is the run's single archive (Compression
    // 1). Per-file modes read the set file list data/<set>.lst. Sets the set's RunDestType,
    // RunLanFolder and LastFolder for the outcome's version line; on failure also the program's
    // strFailureReason. Logs and shows its progress.
    FolderDeliveryResult deliver(core::BackupSetInfo& set, int destination, const QString& timestampFolder,
                                 const QString& archivePath);

    // Packs and protects one source file as the set asks (Compression 2, ProtectData 1). Sets that
    // ask for neither send their files as they are and need none; the others are refused without it.
    std::function<PreparedFile(const QString& source)> prepareFile;
    // Copies one file to the destination; platform::copyFileReplacing when not set.
    std::function<platform::CopyResult(const QString& source, const QString& target, platform::RunContext& run)>
        copyFile;
    // The set's version lines: a time-stamp folder one of them names is never taken for a leftover.
    QStringList versionLines;

private:
    FolderDeliveryResult deliverEachFile(const core::BackupSetInfo& set, const QString& root);
    FolderDeliveryResult deliverArchive(const QString& folder, const QString& timestampFolder, const QString& root,
                                        const QString& archivePath);
    std::optional<QString> mirrorFolder(const QString& path, const QString& root);
    platform::CopyResult copy(const QString& source, const QString& target);

    platform::RunContext& m_run;
    // Where a copy must take a hidden name (file systems without unnamed files), the name is noted
    // in the run's work folder, so that a killed run's copy is removed at the next start.
    std::optional<platform::TemporaryNames> m_names;
    // Folders made during this delivery, so that each is created once.
    QSet<QString> m_madeFolders;
};

} // namespace engine
