#include "engine/BackupRun.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include "core/ErrorReport.h"
#include "core/MainWindowServices.h"
#include "core/PathHelpers.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "core/SetDocument.h"
#include "core/SetText.h"
#include "core/TimestampFormat.h"
#include "core/WorkFolder.h"
#include "crypto/BackupFileCipher.h"
#include "engine/FileCollection.h"
#include "engine/FtpDelivery.h"
#include "engine/MailDelivery.h"
#include "engine/ZipFiles.h"
#include "platform/Clock.h"
#include "platform/FileCopy.h"
#include "platform/ProgramFolder.h"

namespace engine
{
namespace
{
const QString CrLf = QStringLiteral("\r\n");

// Sets the reason the run is broken off with, and logs it.
void failWith(const QString& reason)
{
    core::state().strFailureReason = reason;
    core::LogEvent(reason);
}

// Where the per-file work copies go: a folder of their own in the run's work folder, so that a
// source named like a working list cannot meet it. Empty when it cannot be made.
QString workCopiesFolder()
{
    const QString work = core::WinTmpDir();
    if (work.isEmpty())
        return QString();
    const QString folder = work + QStringLiteral("files/");
    platform::makePrivateFolder(folder);
    return QFileInfo(folder).isDir() ? folder : QString();
}

// A work folder that takes no more files (full, read-only, gone) dooms every later work copy, as a
// destination that takes no more files dooms its delivery: the run is broken off at once with the
// system's reason. False for any other failure.
bool workFolderLost(const QString& path, int error)
{
    if (!platform::isLostDestinationError(error))
        return false;
    failWith(QStringLiteral("The work folder %1 takes no more files: cannot write %2: %3")
                 .arg(platform::ProgramFolder::file(QStringLiteral("tmp")), path, qt_error_string(error)));
    core::state().bStopBackup = true;
    return true;
}

QString workFolderFailure()
{
    return QStringLiteral("The run's work folder cannot be made below \"%1\".")
        .arg(platform::ProgramFolder::file(QStringLiteral("tmp")));
}

// The copy-error entry of a file the archive builder left out.
QString skippedEntry(const platform::ZipSkippedEntry& skipped)
{
    if (!QFileInfo(skipped.sourcePath).isFile())
        return copyErrorEntry(core::err::FileNotFound, QStringLiteral("File not found"), skipped.sourcePath);
    return copyErrorEntry(core::err::PathFileAccess, QStringLiteral("Path/File access error: ") + skipped.reason,
                          skipped.sourcePath);
}

void showSetRowFailed(const QString& setName)
{
    if (core::MainWindowServices* main = core::mainWindowServices())
        main->showSetRowFailed(setName);
}

void reloadTheSet()
{
    if (core::MainWindowServices* main = core::mainWindowServices())
        main->LoadBackup(false, QString());
}
} // namespace

RunResult BackupRun::run()
{
    core::ProgramState& program = core::state();
    program.RunInProgress = true;
    const auto ended = qScopeGuard([&program] {
        core::ReleaseWorkFolder();
        program.RunInProgress = false;
    });
    m_archivePath.clear();
    m_timestampFolder.clear();
    m_copyErrors.clear();
    m_missingEverywhere = 0;

    // The run keeps its own copy of the set and its document text: the main window may load another
    // set while this one runs, and the outcome belongs to the set that ran.
    core::BackupSetInfo set = program.CurrentSet;
    QString setText = program.strSetText;
    m_versionLines = core::sectionLines(setText, QStringLiteral("VERSIONS"));
    RunRecorder recorder(set, setText, platform::clock().now());
    core::LogEvent(QStringLiteral("======================Running Backup======================"));
    core::LogEvent(QStringLiteral("Name: ") + set.ItemName);
    core::LogEvent(QStringLiteral("Type: ") + QString::number(set.ItemType));
    core::LogEvent(QStringLiteral("Compression: ") + QString::number(core::storedCode(set.Compression)));
    core::LogEvent(QStringLiteral("Encryption: ") + QString::number(core::storedCode(set.ProtectData)));
    core::LogEvent(QStringLiteral("Destinations: ") + QString::number(set.DestCount));
    program.strFailureReason.clear();
    m_run.yield();

    const RunResult result = road(set, core::sectionLines(setText, QStringLiteral("FILES")), recorder);
    if (program.CurrentSet.ItemName == set.ItemName) {
        program.CurrentSet = set;
        program.strSetText = setText;
    }
    // Pruning of old versions comes with the load, so it sees this run's version line.
    reloadTheSet();
    return result;
}

RunResult BackupRun::road(core::BackupSetInfo& set, const QStringList& filesLines, RunRecorder& recorder)
{
    // A key made from nothing would protect the backup in name only.
    if (set.ProtectData == core::ProtectionMode::Blowfish && set.BFPassword.isEmpty()) {
        failWith(QStringLiteral("The set is to be protected, but it has no password. Enter one in the set's "
                                "properties."));
        return cancelled(set, recorder);
    }
    {
        FileCollector collector(m_run);
        const CollectionResult collected = collector.collect(set, filesLines);
        if (!collected.succeeded() && !collected.stopped())
            failWith(collected.reason());
        if (!collected.succeeded())
            return cancelled(set, recorder);
        for (const QString& path : collected.missing)
            m_copyErrors += copyErrorEntry(core::err::FileNotFound, QStringLiteral("File not found"), path);
        for (const QString& path : collected.unreadable)
            m_copyErrors += copyErrorEntry(core::err::PermissionDenied, QStringLiteral("Permission denied"), path);
        m_missingEverywhere = collected.missing.size() + collected.unreadable.size();
    }

    if (set.Compression == core::CompressionMode::OneArchive && !(buildArchive(set) && protectArchive(set)))
        return cancelled(set, recorder);

    m_run.showStatus(QStringLiteral("[Moving files to the backup location]"));
    if (set.UseTimeStamp) {
        core::LogEvent(QStringLiteral("Getting Timestamp Information"));
        QString reason;
        const std::optional<QString> name = core::timestampFolderName(set, platform::clock().now(), &reason);
        if (!name) {
            failWith(reason);
            return cancelled(set, recorder);
        }
        m_timestampFolder = *name;
    }
    if (m_run.stopRequested())
        return cancelled(set, recorder);

    if (recorder.beginRun()) {
        for (int i = 0; i < recorder.destinationsThisRun(); ++i) {
            const int d = recorder.beginDestination();
            if (m_run.stopRequested())
                return cancelled(set, recorder);
            bool delivered = false;
            qint64 deliveredBytes = 0;
            qint64 missing = m_missingEverywhere;
            const auto deliverWith = [&](auto& delivery) {
                delivery.prepareFile = [this, &set](const QString& source) { return prepareFile(set, source); };
                delivery.versionLines = m_versionLines;
                const FolderDeliveryResult result = delivery.deliver(set, d, m_timestampFolder, m_archivePath);
                m_copyErrors += result.copyErrors;
                delivered = result.succeeded();
                deliveredBytes = result.deliveredBytes;
                missing += result.failedFiles.size();
                return !result.stopped();
            };
            switch (set.Dest.at(d).Type) {
            case core::DestinationType::Folder: {
                FolderDelivery delivery(m_run);
                if (!deliverWith(delivery))
                    return cancelled(set, recorder);
                break;
            }
            case core::DestinationType::Ftp: {
                FtpDelivery delivery(m_run);
                delivery.watchConnect = watchConnect;
                if (!deliverWith(delivery))
                    return cancelled(set, recorder);
                break;
            }
            case core::DestinationType::Email: {
                MailDelivery delivery(m_run);
                delivery.prepareFile = [this, &set](const QString& source) { return prepareFile(set, source); };
                const MailDeliveryResult result = delivery.deliver(set, m_archivePath);
                m_copyErrors += result.copyErrors;
                if (result.stopped())
                    return cancelled(set, recorder);
                delivered = result.succeeded();
                missing += result.failedFiles.size();
                break;
            }
            default:
                break;
            }
            recorder.recordDestination(delivered, deliveredBytes, missing);
        }
    }
    RunResult result;
    result.status = recorder.finish(m_copyErrors);
    if (!result.status.succeeded())
        showSetRowFailed(set.ItemName);
    return result;
}

RunResult BackupRun::cancelled(core::BackupSetInfo& set, RunRecorder& recorder)
{
    const QString reason = recorder.recordCancelled();
    showSetRowFailed(set.ItemName);
    RunResult result;
    result.cancelled = true;
    result.status.setOutcome(platform::Result::failure(reason));
    result.status.headline = QStringLiteral("The backup could not be completed successfully.");
    result.status.statusText = reason;
    return result;
}

bool BackupRun::buildArchive(const core::BackupSetInfo& set)
{
    if (const std::optional<QString> error = core::archiveNameError(set.ZIPName)) {
        failWith(*error);
        return false;
    }
    const QString work = core::WinTmpDir();
    if (work.isEmpty()) {
        failWith(workFolderFailure());
        return false;
    }
    m_archivePath = work + QString(set.ZIPName).replace(QLatin1Char(' '), QLatin1Char('_'));

    core::LogEvent(QStringLiteral("Compressing Single Zip"));
    m_run.showStatus(QStringLiteral("[Compressing data... please wait...]"));
    clsZipFiles zip;
    zip.setRun(m_run);
    zip.setZipFileName(m_archivePath);
    zip.setUpdatingZip(false);
    // The set file list holds only the files the collection has just found.
    zip.setNamesAreFiles(true);
    QString unreadable;
    const std::optional<QStringList> sources = core::readSetFileList(set.ItemName, unreadable);
    if (!sources) {
        failWith(unreadable);
        return false;
    }
    for (const QString& source : *sources)
        zip.AddFile(source);
    if (m_run.stopRequested())
        return false;

    if (zip.MakeZipFile() != ziperr::Ok) {
        core::LogEvent(zip.GetLastMessage());
        if (workFolderLost(m_archivePath, zip.WriteError()))
            return false;
        failWith(QStringLiteral("An error occurred while zipping the files, please try again"));
        m_run.showStatus(QStringLiteral("Error Zipping Files - A restart might help"));
        return false;
    }
    if (m_run.stopRequested())
        return false;
    for (const platform::ZipSkippedEntry& skipped : zip.SkippedFiles()) {
        core::LogEvent(QStringLiteral("Could not pack ") + skipped.sourcePath + QStringLiteral(": ") + skipped.reason);
        m_copyErrors += skippedEntry(skipped);
        ++m_missingEverywhere;
    }
    return true;
}

bool BackupRun::protectArchive(const core::BackupSetInfo& set)
{
    if (set.ProtectData != core::ProtectionMode::Blowfish)
        return true;
    core::LogEvent(QStringLiteral("Encrypting Single Zip"));
    m_run.showStatus(QStringLiteral("[Encrypting data...]"));
    if (m_run.stopRequested())
        return false;
    const QString protectedPath = m_archivePath + QStringLiteral(".bf");
    const crypto::CipherResult result = crypto::EncryptBackupFile(m_archivePath, protectedPath, set.BFPassword, m_run);
    if (result.stopped())
        return false;
    if (!result.succeeded()) {
        if (!workFolderLost(protectedPath, result.writeError))
            failWith(QStringLiteral("The archive could not be protected: ") + result.reason());
        return false;
    }
    QFile::remove(m_archivePath);
    m_archivePath = protectedPath;
    return true;
}

PreparedFile BackupRun::prepareFile(const core::BackupSetInfo& set, const QString& source)
{
    PreparedFile prepared {source, core::FileNameOf(source), {}, {}};
    // A plain copy needs no work copy, nor a look at the file: the copy itself opens it.
    if (set.Compression != core::CompressionMode::ArchivePerFile && set.ProtectData != core::ProtectionMode::Blowfish)
        return prepared;
    // A file gone since the collection is sent as it is, so that its copy reports it missing.
    if (!QFileInfo(source).isFile())
        return prepared;
    const QString folder = workCopiesFolder();
    if (folder.isEmpty()) {
        prepared.error = workFolderFailure();
        return prepared;
    }

    if (set.Compression == core::CompressionMode::ArchivePerFile) {
        const QString archive = folder + prepared.name + QStringLiteral(".zip");
        core::LogEvent(QStringLiteral("Zipping ") + source);
        clsZipFiles zip;
        zip.setRun(m_run);
        zip.setZipFileName(archive);
        zip.setUpdatingZip(false);
        zip.setNamesAreFiles(true);
        zip.AddFile(source);
        const qint32 made = zip.MakeZipFile();
        prepared.workFiles << archive;
        if (m_run.stopRequested())
            return prepared;
        if (made != ziperr::Ok) {
            prepared.error = zip.GetLastMessage().trimmed();
            workFolderLost(archive, zip.WriteError());
            return prepared;
        }
        prepared.path = archive;
        prepared.name += QStringLiteral(".zip");
    }
    if (m_run.stopRequested())
        return prepared;

    if (set.ProtectData == core::ProtectionMode::Blowfish) {
        const QString target = folder + prepared.name + QStringLiteral(".bf");
        m_run.showStatus(QStringLiteral("[Encrypting Files]") + CrLf + prepared.path);
        m_run.yield();
        // Spelled as this log line has always been spelled, so that searches of old logs still find it.
        core::LogEvent(QStringLiteral("Encryting ") + prepared.path);
        const crypto::CipherResult result = crypto::EncryptBackupFile(prepared.path, target, set.BFPassword, m_run);
        prepared.workFiles << target;
        if (result.stopped())
            return prepared;
        if (!result.succeeded()) {
            prepared.error = QStringLiteral("The file could not be protected: ") + result.reason();
            workFolderLost(target, result.writeError);
            return prepared;
        }
        prepared.path = target;
        prepared.name += QStringLiteral(".bf");
    }
    return prepared;
}

} // namespace engine
