#include "engine/FolderDelivery.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/ErrorReport.h"
#include "core/FileSystemHelpers.h"
#include "core/PathHelpers.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "core/SetDocument.h"
#include "core/WorkFolder.h"
#include "engine/Leftovers.h"
#include "platform/FileCopy.h"
#include "platform/MirrorPath.h"

namespace engine
{
namespace
{
const QString CrLf = QStringLiteral("\r\n");
// The runtime's "Bad file name or number".
constexpr qint32 BadFileName = 52;

// "a" and "b" joined by one "/"; an empty "b" adds no level.
QString joinPath(const QString& folder, const QString& part)
{
    if (part.isEmpty())
        return folder;
    if (folder.endsWith(QLatin1Char('/')))
        return folder + part;
    return folder + QLatin1Char('/') + part;
}

QString withoutTrailingSlashes(QString folder)
{
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

bool isFolder(const QString& path)
{
    return QFileInfo(path).isDir();
}

// Whether the folder is the file system's root, by whatever name or link it is reached.
bool isFileSystemRoot(const QString& folder)
{
    struct stat here = {};
    struct stat top = {};
    return ::stat(QFile::encodeName(folder).constData(), &here) == 0 && ::stat("/", &top) == 0
        && here.st_dev == top.st_dev && here.st_ino == top.st_ino;
}

// The runtime's error for a copy that failed, by what is missing.
void addFailedCopy(FolderDeliveryResult& result, const QString& sent, const QString& targetFolder,
                   const QString& source, const QString& why)
{
    if (!QFileInfo(sent).isFile())
        addCopyError(result, core::err::FileNotFound, QStringLiteral("File not found"), source);
    else if (!isFolder(targetFolder))
        addCopyError(result, core::err::PathNotFound, QStringLiteral("Path not found"), source);
    else
        addCopyError(result, core::err::PathFileAccess, QStringLiteral("Path/File access error: ") + why, source);
}

// The folder part of a mirrored path: "home/u/a.txt" gives "home/u", "a.txt" gives "".
QString folderPartOf(const QString& relative)
{
    const qsizetype slash = relative.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : relative.left(slash);
}

std::optional<QString> mirrorFolderName(const QString& path, const QString& root)
{
    const std::optional<QString> relative = platform::mirrorRelativePath(path);
    if (!relative)
        return std::nullopt;
    const QString folder = joinPath(root, folderPartOf(*relative));
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}
} // namespace

FolderDeliveryResult deliveredArchive(qint64 bytes)
{
    FolderDeliveryResult result;
    result.setOutcome(platform::Result::success());
    result.deliveredBytes = bytes;
    result.deliveredFiles = 1;
    return result;
}

FolderDeliveryResult deliveryStopped()
{
    FolderDeliveryResult result;
    result.setOutcome(platform::Result::stop());
    return result;
}

FolderDeliveryResult deliveryFailure(const QString& reason, const FolderDeliveryResult& sofar)
{
    FolderDeliveryResult failed;
    failed.setOutcome(platform::Result::failure(reason));
    failed.copyErrors = sofar.copyErrors;
    failed.failedFiles = sofar.failedFiles;
    return failed;
}

void removeWorkFiles(const PreparedFile& prepared)
{
    for (const QString& file : prepared.workFiles)
        QFile::remove(file);
}

void addCopyError(FolderDeliveryResult& result, qint32 number, const QString& description, const QString& source,
                  const char* verb)
{
    result.copyErrors += copyErrorEntry(number, description, source);
    result.failedFiles << source;
    core::LogEvent(QStringLiteral("Could not ") + QLatin1String(verb) + QLatin1Char(' ') + source
                   + QStringLiteral(": Error ") + QString::number(number) + QLatin1Char(' ') + description);
}

Preparation prepareForDelivery(const QString& source, const std::function<PreparedFile(const QString&)>& prepareFile,
                               platform::RunContext& run, FolderDeliveryResult& result, PreparedFile& prepared,
                               const char* verb)
{
    prepared = prepareFile ? prepareFile(source) : PreparedFile {source, core::FileNameOf(source), {}, {}};
    if (run.stopRequested()) {
        removeWorkFiles(prepared);
        return Preparation::Stopped;
    }
    if (!prepared.error.isEmpty() || prepared.name.isEmpty() || prepared.name.contains(QLatin1Char('/'))) {
        const QString why = prepared.error.isEmpty() ? QStringLiteral("\"%1\" cannot name a file").arg(prepared.name)
                                                     : prepared.error;
        addCopyError(result, core::err::PathFileAccess, QStringLiteral("Path/File access error: ") + why, source, verb);
        removeWorkFiles(prepared);
        return Preparation::Skipped;
    }
    return Preparation::Ready;
}

QString copyErrorEntry(qint32 number, const QString& description, const QString& source)
{
    return QStringLiteral("Error ") + QString::number(number) + QLatin1Char(' ') + description + CrLf
        + QStringLiteral("File: ") + source + CrLf + CrLf;
}

std::optional<QString> MakeMirrorFolder(const QString& path, const QString& root)
{
    const std::optional<QString> folder = mirrorFolderName(path, root);
    if (folder)
        QDir().mkpath(*folder);
    return folder;
}

std::optional<QString> FolderDelivery::mirrorFolder(const QString& path, const QString& root)
{
    const std::optional<QString> folder = mirrorFolderName(path, root);
    if (folder && !m_madeFolders.contains(*folder)) {
        QDir().mkpath(*folder);
        if (isFolder(*folder))
            m_madeFolders.insert(*folder);
    }
    return folder;
}

platform::CopyResult FolderDelivery::copy(const QString& source, const QString& target)
{
    return copyFile ? copyFile(source, target, m_run)
                    : platform::copyFileReplacing(source, target, m_run, m_names ? &*m_names : nullptr);
}

FolderDeliveryResult FolderDelivery::deliver(core::BackupSetInfo& set, int destination, const QString& timestampFolder,
                                             const QString& archivePath)
{
    m_madeFolders.clear();
    m_names.reset();
    if (const QString work = core::WinTmpDir(); !work.isEmpty())
        m_names.emplace(core::temporaryNamesList(work));
    core::LogEvent(QStringLiteral("Performing Local/LAN Backup"));
    set.RunDestType = core::DestinationType::Folder;

    const auto run = [&]() -> FolderDeliveryResult {
        if (destination < 1 || destination > core::MaxDestinations)
            return deliveryFailure(QStringLiteral("There is no destination %1.").arg(destination));
        const QString localFolder = set.Dest.at(destination).LocalFolder;
        if (localFolder.trimmed().isEmpty())
            return deliveryFailure(QStringLiteral("Destination %1 names no folder.").arg(destination));
        if (!localFolder.startsWith(QLatin1Char('/')))
            return deliveryFailure(
                QStringLiteral("The destination folder \"%1\" is not a full path.").arg(localFolder));
        if (timestampFolder.split(QLatin1Char('/')).contains(QStringLiteral("..")))
            return deliveryFailure(
                QStringLiteral("The time-stamp folder \"%1\" would lie outside the destination folder.")
                    .arg(timestampFolder));

        const QString folder = withoutTrailingSlashes(localFolder);
        const QString root = joinPath(folder, timestampFolder);
        set.RunLanFolder = folder.endsWith(QLatin1Char('/')) ? folder + timestampFolder
                                                             : folder + QLatin1Char('/') + timestampFolder;
        set.LastFolder = QString(timestampFolder).remove(QLatin1Char('/'));

        if (set.UseTimeStamp)
            core::LogEvent(QStringLiteral("Making Timestamp Folder"));
        // Only the last level of the destination is made: a missing mount point must not turn into a
        // folder on the local disk.
        if (!isFolder(folder))
            QDir().mkdir(folder);
        if (!isFolder(folder))
            return deliveryFailure(QStringLiteral("Could not create folder: ") + folder);
        if (m_run.stopRequested())
            return deliveryStopped();
        if (root != folder) {
            QDir().mkpath(root);
            if (!isFolder(root))
                return deliveryFailure(QStringLiteral("Could not create folder: ") + root);
        }
        if (root != folder && !timestampFolder.contains(QLatin1Char('/')))
            removeFolderLeftovers(folder, set, timestampFolder, versionLines);
        if (m_run.stopRequested())
            return deliveryStopped();

        switch (set.Compression) {
        case core::CompressionMode::EachFile:
        case core::CompressionMode::ArchivePerFile:
            return deliverEachFile(set, root);
        case core::CompressionMode::OneArchive:
            return deliverArchive(folder, timestampFolder, root, archivePath);
        default:
            return deliveryFailure(QStringLiteral("The compression mode %1 is not known; nothing was delivered.")
                                       .arg(core::storedCode(set.Compression)));
        }
    };

    FolderDeliveryResult result = run();
    if (!result.succeeded() && !result.stopped())
        core::state().strFailureReason = result.reason();
    return result;
}

FolderDeliveryResult FolderDelivery::deliverEachFile(const core::BackupSetInfo& set, const QString& root)
{
    if ((set.Compression == core::CompressionMode::ArchivePerFile || set.ProtectData == core::ProtectionMode::Blowfish)
        && !prepareFile)
        return deliveryFailure(
            QStringLiteral("The run has no way to pack or protect the files; nothing was delivered."));
    // Mirrored below the root, each source file would be copied onto itself and packed beside itself.
    if (isFileSystemRoot(root))
        return deliveryFailure(
            QStringLiteral("The destination \"%1\" is the root folder: each file would be copied onto itself.")
                .arg(root));

    QString unreadable;
    const std::optional<QStringList> sources = core::readSetFileList(set.ItemName, unreadable);
    if (!sources)
        return deliveryFailure(unreadable);

    FolderDeliveryResult result;
    const qsizetype listed = sources->size();
    for (const QString& source : *sources) {
        if (m_run.stopRequested())
            return deliveryStopped();

        const std::optional<QString> targetFolder = mirrorFolder(source, root);
        if (!targetFolder) {
            addCopyError(result, BadFileName, QStringLiteral("Bad file name or number"), source);
            continue;
        }
        if (m_run.stopRequested())
            return deliveryStopped();

        PreparedFile prepared;
        const Preparation preparation = prepareForDelivery(source, prepareFile, m_run, result, prepared);
        if (preparation == Preparation::Stopped)
            return deliveryStopped();
        if (preparation == Preparation::Skipped)
            continue;

        const QString target = *targetFolder + prepared.name;
        m_run.showStatus(QStringLiteral("[Moving files to the backup location] ") + CrLf + prepared.path);
        m_run.yield();
        core::LogEvent(QStringLiteral("Backing Up: ") + prepared.path + QStringLiteral(" > ") + target);
        const platform::CopyResult copied = copy(prepared.path, target);
        if (copied.succeeded()) {
            result.deliveredBytes += copied.bytes;
            ++result.deliveredFiles;
        } else if (!copied.stopped()) {
            // Every later file would fail the same way: the version would be incomplete.
            if (platform::isLostDestinationError(copied.targetError) || !isFolder(root)) {
                FolderDeliveryResult lost = deliveryFailure(
                    QStringLiteral("The destination %1 takes no more files: %2").arg(root, copied.reason()), result);
                core::LogEvent(lost.reason());
                removeWorkFiles(prepared);
                return lost;
            }
            addFailedCopy(result, prepared.path, *targetFolder, source, copied.reason());
        }
        removeWorkFiles(prepared);
        if (copied.stopped() || m_run.stopRequested())
            return deliveryStopped();
        m_run.yield();
    }
    if (listed > 0 && result.deliveredFiles == 0) {
        return deliveryFailure(
            QStringLiteral("None of the %1 listed files could be copied to %2").arg(listed).arg(root), result);
    }
    result.setOutcome(platform::Result::success());
    return result;
}

FolderDeliveryResult FolderDelivery::deliverArchive(const QString& folder, const QString& timestampFolder,
                                                    const QString& root, const QString& archivePath)
{
    if (m_run.stopRequested())
        return deliveryStopped();
    if (archivePath.isEmpty())
        return deliveryFailure(QStringLiteral("The run made no archive to deliver."));
    const QString name = core::FileNameOf(archivePath);
    const QString target = joinPath(root, name);

    m_run.showStatus(QStringLiteral("[Moving files to the backup location]") + CrLf + archivePath);
    m_run.yield();
    core::LogEvent(QStringLiteral("Backing Up: ") + archivePath + QStringLiteral(" > ") + folder + QStringLiteral(" / ")
                   + timestampFolder + QStringLiteral(" / ") + name);
    const platform::CopyResult copied = copy(archivePath, target);
    if (copied.stopped() || m_run.stopRequested())
        return deliveryStopped();
    if (!copied.succeeded())
        return deliveryFailure(QStringLiteral("Could not copy the archive to %1: %2").arg(target, copied.reason()));

    return deliveredArchive(copied.bytes);
}

} // namespace engine
